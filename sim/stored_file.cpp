#include "sim/stored_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace sim {

namespace {
bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}
}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents) {
  std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const char* p = contents.data();
  std::size_t left = contents.size();
  bool ok = true;
  while (left && ok) {
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
    int cause = errno;  // what went wrong, not what the clean-up says
    ::unlink(tmp.c_str());
    errno = cause;
    return false;
  }
  return true;
}

bool saveStoredFile(const std::string& path, const std::string& contents, bool* reported) {
  if (writeFileAtomically(path, contents)) return true;
  if (!*reported) {
    *reported = true;
    std::cerr << "vistrel-desktop: " << path << ":0: cannot be saved (" << std::strerror(errno)
              << "); changes are kept only while the simulation runs\n";
  }
  return false;
}

std::optional<std::string> moveAside(const std::string& path) {
  std::string target = path + ".damaged";
  for (int n = 1; exists(target) && n < 1000; ++n) target = path + ".damaged." + std::to_string(n);
  if (exists(target) || std::rename(path.c_str(), target.c_str()) != 0) return std::nullopt;
  return target;
}

StoredFileLoad loadStoredFile(
    const std::string& path, const std::string& what, const std::string& startState,
    const std::function<std::optional<std::string>(const std::vector<Token>&)>& parseLine) {
  StoredFileLoad result;
  auto refuse = [&](const std::string& why) {
    result.writable = false;
    result.report = path + ":0: cannot use this " + what + " file (" + why +
                    "); it will not be written; starting with " + startState;
    return result;
  };
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return result;  // no file yet: it is created on the first save
    return refuse(std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) return refuse("not a regular file");
  std::ifstream in(path);
  if (!in) return refuse("cannot be opened");

  std::string line, error;
  int lineNo = 0;
  while (error.empty() && std::getline(in, line)) {
    ++lineNo;
    std::vector<Token> tokens;
    if (auto e = tokenize(line, &tokens))
      error = *e;
    else if (!tokens.empty())
      error = parseLine(tokens).value_or("");
  }
  if (error.empty() && in.bad()) error = "cannot be read";
  if (error.empty()) return result;

  auto aside = moveAside(path);
  result.report =
      path + ":" + std::to_string(lineNo) + ": damaged " + what + " file (" + error + "); ";
  if (aside) {
    result.report += "kept as " + *aside + "; starting with " + startState;
  } else {
    result.writable = false;
    result.report +=
        "it could not be moved aside and will not be written; starting with " + startState;
  }
  return result;
}

}  // namespace sim
