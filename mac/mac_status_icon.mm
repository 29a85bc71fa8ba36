#include "mac/mac_status_icon.h"

#import <AppKit/AppKit.h>

#include <cstring>

#include "backend/bitmap.h"
#include "backend/image_scales.h"

namespace mac {

namespace {

// The height of a menu-bar icon.
constexpr CGFloat kIconPoints = 16;

// The bitmap's pixels in a representation `points` in size.
NSBitmapImageRep* representationOf(const backend::Bitmap& bitmap, NSSize points,
                                   const std::string& path) {
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
    return nil;
  }
  std::memcpy(rep.bitmapData, pixels.data(), pixels.size());
  rep.size = points;
  return rep;
}

}  // namespace

std::shared_ptr<MacImage> imageFromPBM(const std::string& name, const std::string& path,
                                       const std::string& path2x) {
  backend::Bitmap bitmap;
  if (auto fault = backend::readPBM(path, &bitmap)) {
    reportResourceFault(*fault);
    return nullptr;
  }
  // 16 points high, as the menu bar draws its icons; a bitmap that is not
  // square keeps its proportions.
  const NSSize points = NSMakeSize(
      kIconPoints * static_cast<CGFloat>(bitmap.width) / static_cast<CGFloat>(bitmap.height),
      kIconPoints);
  NSBitmapImageRep* rep = representationOf(bitmap, points, path);
  if (!rep) return nullptr;
  NSImage* image = [[NSImage alloc] initWithSize:points];
  [image addRepresentation:rep];

  // AppKit picks the representation that suits each screen's scale.
  backend::Bitmap fine;
  if (!path2x.empty()) {
    if (auto fault = backend::readPBM(path2x, &fine))
      reportResourceFault(*fault);
    else if (!backend::isDoubleOf(bitmap, fine))
      reportResourceFault(path2x + ": not twice the size of " + path + ", left out");
    else if (NSBitmapImageRep* rep2x = representationOf(fine, points, path2x))
      [image addRepresentation:rep2x];
  }
  // `template` is a C++ keyword: the property is reached by its setter.
  [image setTemplate:YES];
  return std::make_shared<MacImage>(name, image);
}

}  // namespace mac
