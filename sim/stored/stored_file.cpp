#include "sim/stored/stored_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>

#include "sim/stored/atomic_file.h"
#include "sim/stored/stored_text.h"

namespace sim {

namespace {

// Notes beyond this many are counted, not listed.
constexpr int kMaxNotes = 20;

// Renames without replacing: fails when `to` exists, even if it appeared a
// moment ago.
bool renameNoReplace(const std::string& from, const std::string& to) {
#if defined(__APPLE__)
  // The simulation builds on macOS too, whose call for this is renamex_np.
  if (::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) return true;
  if (errno != ENOTSUP && errno != EINVAL) return false;
#else
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // A file system without that flag: a second name, then drop the first.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

std::string tooLarge() {
  return "larger than " + std::to_string(kMaxStoredFileBytes >> 20) + " MiB";
}

enum class ReadResult { Read, Missing, Refused };

// The whole file, at most kMaxStoredFileBytes of it; `why` when refused.
ReadResult readStoredFile(const std::string& path, std::string* text, std::string* why) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::Missing;
    *why = std::strerror(errno);
    return ReadResult::Refused;
  }
  struct stat st;
  ReadResult result = ReadResult::Read;
  if (::fstat(fd, &st) != 0) {
    *why = std::strerror(errno);
    result = ReadResult::Refused;
  } else if (!S_ISREG(st.st_mode)) {
    *why = "not a regular file";
    result = ReadResult::Refused;
  } else if (static_cast<std::uintmax_t>(st.st_size) > kMaxStoredFileBytes) {
    *why = tooLarge();
    result = ReadResult::Refused;
  } else {
    char buf[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        *why = "cannot be read (" + std::string(std::strerror(errno)) + ")";
        result = ReadResult::Refused;
        break;
      }
      if (n == 0) break;
      text->append(buf, static_cast<std::size_t>(n));
      if (text->size() > kMaxStoredFileBytes) break;
    }
    if (result == ReadResult::Read && text->size() > kMaxStoredFileBytes) {
      *why = tooLarge();  // it grew while being read
      result = ReadResult::Refused;
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

bool saveStoredFile(const std::string& path, const std::string& contents, bool* failing) {
  auto error = writeFileAtomically(path, contents);
  if (!error) {
    if (*failing)
      std::cerr << "vistrel-desktop: " << path << ":0: saved again; the changes are kept\n";
    *failing = false;
    return true;
  }
  if (!*failing)
    std::cerr << "vistrel-desktop: " << path << ":0: cannot be saved (" << *error
              << "); changes are kept only while the simulation runs\n";
  *failing = true;
  return false;
}

std::optional<std::string> moveAside(const std::string& path) {
  for (int n = 0; n <= 1000; ++n) {
    std::string target = path + ".damaged";
    if (n) target.append(".").append(std::to_string(n));
    if (renameNoReplace(path, target)) return target;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void printStoredFileReport(const std::string& report) {
  std::size_t start = 0;
  while (start < report.size()) {
    auto end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    std::cerr << "vistrel-desktop: " << report.substr(start, end - start) << "\n";
    start = end + 1;
  }
}

StoredFileLoad loadStoredFile(const std::string& path, const std::string& what,
                              const std::string& startState, const StoredLineParser& parseLine) {
  StoredFileLoad result;
  result.savePath = path;
  auto refuse = [&](const std::string& why) {
    result.writable = false;
    result.discarded = true;
    result.report = path + ":0: cannot use this " + what + " file (" + why +
                    "); it will not be written; starting with " + startState;
    return result;
  };
  // Through a link, the file it names is the one read and, if damaged, moved.
  std::string why;
  auto file = saveTarget(path, &why);
  if (!file) return refuse(why);
  std::string text;
  switch (readStoredFile(*file, &text, &why)) {
    case ReadResult::Missing: return result;  // created on the first save
    case ReadResult::Refused: return refuse(why);
    case ReadResult::Read: break;
  }

  std::string error, notes;
  int lineNo = 0, noteCount = 0;
  auto note = [&](int line, const std::string& message) {
    if (++noteCount <= kMaxNotes)
      notes += path + ":" + std::to_string(line) + ": " + message + "\n";
  };
  for (std::size_t start = 0; error.empty() && start < text.size();) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    std::vector<Token> tokens;
    bool comment = false;
    if (auto e = tokenizeStoredLine(line, &tokens, &comment)) {
      error = *e;
      break;
    }
    std::string lineNote;
    if (!tokens.empty()) error = parseLine(tokens, lineNo, &lineNote).value_or("");
    if (comment)
      lineNote = lineNote.empty() ? "comment is not kept when the file is saved"
                                  : lineNote + "; its comment is not kept either";
    if (!lineNote.empty()) note(lineNo, lineNote);
  }
  if (error.empty()) {
    if (noteCount > kMaxNotes)
      notes += path + ":" + std::to_string(lineNo) + ": and " +
               std::to_string(noteCount - kMaxNotes) +
               " more lines that are not kept as written when the file is saved\n";
    if (!notes.empty()) notes.pop_back();
    result.report = notes;
    return result;
  }

  result.discarded = true;
  auto aside = moveAside(*file);
  result.report =
      path + ":" + std::to_string(lineNo) + ": damaged " + what + " file (" + error + "); ";
  if (aside) {
    result.savePath = *file;
    result.report += "kept as " + *aside + "; starting with " + startState;
  } else {
    result.writable = false;
    result.report +=
        "it could not be moved aside and will not be written; starting with " + startState;
  }
  return result;
}

}  // namespace sim
