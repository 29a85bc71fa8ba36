// The observers of a login-item list, kept alike by every list of both
// desktops. The platform names an observer by its run-loop mode, callback
// and context together: removing one removes every registration made with
// all three the same, and drops what was announced to it but not yet
// delivered. Announcements are delivered later, on the main run loop in the
// observer's mode, so an observer may come or go between the announcement
// and the delivery.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/login_items.h"

namespace backend {

template <class Observer>
bool registeredAs(const Observer& o, platform::RunLoopMode mode,
                  platform::LoginItemsChangedCallback callback, void* context) {
  return o.mode == mode && o.callback == callback && o.context == context;
}

template <class Observer>
Observer& recordOf(Observer& o) {
  return o;
}
template <class Observer>
Observer& recordOf(std::unique_ptr<Observer>& o) {
  return *o;
}

// Takes every observer registered as (mode, callback, context) out of
// `observers`, in order, clearing its `live` flag so that nothing announced
// reaches it any more.
template <class Entry>
std::vector<Entry> removeObservers(std::vector<Entry>& observers, platform::RunLoopMode mode,
                                   platform::LoginItemsChangedCallback callback, void* context) {
  std::vector<Entry> removed, kept;
  for (Entry& e : observers)
    (registeredAs(recordOf(e), mode, callback, context) ? removed : kept).push_back(std::move(e));
  observers = std::move(kept);
  for (Entry& e : removed) *recordOf(e).live = false;
  return removed;
}

struct LoginItemObserver {
  platform::LoginItemList* list;
  platform::RunLoopMode mode;
  platform::LoginItemsChangedCallback callback;
  void* context;
  std::shared_ptr<bool> live = std::make_shared<bool>(true);

  // Calls the observer now, unless it has gone.
  void deliver() const;
  // What delivers one announcement later: it holds what it needs itself,
  // since the record may be gone by then.
  std::function<void()> delivery() const;
};

class LoginItemObservers {
 public:
  using Schedule = std::function<void(platform::RunLoopMode, std::function<void()>)>;

  LoginItemObservers() = default;
  // Nothing announced reaches an observer once its list is gone.
  ~LoginItemObservers();
  LoginItemObservers(const LoginItemObservers&) = delete;
  LoginItemObservers& operator=(const LoginItemObservers&) = delete;

  // The record stays at its address until removed: a platform may take it
  // as the context it hands back.
  LoginItemObserver* add(platform::LoginItemList* list, platform::RunLoopMode mode,
                         platform::LoginItemsChangedCallback callback, void* context);
  std::vector<std::unique_ptr<LoginItemObserver>> remove(
      platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback, void* context);
  // Hands each observer's delivery to `schedule` with its mode, in the
  // order they were added.
  void announce(const Schedule& schedule) const;
  const std::vector<std::unique_ptr<LoginItemObserver>>& all() const { return observers_; }
  std::size_t size() const { return observers_.size(); }

 private:
  std::vector<std::unique_ptr<LoginItemObserver>> observers_;
};

}  // namespace backend
