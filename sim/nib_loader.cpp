#include "sim/nib_loader.h"

#include <map>

#include "platform/platform.h"
#include "sim/tokens.h"

namespace sim {

namespace {

class NibReader {
 public:
  NibReader(SessionContext& ctx, const InterfaceFile& file, platform::NibObject* owner,
            std::uint64_t& frontCounter)
      : ctx_(ctx), file_(file), owner_(owner), frontCounter_(frontCounter) {}

  std::shared_ptr<SimWindow> read() {
    try {
      for (const auto& line : file_.lines) {
        line_ = &line;
        declare(line);
      }
    } catch (const InterfaceError&) {
      // Whatever was bound goes with the half-built window.
      if (window_) window_->setObservedObjects(observed_, &platform::current().keyValueObserving());
      throw;
    }
    if (!window_) throw InterfaceError(file_.path + ":0: no window is declared");
    window_->setObservedObjects(observed_, &platform::current().keyValueObserving());
    for (auto& [name, object] : outlets_)
      if (!owner_ || !owner_->connectOutlet(name, object))
        throw InterfaceError(file_.where(*outletLines_[name], "the owner has no outlet " + name));
    return window_;
  }

 private:
  [[noreturn]] void fail(const std::string& message) const {
    throw InterfaceError(file_.where(*line_, message));
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
  SimWindow& window() const {
    if (!window_) fail("controls come after the window");
    return *window_;
  }
  platform::NibObject* object(const std::string& id) const {
    auto it = objects_.find(id);
    if (it == objects_.end()) fail("no object " + id + " is declared above");
    return it->second;
  }
  Binding binding(std::size_t i) {
    if (bare(i, "bind") != "bind") fail("expected bind");
    std::string target = bare(i + 1, "defaults or an object");
    Binding b{target == "defaults" ? nullptr : object(target), bare(i + 2, "a key")};
    if (b.object) observed_.push_back(b.object);
    return b;
  }
  void outlet(const std::string& name, std::shared_ptr<platform::NibObject> object) {
    if (outlets_.count(name)) fail("outlet " + name + " is connected twice");
    outlets_[name] = std::move(object);
    outletLines_[name] = line_;
  }

  void declare(const InterfaceLine& line) {
    const std::string kind = line.word(0);
    if (kind == "window") {
      if (window_) fail("a second window");
      if (line.words.size() != 5) fail("expected: window X Y W H");
      platform::Rect frame{{number(1, "X"), number(2, "Y")}, {number(3, "W"), number(4, "H")}};
      if (frame.size.width <= 0 || frame.size.height <= 0) fail("the window needs a positive size");
      window_ = std::make_shared<SimWindow>(ctx_, stem(), frame, frontCounter_);
    } else if (kind == "object") {
      if (line.words.size() != 3) fail("expected: object CLASS ID");
      std::string cls = bare(1, "a class"), id = bare(2, "an identifier");
      if (objects_.count(id)) fail("object " + id + " is declared twice");
      auto instance = platform::ClassRegistry::instantiate(cls);
      if (!instance) fail("unknown class " + cls);
      objects_[id] = instance.get();
      window().keep(std::move(instance));
    } else if (kind == "button" || kind == "checkbox") {
      bool checkbox = kind == "checkbox";
      auto button = std::make_shared<SimButton>(
          ctx_, checkbox ? SimButton::Checkbox : SimButton::Push, string(1, "a title"));
      std::size_t i = 2;
      if (checkbox) {
        button->bind(binding(2));
        i = 5;
      }
      std::string action;
      platform::NibObject* target = owner_;
      while (i < line.words.size()) {
        std::string option = bare(i, "an option");
        if (option == "action" && !checkbox) {
          action = bare(i + 1, "a selector");
        } else if (option == "target" && !checkbox) {
          std::string t = bare(i + 1, "owner or an object");
          target = t == "owner" ? owner_ : object(t);
        } else if (option == "outlet") {
          outlet(bare(i + 1, "an outlet name"), button);
        } else {
          fail("unknown option " + option);
        }
        i += 2;
      }
      button->setAction(action, target);
      window().addButton(std::move(button));
    } else if (kind == "imageview") {
      auto view = std::make_shared<SimImageView>(ctx_);
      for (std::size_t i = 1; i < line.words.size(); i += 2) {
        std::string option = bare(i, "an option");
        if (option == "image") {
          std::string name = bare(i + 1, "an image name");
          auto image = platform::current().appKit().imageNamed(name);
          if (!image) fail("no image named " + name);
          view->setInitialImage(image);
        } else if (option == "outlet") {
          outlet(bare(i + 1, "an outlet name"), view);
        } else {
          fail("unknown option " + option);
        }
      }
      window().keep(std::move(view));
    } else if (kind == "popup" || kind == "slider") {
      auto control = std::make_shared<SimValueControl>(kind, string(1, "a title"), binding(2));
      if (control->binding().object) fail(kind + " binds to the defaults only");
      if (kind == "popup") {
        if (bare(5, "items") != "items") fail("expected items");
        for (std::size_t i = 6; i < line.words.size(); ++i)
          control->items.push_back(string(i, "an item title"));
        if (control->items.empty()) fail("a pop-up needs items");
      } else {
        if (line.words.size() != 9 || bare(5, "min") != "min" || bare(7, "max") != "max")
          fail("expected: slider \"Title\" bind defaults KEY min N max N");
        control->minValue = number(6, "the minimum");
        control->maxValue = number(8, "the maximum");
        if (control->minValue > control->maxValue) fail("min is above max");
      }
      window().keep(std::move(control));
    } else {
      fail("unknown declaration " + kind);
    }
  }

  // The window is named after its interface file.
  std::string stem() const {
    auto slash = file_.path.find_last_of('/');
    std::string name = slash == std::string::npos ? file_.path : file_.path.substr(slash + 1);
    return name.substr(0, name.rfind(".ui"));
  }

  SessionContext& ctx_;
  const InterfaceFile& file_;
  platform::NibObject* owner_;
  std::uint64_t& frontCounter_;
  const InterfaceLine* line_ = nullptr;
  std::shared_ptr<SimWindow> window_;
  std::map<std::string, platform::NibObject*> objects_;
  std::map<std::string, std::shared_ptr<platform::NibObject>> outlets_;
  std::map<std::string, const InterfaceLine*> outletLines_;
  std::vector<platform::NibObject*> observed_;
};

}  // namespace

std::shared_ptr<SimWindow> loadWindowNib(SessionContext& ctx, const InterfaceFile& file,
                                         platform::NibObject* owner, std::uint64_t& frontCounter) {
  return NibReader(ctx, file, owner, frontCounter).read();
}

}  // namespace sim
