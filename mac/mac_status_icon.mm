#include "mac/mac_status_icon.h"

#import <AppKit/AppKit.h>

#include <cstring>

#include "backend/bitmap.h"

namespace mac {

namespace {
// The height of a menu-bar icon.
constexpr CGFloat kIconPoints = 16;
}  // namespace

std::shared_ptr<MacImage> imageFromPBM(const std::string& name, const std::string& path) {
  backend::Bitmap bitmap;
  if (auto fault = backend::readPBM(path, &bitmap)) {
    reportResourceFault(*fault);
    return nullptr;
  }
  std::vector<unsigned char> pixels = backend::templateRGBA(bitmap);
  const auto width = static_cast<NSInteger>(bitmap.width);
  const auto height = static_cast<NSInteger>(bitmap.height);
  // The representation allocates its own buffer; the pixels are copied in.
  // Black ink reads the same premultiplied or not, the default format.
  NSBitmapImageRep* rep = [[NSBitmapImageRep alloc] initWithBitmapDataPlanes:nullptr
                                                                  pixelsWide:width
                                                                  pixelsHigh:height
                                                               bitsPerSample:8
                                                             samplesPerPixel:4
                                                                    hasAlpha:YES
                                                                    isPlanar:NO
                                                              colorSpaceName:NSDeviceRGBColorSpace
                                                                 bytesPerRow:width * 4
                                                                bitsPerPixel:32];
  if (!rep || !rep.bitmapData || rep.bytesPerRow != width * 4) {
    reportResourceFault(path + ": no bitmap of " + std::to_string(width) + " x " +
                        std::to_string(height) + " pixels can be made");
    return nullptr;
  }
  std::memcpy(rep.bitmapData, pixels.data(), pixels.size());
  // 16 points high, as the menu bar draws its icons; a bitmap that is not
  // square keeps its proportions.
  rep.size = NSMakeSize(kIconPoints * static_cast<CGFloat>(width) / static_cast<CGFloat>(height),
                        kIconPoints);
  NSImage* image = [[NSImage alloc] initWithSize:rep.size];
  [image addRepresentation:rep];
  return std::make_shared<MacImage>(name, image);
}

}  // namespace mac
