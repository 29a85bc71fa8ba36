// Loads a window's interface file (resources/NAME.ui) into a SimWindow.
//
// One declaration a line:
//   window X Y W H                         the window, Cocoa frame (exactly one)
//   object CLASS ID                        an instance of a registered class
//   button "Title" [action SEL] [target owner|ID] [outlet NAME]
//   checkbox "Title" bind defaults|ID KEY [outlet NAME]
//   imageview [image NAME] [outlet NAME]
//   popup "Title" bind defaults KEY items "A" "B" ...   (value: the index)
//   slider "Title" bind defaults KEY min N max N
// Outlets are connected to the owner by name; a button's target is the
// owner unless it names an object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/application.h"
#include "sim/interface_file.h"
#include "sim/session_context.h"
#include "sim/sim_window.h"

namespace sim {

// Throws InterfaceError ("FILE:LINE: message") for a malformed file, an
// unknown class or an outlet the owner lacks.
std::shared_ptr<SimWindow> loadWindowNib(SessionContext& ctx, const InterfaceFile& file,
                                         platform::NibObject* owner, std::uint64_t& frontCounter);

}  // namespace sim
