#include "backend/login_item_observers.h"

namespace backend {

void LoginItemObserver::deliver() const {
  if (*live) callback(list, context);
}

std::function<void()> LoginItemObserver::delivery() const {
  return [copy = *this] { copy.deliver(); };
}

LoginItemObservers::~LoginItemObservers() {
  for (auto& o : observers_) *o->live = false;
}

LoginItemObserver* LoginItemObservers::add(platform::LoginItemList* list,
                                           platform::RunLoopMode mode,
                                           platform::LoginItemsChangedCallback callback,
                                           void* context) {
  observers_.push_back(std::make_unique<LoginItemObserver>(
      LoginItemObserver{list, mode, callback, context, std::make_shared<bool>(true)}));
  return observers_.back().get();
}

std::vector<std::unique_ptr<LoginItemObserver>> LoginItemObservers::remove(
    platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback, void* context) {
  return removeObservers(observers_, mode, callback, context);
}

void LoginItemObservers::announce(const Schedule& schedule) const {
  for (const auto& o : observers_) schedule(o->mode, o->delivery());
}

}  // namespace backend
