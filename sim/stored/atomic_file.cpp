#include "sim/stored/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace sim {

namespace {

// Owns a file descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    close();
    fd_ = other.fd_;
    other.fd_ = -1;
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // True when there was nothing to close or closing worked.
  bool close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string folderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".NAME.PID.RANDOM.tmp": hidden, of this process, and not guessable, so
// that neither another run nor a planted file can be in the way for long.
std::string temporaryName(const std::string& name) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%ld.%016" PRIx64 ".tmp", static_cast<long>(::getpid()),
                static_cast<std::uint64_t>(random()));
  // Keeps the name within NAME_MAX however long the target's name is.
  std::string temporary(".");
  temporary.append(name, 0, 128);
  temporary.append(suffix);
  return temporary;
}

bool writeAll(int fd, const std::string& contents) {
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<std::string> saveTarget(const std::string& path, std::string* error) {
  if (path.empty() || path.back() == '/') {
    *error = "not a file name";
    return std::nullopt;
  }
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return path;  // created by the save
    *error = std::strerror(errno);
    return std::nullopt;
  }
  if (S_ISLNK(st.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) {
      int cause = errno;
      char link[PATH_MAX];
      ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
      std::string to = n > 0 ? std::string(link, static_cast<std::size_t>(n)) : "?";
      *error = cause == ENOENT ? "a link to nothing: " + to + " does not exist"
                               : std::string(std::strerror(cause));
      return std::nullopt;
    }
    std::string target = resolved;
    std::free(resolved);
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      *error = "a link to something that is not a regular file";
      return std::nullopt;
    }
    return target;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = "not a regular file";
    return std::nullopt;
  }
  return path;
}

std::optional<std::string> writeFileAtomically(const std::string& path,
                                               const std::string& contents) {
  std::string error;
  auto target = saveTarget(path, &error);
  if (!target) return error;
  const std::string name = nameOf(*target);
  // Every step below works in this one folder, even if its path changes.
  Descriptor folder(::open(folderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return std::string(std::strerror(errno));

  struct stat st;
  bool replacing = ::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && !S_ISREG(st.st_mode)) return std::string("not a regular file");
  mode_t mode = replacing ? (st.st_mode & 0777) : 0644;

  std::string temporary;
  Descriptor file;
  for (int attempt = 0; attempt < 100 && !file; ++attempt) {
    temporary = temporaryName(name);
    file = Descriptor(::openat(folder.get(), temporary.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!file && errno != EEXIST) return std::string(std::strerror(errno));
  }
  if (!file) return std::string("no free name for a temporary file");

  auto fail = [&] {
    std::string why = std::strerror(errno);  // the cause, not what the clean-up says
    file.close();
    ::unlinkat(folder.get(), temporary.c_str(), 0);
    return why;
  };
  if (replacing) {
    // The umask may have narrowed the mode; the owner is kept where allowed.
    (void)::fchmod(file.get(), mode);
    (void)::fchown(file.get(), st.st_uid, st.st_gid);
  }
  if (!writeAll(file.get(), contents) || ::fsync(file.get()) != 0) return std::optional(fail());
  if (!file.close()) return std::optional(fail());
  if (::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
    return std::optional(fail());
  // The rename itself reaches the disk with the folder; some file systems
  // cannot flush a folder, and the new contents are in place either way.
  (void)::fsync(folder.get());
  return std::nullopt;
}

}  // namespace sim
