// Makes a SimWindow from a window's interface file (backend/interface_file.h
// says what the file may declare).
#pragma once

#include <cstdint>
#include <memory>

#include "backend/interface_file.h"
#include "platform/application.h"
#include "sim/services/session_context.h"
#include "sim/services/sim_window.h"

namespace sim {

// Throws backend::InterfaceError ("FILE:LINE: message") for a malformed
// file, an unknown class, a missing image or an outlet the owner lacks.
std::shared_ptr<SimWindow> loadWindowNib(SessionContext& ctx, const backend::InterfaceFile& file,
                                         platform::NibObject* owner, std::uint64_t& frontCounter);

}  // namespace sim
