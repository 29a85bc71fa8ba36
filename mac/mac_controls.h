// The controls of a window's interface file on AppKit: push buttons, the
// image view, pop-ups, sliders and checkboxes, laid out in two columns
// (backend/control_layout.h) and bound to the user defaults or to the
// file's own objects.
#pragma once

#include <memory>

#include "backend/interface_file.h"
#include "mac/mac_window.h"
#include "platform/application.h"

namespace mac {

// Makes the window and its controls through backend::buildInterface, with
// `owner` as the file's owner. Throws backend::InterfaceError ("FILE:LINE:
// message") for what buildInterface refuses, for controls that do not fit
// the window, and for a defaults key that is no single key.
std::shared_ptr<MacWindow> buildWindow(const backend::WindowInterface& file,
                                       platform::NibObject* owner);

}  // namespace mac
