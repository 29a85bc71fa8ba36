#include "backend/image_lookup.h"

#include "backend/image_scales.h"
#include "backend/resource_files.h"

namespace backend {

std::shared_ptr<platform::Image> ImageLookup::imageNamed(const std::string& name,
                                                         const std::string& resourceDir,
                                                         ImageSources& sources) {
  if (auto it = images_.find(name); it != images_.end()) return it->second;
  std::shared_ptr<platform::Image> image;
  if (std::string path = resourceFile(resourceDir, name, ".pbm"); !path.empty())
    image = sources.fromBitmap(name, path,
                               resourceFile(resourceDir, doubleResolutionName(name), ".pbm"));
  else
    image = sources.named(name);
  if (!image) return nullptr;
  return images_[name] = image;
}

}  // namespace backend
