#include "sim/scenario/scenario.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <streambuf>

#include "backend/trace.h"
#include "sim/scenario/command_words.h"
#include "sim/scenario/scenario_limits.h"

namespace sim {

namespace {

using namespace sim::limits;
using backend::quoted;

[[noreturn]] void fail(const std::string& where, const std::string& message) {
  throw ScenarioError(where + ": " + message);
}

// Reads one line, without its '\n', keeping no more than a line may hold
// (and a CR after it). False at the end of the input.
enum class LineRead { Line, End, TooLong };
LineRead readLine(std::streambuf& in, std::string* line) {
  line->clear();
  bool any = false;
  for (;;) {
    int c = in.sbumpc();
    if (c == std::char_traits<char>::eof()) return any ? LineRead::Line : LineRead::End;
    any = true;
    if (c == '\n') return LineRead::Line;
    if (line->size() == kMaxLineBytes + 1) return LineRead::TooLong;
    line->push_back(static_cast<char>(c));
  }
}

// Hands the parser a file a piece at a time. A file that grows while it is
// read stops at the bound that the parser then reports at its line.
class FileReader : public std::streambuf {
 public:
  explicit FileReader(int fd) : fd_(fd) {}
  ~FileReader() override {
    if (fd_ >= 0) ::close(fd_);
  }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  bool opened() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  int error() const { return error_; }  // errno of a failed read, or 0

 protected:
  int_type underflow() override {
    if (error_ || read_ > kMaxScenarioBytes + 1) return traits_type::eof();
    for (;;) {
      ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = errno;
      if (n <= 0) return traits_type::eof();
      read_ += static_cast<std::size_t>(n);
      setg(buffer_, buffer_, buffer_ + n);
      return traits_type::to_int_type(buffer_[0]);
    }
  }

 private:
  int fd_;
  int error_ = 0;
  std::size_t read_ = 0;
  char buffer_[1 << 16];
};

// An application Dock item runs at launch or can be launched by a click;
// either way it may become one more running application.
bool isApplication(const SetupAction& a) {
  if (auto* item = std::get_if<AddDockItem>(&a)) return item->kind == DockItemKind::App;
  return std::holds_alternative<AddApp>(a);
}

// The scenario being read, line by line, and what its limits count.
class Loader {
 public:
  Loader(const std::string& file, const ScenarioReading& reading) : reading_(reading) {
    s_.file = file;
  }

  void line(std::string& text, int lineNo) {
    auto where = [&] { return s_.file + ":" + std::to_string(lineNo); };
    if (auto fault = words::lineFault(text)) fail(where(), *fault);
    tokens_.clear();
    if (auto e = tokenize(text, &tokens_)) fail(where(), *e);
    if (tokens_.empty()) return;  // blank, or a comment
    command(tokens_, lineNo, where());
  }

  Scenario take() {
    if (!dock_) endSetup();
    return std::move(s_);
  }

 private:
  void command(const std::vector<Token>& tokens, int lineNo, const std::string& where) {
    if (s_.runUntil) fail(where, "nothing may follow run");
    if (!tokens[0].quoted && tokens[0].text == "run")
      run(tokens, where);
    else if (!tokens[0].quoted && tokens[0].text == "at")
      timed(tokens, lineNo, where);
    else
      setup(tokens, lineNo, where);
  }

  double time(const std::vector<Token>& tokens, const std::string& where) {
    const std::string& name = tokens[0].text;
    double t = words::number(tokens[1], name, where);
    if (name == "at" && t < 0) fail(where, "at: time must not be negative");
    if (t > limits::kMaxSeconds)
      fail(where, name + ": a scenario lasts at most " + limits::kMaxSecondsText);
    return t;
  }

  void run(const std::vector<Token>& tokens, const std::string& where) {
    if (tokens.size() != 2)
      fail(where, "run: expected 1 argument(s), got " + std::to_string(tokens.size() - 1));
    double t = time(tokens, where);
    if (t < lastTime_)
      fail(where, "run " + words::excerpt(tokens[1].text) + " is before the last command");
    s_.runUntil = t;
  }

  void timed(const std::vector<Token>& tokens, int lineNo, const std::string& where) {
    if (tokens.size() < 3) fail(where, "at: expected at T COMMAND");
    double t = time(tokens, where);
    if (t < lastTime_)
      fail(where, "at: times never decrease (" + words::excerpt(tokens[1].text) +
                      " after an earlier time)");
    if (tokens[2].quoted) fail(where, "expected a command after at T");
    // Set-up ends at the first `at`: the Dock is known from here on.
    if (!dock_) endSetup();
    // Nothing reaches a sleeping Mac, and at most one menu is held at a time.
    if (t < sleep_.until)
      fail(where, "at: the Mac sleeps from " + numberText(sleep_.from) + " until " +
                      numberText(sleep_.until) + " (line " + std::to_string(sleep_.line) +
                      "); no input may come meanwhile");
    lastTime_ = t;
    std::span<const Token> command(tokens.begin() + 2, tokens.end());
    auto action = words::timedAction(command, where, &*dock_);
    if (auto* tracking = std::get_if<Tracking>(&action)) {
      if (t < tracking_.until)
        fail(where, "tracking: a menu is held until " + numberText(tracking_.until) + " (line " +
                        std::to_string(tracking_.line) + ")");
      tracking_ = {t, t + tracking->seconds, lineNo};
    } else if (auto* sleep = std::get_if<Sleep>(&action)) {
      sleep_ = {t, t + sleep->seconds, lineNo};
    } else if (std::holds_alternative<OpenWindow>(action)) {
      countWindow(where);
    }
    if (s_.timed.size() < reading_.maxTimed) {
      s_.timed.push_back({lineNo, t, std::move(action), joinTokens(tokens, 2)});
    } else {
      ++s_.timedLeftOut;
      s_.leftOutUntil = t;
    }
  }

  void countWindow(const std::string& where) {
    if (++windows_ > kMaxWindows)
      fail(where, "window: at most " + std::to_string(kMaxWindows) + " windows");
  }

  // The Dock and the applications are known once set-up ends; a set-up line
  // that names an application needs it running at launch.
  void endSetup() {
    auto items = dockItemsOf(s_.setup);
    dock_ = DockCatalog::of(items);
    std::vector<std::string> running{"Finder"};
    auto& named = dock_->applications;
    named.push_back("Finder");
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i].kind != DockItemKind::App) continue;
      std::string name =
          items[i].title ? *items[i].title
                         : items[i].bundleID.value_or("com.example.item" + std::to_string(i + 1));
      named.push_back(name);
      if (items[i].running) running.push_back(name);
    }
    bool dockRuns = true;
    for (const auto& c : s_.setup) {
      if (auto* app = std::get_if<AddApp>(&c.action)) {
        named.push_back(app->name);
        running.push_back(app->name);
      }
      if (std::holds_alternative<NoDock>(c.action)) dockRuns = false;
    }
    for (auto* list : {&named, &running}) {
      std::sort(list->begin(), list->end());
      list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    for (const auto& c : s_.setup) {
      auto where = s_.file + ":" + std::to_string(c.line);
      const std::string* app = nullptr;
      const char* command = "window";
      if (auto* w = std::get_if<OpenWindow>(&c.action)) app = &w->app;
      if (auto* r = std::get_if<AppResponse>(&c.action)) {
        command = "app";
        if (!r->app && !dockRuns) fail(where, "app: the Dock does not run (no dock)");
        if (r->app) app = &*r->app;
      }
      if (app && !std::binary_search(running.begin(), running.end(), *app))
        fail(where,
             std::string(command) + ": no application named " + quoted(*app) + " runs at launch");
    }
  }

  void setup(const std::vector<Token>& tokens, int lineNo, const std::string& where) {
    if (dock_) fail(where, "set-up command after the first at: " + words::excerpt(tokens[0].text));
    if (tokens[0].quoted) fail(where, "expected a command");
    SetupAction action = words::setupAction(tokens, where);
    const std::string& name = tokens[0].text;
    auto limit = [&](std::size_t* count, std::size_t most, const char* what) {
      if (++*count > most) fail(where, name + ": at most " + std::to_string(most) + " " + what);
    };
    if (std::holds_alternative<AddDockItem>(action))
      limit(&dockItems_, kMaxDockItems, "Dock items");
    if (isApplication(action)) limit(&applications_, kMaxApplications, "applications");
    if (std::holds_alternative<AddScreen>(action)) limit(&screens_, kMaxScreens, "screens");
    if (std::holds_alternative<AddDockChild>(action))
      limit(&dockChildren_, kMaxDockChildren, "further Dock children");
    if (std::holds_alternative<AddLoginItem>(action))
      limit(&loginItems_, kMaxLoginItems, "login items");
    if (std::holds_alternative<OpenWindow>(action)) countWindow(where);
    s_.setup.push_back({lineNo, std::move(action)});
  }

  ScenarioReading reading_;
  Scenario s_;
  std::vector<Token> tokens_;  // the current line's, kept for their capacity
  double lastTime_ = 0;
  std::optional<DockCatalog> dock_;  // from the first `at` on
  struct Span {
    double from = 0, until = 0;
    int line = 0;
  };
  Span sleep_, tracking_;  // the latest of each
  std::size_t windows_ = 0;
  std::size_t dockItems_ = 0, applications_ = 0, screens_ = 0, dockChildren_ = 0, loginItems_ = 0;
};

}  // namespace

double Scenario::endTime() const {
  if (runUntil) return *runUntil;
  if (timedLeftOut) return leftOutUntil + 2.0;
  return (timed.empty() ? 0.0 : timed.back().time) + 2.0;
}

std::vector<AddDockItem> dockItemsOf(const std::vector<SetupCommand>& setup) {
  std::vector<AddDockItem> items;
  for (const auto& c : setup)
    if (auto* item = std::get_if<AddDockItem>(&c.action)) items.push_back(*item);
  if (items.empty()) {
    using K = DockItemKind;
    items = {{K::App, "Finder", std::nullopt, true, std::nullopt},
             {K::App, "Safari", std::nullopt, true, std::nullopt},
             {K::App, "Notes", std::nullopt, false, std::nullopt},
             {K::App, "Terminal", std::nullopt, true, std::nullopt},
             {K::Folder, "Downloads", std::nullopt, false, std::nullopt},
             {K::Trash, "Trash", std::nullopt, false, std::nullopt}};
  }
  return items;
}

Scenario parseScenario(std::istream& in, const std::string& fileName,
                       const ScenarioReading& reading) {
  Loader loader(fileName, reading);
  std::string text;
  std::size_t bytes = 0;
  int lineNo = 0;
  std::streambuf* buffer = in.rdbuf();
  for (;;) {
    LineRead read = buffer ? readLine(*buffer, &text) : LineRead::End;
    if (read == LineRead::End) break;
    ++lineNo;
    auto where = [&] { return fileName + ":" + std::to_string(lineNo); };
    if (read == LineRead::TooLong)
      fail(where(), "a line is at most " + std::to_string(kMaxLineBytes) + " bytes");
    if (static_cast<std::size_t>(lineNo) > kMaxLines)
      fail(where(), "a scenario has at most " + std::to_string(kMaxLines) + " lines");
    bytes += text.size() + 1;  // its '\n', which the last line may lack
    if (bytes > kMaxScenarioBytes + 1) fail(where(), "a scenario is at most 64 MiB");
    loader.line(text, lineNo);
  }
  return loader.take();
}

Scenario loadScenario(const std::string& path, const ScenarioReading& reading) {
  // A directory or a FIFO is refused before it is opened (opening a FIFO
  // would wait for a writer); the file is opened without blocking and
  // checked again, in case it was replaced in between.
  auto refuse = [&](const std::string& why) { throw ScenarioError(path + ": " + why); };
  auto notRegular = [&](const struct stat& st) {
    if (S_ISDIR(st.st_mode)) refuse("is a directory, not a scenario file");
    if (!S_ISREG(st.st_mode)) refuse("is not a regular file (a FIFO, socket or device)");
    if (static_cast<std::size_t>(st.st_size) > kMaxScenarioBytes)
      refuse("is larger than a scenario may be (64 MiB)");
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    refuse(std::string("cannot open the scenario (") + std::strerror(errno) + ")");
  notRegular(st);
  FileReader file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.opened())
    refuse(std::string("cannot open the scenario (") + std::strerror(errno) + ")");
  if (::fstat(file.fd(), &st) != 0)
    refuse(std::string("cannot be read (") + std::strerror(errno) + ")");
  notRegular(st);
  std::istream in(&file);
  std::optional<Scenario> scenario;
  try {
    scenario = parseScenario(in, path, reading);
  } catch (const ScenarioError&) {
    // A line cut short by a failed read is not the file's fault.
    if (!file.error()) throw;
  }
  if (file.error()) refuse(std::string("cannot be read (") + std::strerror(file.error()) + ")");
  return std::move(*scenario);
}

std::string scenarioText(const Scenario& s) {
  std::string text;
  for (const auto& c : s.setup) text += commandText(c.action) + "\n";
  for (const auto& c : s.timed) text += scenarioLine(c) + "\n";
  if (s.runUntil) text += "run " + numberText(*s.runUntil) + "\n";
  return text;
}

}  // namespace sim
