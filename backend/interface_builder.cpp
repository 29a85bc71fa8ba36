#include "backend/interface_builder.h"

#include <map>
#include <vector>

#include "platform/platform.h"

namespace backend {

namespace {

// Visits each declaration with what it refers to already resolved.
class Builder {
 public:
  Builder(const WindowInterface& file, platform::NibObject* owner, ControlFactory& factory)
      : file_(file), owner_(owner), factory_(factory) {}

  void build() {
    factory_.makeWindow(file_);
    for (const auto& item : file_.items) {
      line_ = item.line;
      std::visit([this](const auto& d) { make(d); }, item.declaration);
    }
    // Outlets last, as a loaded file connects them once all its objects exist.
    for (const auto& [name, outlet] : outlets_)
      if (!owner_ || !owner_->connectOutlet(name, outlet.object))
        throw InterfaceError(file_.where(outlet.line, "the owner has no outlet " + name));
  }

 private:
  [[noreturn]] void fail(const std::string& message) const {
    throw InterfaceError(file_.where(line_, message));
  }
  platform::NibObject* object(const std::string& id) const {
    if (id.empty()) return nullptr;
    auto it = objects_.find(id);
    if (it == objects_.end()) fail("no object " + id + " is declared above");
    return it->second;
  }
  void connect(const std::string& outlet, std::shared_ptr<platform::NibObject> object) {
    if (!outlet.empty()) outlets_[outlet] = {line_, std::move(object)};
  }

  void make(const ObjectDecl& d) {
    auto instance = platform::ClassRegistry::instantiate(d.className);
    if (!instance) fail("unknown class " + d.className);
    objects_[d.id] = instance.get();
    factory_.keep(std::move(instance));
  }
  void make(const ButtonDecl& d) {
    platform::NibObject* target = d.target.empty() ? owner_ : object(d.target);
    connect(d.outlet, factory_.makeButton(d, target));
  }
  void make(const CheckboxDecl& d) {
    connect(d.outlet, factory_.makeCheckbox(d, object(d.binding.object)));
  }
  void make(const ImageViewDecl& d) {
    std::shared_ptr<platform::Image> image;
    if (!d.image.empty()) {
      image = platform::current().appKit().imageNamed(d.image);
      if (!image) fail("no image named " + d.image);
    }
    connect(d.outlet, factory_.makeImageView(d, std::move(image)));
  }
  void make(const PopupDecl& d) { factory_.makePopup(d); }
  void make(const SliderDecl& d) { factory_.makeSlider(d); }
  void make(const TextDecl& d) { connect(d.outlet, factory_.makeText(d)); }

  struct Outlet {
    int line;
    std::shared_ptr<platform::NibObject> object;
  };
  const WindowInterface& file_;
  platform::NibObject* owner_;
  ControlFactory& factory_;
  int line_ = 0;
  std::map<std::string, platform::NibObject*> objects_;
  std::map<std::string, Outlet> outlets_;
};

}  // namespace

void buildInterface(const WindowInterface& file, platform::NibObject* owner,
                    ControlFactory& factory) {
  Builder(file, owner, factory).build();
}

MainObjects instantiateMainInterface(const InterfaceFile& file) {
  MainObjects main;
  for (const auto& o : readMainInterface(file).objects) {
    auto object = platform::ClassRegistry::instantiate(o.className);
    if (!object) throw InterfaceError(file.where(o.line, "unknown class " + o.className));
    if (o.isDelegate) {
      main.delegate = dynamic_cast<platform::ApplicationDelegate*>(object.get());
      if (!main.delegate)
        throw InterfaceError(file.where(o.line, o.className + " cannot be the delegate"));
    }
    main.objects.push_back(std::move(object));
  }
  return main;
}

}  // namespace backend
