// The agent running on a simulated desktop, advanced one tracking tick at a
// time, with the trace thrown away. The benchmarks move the pointer and count
// the Accessibility calls between ticks.
#pragma once

#include <cstdint>
#include <string>

#include "null_stream.h"
#include "sim/desktop/desktop.h"

namespace bench {

// The tracking timer's interval.
inline constexpr sim::Nanos kTick = 500'000'000;

class TickRig {
 public:
  // `setup`: scenario set-up lines (the Dock, defaults ...), one a line.
  explicit TickRig(const std::string& setup = "");

  // Runs the simulation up to the next tick, and that tick.
  void tick();
  std::uint64_t axCalls() { return desktop_.world().axCalls; }
  sim::World& world() { return desktop_.world(); }

  // The Cocoa centre of Dock item `index` (0-based).
  platform::Point itemCentre(std::size_t index) { return world().itemCocoaCentre(index); }

 private:
  NullStream out_;
  sim::Desktop desktop_;
  sim::Nanos now_ = 0;
};

}  // namespace bench
