// The user's input to the agent's own interface: its status menu, the
// buttons and checkboxes of its frontmost window, closing that window.
//
// Input that finds nothing to act on (no agent running, no such menu entry,
// no window, no such control) changes nothing; it is reported on standard
// error and traced as `input.error "MESSAGE"`, so that a scenario shows it.
#include <iostream>

#include "backend/responder_chain.h"
#include "sim/desktop/desktop.h"

namespace sim {

void Desktop::inputError(int line, const std::string& message) {
  // A live session's command has no line of a file.
  std::cerr << "vistrel-desktop: ";
  if (line > 0) std::cerr << "line " << line << ": ";
  std::cerr << message << "\n";
  trace_.emit(Event::InputError, quoted(message));
}

bool Desktop::agentTakesInput(int line) {
  if (session_ && !session_->context().stopRequested) return true;
  inputError(line, "the agent is not running");
  return false;
}

void Desktop::chooseMenuItem(const std::string& title, int line) {
  if (!agentTakesInput(line)) return;
  auto& ctx = session_->context();
  auto items = session_->simAppKit().statusItems();
  auto menu = items.empty() ? nullptr : items.front()->menu();
  if (!menu) {
    inputError(line, "the agent has no status menu");
    return;
  }
  for (const auto& item : menu->items()) {
    if (item->isSeparatorItem() || item->title() != title) continue;
    // While the menu is tracked, work meant for the default run-loop mode
    // waits; it runs once the menu has closed (or, within a `tracking`
    // span, once that ends).
    ctx.trackingMenu = true;
    SimApplication& app = session_->simApplication();
    bool handled = backend::sendMenuItemAction(*item, app, app.delegate());
    ctx.trackingMenu = ctx.eventTracking;
    if (!handled) inputError(line, "nobody responds to " + item->action());
    if (ctx.eventTracking) return;
    auto waiting = std::move(ctx.waitingForDefaultMode);
    ctx.waitingForDefaultMode.clear();
    // A process that quit from its menu does no more work.
    if (!ctx.stopRequested)
      for (auto& work : waiting) work();
    return;
  }
  inputError(line, "the status menu has no entry " + quoted(title));
}

SimWindow* Desktop::frontmostWindow(int line) {
  if (!agentTakesInput(line)) return nullptr;
  SimWindow* window = session_->simAppKit().frontmostWindow();
  if (!window) inputError(line, "no window of the agent is shown");
  return window;
}

void Desktop::pressButton(const std::string& title, int line) {
  SimWindow* window = frontmostWindow(line);
  if (!window) return;
  if (auto* button = window->buttonTitled(title, SimButton::Push))
    button->press();
  else
    inputError(line, "window " + quoted(window->name()) + " has no button " + quoted(title));
}

void Desktop::setCheckbox(const std::string& title, bool on, int line) {
  SimWindow* window = frontmostWindow(line);
  if (!window) return;
  if (auto* box = window->buttonTitled(title, SimButton::Checkbox))
    box->setChecked(on);
  else
    inputError(line, "window " + quoted(window->name()) + " has no checkbox " + quoted(title));
}

void Desktop::closeWindow(int line) {
  if (SimWindow* window = frontmostWindow(line)) window->close();
}

}  // namespace sim
