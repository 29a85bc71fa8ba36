#include "platform/platform.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace platform {

namespace {
std::size_t gLiveObjects = 0;
std::size_t gLiveElements = 0;
Platform* gPlatform = nullptr;

std::map<std::string, ClassRegistry::Factory>& classTable() {
  static std::map<std::string, ClassRegistry::Factory> table;
  return table;
}
}  // namespace

Object::Object() { ++gLiveObjects; }
Object::~Object() { --gLiveObjects; }
std::size_t Object::liveCount() { return gLiveObjects; }

UIElement::UIElement() { ++gLiveElements; }
UIElement::~UIElement() { --gLiveElements; }
std::size_t UIElement::liveCount() { return gLiveElements; }

std::string Number::description() const {
  if (!isFloat_) return std::to_string(integer_);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", real_);
  return buf;
}

std::string Array::description() const {
  std::string out = "(";
  for (std::size_t i = 0; i < items_.size(); ++i) {
    out += i ? ",\n    " : "\n    ";
    out += items_[i] ? items_[i]->description() : "<null>";
  }
  return out + (items_.empty() ? ")" : "\n)");
}

Ref<Array> stringArray(const std::vector<std::string>& items) {
  auto a = make<Array>();
  for (const auto& s : items) a->append(make<String>(s));
  return a;
}

bool arrayContainsString(const Array& a, const std::string& s) {
  for (std::size_t i = 0; i < a.count(); ++i) {
    auto* str = as<String>(a.at(i));
    if (str && str->str() == s) return true;
  }
  return false;
}

AXValue::AXValue(AXValueType type, const void* record) : type_(type) {
  switch (type) {
    case kAXValueCGPointType: std::memcpy(&point_, record, sizeof(Point)); break;
    case kAXValueCGSizeType: std::memcpy(&size_, record, sizeof(Size)); break;
    case kAXValueCGRectType: std::memcpy(&rect_, record, sizeof(Rect)); break;
    case kAXValueCFRangeType: std::memcpy(&range_, record, sizeof(Range)); break;
    default: break;
  }
}

Ref<AXValue> AXValue::create(AXValueType type, const void* record) {
  if (!record || type < kAXValueCGPointType || type > kAXValueCFRangeType) return nullptr;
  return Ref<AXValue>::adopt(new AXValue(type, record));
}

bool AXValue::getValue(AXValueType type, void* record) const {
  if (type != type_ || !record) return false;
  switch (type_) {
    case kAXValueCGPointType: std::memcpy(record, &point_, sizeof(Point)); return true;
    case kAXValueCGSizeType: std::memcpy(record, &size_, sizeof(Size)); return true;
    case kAXValueCGRectType: std::memcpy(record, &rect_, sizeof(Rect)); return true;
    case kAXValueCFRangeType: std::memcpy(record, &range_, sizeof(Range)); return true;
    default: return false;
  }
}

std::string AXValue::description() const {
  char buf[160];
  switch (type_) {
    case kAXValueCGPointType:
      std::snprintf(buf, sizeof buf, "<AXValue> {value = x:%f y:%f type = kAXValueCGPointType}",
                    point_.x, point_.y);
      break;
    case kAXValueCGSizeType:
      std::snprintf(buf, sizeof buf, "<AXValue> {value = w:%f h:%f type = kAXValueCGSizeType}",
                    size_.width, size_.height);
      break;
    case kAXValueCGRectType:
      std::snprintf(buf, sizeof buf,
                    "<AXValue> {value = x:%f y:%f w:%f h:%f type = kAXValueCGRectType}",
                    rect_.origin.x, rect_.origin.y, rect_.size.width, rect_.size.height);
      break;
    case kAXValueCFRangeType:
      std::snprintf(buf, sizeof buf,
                    "<AXValue> {value = location:%" PRId64 " length:%" PRId64
                    " type = kAXValueCFRangeType}",
                    range_.location, range_.length);
      break;
    default: std::snprintf(buf, sizeof buf, "<AXValue> {type = kAXValueIllegalType}"); break;
  }
  return buf;
}

std::string KeyboardEvent::description() const {
  return "<CGEvent keyboard " + std::to_string(keyCode_) + (keyDown_ ? " down>" : " up>");
}

void ClassRegistry::registerClass(const std::string& name, Factory factory) {
  classTable()[name] = std::move(factory);
}

std::shared_ptr<NibObject> ClassRegistry::instantiate(const std::string& name) {
  auto it = classTable().find(name);
  return it == classTable().end() ? nullptr : it->second();
}

// NSWindowController: the same on every desktop, since it reaches the window
// only through the bound platform's loadNib.
std::shared_ptr<Window> WindowController::window() {
  if (!loaded_) {
    loaded_ = true;
    window_ = current().appKit().loadNib(nibName_, owner_ ? owner_ : this).window;
    if (window_) windowDidLoad();
  }
  return window_;
}

void WindowController::showWindow(NibObject*) {
  if (auto w = window()) w->makeKeyAndOrderFront();
}

Platform& current() {
  if (!gPlatform) {
    std::fputs("platform: no platform is bound\n", stderr);
    std::abort();
  }
  return *gPlatform;
}

void bind(Platform* platform) { gPlatform = platform; }

}  // namespace platform
