// Where the show finds its media: the resource list, the pictures under
// data/ and the module. A working directory that holds the list is used as it
// is; otherwise the installed data folder relative to the executable (its own
// folder where programs are unpacked as one folder), or, for a program run
// from its build tree, the build's show folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/show_startup.h"

// Installed programs live in PREFIX/bin and their media in PREFIX/share/pixelfolk.
inline constexpr char kDataFromExecutableFolder[] = "../share/pixelfolk";

struct MediaPlaces {
  std::string workingDirectory;        // absolute, or "" when it has no name
  std::string executable;              // the executable's real path, or "" when unknown
  std::string buildDirectory;          // the build tree this program came from (real path)
  std::string buildShowFolder;         // the media that build wrote
  bool mediaBesideExecutable = false;  // installed media lie in the executable's own folder
};

// The folders to look in, in order, without repeats: the working directory
// ("." when it has no name), the installed data folder when the executable
// is known (its own folder, or kDataFromExecutableFolder from there), and the build's show folder when the executable
// lies inside that build tree.
std::vector<std::string> mediaFolderCandidates(const MediaPlaces& places);

struct MediaChoice {
  bool found = false;
  std::string folder;             // the folder that holds the list
  bool workingDirectory = false;  // the list is in the working directory: stay there
  std::vector<std::string> lookedIn;
};

// The first candidate whose folder holds the resource list. Elsewhere only a
// regular file counts (`isFile`); in the working directory anything by that
// name does (`isPresent`), so that a damaged list of the user's own is read
// and its fault reported, never passed over for the installed media.
MediaChoice chooseMediaFolder(const MediaPlaces& places, const std::function<bool(const std::string&)>& isFile,
                              const std::function<bool(const std::string&)>& isPresent);

// "Couldn't find resinfo.rli in A, B or C." for a choice that found nothing.
std::string mediaNotFoundMessage(const MediaChoice& choice);
