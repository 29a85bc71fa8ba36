// AppKit of the agent on macOS: named images, the status item with its menu,
// and the windows made from interface files.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "backend/image_lookup.h"
#include "platform/appkit.h"

#ifdef __OBJC__
@class NSImage;
#endif

namespace mac {

// One NSImage under the name the agent asked for.
class MacImage final : public platform::Image {
 public:
#ifdef __OBJC__
  MacImage(std::string name, NSImage* image);
  NSImage* nsImage() const;
#endif
  ~MacImage() override;
  MacImage(const MacImage&) = delete;
  MacImage& operator=(const MacImage&) = delete;

  const std::string& name() const override { return name_; }
  void setTemplate(bool isTemplate) override;
  bool isTemplate() const override;

 private:
  struct Native;
  std::string name_;
  std::unique_ptr<Native> native_;
};

class MacAppKit final : public platform::AppKit, private backend::ImageSources {
 public:
  MacAppKit();
  ~MacAppKit() override;
  MacAppKit(const MacAppKit&) = delete;
  MacAppKit& operator=(const MacAppKit&) = delete;

  // A NAME.pbm among the bundle's resources ("Status_Icon"), with the
  // NAME@2x.pbm beside it for Retina screens, is made into a template
  // image; every other name is NSImage imageNamed:'s, which
  // covers the system's status images and the bundle's own image files
  // (backend/image_lookup.h).
  std::shared_ptr<platform::Image> imageNamed(const std::string& name) override;
  // The item leaves the status bar when the last reference to it goes.
  std::shared_ptr<platform::StatusItem> statusItemWithLength(double length) override;
  // Reads NAME.ui from the bundle's resources. A faulty file is reported as
  // "FILE:LINE: message" to the log and standard error and gives nothing.
  platform::NibContents loadNib(const std::string& name, platform::NibObject* owner) override;

 private:
  std::shared_ptr<platform::Image> fromBitmap(const std::string& name, const std::string& path,
                                              const std::string& path2x) override;
  std::shared_ptr<platform::Image> named(const std::string& name) override;

  backend::ImageLookup images_;
};

// The bundle's resource folder ([[NSBundle mainBundle] resourcePath]).
std::string resourceDirectory();
// A fault of a resource file, "FILE:LINE: message": to the log and to
// standard error.
void reportResourceFault(const std::string& message);

}  // namespace mac
