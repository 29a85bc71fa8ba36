// A bitmap resource at two resolutions: NAME.pbm for 1x screens and, beside
// it, NAME@2x.pbm drawn at twice the resolution for Retina screens. Both
// fill the same points; the simulated desktop reads NAME.pbm only.
#pragma once

#include <string>

#include "backend/bitmap.h"

namespace backend {

// NAME@2x, the resource name of the finer drawing.
std::string doubleResolutionName(const std::string& name);

// Whether `doubled` can stand beside `base` at 2x: exactly twice as wide
// and twice as high.
bool isDoubleOf(const Bitmap& base, const Bitmap& doubled);

}  // namespace backend
