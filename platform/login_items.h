// The user's login-items list (shared file list of session login items).
//
// Items are file URLs kept in order. A snapshot holds the items as they were
// when it was taken; an item outlives the list entry it came from, so an item
// removed meanwhile by another program simply no longer resolves to a change.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Resolution flags of LSSharedFileListItemCopyResolvedURL.
inline constexpr unsigned kLSSharedFileListNoUserUIDuringResolution = 1;
inline constexpr unsigned kLSSharedFileListDoNotMountVolumes = 2;

// Where LSSharedFileListInsertItemURL puts a new item.
enum class LoginItemPosition { BeforeFirst, Last };

// Run-loop modes a change observer can be scheduled in: the default mode
// only, or the common modes (which include menu tracking).
enum class RunLoopMode { Default, Common };

class LoginItem {
 public:
  virtual ~LoginItem() = default;
  // LSSharedFileListItemCopyResolvedURL: the item's file URL, or nothing when
  // it cannot be resolved with these flags (say, on a volume not mounted).
  virtual std::optional<std::string> copyResolvedURL(unsigned flags) const = 0;
};

class LoginItemList;
// The platform's change-callback shape: the list and the observer's context.
using LoginItemsChangedCallback = void (*)(LoginItemList* list, void* context);

// One open reference to the list (LSSharedFileListRef). Dropping the last
// reference closes it.
class LoginItemList {
 public:
  virtual ~LoginItemList() = default;
  // LSSharedFileListAddObserver on the main run loop: `callback` runs there,
  // in `mode`, after each change of the list, whoever made it.
  virtual void addObserver(RunLoopMode mode, LoginItemsChangedCallback callback, void* context) = 0;
  // LSSharedFileListRemoveObserver with the same values; a change announced
  // but not yet delivered to that observer is dropped with it.
  virtual void removeObserver(RunLoopMode mode, LoginItemsChangedCallback callback,
                              void* context) = 0;
  // LSSharedFileListCopySnapshot, in list order.
  virtual std::vector<std::shared_ptr<const LoginItem>> copySnapshot() = 0;
  // LSSharedFileListInsertItemURL with no name, icon or properties. An item
  // with the same URL is moved rather than duplicated. Null on failure.
  virtual std::shared_ptr<const LoginItem> insertItemURL(LoginItemPosition position,
                                                         const std::string& url) = 0;
  // LSSharedFileListItemRemove; false when the item is no longer in the list.
  virtual bool removeItem(const LoginItem& item) = 0;
};

class LoginItems {
 public:
  virtual ~LoginItems() = default;
  // LSSharedFileListCreate(kLSSharedFileListSessionLoginItems); null when
  // the list cannot be opened.
  virtual std::shared_ptr<LoginItemList> createSessionLoginItems() = 0;
  // The app's own login item is registered but waits for the user's
  // approval in System Settings (SMAppService status RequiresApproval);
  // until then it is not listed and does not launch.
  virtual bool awaitsApproval() { return false; }
  // From watchStatus to stopWatchingStatus the platform looks at the app's
  // own login-item status every few seconds and tells the lists' observers
  // of a change: the user may change it in System Settings, and the service
  // tells no one. The settings window, which shows it, watches it while it
  // is on screen. Watching again restarts the one watch.
  virtual void watchStatus() {}
  virtual void stopWatchingStatus() {}
};

}  // namespace platform
