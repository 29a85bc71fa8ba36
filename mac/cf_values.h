// CoreFoundation values to platform objects and back: CFString, CFNumber,
// CFBoolean, CFArray, AXUIElementRef and the four kinds of AXValue.
//
// A value of any other CoreFoundation type (CFNull, CFURL, CFDate, CFData,
// CFDictionary, CFAttributedString, AXTextMarker, an AXValue of the AXError
// kind ...) has no platform type and converts to null; inside an array it
// becomes a null entry. Handing such a value over as a String of its
// description would lie to the agent, which tells strings from other values
// when it writes an attribute back.
//
// Values come from other processes: what objectFromCF converts is bounded by
// backend::ForeignValueBudget (strings and arrays cut at their limits).
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/object.h"

namespace mac {

// One CoreFoundation reference, released when it goes.
template <class T>
class ScopedCF {
 public:
  ScopedCF() = default;
  // Takes over a Create/Copy result (null is fine).
  static ScopedCF adopt(T ref) { return ScopedCF(ref); }
  ScopedCF(ScopedCF&& o) noexcept : ref_(std::exchange(o.ref_, nullptr)) {}
  ScopedCF& operator=(ScopedCF&& o) noexcept {
    std::swap(ref_, o.ref_);
    return *this;
  }
  ScopedCF(const ScopedCF&) = delete;
  ScopedCF& operator=(const ScopedCF&) = delete;
  ~ScopedCF() {
    if (ref_) CFRelease(ref_);
  }
  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }
  // Where a Copy call writes its result; releases what was held before.
  T* out() {
    if (ref_) CFRelease(std::exchange(ref_, nullptr));
    return &ref_;
  }
  // Gives up the reference without releasing it, to a new owner.
  T take() { return std::exchange(ref_, nullptr); }

 private:
  explicit ScopedCF(T ref) : ref_(ref) {}
  T ref_ = nullptr;
};

// A borrowed value as a new platform object; null for null and for values
// of a type the platform has none for.
platform::Ref<platform::Object> objectFromCF(CFTypeRef value);

// The platform object as a CoreFoundation value the caller owns; null when
// it has no CoreFoundation form (a keyboard event, another desktop's
// element, an array holding either).
CFTypeRef createCFValue(const platform::Object& object);

// A CFString's text as UTF-8, cut to backend::kMaxForeignStringBytes at a
// character boundary; characters that UTF-8 cannot hold (unpaired
// surrogates) become '?'. Nothing for null.
std::optional<std::string> stringFromCF(CFStringRef s);

// UTF-8 as a CFString the caller owns; null when the text is not UTF-8.
CFStringRef createCFString(const std::string& utf8);

// CFCopyDescription's text of any value ("(null)" for null).
std::string describeCF(CFTypeRef value);

}  // namespace mac
