#include "backend/image_scales.h"

namespace backend {

std::string doubleResolutionName(const std::string& name) { return name + "@2x"; }

bool isDoubleOf(const Bitmap& base, const Bitmap& doubled) {
  return base.width > 0 && base.height > 0 && doubled.width == base.width * 2 &&
         doubled.height == base.height * 2;
}

}  // namespace backend
