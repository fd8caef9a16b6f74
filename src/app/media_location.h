// The media folder as this process finds it, from its own working directory,
// executable and build tree.
#pragma once

#include "app/media_folder.h"

MediaChoice locateShowMedia();

// Makes the media folder the working directory, unless the working directory
// already holds the resource list. When no folder holds it, or the folder
// cannot be entered, says so in an error message (naming every folder looked
// in, then `advice` if given) and returns false.
bool enterMediaFolder(const char* advice = nullptr);
