// A picture of the simulated desktop at one moment, as SVG: the screens in
// their arrangement, the menu bar with the agent's status item (and its
// menu, hidden until the page shows it), the Dock with its items and what it
// shows, the agent's windows with their controls as they are now, the
// pointer and the modifier keys held.
//
// Cocoa frames have y up; SVG has y down. The picture keeps Cocoa's x and
// flips y about the top of the highest screen, which the root element gives
// as data-top: a point (x, y) of the picture is the Cocoa point
// (x, data-top - y).
//
// Elements that tests and the live page look for carry stable ids, classes
// and data attributes: #dock .dockitem[data-title][data-kind][data-running],
// #appexpose[data-app], #missioncontrol, #stack[data-item],
// #dockmenu[data-item], #statusitem, #statusmenu .menuitem[data-title],
// .window[data-name][data-front], .button[data-title],
// .checkbox[data-title][data-checked], .popup[data-key][data-value],
// .slider[data-key][data-value], .status-light[data-image],
// #pointer[data-x][data-y], #modifiers[data-keys].
#pragma once

#include <map>
#include <memory>
#include <string>

#include "backend/bitmap.h"

namespace sim {

class DesktopScene;

class DesktopPicture {
 public:
  // Images (the status icon) are read from the desktop's resources once.
  DesktopPicture() = default;
  std::string svg(const DesktopScene& scene);

 private:
  // The one-bit image of a named resource; null when there is none.
  const backend::Bitmap* bitmap(const std::string& resourceDir, const std::string& name);
  std::map<std::string, std::shared_ptr<backend::Bitmap>> bitmaps_;
};

// One picture, for the `snapshot` command.
std::string desktopSVG(const DesktopScene& scene);

}  // namespace sim
