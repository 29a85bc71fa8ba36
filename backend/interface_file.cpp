#include "backend/interface_file.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace backend {

std::string InterfaceFile::where(int line, const std::string& message) const {
  return path + ":" + std::to_string(line) + ": " + message;
}

std::string WindowInterface::where(int line, const std::string& message) const {
  return path + ":" + std::to_string(line) + ": " + message;
}

InterfaceFile parseInterfaceText(const std::string& path, const std::string& text) {
  InterfaceFile file;
  file.path = path;
  std::istringstream in(text);
  std::string content;
  int lineNo = 0;
  while (std::getline(in, content)) {
    ++lineNo;
    if (static_cast<std::size_t>(lineNo) > kMaxInterfaceLines)
      throw InterfaceError(
          file.where(lineNo, "more than " + std::to_string(kMaxInterfaceLines) + " lines"));
    if (content.size() > kMaxInterfaceLineLength)
      throw InterfaceError(file.where(
          lineNo, "line longer than " + std::to_string(kMaxInterfaceLineLength) + " bytes"));
    for (unsigned char c : content)
      if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7f)
        throw InterfaceError(file.where(lineNo, "control character in the line"));
    InterfaceLine line;
    line.line = lineNo;
    if (auto e = tokenize(content, &line.words)) throw InterfaceError(file.where(lineNo, *e));
    if (line.words.empty()) continue;
    if (line.words[0].quoted) throw InterfaceError(file.where(lineNo, "expected a declaration"));
    file.lines.push_back(std::move(line));
  }
  return file;
}

InterfaceFile loadInterfaceFile(const std::string& dir, const std::string& name) {
  std::string path = dir + "/" + name + ".ui";
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InterfaceError(path + ":0: cannot open the interface file");
  std::ostringstream text;
  text << in.rdbuf();
  return parseInterfaceText(path, text.str());
}

MainInterface readMainInterface(const InterfaceFile& file) {
  MainInterface main;
  int delegates = 0;
  for (const auto& line : file.lines) {
    if (line.word(0) != "object" || line.words.size() < 2 || line.words.size() > 3 ||
        line.words[1].quoted)
      throw InterfaceError(file.where(line.line, "expected: object CLASS [delegate]"));
    bool delegate = line.words.size() == 3;
    if (delegate && (line.word(2) != "delegate" || line.words[2].quoted))
      throw InterfaceError(file.where(line.line, "expected: object CLASS [delegate]"));
    if (delegate && ++delegates > 1)
      throw InterfaceError(file.where(line.line, "a second delegate"));
    main.objects.push_back({line.line, line.word(1), delegate});
  }
  if (!delegates) throw InterfaceError(file.path + ":0: no object is the delegate");
  return main;
}

namespace {

class WindowReader {
 public:
  explicit WindowReader(const InterfaceFile& file) : file_(file) {
    result_.path = file.path;
    auto slash = file.path.find_last_of('/');
    std::string base = slash == std::string::npos ? file.path : file.path.substr(slash + 1);
    result_.name = base.substr(0, base.rfind(".ui"));
  }

  WindowInterface read() {
    for (const auto& line : file_.lines) {
      line_ = &line;
      declare();
    }
    if (!result_.windowLine) throw InterfaceError(file_.path + ":0: no window is declared");
    return std::move(result_);
  }

 private:
  [[noreturn]] void fail(const std::string& message) const {
    throw InterfaceError(file_.where(line_->line, message));
  }
  const Token& word(std::size_t i, const char* what) const {
    if (i >= line_->words.size()) fail("expected " + std::string(what));
    return line_->words[i];
  }
  std::string bare(std::size_t i, const char* what) const {
    const Token& t = word(i, what);
    if (t.quoted) fail("expected " + std::string(what) + ", not a string");
    return t.text;
  }
  std::string string(std::size_t i, const char* what) const {
    const Token& t = word(i, what);
    if (!t.quoted) fail("expected " + std::string(what) + " in double quotes");
    return t.text;
  }
  double number(std::size_t i, const char* what) const {
    auto n = parseNumber(bare(i, what));
    if (!n) fail("expected " + std::string(what) + " as a number");
    return *n;
  }
  std::string objectID(const std::string& id) const {
    if (!objects_.count(id)) fail("no object " + id + " is declared above");
    return id;
  }
  BindingDecl binding(std::size_t i) {
    if (bare(i, "bind") != "bind") fail("expected bind");
    std::string target = bare(i + 1, "defaults or an object");
    return {target == "defaults" ? "" : objectID(target), bare(i + 2, "a key")};
  }
  std::string outlet(std::size_t i) {
    std::string name = bare(i, "an outlet name");
    if (!outlets_.insert(name).second) fail("outlet " + name + " is connected twice");
    return name;
  }
  void add(Declaration d) {
    if (!result_.windowLine) fail("controls come after the window");
    result_.items.push_back({line_->line, std::move(d)});
  }

  void declare() {
    const std::string kind = line_->word(0);
    const std::size_t n = line_->words.size();
    if (kind == "window") {
      if (result_.windowLine) fail("a second window");
      if (n != 5) fail("expected: window X Y W H");
      result_.frame = {{number(1, "X"), number(2, "Y")}, {number(3, "W"), number(4, "H")}};
      if (result_.frame.size.width <= 0 || result_.frame.size.height <= 0)
        fail("the window needs a positive size");
      result_.windowLine = line_->line;
    } else if (kind == "object") {
      if (n != 3) fail("expected: object CLASS ID");
      ObjectDecl d{bare(1, "a class"), bare(2, "an identifier")};
      if (d.id == "defaults" || d.id == "owner") fail(d.id + " cannot name an object");
      if (!result_.windowLine) fail("controls come after the window");
      if (!objects_.insert(d.id).second) fail("object " + d.id + " is declared twice");
      add(std::move(d));
    } else if (kind == "button") {
      ButtonDecl d{string(1, "a title"), "", "", ""};
      for (std::size_t i = 2; i < n; i += 2) {
        std::string option = bare(i, "an option");
        if (option == "action") {
          d.action = bare(i + 1, "a selector");
        } else if (option == "target") {
          std::string t = bare(i + 1, "owner or an object");
          d.target = t == "owner" ? "" : objectID(t);
        } else if (option == "outlet") {
          d.outlet = outlet(i + 1);
        } else {
          fail("unknown option " + option);
        }
      }
      add(std::move(d));
    } else if (kind == "checkbox") {
      CheckboxDecl d{string(1, "a title"), binding(2), ""};
      for (std::size_t i = 5; i < n; i += 2) {
        std::string option = bare(i, "an option");
        if (option != "outlet") fail("unknown option " + option);
        d.outlet = outlet(i + 1);
      }
      add(std::move(d));
    } else if (kind == "imageview") {
      ImageViewDecl d;
      for (std::size_t i = 1; i < n; i += 2) {
        std::string option = bare(i, "an option");
        if (option == "image")
          d.image = bare(i + 1, "an image name");
        else if (option == "outlet")
          d.outlet = outlet(i + 1);
        else
          fail("unknown option " + option);
      }
      add(std::move(d));
    } else if (kind == "text") {
      TextDecl d;
      for (std::size_t i = 1; i < n; i += 2) {
        std::string option = bare(i, "an option");
        if (option != "outlet") fail("unknown option " + option);
        d.outlet = outlet(i + 1);
      }
      add(std::move(d));
    } else if (kind == "popup") {
      PopupDecl d{string(1, "a title"), binding(2), {}};
      if (!d.binding.toDefaults()) fail("popup binds to the defaults only");
      if (bare(5, "items") != "items") fail("expected items");
      for (std::size_t i = 6; i < n; ++i) d.items.push_back(string(i, "an item title"));
      if (d.items.empty()) fail("a pop-up needs items");
      add(std::move(d));
    } else if (kind == "slider") {
      SliderDecl d{string(1, "a title"), binding(2), 0, 0};
      if (!d.binding.toDefaults()) fail("slider binds to the defaults only");
      if (n != 9 || bare(5, "min") != "min" || bare(7, "max") != "max")
        fail("expected: slider \"Title\" bind defaults KEY min N max N");
      d.minValue = number(6, "the minimum");
      d.maxValue = number(8, "the maximum");
      if (d.minValue > d.maxValue) fail("min is above max");
      add(std::move(d));
    } else {
      fail("unknown declaration " + kind);
    }
  }

  const InterfaceFile& file_;
  const InterfaceLine* line_ = nullptr;
  WindowInterface result_;
  std::set<std::string> objects_;
  std::set<std::string> outlets_;
};

}  // namespace

WindowInterface readWindowInterface(const InterfaceFile& file) { return WindowReader(file).read(); }

}  // namespace backend
