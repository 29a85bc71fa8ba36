// The login-items service of one agent process: open lists onto the world's
// login-items store, and change observers that run on the process's main run
// loop. An observer scheduled in the default mode waits while a menu is
// tracked and runs once tracking ends.
#pragma once

#include <memory>
#include <vector>

#include "platform/login_items.h"
#include "sim/services/session_context.h"
#include "sim/stored/login_items_store.h"

namespace sim {

class SimLoginItemList;

class SimLoginItems final : public platform::LoginItems {
 public:
  explicit SimLoginItems(SessionContext& ctx);
  ~SimLoginItems() override;
  SimLoginItems(const SimLoginItems&) = delete;
  SimLoginItems& operator=(const SimLoginItems&) = delete;

  std::shared_ptr<platform::LoginItemList> createSessionLoginItems() override;
  bool awaitsApproval() override;

 private:
  void announceChange();

  SessionContext& ctx_;
  std::vector<std::weak_ptr<SimLoginItemList>> lists_;
};

class SimLoginItemList final : public platform::LoginItemList {
 public:
  SimLoginItemList(SessionContext& ctx, LoginItemsStore& store) : ctx_(ctx), store_(store) {}
  ~SimLoginItemList() override;

  void addObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                   void* context) override;
  void removeObserver(platform::RunLoopMode mode, platform::LoginItemsChangedCallback callback,
                      void* context) override;
  std::vector<std::shared_ptr<const platform::LoginItem>> copySnapshot() override;
  std::shared_ptr<const platform::LoginItem> insertItemURL(platform::LoginItemPosition position,
                                                           const std::string& url) override;
  bool removeItem(const platform::LoginItem& item) override;

  // Schedules every observer for the change just made.
  void announceChange();
  std::size_t observerCount() const { return observers_.size(); }

 private:
  struct Observer {
    platform::RunLoopMode mode;
    platform::LoginItemsChangedCallback callback;
    void* context;
    // Cleared when the observer goes, so an announcement already scheduled
    // never reaches it.
    std::shared_ptr<bool> live;
  };

  SessionContext& ctx_;
  LoginItemsStore& store_;
  std::vector<Observer> observers_;
};

}  // namespace sim
