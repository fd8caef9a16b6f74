// Whether the sound output is watched for a lost or stalled device and opened
// again, on a thread of its own: a desktop's sound server may go away and
// come back; a page has no server to lose, and no threads.
#pragma once

namespace platform {

bool audioOutputWatched();

}  // namespace platform
