// The user's input to the agent's own interface: its status menu, the
// buttons and checkboxes of its frontmost window, closing that window.
//
// Input that finds nothing to act on (no agent running, no such menu entry,
// no window, no such control) changes nothing; it is reported on standard
// error and traced as `input.error "MESSAGE"`, so that a scenario shows it.
#include <iostream>

#include "sim/desktop.h"

namespace sim {

namespace {

void inputError(Trace& trace, const Command& c, const std::string& message) {
  std::cerr << "vistrel-desktop: line " << c.line << ": " << message << "\n";
  trace.emit(Event::InputError, quoted(message));
}

}  // namespace

void Desktop::applyShellInput(const Command& c) {
  if (c.is("login-items")) {
    applyLoginItemsInput(c);
    return;
  }
  if (!session_ || session_->context().stopRequested) {
    inputError(trace_, c, "the agent is not running");
    return;
  }
  auto& ctx = session_->context();
  auto& appKit = session_->simAppKit();
  if (c.is("menu")) {
    auto items = appKit.statusItems();
    auto menu = items.empty() ? nullptr : items.front()->menu();
    if (!menu) {
      inputError(trace_, c, "the agent has no status menu");
      return;
    }
    for (const auto& item : menu->items()) {
      if (item->isSeparatorItem() || item->title() != c.word(1)) continue;
      // While the menu is tracked, work meant for the default run-loop mode
      // waits; it runs once the menu has closed.
      ctx.trackingMenu = true;
      bool handled = item->target()
                         ? item->target()->performAction(item->action(), item.get())
                         : session_->simApplication().sendAction(item->action(), item.get());
      ctx.trackingMenu = false;
      if (!handled) inputError(trace_, c, "nobody responds to " + item->action());
      auto waiting = std::move(ctx.waitingForDefaultMode);
      ctx.waitingForDefaultMode.clear();
      // A process that quit from its menu does no more work.
      if (!ctx.stopRequested)
        for (auto& work : waiting) work();
      return;
    }
    inputError(trace_, c, "the status menu has no entry " + quoted(c.word(1)));
    return;
  }
  SimWindow* window = appKit.frontmostWindow();
  if (!window) {
    inputError(trace_, c, "no window of the agent is shown");
    return;
  }
  if (c.is("close")) {
    window->close();
  } else if (c.is("button")) {
    if (auto* button = window->buttonTitled(c.word(1), SimButton::Push))
      button->press();
    else
      inputError(trace_, c,
                 "window " + quoted(window->name()) + " has no button " + quoted(c.word(1)));
  } else if (c.is("check")) {
    if (auto* box = window->buttonTitled(c.word(1), SimButton::Checkbox))
      box->setChecked(c.word(2) == "on");
    else
      inputError(trace_, c,
                 "window " + quoted(window->name()) + " has no checkbox " + quoted(c.word(1)));
  }
}

}  // namespace sim
