// Where an image of a name comes from, the same on both desktops, in this
// order: the image made for that name before (one shared image per name);
// the application's bitmap resource NAME.pbm, with NAME@2x.pbm beside it
// for twice the resolution; what the platform knows by that name (its own
// images, then the bundle's image files). A name nothing answers to gives
// nothing and is looked up again when asked for again.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/appkit.h"

namespace backend {

class ImageSources {
 public:
  virtual ~ImageSources() = default;
  // The image drawn by the bitmap at `path` (and at `path2x`, when not
  // empty); null when it cannot be read.
  virtual std::shared_ptr<platform::Image> fromBitmap(const std::string& name,
                                                      const std::string& path,
                                                      const std::string& path2x) = 0;
  // What the platform knows by that name; null for nothing.
  virtual std::shared_ptr<platform::Image> named(const std::string& name) = 0;
};

class ImageLookup {
 public:
  std::shared_ptr<platform::Image> imageNamed(const std::string& name,
                                              const std::string& resourceDir,
                                              ImageSources& sources);

 private:
  std::map<std::string, std::shared_ptr<platform::Image>> images_;
};

}  // namespace backend
