// The status icon, kept as a plain PBM bitmap among the bundle's resources
// ("Status_Icon"), made into an image the menu bar can draw.
#pragma once

#include <memory>
#include <string>

#include "mac/mac_appkit.h"

namespace mac {

// The bitmap at `path` as an image 16 points high (16 x 16 for a square
// bitmap): ink black and opaque, the rest transparent, so that it can serve
// as a template image (the agent sets the flag). A finer bitmap fills the
// same points at a higher resolution. Null, with the fault reported, when the file is unreadable or
// no PBM image.
std::shared_ptr<MacImage> imageFromPBM(const std::string& name, const std::string& path);

}  // namespace mac
