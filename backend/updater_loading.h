// Loading the update framework from the bundle, step by step, and why
// updates are unavailable when a step fails: said once in the log.
#pragma once

#include <optional>
#include <string>

namespace backend {

// The steps, each one platform call.
class UpdaterFramework {
 public:
  virtual ~UpdaterFramework() = default;
  // Whether the bundle holds the framework.
  virtual bool find() = 0;
  // Loads its code; false with the platform's reason (maybe empty) when
  // it does not load.
  virtual bool load(std::string* error) = 0;
  // Whether the loaded code has the updater class, answering for its
  // shared updater.
  virtual bool findUpdater() = 0;
};

// Runs the steps in order, stopping at the first that fails: nothing when
// updates are available, else why not.
std::optional<std::string> loadUpdaterFramework(UpdaterFramework& framework);

}  // namespace backend
