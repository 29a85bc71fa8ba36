#include "mac/cf_values.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "backend/foreign_value.h"
#include "mac/mac_accessibility.h"
#include "platform/accessibility.h"

// After the platform headers: the SDK's AX attribute macros would rewrite
// the platform's constants of the same names.
#include <ApplicationServices/ApplicationServices.h>

namespace mac {

namespace {

// Records are copied whole; these hold on every Mac we build, 64-bit
// only since macOS 11, so the platform's records are laid out alike.
static_assert(sizeof(CFIndex) == sizeof(std::int64_t));
static_assert(sizeof(CGFloat) == sizeof(double));

using platform::Ref;

// The platform's records and kinds of box are CoreGraphics' and
// Accessibility's own: a record is copied in and out as it is.
static_assert(sizeof(platform::Point) == sizeof(CGPoint));
static_assert(sizeof(platform::Size) == sizeof(CGSize));
static_assert(sizeof(platform::Rect) == sizeof(CGRect));
static_assert(sizeof(platform::Range) == sizeof(CFRange));
static_assert(platform::kAXValueCGPointType == static_cast<int>(kAXValueTypeCGPoint));
static_assert(platform::kAXValueCGSizeType == static_cast<int>(kAXValueTypeCGSize));
static_assert(platform::kAXValueCGRectType == static_cast<int>(kAXValueTypeCGRect));
static_assert(platform::kAXValueCFRangeType == static_cast<int>(kAXValueTypeCFRange));

// One borrowed CoreFoundation value; null is a value of no kind (no type
// has the identifier 0).
class CFForeignValue final : public backend::ForeignValue {
 public:
  explicit CFForeignValue(CFTypeRef value) : value_(value), type_(value ? CFGetTypeID(value) : 0) {}

  bool isString() const override { return type_ == CFStringGetTypeID(); }
  bool isBoolean() const override { return type_ == CFBooleanGetTypeID(); }
  bool isNumber() const override { return type_ == CFNumberGetTypeID(); }
  bool isArray() const override { return type_ == CFArrayGetTypeID(); }
  bool isElement() const override { return type_ == AXUIElementGetTypeID(); }
  bool isRecord() const override { return type_ == AXValueGetTypeID(); }

  std::int64_t utf8BytesAtMost() const override {
    // kCFNotFound (negative) when the count would overflow.
    return CFStringGetMaximumSizeForEncoding(CFStringGetLength(string()), kCFStringEncodingUTF8);
  }
  std::string text(std::size_t maxBytes) const override {
    // CFStringGetBytes stops at the buffer's end; '?' stands for what UTF-8
    // cannot hold, so one bad character does not lose the whole string.
    std::string text(maxBytes, '\0');
    CFIndex used = 0;
    CFStringGetBytes(string(), CFRangeMake(0, CFStringGetLength(string())), kCFStringEncodingUTF8,
                     '?', false, reinterpret_cast<UInt8*>(text.data()),
                     static_cast<CFIndex>(maxBytes), &used);
    text.resize(static_cast<std::size_t>(used));
    return text;
  }
  bool boolean() const override { return CFBooleanGetValue(static_cast<CFBooleanRef>(value_)); }
  bool isFloat() const override { return CFNumberIsFloatType(number()); }
  std::int64_t integer() const override {
    SInt64 i = 0;
    CFNumberGetValue(number(), kCFNumberSInt64Type, &i);
    return i;
  }
  double real() const override {
    double d = 0;
    CFNumberGetValue(number(), kCFNumberDoubleType, &d);
    return d;
  }
  std::size_t count() const override {
    // CFIndex is signed; a count below zero is no count.
    return static_cast<std::size_t>(std::max<CFIndex>(0, CFArrayGetCount(array())));
  }
  std::unique_ptr<backend::ForeignValue> at(std::size_t i) const override {
    return std::make_unique<CFForeignValue>(
        CFArrayGetValueAtIndex(array(), static_cast<CFIndex>(i)));
  }
  Ref<platform::Object> element() const override { return MacElement::retain(value_); }
  platform::AXValueType recordType() const override {
    return static_cast<platform::AXValueType>(AXValueGetType(box()));
  }
  bool readRecord(platform::AXValueType type, void* record) const override {
    return AXValueGetValue(box(), static_cast<AXValueType>(type), record);
  }

 private:
  CFStringRef string() const { return static_cast<CFStringRef>(value_); }
  CFNumberRef number() const { return static_cast<CFNumberRef>(value_); }
  CFArrayRef array() const { return static_cast<CFArrayRef>(value_); }
  AXValueRef box() const { return static_cast<AXValueRef>(value_); }

  CFTypeRef value_;
  CFTypeID type_;
};

class CFValueMaker final : public backend::ForeignValueMaker {
 public:
  Handle string(const std::string& utf8) override { return createCFString(utf8); }
  Handle integer(std::int64_t value) override {
    SInt64 i = value;
    return CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i);
  }
  Handle real(double value) override {
    return CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &value);
  }
  Handle boolean(bool value) override { return CFRetain(value ? kCFBooleanTrue : kCFBooleanFalse); }
  Handle array(const std::vector<Handle>& entries) override {
    return CFArrayCreate(kCFAllocatorDefault, const_cast<const void**>(entries.data()),
                         static_cast<CFIndex>(entries.size()), &kCFTypeArrayCallBacks);
  }
  Handle record(platform::AXValueType type, const void* record) override {
    return AXValueCreate(static_cast<AXValueType>(type), record);
  }
  Handle elementHandle(const platform::UIElement& element) override {
    return MacElement::handleOf(&element);
  }
  Handle retain(Handle handle) override { return CFRetain(handle); }
  void release(Handle handle) override { CFRelease(handle); }
};

}  // namespace

Ref<platform::Object> objectFromCF(CFTypeRef value) {
  backend::ForeignValueBudget budget;
  return backend::objectFromForeign(CFForeignValue(value), budget);
}

CFTypeRef createCFValue(const platform::Object& object) {
  CFValueMaker maker;
  return backend::makeForeign(object, maker);
}

std::optional<std::string> stringFromCF(CFStringRef s) {
  if (!s) return std::nullopt;
  backend::ForeignValueBudget budget;
  return backend::textFromForeign(CFForeignValue(s), budget);
}

CFStringRef createCFString(const std::string& utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
}

std::string describeCF(CFTypeRef value) {
  if (!value) return "(null)";
  auto text = ScopedCF<CFStringRef>::adopt(CFCopyDescription(value));
  return stringFromCF(text.get()).value_or("(null)");
}

}  // namespace mac
