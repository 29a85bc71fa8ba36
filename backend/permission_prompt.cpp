#include "backend/permission_prompt.h"

namespace backend {

bool opensAccessibilitySettings(bool prompted, bool trusted) { return prompted && !trusted; }

}  // namespace backend
