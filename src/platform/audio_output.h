// The sound device, reduced to what the music player needs: 16-bit stereo
// frames pulled by a callback on the audio thread. When no real device can
// start, the output falls back to a silent one that still runs the callback
// in real time, so the music keeps driving the show without sound.
#pragma once

#include <cstdint>

namespace platform {

// Called on the audio thread: write `frameCount` interleaved left/right frames.
using AudioFill = void (*)(void* user, int16_t* frames, int frameCount);

struct AudioOutputStatus {
  bool running = false;   // the callback runs, audibly or silently
  bool silent = false;    // running without a real device, in place of one that failed
  char reason[256] = "";  // why the real device failed, when silent or not running
};

// Starts the output at `rate` Hz with `bufferFrames` frames per callback;
// the callback runs from this call on. Returns a handle for
// closeAudioOutput, or 0 when not even a silent output could start. One
// output at a time: opening another closes the previous one. The process's
// exit (platform::exitProcess) closes the output before the process ends.
// A real device that is lost (its server gone or restarted) or stops pulling
// is opened again by the output itself, on the same driver, at the same rate
// and with the same callback, which runs silently paced by the clock while
// no real device opens; nothing for the caller to do. A device that opens
// but does not pull (a suspended sink) runs no callback until it does.
int openAudioOutput(int rate, int bufferFrames, AudioFill fill, void* user, AudioOutputStatus* status);

// Stops the callback and waits until it has returned; a handle that is no
// longer the current output is ignored.
void closeAudioOutput(int output);

// Makes every later output the silent one from the start, without trying a
// real device: the callback still runs in real time, so the music still
// drives the show. Called before the first output opens.
void muteAudioOutput();

}  // namespace platform
