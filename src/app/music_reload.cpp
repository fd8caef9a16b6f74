#include "app/music_reload.h"

bool MusicReload::take(LoadedMusic* music) {
  bool taken = load_.take(music);
  if (taken && pending_) {
    *music = LoadedMusic();
    taken = false;
  }
  if (pending_ && !load_.busy()) {
    pending_ = false;
    load_.start([path = path_, rate = rate_] {
      LoadedMusic loaded;
      loaded.loaded = loadSoundtrack(path.c_str(), rate, &loaded.soundtrack, &loaded.message);
      return loaded;
    });
  }
  return taken;
}
