// A scenario's commands, typed: each line is parsed once, when the scenario
// is loaded (or when a live session hands over one line), into one of these
// structs; the desktop applies the structs and never looks at words again.
//
//   auto c = sim::parseTimedCommand("pointer dock \"Safari\" 3 -2", "live:1");
//   desktop.apply(c);                    // as `at NOW pointer dock "Safari" 3 -2`
//   std::string line = sim::commandText(c.action);   // parses to an equal action
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/defaults.h"
#include "platform/geometry.h"
#include "sim/world/dock_child.h"

namespace sim {

// "WHERE: message", WHERE being "FILE:LINE" for a scenario file.
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Set-up commands (before the first `at`).

struct AddScreen {  // screen X Y W H
  platform::Rect frame;
  bool operator==(const AddScreen&) const = default;
};

enum class DockItemKind { App, Folder, Trash, Minimized, Other };

// dock app|folder|trash|minimized "Title"|none ..., dock item "Title"|none SUBROLE
struct AddDockItem {
  DockItemKind kind = DockItemKind::App;
  std::optional<std::string> title;     // none: the item has no AXTitle
  std::optional<std::string> subrole;   // Other only; none: no AXSubrole
  bool running = false;                 // App only
  std::optional<std::string> bundleID;  // App only
  bool noExpose = false;                // App only: the item lists no "AXShowExpose"
  bool operator==(const AddDockItem&) const = default;
};

struct AddDockChild {  // dock child "IDENT" | none | number N
  DockChild child;
  bool operator==(const AddDockChild&) const = default;
};

struct DockChildrenUnreadable {  // dock children unreadable
  bool operator==(const DockChildrenUnreadable&) const = default;
};

struct NoDock {  // no dock
  bool operator==(const NoDock&) const = default;
};

struct RemoveInfo {  // no info KEY
  std::string key;
  bool operator==(const RemoveInfo&) const = default;
};

struct AddApp {  // app "Name" [bundle ID]
  std::string name;
  std::optional<std::string> bundleID;
  bool operator==(const AddApp&) const = default;
};

struct Trusted {  // trusted yes|no|stale, trusted no listed
  bool trusted = true;
  bool stale = false;   // trusted, yet every call is refused
  bool listed = false;  // not trusted, yet listed (for an earlier build): no prompt
  bool operator==(const Trusted&) const = default;
};

// The Mac's hard cases, set-up or timed.

struct OpenWindow {  // window "App" X Y W H
  std::string app;
  platform::Rect frame;
  bool operator==(const OpenWindow&) const = default;
};

struct AppResponse {               // app "Name" hung|responsive, app dock hung|responsive
  std::optional<std::string> app;  // none: the Dock
  bool hung = true;
  bool operator==(const AppResponse&) const = default;
};

struct DockSlow {      // dock slow D | dock slow none
  double seconds = 0;  // 0: none
  bool operator==(const DockSlow&) const = default;
};

struct BundleAt {  // bundle at "PATH"
  std::string path;
  bool operator==(const BundleAt&) const = default;
};

struct BundleTranslocated {  // bundle translocated
  bool operator==(const BundleTranslocated&) const = default;
};

// defaults KEY TYPE VALUE, before launch or while the agent runs.
struct DefaultsSet {
  std::string key;
  platform::PrefValue value;
  bool operator==(const DefaultsSet&) const = default;
};

struct SetInfo {  // info KEY "VALUE"
  std::string key, value;
  bool operator==(const SetInfo&) const = default;
};

struct AddLoginItem {  // login-item "URL"
  std::string url;
  bool operator==(const AddLoginItem&) const = default;
};

struct NoUpdater {  // no updater
  bool operator==(const NoUpdater&) const = default;
};

struct AppNap {  // app nap FACTOR
  double stretch = 1;
  bool operator==(const AppNap&) const = default;
};

// login-item awaiting-approval: the agent's own login item waits for the
// user's approval in System Settings.
struct LoginApproval {
  bool pending = true;
  bool operator==(const LoginApproval&) const = default;
};

using SetupAction =
    std::variant<AddScreen, AddDockItem, AddDockChild, DockChildrenUnreadable, NoDock, RemoveInfo,
                 AddApp, Trusted, DefaultsSet, SetInfo, AddLoginItem, NoUpdater, AppNap,
                 LoginApproval, OpenWindow, AppResponse, DockSlow, BundleAt, BundleTranslocated>;

// Timed commands (after `at T`).

struct PointerTo {  // pointer X Y
  double x = 0, y = 0;
  bool operator==(const PointerTo&) const = default;
};

// pointer dock "Title" [DX DY] / pointer dock N [DX DY]
struct PointerToDock {
  std::variant<std::string, std::size_t> item;  // a title, or a 1-based item number
  double dx = 0, dy = 0;
  bool operator==(const PointerToDock&) const = default;
};

struct Modifiers {  // modifiers none | command+option ...
  std::uint64_t flags = 0;
  bool operator==(const Modifiers&) const = default;
};

struct RightClick {
  bool operator==(const RightClick&) const = default;
};
struct Click {
  bool operator==(const Click&) const = default;
};
struct Grant {
  bool operator==(const Grant&) const = default;
};
struct Revoke {         // revoke | revoke stale | revoke listed
  bool stale = false;   // the switch stays on, the calls are refused
  bool listed = false;  // not trusted, listed for an earlier build
  bool operator==(const Revoke&) const = default;
};
struct CloseAppWindow {  // window "App" close
  std::string app;
  bool operator==(const CloseAppWindow&) const = default;
};
struct Tracking {  // tracking D
  double seconds = 0;
  bool operator==(const Tracking&) const = default;
};
struct Sleep {  // sleep D
  double seconds = 0;
  bool operator==(const Sleep&) const = default;
};
struct Close {
  bool operator==(const Close&) const = default;
};
struct MissionControl {
  bool operator==(const MissionControl&) const = default;
};
struct DockRestart {
  bool operator==(const DockRestart&) const = default;
};
struct DockQuit {
  bool operator==(const DockQuit&) const = default;
};
struct Relaunch {
  bool operator==(const Relaunch&) const = default;
};
struct Inspect {
  bool operator==(const Inspect&) const = default;
};

struct Snapshot {  // snapshot "FILE.svg"
  std::string path;
  bool operator==(const Snapshot&) const = default;
};

struct Menu {  // menu "Title"
  std::string title;
  bool operator==(const Menu&) const = default;
};

struct Button {  // button "Title"
  std::string title;
  bool operator==(const Button&) const = default;
};

struct Check {  // check "Title" on|off
  std::string title;
  bool on = false;
  bool operator==(const Check&) const = default;
};

struct LoginItemsAdd {  // login-items add "URL"
  std::string url;
  bool operator==(const LoginItemsAdd&) const = default;
};

struct LoginItemsRemove {  // login-items remove "URL"
  std::string url;
  bool operator==(const LoginItemsRemove&) const = default;
};

struct Screens {  // screens X Y W H [; X Y W H ...]
  std::vector<platform::Rect> frames;
  bool operator==(const Screens&) const = default;
};

using TimedAction =
    std::variant<PointerTo, PointerToDock, Modifiers, RightClick, Click, Grant, Revoke, DefaultsSet,
                 Menu, Button, Check, Close, MissionControl, DockRestart, DockQuit, LoginItemsAdd,
                 LoginItemsRemove, Screens, Relaunch, Inspect, Snapshot, OpenWindow, CloseAppWindow,
                 AppResponse, DockSlow, Tracking, Sleep>;

struct SetupCommand {
  int line = 0;
  SetupAction action;
  // Where a command came from is no part of what it does.
  bool operator==(const SetupCommand& o) const { return action == o.action; }
};

// One timed input.
struct Command {
  int line = 0;
  double time = -1;  // seconds after launch
  TimedAction action;
  std::string echoText;  // the words as written, in canonical form

  // The command as the trace echoes it (`input.` + this): its words as the
  // scenario wrote them, so that `at 1 pointer 10.50 3` echoes `10.50`.
  const std::string& echo() const { return echoText; }
  // Where a command came from, and how its numbers were spelt, is no part
  // of what it does.
  bool operator==(const Command& o) const { return time == o.time && action == o.action; }
};

// What a timed command may refer to in the Dock; without it (a live session
// that does not say) any title and any item number up to the limit pass.
struct DockCatalog {
  std::size_t items = 0;
  // Sorted, without duplicates.
  std::vector<std::string> titles;
  // The applications a scenario names (Dock applications, `app` lines,
  // Finder), sorted; empty when any name passes.
  std::vector<std::string> applications;
  static DockCatalog of(const std::vector<AddDockItem>& items);
  bool hasTitle(const std::string& title) const;
  bool hasApplication(const std::string& name) const;
};

// Parses one timed command, what follows `at T` on a scenario line (time
// and line are left for the caller). Throws ScenarioError "WHERE: message".
Command parseTimedCommand(const std::string& text, const std::string& where,
                          const DockCatalog* dock = nullptr);

// The command again as scenario text that parses to an equal command:
// numbers in their shortest exact form, strings quoted.
std::string commandText(const TimedAction& action);
std::string commandText(const SetupAction& action);
// `at T COMMAND`.
std::string scenarioLine(const Command& c);
// The shortest text that reads back as exactly V.
std::string numberText(double v);

// The flags of `command+option` ..., or nothing when a name is unknown.
std::optional<std::uint64_t> parseModifiers(const std::string& keys);

}  // namespace sim
