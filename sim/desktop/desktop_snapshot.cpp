// `snapshot "FILE.svg"`: the desktop's picture, written atomically. The
// temporary file is created exclusively beside the target (never an
// existing file followed or truncated), then renamed over it, so a reader
// sees the old picture or the new one, never half of one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "sim/desktop/desktop.h"
#include "sim/picture/desktop_svg.h"

namespace sim {

namespace {

// An error message, or nothing when the file was written.
std::optional<std::string> writeExclusivelyThenRename(const std::string& path,
                                                      const std::string& contents) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return "not a regular file";
  std::string pattern = path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());  // O_CREAT | O_EXCL, a fresh name
  if (fd < 0) return std::strerror(errno);
  std::string tmp(name.data());
  bool ok = ::fchmod(fd, 0644) == 0;
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (ok && left) {
    ssize_t n = ::write(fd, p, left);
    ok = n > 0;
    if (ok) {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::string cause = std::strerror(errno);
    ::unlink(tmp.c_str());
    return cause;
  }
  return std::nullopt;
}

}  // namespace

void Desktop::snapshot(const std::string& path, int line) {
  if (auto error = writeExclusivelyThenRename(path, desktopSVG(scene()))) {
    std::string message = "cannot write " + path + ": " + *error;
    std::cerr << "vistrel-desktop: line " << line << ": " << message << "\n";
    trace_.emit(Event::InputError, quoted(message));
    return;
  }
  trace_.emit(Event::Snapshot, quoted(path));
}

}  // namespace sim
