#include "mac/mac_appkit.h"

#import <AppKit/AppKit.h>

#include <iostream>

#include "backend/interface_builder.h"
#include "backend/responder_chain.h"
#include "mac/mac_application.h"
#include "mac/mac_controls.h"
#include "mac/mac_status_icon.h"
#include "mac/mac_trace.h"
#include "mac/ns_strings.h"

// The target of one menu entry. NSMenuItem holds its target weakly, so the
// status item keeps these for as long as its menu is attached.
@interface VSMenuItemTrampoline : NSObject
- (instancetype)initWithItem:(std::shared_ptr<platform::MenuItem>)item;
- (void)performMenuAction:(id)sender;
@end

@implementation VSMenuItemTrampoline {
  std::shared_ptr<platform::MenuItem> _item;
}

- (instancetype)initWithItem:(std::shared_ptr<platform::MenuItem>)item {
  if ((self = [super init])) _item = std::move(item);
  return self;
}

- (void)performMenuAction:(id)sender {
  (void)sender;
  // The target is read when the entry is chosen, as NSMenuItem's would be.
  mac::MacApplication& app = mac::currentApplication();
  bool handled = backend::sendMenuItemAction(*_item, app, app.delegate());
  // What AppKit does with an action nobody takes.
  if (!handled) NSBeep();
}

@end

namespace mac {

// ---- images

struct MacImage::Native {
  NSImage* image;
};

MacImage::MacImage(std::string name, NSImage* image)
    : name_(std::move(name)), native_(std::make_unique<Native>(Native{image})) {}
MacImage::~MacImage() = default;
NSImage* MacImage::nsImage() const { return native_->image; }
// `template` is a C++ keyword: the property is reached by its accessors.
void MacImage::setTemplate(bool isTemplate) { [native_->image setTemplate:isTemplate]; }
bool MacImage::isTemplate() const { return [native_->image isTemplate]; }

namespace {

NSImage* systemOrBundleImage(const std::string& name) {
  // The platform's names are the values of AppKit's constants.
  if (name == platform::kImageNameStatusAvailable)
    return [NSImage imageNamed:NSImageNameStatusAvailable];
  if (name == platform::kImageNameStatusUnavailable)
    return [NSImage imageNamed:NSImageNameStatusUnavailable];
  return [NSImage imageNamed:toNS(name)];
}

// ---- the status item

class MacStatusItem final : public platform::StatusItem {
 public:
  explicit MacStatusItem(NSStatusItem* item) : item_(item) {}
  ~MacStatusItem() override { [[NSStatusBar systemStatusBar] removeStatusItem:item_]; }
  MacStatusItem(const MacStatusItem&) = delete;
  MacStatusItem& operator=(const MacStatusItem&) = delete;

  double length() const override { return item_.length; }
  void setImage(std::shared_ptr<platform::Image> image) override {
    image_ = std::move(image);
    auto* mac = dynamic_cast<MacImage*>(image_.get());
    item_.button.image = mac ? mac->nsImage() : nil;
  }
  std::shared_ptr<platform::Image> image() const override { return image_; }
  void setHighlightMode(bool highlight) override;
  bool highlightMode() const override { return highlight_; }
  void setMenu(std::shared_ptr<platform::Menu> menu) override;
  std::shared_ptr<platform::Menu> menu() const override { return menu_; }

 private:
  NSStatusItem* item_;
  std::shared_ptr<platform::Image> image_;
  bool highlight_ = false;
  std::shared_ptr<platform::Menu> menu_;
  NSMutableArray<VSMenuItemTrampoline*>* trampolines_ = [NSMutableArray array];
};

void MacStatusItem::setHighlightMode(bool highlight) {
  highlight_ = highlight;
  // Deprecated since 10.14 without a like-for-like successor: the button
  // highlights itself while its menu is open, and the old property, which
  // forwards to the button's cell, still sets whether a click highlights.
  // It is called only while the item answers to it.
  if (![item_ respondsToSelector:@selector(setHighlightMode:)]) return;
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
  item_.highlightMode = highlight;
#pragma clang diagnostic pop
}

void MacStatusItem::setMenu(std::shared_ptr<platform::Menu> menu) {
  menu_ = std::move(menu);
  [trampolines_ removeAllObjects];
  if (!menu_) {
    item_.menu = nil;
    return;
  }
  // Built once from the entries as they are now, in order.
  NSMenu* nsMenu = [[NSMenu alloc] initWithTitle:toNS(menu_->title())];
  for (const auto& item : menu_->items()) {
    if (item->isSeparatorItem()) {
      [nsMenu addItem:[NSMenuItem separatorItem]];
      continue;
    }
    VSMenuItemTrampoline* trampoline = [[VSMenuItemTrampoline alloc] initWithItem:item];
    [trampolines_ addObject:trampoline];
    NSMenuItem* entry = [[NSMenuItem alloc] initWithTitle:toNS(item->title())
                                                   action:@selector(performMenuAction:)
                                            keyEquivalent:toNS(item->keyEquivalent())];
    entry.target = trampoline;
    [nsMenu addItem:entry];
  }
  item_.menu = nsMenu;
  tracer().statusItemMenu(*menu_);
}

}  // namespace

// ---- AppKit

MacAppKit::MacAppKit() = default;
MacAppKit::~MacAppKit() = default;

std::shared_ptr<platform::Image> MacAppKit::imageNamed(const std::string& name) {
  return images_.imageNamed(name, resourceDirectory(), *this);
}

std::shared_ptr<platform::Image> MacAppKit::fromBitmap(const std::string& name,
                                                       const std::string& path,
                                                       const std::string& path2x) {
  return imageFromPBM(name, path, path2x);
}

std::shared_ptr<platform::Image> MacAppKit::named(const std::string& name) {
  NSImage* image = systemOrBundleImage(name);
  return image ? std::make_shared<MacImage>(name, image) : nullptr;
}

std::shared_ptr<platform::StatusItem> MacAppKit::statusItemWithLength(double length) {
  NSStatusItem* item = [[NSStatusBar systemStatusBar] statusItemWithLength:length];
  // An image alone says nothing to VoiceOver.
  item.button.accessibilityLabel = @"Vistrel";
  tracer().statusItemCreate();
  return std::make_shared<MacStatusItem>(item);
}

platform::NibContents MacAppKit::loadNib(const std::string& name, platform::NibObject* owner) {
  try {
    auto file = backend::readWindowInterface(backend::loadInterfaceFile(resourceDirectory(), name));
    return {buildWindow(file, owner)};
  } catch (const backend::InterfaceError& e) {
    reportResourceFault(e.what());
    return {};
  }
}

std::string resourceDirectory() { return fromNS([[NSBundle mainBundle] resourcePath]); }

void reportResourceFault(const std::string& message) {
  NSLog(@"%@", toNS(message));
  std::cerr << message << "\n";
}

}  // namespace mac
