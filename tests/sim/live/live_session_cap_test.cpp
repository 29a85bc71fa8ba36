// The live session's caps hold before each input: many scenario lines due at
// one time stop at the trace's cap, not once their whole tick has run.
#include <gtest/gtest.h>

#include "app/entry.h"
#include "sim/live/live_session.h"

namespace {

constexpr sim::Nanos kSecond = 1'000'000'000;

std::size_t traceBytes(const sim::LiveSession& s) {
  std::size_t bytes = 0;
  for (const auto& line : s.traceLines()) bytes += line.size() + 1;
  return bytes;
}

TEST(LiveSessionCaps, LinesDueAtOneTimeStopAtTheTraceCap) {
  std::string scenario;
  for (int i = 0; i < 30000; ++i) scenario += "at 1 pointer " + std::to_string(i % 1000) + " 300\n";
  sim::LiveLimits limits;
  limits.maxTraceBytes = 64 << 10;
  sim::LiveSession session(sim::LiveSetup::fromText(scenario, "flood.scn"),
                           {agentMain, VISTREL_RESOURCE_DIR, {}, {}}, 0, limits);
  session.tick(2 * kSecond);
  EXPECT_EQ(session.stoppedBy(), sim::LiveSession::Stop::Trace);
  // Past the cap by one input's lines at most.
  EXPECT_LT(traceBytes(session), limits.maxTraceBytes + 256);
  EXPECT_LT(session.inputsRecorded(), 30000u / 4);
  EXPECT_GT(session.scenarioLinesLeft(), 0u);
  // Input that comes later is refused: the session is full.
  EXPECT_EQ(session.input("click", 3 * kSecond).result, sim::LiveSession::Result::Full);
}

}  // namespace
