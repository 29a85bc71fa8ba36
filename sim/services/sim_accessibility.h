// The Accessibility API over the simulated world: element handles, their
// attributes and actions, hit testing and trust.
#pragma once

#include <map>
#include <vector>

#include "platform/accessibility.h"
#include "sim/services/session_context.h"
#include "sim/world/world.h"

namespace sim {

class SimElement final : public platform::UIElement {
 public:
  enum class Kind {
    SystemWide,
    Application,
    DockList,
    DockItem,
    DockMenu,
    DockShowing,
    DockExtra,
    Desktop,
    Window  // an application's window: `generation` holds the window's id
  };
  SimElement(Kind kind, pid_t pid, std::uint64_t generation, std::size_t index = 0,
             std::string identifier = "")
      : kind(kind),
        pid(pid),
        generation(generation),
        index(index),
        identifier(std::move(identifier)) {}
  std::string description() const override;

  const Kind kind;
  const pid_t pid;
  const std::uint64_t generation;
  const std::size_t index;
  const std::string identifier;  // of a DockShowing element
  // AXUIElementSetMessagingTimeout on this handle; 0: the agent's default.
  mutable float messagingTimeout = 0;
};

class SimAccessibility final : public platform::Accessibility {
 public:
  // The platform's default messaging timeout, in seconds.
  static constexpr float kDefaultMessagingTimeout = 6;
  explicit SimAccessibility(SessionContext& ctx) : ctx_(ctx), world_(ctx.world) {}

  platform::Ref<platform::UIElement> createSystemWide() override;
  platform::Ref<platform::UIElement> createApplication(pid_t pid) override;
  platform::AXError copyElementAtPosition(const platform::UIElement* root, float x, float y,
                                          platform::Ref<platform::UIElement>* element) override;
  platform::AXError copyAttributeNames(const platform::UIElement* e,
                                       platform::Ref<platform::Array>* names) override;
  platform::AXError copyAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                       platform::Ref<platform::Object>* value) override;
  platform::AXError getAttributeValueCount(const platform::UIElement* e,
                                           const std::string& attribute, long* count) override;
  platform::AXError isAttributeSettable(const platform::UIElement* e, const std::string& attribute,
                                        bool* settable) override;
  platform::AXError setAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                      const platform::Object& value) override;
  platform::AXError copyActionNames(const platform::UIElement* e,
                                    platform::Ref<platform::Array>* names) override;
  platform::AXError copyActionDescription(const platform::UIElement* e, const std::string& action,
                                          platform::Ref<platform::String>* description) override;
  platform::AXError performAction(const platform::UIElement* e, const std::string& action) override;
  platform::AXError getPid(const platform::UIElement* e, pid_t* pid) override;
  bool isEqual(const platform::UIElement* a, const platform::UIElement* b) override;
  platform::AXError setMessagingTimeout(const platform::UIElement* e, float seconds) override;
  bool isProcessTrusted() override;
  bool isProcessTrustedWithOptions(bool prompt) override;

  // The element under a Carbon point, as the hit test finds it (null off screen).
  platform::Ref<platform::UIElement> elementAt(platform::Point carbon);
  // How the trace writes an element: "Title", <Role> or none.
  std::string traceLabel(const platform::UIElement* e);
  // The desktop's own calls (inspect) get their answers at once, from hung
  // and slow processes too.
  void answerAtOnce(bool atOnce) { waits_ = !atOnce; }

 private:
  using Names = std::vector<const char*>;
  // Checks trust and the handle; the element when the call may go on.
  platform::AXError admit(const platform::UIElement* e, const SimElement** out);
  // admit, then the wait for the element's process (sim_ax_waits.cpp), then
  // the handle again: the world may have changed meanwhile.
  platform::AXError reach(const platform::UIElement* e, const SimElement** out);
  // Blocks the agent until the process answers or the timeout ends, as a
  // call addressed to it does; kAXErrorCannotComplete when it timed out or
  // the process ended. *lateAnswer: when a process that timed out will
  // still have done what it was asked (a slow Dock), if ever.
  platform::AXError awaitAnswer(pid_t pid, Nanos timeout,
                                std::optional<Nanos>* lateAnswer = nullptr);
  Nanos timeoutFor(const SimElement& e) const;
  // The process a hit test at a Carbon point is addressed to (0: none).
  pid_t ownerAt(platform::Point carbon) const;
  bool isValid(const SimElement& e) const;
  // Name lists live in static tables: the hit-test path reads them on every tick.
  const Names& attributeNames(const SimElement& e) const;
  const Names& actionNames(const SimElement& e) const;
  bool lists(const SimElement& e, const std::string& attribute) const;
  // Null when the element has no such attribute.
  platform::Ref<platform::Object> attributeValue(const SimElement& e, const std::string& name);
  platform::Ref<platform::Array> children(const SimElement& e);
  long childCount(const SimElement& e) const;
  bool childrenUnreadable(const SimElement& e) const;
  platform::Rect desktopCarbonFrame() const;
  platform::Ref<platform::Array> cachedNames(const Names& names);

  platform::Ref<platform::Object> constant(const char* text);

  SessionContext& ctx_;
  World& world_;
  float defaultTimeout_ = kDefaultMessagingTimeout;
  bool waits_ = true;
  std::map<const char*, platform::Ref<platform::Object>> constants_;
  std::map<const Names*, platform::Ref<platform::Array>> nameCache_;
  // Focus is the one state a client may write: whether Finder's desktop has it.
  bool desktopFocused_ = false;
};

}  // namespace sim
