// Where the running program lives, and where a path really leads: what the
// show needs to find its media beside an installed executable.
#pragma once

#include <string>

namespace platform {

// The running executable's own file with every symbolic link resolved, or ""
// when the system does not say.
std::string executablePath();

// `path` with every symbolic link and "." or ".." resolved, or "" when it
// does not lead to anything.
std::string realPath(const std::string& path);

// The working directory as an absolute path, or "" when it cannot be named
// (for instance after it was removed).
std::string workingDirectory();

bool changeWorkingDirectory(const std::string& path);

// True for a regular file, or a link to one, that exists now.
bool isRegularFile(const std::string& path);

// True when anything at all has that name, even a dangling link.
bool pathExists(const std::string& path);

// True where a program's data lie in its own folder (a Windows program
// unpacked from its zip), false where they lie in PREFIX/share beside
// PREFIX/bin.
bool mediaBesideExecutable();

}  // namespace platform
