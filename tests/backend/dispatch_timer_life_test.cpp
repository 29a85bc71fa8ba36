// A dispatch timer source's life: started once, traced at both ends only
// if it started, and a handler that releases its own source.
#include "backend/dispatch_timer_life.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>

namespace {

struct ZeroClock final : backend::Clock {
  std::int64_t now() const override { return 0; }
};

class DispatchTimerLifeTest : public ::testing::Test {
 protected:
  ZeroClock clock_;
  std::ostringstream out_;
  backend::Trace trace_{out_, clock_};
};

TEST_F(DispatchTimerLifeTest, StartsAtTheFirstResumeOnly) {
  backend::DispatchTimerLife life("HoverController");
  EXPECT_TRUE(life.start(trace_, 0.1));
  EXPECT_FALSE(life.start(trace_, 0.1));
  EXPECT_TRUE(life.end(trace_, true));
  EXPECT_EQ(out_.str(),
            "0.000 dispatch.start HoverController 0.100\n"
            "0.000 dispatch.stop HoverController\n");
}

TEST_F(DispatchTimerLifeTest, ASourceNeverStartedEndsUnsaidAndSoDoesOneEndingQuietly) {
  backend::DispatchTimerLife never("HoverController");
  EXPECT_FALSE(never.end(trace_, true));
  backend::DispatchTimerLife quiet("HoverController");
  quiet.start(trace_, 0);
  out_.str("");
  EXPECT_TRUE(quiet.end(trace_, false));
  EXPECT_EQ(out_.str(), "");
}

TEST_F(DispatchTimerLifeTest, AHandlerMayReleaseItsOwnSource) {
  struct Source {
    std::function<void()> handler;
  };
  auto source = std::make_unique<Source>();
  auto witness = std::make_shared<int>(7);
  int seen = 0;
  source->handler = [&source, &seen, witness] {
    source.reset();  // the last owner lets the source go
    seen = *witness;
  };
  witness.reset();
  backend::DispatchTimerLife::fire(source->handler);
  EXPECT_EQ(seen, 7);
  backend::DispatchTimerLife::fire(nullptr);  // no handler yet
}

}  // namespace
