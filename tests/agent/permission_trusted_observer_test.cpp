// AXProcessTrustedObserver on the simulated desktop, driven by its clock.
#include <gtest/gtest.h>

#include <sstream>

#include "permission/ax_process_trusted_observer.h"
#include "sim/desktop/desktop.h"

namespace {

// A desktop whose agent process runs no agent: the test is the agent.
class TrustedObserverTest : public testing::Test {
 protected:
  void launch(bool trusted) {
    std::istringstream in(trusted ? "run 30\n" : "trusted no\nrun 30\n");
    desktop_ = std::make_unique<sim::Desktop>(
        sim::parseScenario(in, "test.scn"), trace_,
        sim::DesktopOptions{[](int, char**) { return 0; }, VISTREL_RESOURCE_DIR, {}, {}});
    desktop_->begin();
    token_ = platform::current().notificationCenter().addObserverForName(
        kProcessTrustedNotification, nullptr,
        [this](const platform::Notification&) { postedAt_.push_back(desktop_->queue().now()); });
  }
  void advance(double seconds) { desktop_->advanceTo(sim::toNanos(seconds)); }
  std::size_t count(const std::string& text) const {
    std::string all = trace_.str();
    std::size_t n = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
    return n;
  }

  std::ostringstream trace_;
  std::unique_ptr<sim::Desktop> desktop_;
  platform::ObserverToken token_;
  std::vector<sim::Nanos> postedAt_;
};

TEST_F(TrustedObserverTest, AlreadyTrustedPostsInsideStartAndKeepsNoTimer) {
  launch(true);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  EXPECT_EQ(postedAt_, std::vector<sim::Nanos>{0});
  EXPECT_EQ(observer->timer(), nullptr);
  advance(5);
  EXPECT_EQ(postedAt_.size(), 1u);
  EXPECT_EQ(count("dispatch.start"), 0u);
}

TEST_F(TrustedObserverTest, GrantIsAnnouncedByTheNextPollAndPollingEnds) {
  launch(false);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  EXPECT_TRUE(postedAt_.empty());
  ASSERT_NE(observer->timer(), nullptr);
  advance(3.5);
  desktop_->world().trusted = true;  // granted 3.5 s after start
  advance(10);
  EXPECT_EQ(postedAt_, std::vector<sim::Nanos>{sim::toNanos(4)});  // the fourth tick
  EXPECT_EQ(observer->timer(), nullptr);
  EXPECT_EQ(count("4.000 dispatch.stop AXProcessTrustedObserver"), 1u);
  // A later loss of trust goes unnoticed: the observer stays idle.
  desktop_->world().trusted = false;
  advance(20);
  EXPECT_EQ(postedAt_.size(), 1u);
}

TEST_F(TrustedObserverTest, NeverTrustedKeepsPollingSilently) {
  launch(false);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  advance(20);
  EXPECT_TRUE(postedAt_.empty());
  EXPECT_NE(observer->timer(), nullptr);
  EXPECT_EQ(count("dispatch.stop"), 0u);
}

TEST_F(TrustedObserverTest, SecondStartReplacesTheRunningPoll) {
  launch(false);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  advance(0.5);
  observer->start();  // the first timer ends; the new one ticks at 1.5, 2.5 ...
  EXPECT_EQ(count("0.500 dispatch.stop AXProcessTrustedObserver"), 1u);
  advance(1.2);
  desktop_->world().trusted = true;
  advance(5);
  EXPECT_EQ(postedAt_, std::vector<sim::Nanos>{sim::toNanos(1.5)});
}

TEST_F(TrustedObserverTest, ReleasedObserverEndsItsTimerAndPostsNothing) {
  launch(false);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  advance(1.5);
  observer.reset();
  EXPECT_EQ(count("1.500 dispatch.stop AXProcessTrustedObserver"), 1u);
  desktop_->world().trusted = true;
  advance(10);
  EXPECT_TRUE(postedAt_.empty());
}

TEST_F(TrustedObserverTest, StopEndsPollingWithoutAnnouncement) {
  launch(false);
  auto observer = std::make_shared<AXProcessTrustedObserver>();
  observer->start();
  advance(1.5);
  observer->stop();
  EXPECT_EQ(observer->timer(), nullptr);
  desktop_->world().trusted = true;
  advance(10);
  EXPECT_TRUE(postedAt_.empty());
}

}  // namespace
