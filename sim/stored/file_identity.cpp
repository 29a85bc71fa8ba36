#include "sim/stored/file_identity.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

namespace sim {

namespace {

namespace fs = std::filesystem;

// Links followed at most, as the kernel does (ELOOP).
constexpr int kMaxLinks = 40;

struct Identity {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::string path;  // when it does not exist
};

// Follows a dangling link to the path it finally names.
std::string followDanglingLinks(std::string path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    char buf[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0) break;
    std::string to(buf, static_cast<std::size_t>(n));
    path = to[0] == '/' ? to : (fs::path(path).parent_path() / to).string();
  }
  return path;
}

Identity identify(const std::string& path) {
  Identity id;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    id.exists = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    return id;
  }
  std::error_code ec;
  fs::path p = fs::absolute(followDanglingLinks(path), ec);
  if (ec) p = path;
  // The folders that exist are resolved; the rest is taken as written.
  fs::path resolved = fs::weakly_canonical(p.parent_path(), ec);
  id.path = ((ec ? p.parent_path().lexically_normal() : resolved) / p.filename()).string();
  return id;
}

}  // namespace

bool nameTheSameFile(const std::string& a, const std::string& b) {
  Identity x = identify(a), y = identify(b);
  if (x.exists != y.exists) return false;
  if (x.exists) return x.device == y.device && x.inode == y.inode;
  return x.path == y.path;
}

}  // namespace sim
