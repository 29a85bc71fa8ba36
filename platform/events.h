// Pointer, modifier keys, the global event monitor and keyboard event posting.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/geometry.h"
#include "platform/object.h"

namespace platform {

inline constexpr std::uint64_t kEventModifierFlagShift = 0x20000;
inline constexpr std::uint64_t kEventModifierFlagControl = 0x40000;
inline constexpr std::uint64_t kEventModifierFlagOption = 0x80000;
inline constexpr std::uint64_t kEventModifierFlagCommand = 0x100000;

inline constexpr std::uint64_t kEventMaskRightMouseDown = 8;

inline constexpr std::uint16_t kVKEscape = 53;

// CGEventRef of a keyboard event.
class KeyboardEvent final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::KeyboardEvent;
  KeyboardEvent(std::uint16_t keyCode, bool keyDown) : keyCode_(keyCode), keyDown_(keyDown) {}
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override;
  std::uint16_t keyCode() const { return keyCode_; }
  bool keyDown() const { return keyDown_; }

 private:
  std::uint16_t keyCode_;
  bool keyDown_;
};

using MonitorToken = std::shared_ptr<void>;

class Events {
 public:
  virtual ~Events() = default;
  // NSEvent mouseLocation: Cocoa screen coordinates.
  virtual Point mouseLocation() = 0;
  // NSEvent modifierFlags: the modifier keys held right now.
  virtual std::uint64_t modifierFlags() = 0;
  // addGlobalMonitorForEventsMatchingMask:handler: for events that go to
  // other applications. The token keeps the monitor.
  virtual MonitorToken addGlobalMonitor(std::uint64_t mask, std::function<void()> handler) = 0;
  // CGEventCreateKeyboardEvent with no event source.
  virtual Ref<KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode, bool keyDown) = 0;
  // CGEventPostToPid: delivered to that process alone.
  virtual void postToPid(pid_t pid, const KeyboardEvent& event) = 0;
};

}  // namespace platform
