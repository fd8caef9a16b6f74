#include "child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

std::string findProgram(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::string dirs(path);
  size_t begin = 0;
  while (begin <= dirs.size()) {
    size_t end = dirs.find(':', begin);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(begin, end - begin);
    if (candidate.empty()) candidate = ".";
    candidate += "/";
    candidate += name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    begin = end + 1;
  }
  return "";
}

ChildInput::~ChildInput() {
  if (fd_ >= 0 || pid_ > 0) finish();
}

bool ChildInput::start(const std::string& program, const std::vector<std::string>& args, std::string* error) {
  // A child that exits early must not take us down with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe(fds) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (result != 0) {
    close(fds[1]);
    *error = std::strerror(result);
    return false;
  }
  fd_ = fds[1];
  pid_ = pid;
  // A larger pipe takes a whole video frame in one go, so the two processes
  // switch once a frame instead of once every 64 KiB. Where Linux refuses
  // (a lower pipe-max-size), the default pipe still works.
#ifdef F_SETPIPE_SZ
  fcntl(fd_, F_SETPIPE_SZ, 1 << 20);
#endif
  return true;
}

bool ChildInput::write(const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int ChildInput::finish() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (pid_ <= 0) return -1;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
