#include "backend/updater_loading.h"

namespace backend {

std::optional<std::string> loadUpdaterFramework(UpdaterFramework& framework) {
  if (!framework.find()) return "the application bundle has no Sparkle.framework";
  std::string error;
  if (!framework.load(&error))
    return error.empty() ? std::string("Sparkle.framework does not load") : error;
  if (!framework.findUpdater()) return "Sparkle.framework has no SUUpdater";
  return std::nullopt;
}

}  // namespace backend
