// The agent's objects as the system's notification centre sees them, and
// the records of who registered what.
#include "backend/notification_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Windows are the addresses in `windows` (platform, native); boxes are
// fresh addresses.
struct FakeNatives final : backend::NotificationNatives {
  std::vector<std::pair<const void*, const void*>> windows;
  std::vector<std::unique_ptr<int>> madeBoxes;

  const void* nativeWindowOf(const void* pointer) const override {
    for (const auto& [platform, native] : windows)
      if (platform == pointer) return native;
    return nullptr;
  }
  const void* platformWindowOf(const void* native) const override {
    for (const auto& [platform, n] : windows)
      if (n == native) return platform;
    return nullptr;
  }
  const void* makeBox(const void*) override {
    madeBoxes.push_back(std::make_unique<int>(0));
    return madeBoxes.back().get();
  }
};

TEST(NotificationObjectsTest, APointerIsBoxedOnceAndOnlyItsBoxUnboxes) {
  FakeNatives natives;
  backend::NotificationObjects objects(natives);
  int agentObject = 0, platformWindow = 0, nativeWindow = 0, systemPanel = 0;
  natives.windows.push_back({&platformWindow, &nativeWindow});

  const void* box = objects.box(&agentObject);
  EXPECT_EQ(objects.box(&agentObject), box);
  EXPECT_EQ(natives.madeBoxes.size(), 1u);
  EXPECT_EQ(objects.unbox(box), &agentObject);

  // A window of ours is its native window, both ways, and is never boxed.
  EXPECT_EQ(objects.box(&platformWindow), &nativeWindow);
  EXPECT_EQ(objects.unbox(&nativeWindow), &platformWindow);
  EXPECT_EQ(natives.madeBoxes.size(), 1u);

  // Nothing is nothing; an object of the system's is passed on as itself,
  // even one at an address the agent has boxed.
  EXPECT_EQ(objects.box(nullptr), nullptr);
  EXPECT_EQ(objects.unbox(nullptr), nullptr);
  EXPECT_EQ(objects.unbox(&systemPanel), &systemPanel);
  EXPECT_EQ(objects.unbox(&agentObject), &agentObject);
}

TEST(NotificationObjectsTest, AReceiverSurvivesItsRemovalWhileNotified) {
  FakeNatives natives;
  backend::NotificationObjects objects(natives);
  int sender = 0;
  const void* box = objects.box(&sender);
  std::optional<backend::NotificationReceiver> receiver;
  std::vector<std::string> seen;
  auto note = std::make_shared<std::string>("kept");
  receiver.emplace(objects, [&, note](const platform::Notification& n) {
    receiver.reset();  // the observer removes itself
    seen.push_back(n.name + " " + *note + " " + (n.object == &sender ? "sender" : "other"));
  });
  note.reset();
  receiver->receive("Closed", box);
  EXPECT_FALSE(receiver);
  EXPECT_EQ(seen, std::vector<std::string>{"Closed kept sender"});
}

TEST(ObserverRecordsTest, RemovingAnOwnerTakesItsOwnOnly) {
  backend::ObserverRecords<std::string> records;
  int a = 0, b = 0;
  records.add(&a, "a1");
  records.add(&b, "b1");
  records.add(&a, "a2");
  EXPECT_EQ(records.remove(&a), (std::vector<std::string>{"a1", "a2"}));
  EXPECT_TRUE(records.remove(&a).empty());
  EXPECT_TRUE(records.remove(nullptr).empty());
  EXPECT_EQ(records.removeAll(), std::vector<std::string>{"b1"});
  EXPECT_TRUE(records.removeAll().empty());
}

}  // namespace
