#include "sim/services/sim_login_items.h"

#include <algorithm>

#include "backend/login_item_observers.h"

namespace sim {

SimLoginItems::SimLoginItems(SessionContext& ctx) : ctx_(ctx) {
  if (ctx_.loginItems) ctx_.loginItems->onChange = [this] { announceChange(); };
}

SimLoginItems::~SimLoginItems() {
  if (ctx_.loginItems) ctx_.loginItems->onChange = nullptr;
}

bool SimLoginItems::awaitsApproval() { return ctx_.world.loginApprovalPending; }

std::shared_ptr<platform::LoginItemList> SimLoginItems::createSessionLoginItems() {
  if (!ctx_.loginItems) return nullptr;
  auto list = std::make_shared<SimLoginItemList>(ctx_, *ctx_.loginItems);
  std::erase_if(lists_, [](const auto& l) { return l.expired(); });
  lists_.push_back(list);
  return list;
}

void SimLoginItems::announceChange() {
  for (const auto& weak : lists_)
    if (auto list = weak.lock()) list->announceChange();
}

SimLoginItemList::~SimLoginItemList() {
  for (auto& o : observers_) *o.live = false;
}

void SimLoginItemList::addObserver(platform::RunLoopMode mode,
                                   platform::LoginItemsChangedCallback callback, void* context) {
  observers_.push_back({mode, callback, context, std::make_shared<bool>(true)});
}

void SimLoginItemList::removeObserver(platform::RunLoopMode mode,
                                      platform::LoginItemsChangedCallback callback, void* context) {
  backend::removeObservers(observers_, mode, callback, context);
}

std::vector<std::shared_ptr<const platform::LoginItem>> SimLoginItemList::copySnapshot() {
  // The store's items are immutable and shared: a snapshot is a pointer an
  // entry, however long the URLs.
  std::vector<std::shared_ptr<const platform::LoginItem>> items;
  items.reserve(store_.entries().size());
  for (const auto& e : store_.entries()) items.push_back(e.item);
  return items;
}

std::shared_ptr<const platform::LoginItem> SimLoginItemList::insertItemURL(
    platform::LoginItemPosition position, const std::string& url) {
  if (url.empty()) return nullptr;
  auto id = store_.insert(position, url);
  if (!id) return nullptr;  // the list cannot keep it
  return store_.item(id);
}

bool SimLoginItemList::removeItem(const platform::LoginItem& item) {
  auto* ours = dynamic_cast<const StoredLoginItem*>(&item);
  return ours && store_.remove(ours->id());
}

void SimLoginItemList::announceChange() {
  for (const auto& o : observers_) {
    auto deliver = [live = o.live, callback = o.callback, list = this, context = o.context] {
      if (*live) callback(list, context);
    };
    if (o.mode == platform::RunLoopMode::Default && ctx_.trackingMenu)
      ctx_.waitingForDefaultMode.push_back(deliver);
    else
      ctx_.queue.schedule(ctx_.queue.now(), RunQueue::kWork, ctx_.owner, deliver,
                          RunQueue::kAgentWork);
  }
}

}  // namespace sim
