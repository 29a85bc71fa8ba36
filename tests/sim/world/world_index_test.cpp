// The world answers its lookups from indexes, not by walking its lists: a
// bundle identifier finds its processes, a point its Dock item. Each must
// agree with the walk it replaces.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "sim/world/world.h"

namespace {

class WorldIndex : public testing::Test {
 protected:
  std::ostringstream out_;
  sim::RunQueue queue_;
  sim::Trace trace_{out_, queue_};
  sim::World world_{trace_};
};

TEST_F(WorldIndex, BundleLookupsFollowStartsAndEnds) {
  pid_t a = world_.startProcess("A", "com.example.x", std::nullopt);
  pid_t b = world_.startProcess("B", "com.example.x", std::nullopt);
  pid_t c = world_.startProcess("C", "com.example.y", std::nullopt);
  pid_t d = world_.startProcess("D", std::nullopt, std::nullopt);
  EXPECT_EQ(world_.processWithBundleID("com.example.x")->pid, a);
  EXPECT_EQ(world_.pidsWithBundleID("com.example.x"), (std::vector<pid_t>{a, b}));
  EXPECT_EQ(world_.processWithBundleID("com.example.y")->name, "C");
  EXPECT_FALSE(world_.processWithBundleID(""));

  world_.endProcess(a);
  EXPECT_FALSE(world_.process(a));
  EXPECT_EQ(world_.processWithBundleID("com.example.x")->pid, b);
  world_.endProcess(b);
  world_.endProcess(b);  // twice: nothing more happens
  EXPECT_FALSE(world_.processWithBundleID("com.example.x"));
  EXPECT_TRUE(world_.pidsWithBundleID("com.example.x").empty());
  EXPECT_EQ(world_.process(c)->name, "C");
  EXPECT_EQ(world_.process(d)->name, "D");
  EXPECT_FALSE(world_.process(d + 1));

  // A process that starts later is found after those before it.
  pid_t e = world_.startProcess("E", "com.example.x", std::nullopt);
  EXPECT_GT(e, d);
  EXPECT_EQ(world_.processWithBundleID("com.example.x")->pid, e);
  ASSERT_EQ(world_.processes().size(), 3u);
  EXPECT_EQ(world_.processes().back().pid, e);
}

// The Dock item at a point as a walk along the row finds it.
std::optional<std::size_t> walk(const sim::World& w, platform::Point p) {
  if (!w.dock.pid || !w.onAnyScreenCarbon(p)) return std::nullopt;
  for (std::size_t i = 0; i < w.dock.items.size(); ++i)
    if (platform::pointInRect(p, w.itemCarbonFrame(i))) return i;
  return std::nullopt;
}

TEST_F(WorldIndex, HitTestAgreesWithWalkingTheRow) {
  world_.startDock();
  struct Layout {
    std::vector<platform::Rect> screens;
    std::size_t items;
  };
  const Layout layouts[] = {
      {{{{0, 0}, {1440, 900}}}, 6},
      {{{{0, 0}, {1000.3, 700}}, {{1000.3, -50}, {640.7, 480}}}, 33},  // wider than the screen
      {{{{-123.456, 17.1}, {777.77, 555.5}}}, 1},
      {{{{9e6, -9e6}, {1e7, 1e7}}}, 1000},
  };
  for (const auto& layout : layouts) {
    world_.screens = layout.screens;
    world_.dock.items.assign(layout.items, {"T", "AXApplicationDockItem", std::nullopt, {}});
    std::vector<double> xs, ys;
    // Every edge of a short row; of a long one, a sample and both ends.
    std::size_t step = std::max<std::size_t>(1, layout.items / 40);
    for (std::size_t i = 0; i <= layout.items;
         i = i + step > layout.items && i < layout.items ? layout.items : i + step) {
      double x = world_.itemCarbonFrame(std::min(i, layout.items - 1)).minX() +
                 (i == layout.items ? sim::kDockItemSide : 0);
      for (double dx : {-1.0, -1e-9, 0.0, 1e-9, 0.5, 31.5, 63.999999}) xs.push_back(x + dx);
      xs.push_back(std::nextafter(x, -INFINITY));
      xs.push_back(std::nextafter(x, INFINITY));
    }
    auto row = world_.itemCarbonFrame(0);
    for (double y :
         {row.minY() - 1, row.minY(), row.minY() + 32, std::nextafter(row.maxY(), 0.0), row.maxY()})
      ys.push_back(y);
    for (double x : xs)
      for (double y : ys) {
        platform::Point p{x, y};
        ASSERT_EQ(world_.itemAtCarbon(p), walk(world_, p)) << x << " " << y;
      }
  }
}

}  // namespace
