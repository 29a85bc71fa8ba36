// The status icon, kept as plain PBM bitmaps among the bundle's resources
// ("Status_Icon", and "Status_Icon@2x" for Retina screens), made into an
// image the menu bar can draw.
#pragma once

#include <memory>
#include <string>

#include "mac/mac_appkit.h"

namespace mac {

// The bitmap at `path` as an image 16 points high (16 x 16 for a square
// bitmap): ink black and opaque, the rest transparent. `path2x`, when not
// empty, is the same drawing at twice the resolution and becomes the
// image's second representation, of the same points; one that is not
// exactly twice the size is reported and left out. The image is a template
// from the start: a status button draws an image as it is when given it,
// so the flag must be set before. Null, with the fault reported, when the
// 1x file is unreadable or no PBM image.
std::shared_ptr<MacImage> imageFromPBM(const std::string& name, const std::string& path,
                                       const std::string& path2x);

}  // namespace mac
