#include "sim/services/sim_accessibility.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <typeinfo>

namespace sim {

using platform::AXError;
using platform::Ref;
using Kind = SimElement::Kind;

namespace {

constexpr const char* kRole = "AXRole";
constexpr const char* kSubrole = "AXSubrole";
constexpr const char* kTitle = "AXTitle";
constexpr const char* kParent = "AXParent";
constexpr const char* kChildren = "AXChildren";
constexpr const char* kPosition = "AXPosition";
constexpr const char* kSize = "AXSize";
constexpr const char* kFrame = "AXFrame";
constexpr const char* kSelected = "AXSelected";
constexpr const char* kFocused = "AXFocused";
constexpr const char* kIdentifier = "AXIdentifier";
constexpr const char* kRunning = "AXIsApplicationRunning";
constexpr const char* kShownMenu = "AXShownMenuUIElement";

constexpr const char* kPress = "AXPress";
constexpr const char* kShowMenu = "AXShowMenu";
constexpr const char* kShowExpose = "AXShowExpose";

using Names = std::vector<const char*>;

Ref<platform::Object> str(const std::string& s) { return platform::make<platform::String>(s); }

// SimElement is final, so an exact type test does what dynamic_cast would,
// for less: this runs on every Accessibility call.
const SimElement* simElement(const platform::UIElement* e) {
  return e && typeid(*e) == typeid(SimElement) ? static_cast<const SimElement*>(e) : nullptr;
}

const char* actionDescription(const std::string& action) {
  if (action == kPress) return "press";
  if (action == kShowMenu) return "show menu";
  if (action == kShowExpose) return "show expose";
  return nullptr;
}

// A Dock item's names depend on whether it has a subrole and a title, is an
// application, and has its menu open: sixteen lists, built once.
const Names& dockItemNames(bool hasSubrole, bool hasTitle, bool application, bool menuOpen) {
  static const std::array<Names, 16> table = [] {
    std::array<Names, 16> lists;
    for (int variant = 0; variant < 16; ++variant) {
      Names& names = lists[variant];
      names.push_back(kRole);
      if (variant & 8) names.push_back(kSubrole);
      if (variant & 4) names.push_back(kTitle);
      names.insert(names.end(), {kParent, kChildren, kPosition, kSize, kFrame, kSelected});
      if (variant & 2) names.push_back(kRunning);
      if (variant & 1) names.push_back(kShownMenu);
    }
    return lists;
  }();
  return table[(hasSubrole ? 8 : 0) | (hasTitle ? 4 : 0) | (application ? 2 : 0) |
               (menuOpen ? 1 : 0)];
}

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::SystemWide: return "SystemWide";
    case Kind::Application: return "Application";
    case Kind::DockList: return "DockList";
    case Kind::DockItem: return "DockItem";
    case Kind::DockMenu: return "DockMenu";
    case Kind::DockShowing: return "DockShowing";
    case Kind::DockExtra: return "DockExtra";
    case Kind::Desktop: return "Desktop";
    case Kind::Window: return "Window";
  }
  return "?";
}

}  // namespace

std::string SimElement::description() const {
  // The platform prints the handle's address; a trace must not depend on
  // addresses, so the simulation names what the handle points at instead.
  char buf[96];
  bool indexed = kind == Kind::DockItem || kind == Kind::DockMenu || kind == Kind::DockExtra;
  if (indexed)
    std::snprintf(buf, sizeof buf, "<AXUIElement %s %zu> {pid=%d}", kindName(kind), index + 1,
                  static_cast<int>(pid));
  else if (kind == Kind::Window)
    std::snprintf(buf, sizeof buf, "<AXUIElement %s %llu> {pid=%d}", kindName(kind),
                  static_cast<unsigned long long>(generation), static_cast<int>(pid));
  else
    std::snprintf(buf, sizeof buf, "<AXUIElement %s> {pid=%d}", kindName(kind),
                  static_cast<int>(pid));
  return buf;
}

AXError SimAccessibility::admit(const platform::UIElement* e, const SimElement** out) {
  ++world_.axCalls;
  if (!world_.trusted || world_.staleTrust) return platform::kAXErrorAPIDisabled;
  if (!e) return platform::kAXErrorIllegalArgument;
  auto* element = simElement(e);
  if (!element || !isValid(*element)) return platform::kAXErrorInvalidUIElement;
  *out = element;
  return platform::kAXErrorSuccess;
}

bool SimAccessibility::isValid(const SimElement& e) const {
  const auto& dock = world_.dock;
  switch (e.kind) {
    case Kind::SystemWide: return true;
    case Kind::Application:
    case Kind::Desktop: return world_.process(e.pid) != nullptr;
    case Kind::DockItem: return e.generation == dock.generation && e.index < dock.items.size();
    case Kind::DockMenu: return e.generation == dock.generation && dock.menu == e.index;
    case Kind::DockShowing:
      return e.generation == dock.generation &&
             (e.identifier == "mc" ? dock.missionControl : dock.expose.has_value());
    case Kind::DockExtra: return e.generation == dock.generation;
    case Kind::DockList: return e.generation == dock.generation && dock.pid;
    case Kind::Window: {
      const AppWindow* w = world_.window(e.generation);
      return w && w->pid == e.pid;
    }
  }
  return false;
}

const Names& SimAccessibility::attributeNames(const SimElement& e) const {
  static const Names systemWide{kRole};
  static const Names application{kRole, kTitle, kChildren};
  static const Names list{kRole, kParent, kChildren};
  static const Names menu{kRole, kParent};
  static const Names identified{kRole, kIdentifier, kParent};
  static const Names desktop{kRole, kParent, kChildren, kPosition, kSize, kFrame, kFocused};
  static const Names window{kRole, kParent, kPosition, kSize};
  static const Names none;
  switch (e.kind) {
    case Kind::SystemWide: return systemWide;
    case Kind::Application: return application;
    case Kind::DockList: return list;
    case Kind::DockMenu: return menu;
    case Kind::DockShowing: return identified;
    case Kind::DockExtra:
      return world_.dock.extraChildren.at(e.index).kind != DockChild::NoIdentifier ? identified
                                                                                   : menu;
    case Kind::Desktop: return desktop;
    case Kind::Window: return window;
    case Kind::DockItem: {
      const auto& item = world_.dock.items[e.index];
      return dockItemNames(item.subrole.has_value(), item.title.has_value(), item.isApplication(),
                           world_.dock.menu == e.index);
    }
  }
  return none;
}

const Names& SimAccessibility::actionNames(const SimElement& e) const {
  static const Names application{kPress, kShowMenu, kShowExpose};
  static const Names item{kPress, kShowMenu};
  static const Names none;
  if (e.kind != Kind::DockItem) return none;
  const auto& dockItem = world_.dock.items[e.index];
  return dockItem.isApplication() && dockItem.offersShowExpose ? application : item;
}

bool SimAccessibility::lists(const SimElement& e, const std::string& attribute) const {
  for (const char* n : attributeNames(e))
    if (attribute == n) return true;
  return false;
}

Ref<platform::Object> SimAccessibility::constant(const char* text) {
  // Roles are read on every tick; one immutable string each is enough.
  auto& cached = constants_[text];
  if (!cached) cached = str(text);
  return cached;
}

Ref<platform::Array> SimAccessibility::cachedNames(const Names& names) {
  // Name lists never change: share one immutable array each.
  auto& cached = nameCache_[&names];
  if (!cached) {
    cached = platform::make<platform::Array>();
    for (const char* n : names) cached->append(str(n));
  }
  return cached;
}

Ref<platform::Array> SimAccessibility::children(const SimElement& e) {
  auto list = platform::make<platform::Array>();
  const auto& dock = world_.dock;
  auto add = [&](Kind kind, pid_t pid, std::size_t index, std::string id = "") {
    list->append(platform::make<SimElement>(kind, pid, dock.generation, index, std::move(id)));
  };
  if (e.kind == Kind::DockList) {
    for (std::size_t i = 0; i < dock.items.size(); ++i) add(Kind::DockItem, dock.pid, i);
  } else if (e.kind == Kind::Application && e.pid == dock.pid) {
    add(Kind::DockList, dock.pid, 0);
    if (dock.expose) add(Kind::DockShowing, dock.pid, 0, "appexpose");
    if (dock.missionControl) add(Kind::DockShowing, dock.pid, 0, "mc");
    for (std::size_t i = 0; i < dock.extraChildren.size(); ++i) add(Kind::DockExtra, dock.pid, i);
  } else if (e.kind == Kind::Application) {
    // Its windows, front to back; Finder's desktop behind them.
    const auto& windows = world_.windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
      if (it->pid == e.pid) list->append(platform::make<SimElement>(Kind::Window, e.pid, it->id));
    auto* finder = world_.processWithBundleID("com.apple.finder");
    if (finder && finder->pid == e.pid)
      list->append(platform::make<SimElement>(Kind::Desktop, e.pid, 0));
  }
  return list;
}

long SimAccessibility::childCount(const SimElement& e) const {
  // The same elements as children(), counted without making their handles.
  const auto& dock = world_.dock;
  if (e.kind == Kind::DockList) return static_cast<long>(dock.items.size());
  if (e.kind == Kind::Application && e.pid == dock.pid)
    return 1 + (dock.expose ? 1 : 0) + (dock.missionControl ? 1 : 0) +
           static_cast<long>(dock.extraChildren.size());
  if (e.kind == Kind::Application) {
    auto* finder = world_.processWithBundleID("com.apple.finder");
    auto windows = std::count_if(world_.windows().begin(), world_.windows().end(),
                                 [&](const AppWindow& w) { return w.pid == e.pid; });
    return static_cast<long>(windows) + (finder && finder->pid == e.pid ? 1 : 0);
  }
  return 0;
}

bool SimAccessibility::childrenUnreadable(const SimElement& e) const {
  return e.kind == Kind::Application && e.pid == world_.dock.pid && world_.dock.childrenUnreadable;
}

platform::Rect SimAccessibility::desktopCarbonFrame() const {
  // The desktop spans every screen: their bounding box, y down from the
  // first screen's top.
  if (world_.screens.empty()) return {};
  double top = world_.firstScreenTop();
  double minX = world_.screens.front().minX(), maxX = world_.screens.front().maxX();
  double minY = top - world_.screens.front().maxY(), maxY = top - world_.screens.front().minY();
  for (const auto& s : world_.screens) {
    minX = std::min(minX, s.minX());
    maxX = std::max(maxX, s.maxX());
    minY = std::min(minY, top - s.maxY());
    maxY = std::max(maxY, top - s.minY());
  }
  return {{minX, minY}, {maxX - minX, maxY - minY}};
}

Ref<platform::Object> SimAccessibility::attributeValue(const SimElement& e,
                                                       const std::string& name) {
  const auto& dock = world_.dock;
  auto parentOf = [&]() -> Ref<platform::Object> {
    switch (e.kind) {
      case Kind::DockList:
      case Kind::DockShowing:
      case Kind::DockExtra: return platform::make<SimElement>(Kind::Application, dock.pid, 0);
      case Kind::DockItem:
        return platform::make<SimElement>(Kind::DockList, dock.pid, e.generation);
      case Kind::DockMenu:
        return platform::make<SimElement>(Kind::DockItem, dock.pid, e.generation, e.index);
      case Kind::Desktop:
      case Kind::Window: return platform::make<SimElement>(Kind::Application, e.pid, 0);
      default: return nullptr;
    }
  };
  auto frameValue = [&](const platform::Rect& frame) -> Ref<platform::Object> {
    if (name == kPosition)
      return platform::AXValue::create(platform::kAXValueCGPointType, &frame.origin);
    if (name == kSize) return platform::AXValue::create(platform::kAXValueCGSizeType, &frame.size);
    return platform::AXValue::create(platform::kAXValueCGRectType, &frame);
  };
  if (!lists(e, name)) return nullptr;

  if (name == kParent) return parentOf();
  if (name == kChildren) return children(e);
  switch (e.kind) {
    case Kind::SystemWide: return constant("AXSystemWide");
    case Kind::Application:
      return name == kRole ? constant("AXApplication") : str(world_.process(e.pid)->name);
    case Kind::DockList: return constant("AXList");
    case Kind::DockMenu: return constant("AXMenu");
    case Kind::Desktop:
      if (name == kRole) return constant("AXGroup");
      if (name == kFocused) return platform::make<platform::Boolean>(desktopFocused_);
      return frameValue(desktopCarbonFrame());
    case Kind::DockShowing: return name == kRole ? constant("AXGroup") : str(e.identifier);
    case Kind::Window:
      if (name == kRole) return constant("AXWindow");
      return frameValue(world_.carbonFrame(*world_.window(e.generation)));
    case Kind::DockExtra: {
      if (name == kRole) return constant("AXGroup");
      const auto& child = dock.extraChildren[e.index];
      if (child.kind == DockChild::NumberIdentifier)
        return platform::make<platform::Number>(static_cast<std::int64_t>(child.number));
      return str(child.identifier);
    }
    case Kind::DockItem: {
      const auto& item = dock.items[e.index];
      if (name == kRole) return constant("AXDockItem");
      if (name == kSubrole) return str(*item.subrole);
      if (name == kTitle) return str(*item.title);
      if (name == kRunning) return platform::make<platform::Boolean>(world_.isRunning(item));
      if (name == kSelected) return platform::make<platform::Boolean>(false);
      if (name == kShownMenu)
        return platform::make<SimElement>(Kind::DockMenu, dock.pid, e.generation, e.index);
      return frameValue(world_.itemCarbonFrame(e.index));
    }
  }
  return nullptr;
}

Ref<platform::UIElement> SimAccessibility::createSystemWide() {
  world_.trace.axSystemwide();
  return platform::make<SimElement>(Kind::SystemWide, 0, 0);
}

Ref<platform::UIElement> SimAccessibility::createApplication(pid_t pid) {
  if (pid <= 0) return nullptr;
  return platform::make<SimElement>(Kind::Application, pid, 0);
}

Ref<platform::UIElement> SimAccessibility::elementAt(platform::Point carbon) {
  const auto& dock = world_.dock;
  if (auto item = world_.itemAtCarbon(carbon))
    return platform::make<SimElement>(Kind::DockItem, dock.pid, dock.generation, *item);
  // Windows lie below the Dock and above the desktop.
  if (const AppWindow* w =
          world_.onAnyScreenCarbon(carbon) ? world_.windowAtCarbon(carbon) : nullptr)
    return platform::make<SimElement>(Kind::Window, w->pid, w->id);
  auto* finder = world_.processWithBundleID("com.apple.finder");
  if (finder && world_.onAnyScreenCarbon(carbon))
    return platform::make<SimElement>(Kind::Desktop, finder->pid, 0);
  return nullptr;
}

AXError SimAccessibility::copyElementAtPosition(const platform::UIElement* root, float x, float y,
                                                Ref<platform::UIElement>* element) {
  const SimElement* r = nullptr;
  if (AXError err = admit(root, &r)) return err;
  // The system-wide element asks whoever owns the point.
  pid_t addressee = r->kind == Kind::SystemWide ? ownerAt({x, y}) : r->pid;
  if (AXError err = awaitAnswer(addressee, timeoutFor(*r))) return err;
  auto found = elementAt({x, y});
  if (!found) return platform::kAXErrorNoValue;
  *element = std::move(found);
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::copyAttributeNames(const platform::UIElement* e,
                                             Ref<platform::Array>* names) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  *names = cachedNames(attributeNames(*el));
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::copyAttributeValue(const platform::UIElement* e,
                                             const std::string& attribute,
                                             Ref<platform::Object>* value) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  if (attribute == kChildren && childrenUnreadable(*el)) return platform::kAXErrorCannotComplete;
  auto v = attributeValue(*el, attribute);
  if (!v) return platform::kAXErrorAttributeUnsupported;
  *value = std::move(v);
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::getAttributeValueCount(const platform::UIElement* e,
                                                 const std::string& attribute, long* count) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  if (!lists(*el, attribute)) return platform::kAXErrorAttributeUnsupported;
  if (attribute == kChildren) {
    if (childrenUnreadable(*el)) return platform::kAXErrorCannotComplete;
    *count = childCount(*el);
    return platform::kAXErrorSuccess;
  }
  auto v = attributeValue(*el, attribute);
  auto* array = platform::as<platform::Array>(v.get());
  if (!array) return platform::kAXErrorIllegalArgument;
  *count = static_cast<long>(array->count());
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::isAttributeSettable(const platform::UIElement* e,
                                              const std::string& attribute, bool* settable) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  if (!lists(*el, attribute)) return platform::kAXErrorAttributeUnsupported;
  *settable = el->kind == Kind::Desktop && attribute == kFocused;
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::setAttributeValue(const platform::UIElement* e,
                                            const std::string& attribute,
                                            const platform::Object& value) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  if (el->kind != Kind::Desktop || attribute != kFocused)
    return platform::kAXErrorAttributeUnsupported;
  if (auto* flag = platform::as<platform::Boolean>(&value)) {
    desktopFocused_ = flag->value();
  } else if (auto* number = platform::as<platform::Number>(&value)) {
    desktopFocused_ = number->doubleValue() != 0;
  } else {
    return platform::kAXErrorIllegalArgument;
  }
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::copyActionNames(const platform::UIElement* e,
                                          Ref<platform::Array>* names) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  *names = cachedNames(actionNames(*el));
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::copyActionDescription(const platform::UIElement* e,
                                                const std::string& action,
                                                Ref<platform::String>* description) {
  const SimElement* el = nullptr;
  if (AXError err = reach(e, &el)) return err;
  const auto& actions = actionNames(*el);
  if (std::find(actions.begin(), actions.end(), action) == actions.end())
    return platform::kAXErrorActionUnsupported;
  *description = platform::make<platform::String>(actionDescription(action));
  return platform::kAXErrorSuccess;
}

namespace {

// What the Dock does for an action on item `index`, when the item (of that
// Dock) is still there and offers the action.
void performOnDockItem(World& world, std::uint64_t generation, std::size_t index,
                       const std::string& action) {
  if (generation != world.dock.generation || index >= world.dock.items.size()) return;
  const auto& item = world.dock.items[index];
  if (action == kShowExpose) {
    if (item.isApplication() && item.offersShowExpose && world.isRunning(item))
      world.showExpose(index);
  } else if (action == kPress) {
    world.press(index);
  } else if (action == kShowMenu) {
    world.openMenu(index);
  }
}

}  // namespace

AXError SimAccessibility::performAction(const platform::UIElement* e, const std::string& action) {
  const SimElement* el = nullptr;
  std::optional<Nanos> lateAnswer;
  AXError err = admit(e, &el);
  if (!err) err = awaitAnswer(el->pid, timeoutFor(*el), &lateAnswer);
  if (!err && !isValid(*el)) err = platform::kAXErrorInvalidUIElement;
  if (!err) {
    bool listed = false;
    for (const char* n : actionNames(*el)) listed = listed || action == n;
    if (!listed) err = platform::kAXErrorActionUnsupported;
  }
  world_.trace.axAction(action, traceLabel(e), err);
  // A slow Dock does what it was asked when it gets to it, though the
  // caller stopped waiting.
  if (err == platform::kAXErrorCannotComplete && lateAnswer && el->kind == Kind::DockItem) {
    World& world = world_;
    ctx_.queue.schedule(*lateAnswer, RunQueue::kWork, 0,
                        [&world, generation = el->generation, index = el->index, action] {
                          performOnDockItem(world, generation, index, action);
                        });
  }
  if (err) return err;
  performOnDockItem(world_, el->generation, el->index, action);
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::getPid(const platform::UIElement* e, pid_t* pid) {
  const SimElement* el = nullptr;
  if (AXError err = admit(e, &el)) return err;
  if (el->kind == Kind::SystemWide) return platform::kAXErrorIllegalArgument;
  *pid = el->pid;
  return platform::kAXErrorSuccess;
}

bool SimAccessibility::isEqual(const platform::UIElement* a, const platform::UIElement* b) {
  auto* x = simElement(a);
  auto* y = simElement(b);
  if (!x || !y) return a == b;
  return x->kind == y->kind && x->pid == y->pid && x->generation == y->generation &&
         x->index == y->index && x->identifier == y->identifier;
}

bool SimAccessibility::isProcessTrusted() { return world_.trusted; }

bool SimAccessibility::isProcessTrustedWithOptions(bool prompt) {
  // The system prompts only for a client its list does not show.
  if (prompt && !world_.trusted && !world_.listedForEarlierBuild) world_.trace.axPrompt();
  return world_.trusted;
}

std::string SimAccessibility::traceLabel(const platform::UIElement* e) {
  auto* el = simElement(e);
  if (!el || !isValid(*el)) return "none";
  auto titleValue = attributeValue(*el, kTitle);
  if (auto* title = platform::as<platform::String>(titleValue.get())) return quoted(title->str());
  auto role = attributeValue(*el, kRole);
  auto* r = platform::as<platform::String>(role.get());
  return r ? "<" + r->str() + ">" : "none";
}

}  // namespace sim
