// Whether macOS runs the bundle from a translocated copy (App Translocation),
// as the Security framework tells it.
#include "mac/mac_bundle.h"

#import <Foundation/Foundation.h>

// Exported by Security.framework since macOS 10.12 but declared in no public
// header: declared here, and imported weakly so that a system without it
// still launches the app, which then goes by the path.
extern "C" Boolean SecTranslocateIsTranslocatedURL(CFURLRef path, bool* isTranslocated,
                                                   CFErrorRef* error) __attribute__((weak_import));

namespace mac {

std::optional<bool> MacBundle::isTranslocated() {
  CFURLRef url = (__bridge CFURLRef)[[NSBundle mainBundle] bundleURL];
  bool translocated = false;
  // Absent (the weak import is null) or failed: the system does not say.
  if (!SecTranslocateIsTranslocatedURL ||
      !SecTranslocateIsTranslocatedURL(url, &translocated, nullptr))
    return std::nullopt;
  return translocated;
}

}  // namespace mac
