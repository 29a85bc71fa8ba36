// A dispatch timer source's life: started once, traced at both ends only
// if it started, and a handler that releases its own source.
#include "backend/dispatch_timer_life.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "tests/backend/captured_trace.h"

namespace {

class DispatchTimerLifeTest : public ::testing::Test {
 protected:
  backend_test::CapturedTrace captured_;
  backend::Trace& trace_ = captured_.trace();
};

TEST_F(DispatchTimerLifeTest, StartsAtTheFirstResumeOnly) {
  backend::DispatchTimerLife life("HoverController");
  EXPECT_TRUE(life.start(trace_, 0.1));
  EXPECT_FALSE(life.start(trace_, 0.1));
  EXPECT_TRUE(life.end(trace_, true));
  EXPECT_EQ(captured_.text(),
            "0.000 dispatch.start HoverController 0.100\n"
            "0.000 dispatch.stop HoverController\n");
}

TEST_F(DispatchTimerLifeTest, ASourceNeverStartedEndsUnsaidAndSoDoesOneEndingQuietly) {
  backend::DispatchTimerLife never("HoverController");
  EXPECT_FALSE(never.end(trace_, true));
  backend::DispatchTimerLife quiet("HoverController");
  quiet.start(trace_, 0);
  captured_.clear();
  EXPECT_TRUE(quiet.end(trace_, false));
  EXPECT_EQ(captured_.text(), "");
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
