#include "mac/mac_login_items.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "backend/foreign_value_limits.h"
#include "backend/login_item_observers.h"
#include "backend/login_item_path.h"
#include "backend/login_item_service.h"
#include "backend/login_item_status.h"
#include "backend/trace.h"
#include "mac/cf_values.h"
#include "mac/mac_trace.h"
#include "platform/bundle.h"
#include "platform/platform.h"

// After the platform headers: the SDK's AX attribute macros would rewrite
// the platform's constants of the same names.
#import <AppKit/AppKit.h>
#include <CoreServices/CoreServices.h>
#import <ServiceManagement/SMAppService.h>

#include "mac/ns_strings.h"

namespace mac {

namespace {

using ItemList = std::vector<std::shared_ptr<const platform::LoginItem>>;

CFStringRef runLoopModeName(platform::RunLoopMode mode) {
  return mode == platform::RunLoopMode::Common ? kCFRunLoopCommonModes : kCFRunLoopDefaultMode;
}

std::optional<std::string> urlString(CFURLRef url) {
  auto absolute = ScopedCF<CFURLRef>::adopt(CFURLCopyAbsoluteURL(url));
  if (!absolute) return std::nullopt;
  return stringFromCF(CFURLGetString(absolute.get()));
}

// --- macOS 11 and 12: the shared file list -------------------------------
//
// Deprecated since 10.11, yet the only list of session login items these
// systems have. The deprecation warning is silenced here and nowhere else.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"

LSSharedFileListRef lsCreateSessionLoginItems() {
  return LSSharedFileListCreate(nullptr, kLSSharedFileListSessionLoginItems, nullptr);
}
void lsAddObserver(LSSharedFileListRef list, CFStringRef mode,
                   LSSharedFileListChangedProcPtr callback, void* context) {
  LSSharedFileListAddObserver(list, CFRunLoopGetMain(), mode, callback, context);
}
void lsRemoveObserver(LSSharedFileListRef list, CFStringRef mode,
                      LSSharedFileListChangedProcPtr callback, void* context) {
  LSSharedFileListRemoveObserver(list, CFRunLoopGetMain(), mode, callback, context);
}
CFArrayRef lsCopySnapshot(LSSharedFileListRef list) {
  return LSSharedFileListCopySnapshot(list, nullptr);
}
CFURLRef lsCopyResolvedURL(LSSharedFileListItemRef item, unsigned flags) {
  return LSSharedFileListItemCopyResolvedURL(item, flags, nullptr);
}
LSSharedFileListItemRef lsInsertItemURL(LSSharedFileListRef list,
                                        platform::LoginItemPosition position, CFURLRef url) {
  LSSharedFileListItemRef after = position == platform::LoginItemPosition::BeforeFirst
                                      ? kLSSharedFileListItemBeforeFirst
                                      : kLSSharedFileListItemLast;
  return LSSharedFileListInsertItemURL(list, after, nullptr, nullptr, url, nullptr, nullptr);
}
OSStatus lsRemoveItem(LSSharedFileListRef list, LSSharedFileListItemRef item) {
  return LSSharedFileListItemRemove(list, item);
}

#pragma clang diagnostic pop

// The resolution flags of the platform are the system's own values.
static_assert(platform::kLSSharedFileListNoUserUIDuringResolution ==
              kLSSharedFileListNoUserInteraction);
static_assert(platform::kLSSharedFileListDoNotMountVolumes == kLSSharedFileListDoNotMountVolumes);

// Unicode's canonical composition (NFC), as Foundation does it.
std::string precomposed(const std::string& text) {
  return fromNS([toNS(text) precomposedStringWithCanonicalMapping]);
}

class SharedFileLoginItem final : public platform::LoginItem {
 public:
  explicit SharedFileLoginItem(LSSharedFileListItemRef owned)
      : item_(ScopedCF<LSSharedFileListItemRef>::adopt(owned)) {}
  std::optional<std::string> copyResolvedURL(unsigned flags) const override {
    auto url = ScopedCF<CFURLRef>::adopt(lsCopyResolvedURL(item_.get(), flags));
    return backend::asBundleURLWhenSameFile(url ? urlString(url.get()) : std::nullopt,
                                            platform::current().bundle().bundlePath(), precomposed);
  }
  LSSharedFileListItemRef handle() const { return item_.get(); }

 private:
  ScopedCF<LSSharedFileListItemRef> item_;
};

class SharedFileLoginItemList final : public platform::LoginItemList {
 public:
  explicit SharedFileLoginItemList(LSSharedFileListRef owned)
      : list_(ScopedCF<LSSharedFileListRef>::adopt(owned)) {}
  ~SharedFileLoginItemList() override {
    // No change may reach an observer once the list is gone.
    for (auto& o : observers_.all())
      lsRemoveObserver(list_.get(), runLoopModeName(o->mode), changed, o.get());
  }
  SharedFileLoginItemList(const SharedFileLoginItemList&) = delete;
  SharedFileLoginItemList& operator=(const SharedFileLoginItemList&) = delete;

  void addObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                   void* context) override {
    // The record is the context the system hands back.
    lsAddObserver(list_.get(), runLoopModeName(mode), changed,
                  observers_.add(this, mode, callback, context));
  }

  void removeObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                      void* context) override {
    for (auto& gone : observers_.remove(mode, callback, context))
      lsRemoveObserver(list_.get(), runLoopModeName(mode), changed, gone.get());
  }

  ItemList copySnapshot() override {
    ItemList items;
    auto snapshot = ScopedCF<CFArrayRef>::adopt(lsCopySnapshot(list_.get()));
    if (!snapshot) return items;
    const std::size_t count = backend::ForeignValueBudget().takeEntries(
        static_cast<std::size_t>(std::max<CFIndex>(0, CFArrayGetCount(snapshot.get()))));
    for (std::size_t i = 0; i < count; ++i) {
      auto item = static_cast<LSSharedFileListItemRef>(
          const_cast<void*>(CFArrayGetValueAtIndex(snapshot.get(), static_cast<CFIndex>(i))));
      CFRetain(item);
      items.push_back(std::make_shared<SharedFileLoginItem>(item));
    }
    return items;
  }

  std::shared_ptr<const platform::LoginItem> insertItemURL(platform::LoginItemPosition position,
                                                           const std::string& url) override {
    auto cfURL = ScopedCF<CFURLRef>::adopt(
        CFURLCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(url.data()),
                             static_cast<CFIndex>(url.size()), kCFStringEncodingUTF8, nullptr));
    if (!cfURL) return nullptr;
    LSSharedFileListItemRef inserted = lsInsertItemURL(list_.get(), position, cfURL.get());
    if (!inserted) return nullptr;
    tracer().loginItemsInsert(url, position == platform::LoginItemPosition::BeforeFirst);
    return std::make_shared<SharedFileLoginItem>(inserted);
  }

  bool removeItem(const platform::LoginItem& item) override {
    auto* ours = dynamic_cast<const SharedFileLoginItem*>(&item);
    if (!ours) return false;
    // Resolved before it goes, without asking the user or mounting anything.
    std::optional<std::string> url;
    if (tracer().on())
      url = ours->copyResolvedURL(platform::kLSSharedFileListNoUserUIDuringResolution |
                                  platform::kLSSharedFileListDoNotMountVolumes);
    if (lsRemoveItem(list_.get(), ours->handle()) != noErr) return false;
    tracer().loginItemsRemove(url.value_or(""));
    return true;
  }

 private:
  static void changed(LSSharedFileListRef, void* context) {
    static_cast<backend::LoginItemObserver*>(context)->deliver();
  }

  ScopedCF<LSSharedFileListRef> list_;
  backend::LoginItemObservers observers_;
};

// --- macOS 13 and later: the app's own registration ----------------------

class API_AVAILABLE(macos(13.0)) ServiceLoginItem final : public platform::LoginItem {
 public:
  explicit ServiceLoginItem(std::string url) : url_(std::move(url)) {}
  // The running bundle: on a mounted volume, and nothing to ask the user.
  std::optional<std::string> copyResolvedURL(unsigned) const override { return url_; }
  const std::string& url() const { return url_; }

 private:
  std::string url_;
};

class API_AVAILABLE(macos(13.0)) ServiceLoginItemList final : public platform::LoginItemList,
                                                              private backend::LoginItemService {
 public:
  ServiceLoginItemList() : watch_(status()) {}
  ~ServiceLoginItemList() override { stopWatching(); }
  ServiceLoginItemList(const ServiceLoginItemList&) = delete;
  ServiceLoginItemList& operator=(const ServiceLoginItemList&) = delete;

  void addObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                   void* context) override {
    observers_.add(this, mode, callback, context);
    if (observers_.size() == 1) startWatching();
  }

  void removeObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                      void* context) override {
    observers_.remove(mode, callback, context);
    if (observers_.size() == 0) stopWatching();
  }

  ItemList copySnapshot() override {
    ItemList items;
    for (auto& url : backend::listedItems(status(), bundleURL()))
      items.push_back(std::make_shared<ServiceLoginItem>(url));
    return items;
  }

  std::shared_ptr<const platform::LoginItem> insertItemURL(platform::LoginItemPosition position,
                                                           const std::string& url) override {
    // The service registers this app and no other, and keeps no order.
    if (url != bundleURL() ||
        !backend::listApp(*this, tracer(), url,
                          position == platform::LoginItemPosition::BeforeFirst))
      return nullptr;
    return std::make_shared<ServiceLoginItem>(url);
  }

  bool removeItem(const platform::LoginItem& item) override {
    auto* ours = dynamic_cast<const ServiceLoginItem*>(&item);
    return ours && backend::unlistApp(*this, tracer(), ours->url());
  }

 private:
  backend::ServiceStatus status() override {
    return backend::serviceStatusFromRaw(static_cast<long>(SMAppService.mainAppService.status));
  }
  bool registerApp(std::string* error) override {
    NSError* failure = nil;
    const bool registered = [SMAppService.mainAppService registerAndReturnError:&failure];
    *error = fromNS(failure.description);
    return registered;
  }
  bool unregisterApp(std::string* error) override {
    NSError* failure = nil;
    const bool unregistered = [SMAppService.mainAppService unregisterAndReturnError:&failure];
    *error = fromNS(failure.description);
    return unregistered;
  }
  void openSettings() override { [SMAppService openSystemSettingsLoginItems]; }
  void log(const std::string& line) override { NSLog(@"%@", toNS(line)); }

  // As the agent writes its own bundle's URL, so that the two compare equal.
  static std::string bundleURL() {
    return platform::fileURLWithPath(platform::current().bundle().bundlePath(), true);
  }

  void statusMayHaveChanged() override {
    if (!watch_.update(status())) return;
    // Delivered as the shared file list delivers: later, on the main run
    // loop, in the observer's mode (the default mode waits out menu
    // tracking).
    CFRunLoopRef main = CFRunLoopGetMain();
    observers_.announce([main](platform::RunLoopMode mode, std::function<void()> deliver) {
      CFRunLoopPerformBlock(main, runLoopModeName(mode), ^{
        deliver();
      });
    });
    CFRunLoopWakeUp(main);
  }

  // The status is looked at when the settings window's watch asks
  // (MacLoginItems::watchStatus) and when the app becomes active.
  void startWatching() {
    ServiceLoginItemList* list = this;
    statusCheck_ = [[NSNotificationCenter defaultCenter]
        addObserverForName:toNS(kLoginItemStatusCheckNotification)
                    object:nil
                     queue:[NSOperationQueue mainQueue]
                usingBlock:^(NSNotification*) {
                  list->statusMayHaveChanged();
                }];
    becameActive_ = [[NSNotificationCenter defaultCenter]
        addObserverForName:NSApplicationDidBecomeActiveNotification
                    object:nil
                     queue:[NSOperationQueue mainQueue]
                usingBlock:^(NSNotification*) {
                  list->statusMayHaveChanged();
                }];
  }

  void stopWatching() {
    // Both registrations are made together; neither may be removed as nil.
    if (!becameActive_) return;
    [[NSNotificationCenter defaultCenter] removeObserver:statusCheck_];
    [[NSNotificationCenter defaultCenter] removeObserver:becameActive_];
    statusCheck_ = nil;
    becameActive_ = nil;
  }

  backend::StatusWatch watch_;
  backend::LoginItemObservers observers_;
  id statusCheck_ = nil;
  id becameActive_ = nil;
};

}  // namespace

bool MacLoginItems::awaitsApproval() {
  if (@available(macOS 13, *))
    return backend::awaitsApproval(
        backend::serviceStatusFromRaw(static_cast<long>(SMAppService.mainAppService.status)));
  return false;
}

std::shared_ptr<platform::LoginItemList> MacLoginItems::createSessionLoginItems() {
  if (@available(macOS 13, *)) return std::make_shared<ServiceLoginItemList>();
  LSSharedFileListRef list = lsCreateSessionLoginItems();
  if (!list) return nullptr;
  return std::make_shared<SharedFileLoginItemList>(list);
}

}  // namespace mac
