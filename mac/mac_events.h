// Pointer, modifier keys and the global event monitor (NSEvent), and
// keyboard events posted to one process (CoreGraphics).
#pragma once

#include "platform/events.h"

namespace mac {

class MacEvents final : public platform::Events {
 public:
  platform::Point mouseLocation() override;
  std::uint64_t modifierFlags() override;
  platform::MonitorToken addGlobalMonitor(std::uint64_t mask,
                                          std::function<void()> handler) override;
  // The event is a plain value: its CGEvent is made when it is posted.
  platform::Ref<platform::KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                             bool keyDown) override;
  void postToPid(pid_t pid, const platform::KeyboardEvent& event) override;
};

}  // namespace mac
