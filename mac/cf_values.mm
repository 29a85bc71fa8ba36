#include "mac/cf_values.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "backend/foreign_value_limits.h"
#include "mac/mac_accessibility.h"
#include "platform/accessibility.h"

// After the platform headers: the SDK's AX attribute macros would rewrite
// the platform's constants of the same names.
#include <ApplicationServices/ApplicationServices.h>

namespace mac {

namespace {

// Records are converted field by field; these hold on every Mac we build for
// (64-bit only since macOS 11), so no field can lose range on the way.
static_assert(sizeof(CFIndex) == sizeof(std::int64_t));
static_assert(sizeof(CGFloat) == sizeof(double));

using platform::Ref;

std::string boundedString(CFStringRef s, backend::ForeignValueBudget& budget) {
  CFIndex length = CFStringGetLength(s);
  std::size_t room = budget.textAllowance();
  CFIndex most = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8);
  if (most != kCFNotFound && static_cast<std::size_t>(most) < room)
    room = static_cast<std::size_t>(most);
  // CFStringGetBytes stops at the buffer's end; '?' stands for what UTF-8
  // cannot hold, so one bad character does not lose the whole string.
  std::string text(room, '\0');
  CFIndex used = 0;
  CFStringGetBytes(s, CFRangeMake(0, length), kCFStringEncodingUTF8, '?', false,
                   reinterpret_cast<UInt8*>(text.data()), static_cast<CFIndex>(room), &used);
  text.resize(
      backend::wholeUTF8Length(std::string_view(text.data(), static_cast<std::size_t>(used))));
  budget.spendText(text.size());
  return text;
}

Ref<platform::Object> axValueFromCF(AXValueRef v) {
  switch (AXValueGetType(v)) {
    case kAXValueTypeCGPoint: {
      CGPoint p;
      if (!AXValueGetValue(v, kAXValueTypeCGPoint, &p)) return nullptr;
      platform::Point record{p.x, p.y};
      return platform::AXValue::create(platform::kAXValueCGPointType, &record);
    }
    case kAXValueTypeCGSize: {
      CGSize s;
      if (!AXValueGetValue(v, kAXValueTypeCGSize, &s)) return nullptr;
      platform::Size record{s.width, s.height};
      return platform::AXValue::create(platform::kAXValueCGSizeType, &record);
    }
    case kAXValueTypeCGRect: {
      CGRect r;
      if (!AXValueGetValue(v, kAXValueTypeCGRect, &r)) return nullptr;
      platform::Rect record{{r.origin.x, r.origin.y}, {r.size.width, r.size.height}};
      return platform::AXValue::create(platform::kAXValueCGRectType, &record);
    }
    case kAXValueTypeCFRange: {
      CFRange r;
      if (!AXValueGetValue(v, kAXValueTypeCFRange, &r)) return nullptr;
      platform::Range record{r.location, r.length};
      return platform::AXValue::create(platform::kAXValueCFRangeType, &record);
    }
    default: return nullptr;  // an AXError box or an unknown kind
  }
}

Ref<platform::Object> convert(CFTypeRef value, backend::ForeignValueBudget& budget);

Ref<platform::Object> arrayFromCF(CFArrayRef array, backend::ForeignValueBudget& budget) {
  if (!budget.enterArray()) return nullptr;
  CFIndex count = CFArrayGetCount(array);
  std::size_t taken = budget.takeEntries(count > 0 ? static_cast<std::size_t>(count) : 0);
  std::vector<Ref<platform::Object>> items;
  items.reserve(taken);
  for (std::size_t i = 0; i < taken; ++i)
    items.push_back(convert(CFArrayGetValueAtIndex(array, static_cast<CFIndex>(i)), budget));
  budget.leaveArray();
  return platform::make<platform::Array>(std::move(items));
}

Ref<platform::Object> convert(CFTypeRef value, backend::ForeignValueBudget& budget) {
  if (!value) return nullptr;
  CFTypeID type = CFGetTypeID(value);
  if (type == CFStringGetTypeID())
    return platform::make<platform::String>(boundedString(static_cast<CFStringRef>(value), budget));
  // CFBoolean before CFNumber: both bridge to NSNumber, but a boolean is
  // its own CoreFoundation type.
  if (type == CFBooleanGetTypeID())
    return platform::make<platform::Boolean>(CFBooleanGetValue(static_cast<CFBooleanRef>(value)));
  if (type == CFNumberGetTypeID()) {
    auto number = static_cast<CFNumberRef>(value);
    if (CFNumberIsFloatType(number)) {
      double d = 0;
      CFNumberGetValue(number, kCFNumberDoubleType, &d);
      return platform::make<platform::Number>(d);
    }
    SInt64 i = 0;
    CFNumberGetValue(number, kCFNumberSInt64Type, &i);
    return platform::make<platform::Number>(static_cast<std::int64_t>(i));
  }
  if (type == CFArrayGetTypeID()) return arrayFromCF(static_cast<CFArrayRef>(value), budget);
  if (type == AXUIElementGetTypeID()) return MacElement::retain(value);
  if (type == AXValueGetTypeID()) return axValueFromCF(static_cast<AXValueRef>(value));
  return nullptr;
}

CFTypeRef createAXValue(const platform::AXValue& value) {
  switch (value.type()) {
    case platform::kAXValueCGPointType: {
      platform::Point p;
      if (!value.getValue(platform::kAXValueCGPointType, &p)) return nullptr;
      CGPoint record{p.x, p.y};
      return AXValueCreate(kAXValueTypeCGPoint, &record);
    }
    case platform::kAXValueCGSizeType: {
      platform::Size s;
      if (!value.getValue(platform::kAXValueCGSizeType, &s)) return nullptr;
      CGSize record{s.width, s.height};
      return AXValueCreate(kAXValueTypeCGSize, &record);
    }
    case platform::kAXValueCGRectType: {
      platform::Rect r;
      if (!value.getValue(platform::kAXValueCGRectType, &r)) return nullptr;
      CGRect record{{r.origin.x, r.origin.y}, {r.size.width, r.size.height}};
      return AXValueCreate(kAXValueTypeCGRect, &record);
    }
    case platform::kAXValueCFRangeType: {
      platform::Range r;
      if (!value.getValue(platform::kAXValueCFRangeType, &r)) return nullptr;
      CFRange record{static_cast<CFIndex>(r.location), static_cast<CFIndex>(r.length)};
      return AXValueCreate(kAXValueTypeCFRange, &record);
    }
    default: return nullptr;
  }
}

CFTypeRef create(const platform::Object& object, int depth);

CFTypeRef createArray(const platform::Array& array, int depth) {
  // The agent's own values; the depth bound only guards against a value
  // that holds itself.
  if (depth >= backend::kMaxForeignNesting) return nullptr;
  CFMutableArrayRef out = CFArrayCreateMutable(
      kCFAllocatorDefault, static_cast<CFIndex>(array.count()), &kCFTypeArrayCallBacks);
  if (!out) return nullptr;
  for (std::size_t i = 0; i < array.count(); ++i) {
    // One entry without a CoreFoundation form spoils the whole array: a
    // shorter array written to another process would be a different value.
    const platform::Object* entry = array.at(i);
    CFTypeRef converted = entry ? create(*entry, depth + 1) : nullptr;
    if (!converted) {
      CFRelease(out);
      return nullptr;
    }
    CFArrayAppendValue(out, converted);
    CFRelease(converted);
  }
  return out;
}

CFTypeRef create(const platform::Object& object, int depth) {
  if (auto* s = platform::as<platform::String>(&object)) return createCFString(s->str());
  if (auto* n = platform::as<platform::Number>(&object)) {
    if (n->isFloat()) {
      double d = n->doubleValue();
      return CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &d);
    }
    SInt64 i = n->integerValue();
    return CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i);
  }
  if (auto* b = platform::as<platform::Boolean>(&object))
    return CFRetain(b->value() ? kCFBooleanTrue : kCFBooleanFalse);
  if (auto* a = platform::as<platform::Array>(&object)) return createArray(*a, depth);
  if (auto* v = platform::as<platform::AXValue>(&object)) return createAXValue(*v);
  if (auto* e = platform::as<platform::UIElement>(&object)) {
    CFTypeRef handle = MacElement::handleOf(e);
    return handle ? CFRetain(handle) : nullptr;
  }
  return nullptr;
}

}  // namespace

Ref<platform::Object> objectFromCF(CFTypeRef value) {
  backend::ForeignValueBudget budget;
  return convert(value, budget);
}

CFTypeRef createCFValue(const platform::Object& object) { return create(object, 0); }

std::optional<std::string> stringFromCF(CFStringRef s) {
  if (!s) return std::nullopt;
  backend::ForeignValueBudget budget;
  return boundedString(s, budget);
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
