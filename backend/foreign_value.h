// Values of another process, converted to platform objects and back by one
// walker, whatever the platform's own type system. The walker holds the
// policy: the order in which kinds are tried, the bounds of
// ForeignValueBudget, the nesting limit, and that an array with one entry
// that cannot be converted back is no array at all. A backend implements
// ForeignValue and ForeignValueMaker with one platform call per question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backend/foreign_value_limits.h"
#include "platform/accessibility.h"
#include "platform/object.h"

namespace backend {

// One borrowed value. The walker asks what it is in a fixed order and asks
// for the content of the first kind that answers yes only.
class ForeignValue {
 public:
  virtual ~ForeignValue() = default;
  virtual bool isString() const = 0;
  // Asked before isNumber: where booleans are numbers too, a boolean wins.
  virtual bool isBoolean() const = 0;
  virtual bool isNumber() const = 0;
  virtual bool isArray() const = 0;
  virtual bool isElement() const = 0;
  // A point, size, rect or range box (or a box of some other kind).
  virtual bool isRecord() const = 0;

  // String: the most UTF-8 bytes its text can take, negative when unknown.
  virtual std::int64_t utf8BytesAtMost() const = 0;
  // String: its text as UTF-8, at most `maxBytes` bytes; the end may cut a
  // character, and characters UTF-8 cannot hold become '?'.
  virtual std::string text(std::size_t maxBytes) const = 0;
  virtual bool boolean() const = 0;
  virtual bool isFloat() const = 0;
  virtual std::int64_t integer() const = 0;
  virtual double real() const = 0;
  // Array: its length and its entries, each borrowed for the walk.
  virtual std::size_t count() const = 0;
  virtual std::unique_ptr<ForeignValue> at(std::size_t i) const = 0;
  // Element: a new platform element for it.
  virtual platform::Ref<platform::Object> element() const = 0;
  // Record: its kind (kAXValueTypeIllegal and higher values are no record
  // the platform knows) and a copy of its record of that kind.
  virtual platform::AXValueType recordType() const = 0;
  virtual bool readRecord(platform::AXValueType type, void* record) const = 0;
};

// A value as a new platform object; null for a value of no kind above and
// for a record of a kind the platform has none for (inside an array, a
// null entry). Strings and arrays are cut as `budget` allows.
platform::Ref<platform::Object> objectFromForeign(const ForeignValue& value,
                                                  ForeignValueBudget& budget);
// A string's text within `budget`, never ending inside a character.
std::string textFromForeign(const ForeignValue& value, ForeignValueBudget& budget);

// Makes the platform's values. A handle is one reference the caller owns;
// null means the value could not be made.
class ForeignValueMaker {
 public:
  using Handle = const void*;
  virtual ~ForeignValueMaker() = default;
  virtual Handle string(const std::string& utf8) = 0;
  virtual Handle integer(std::int64_t value) = 0;
  virtual Handle real(double value) = 0;
  virtual Handle boolean(bool value) = 0;
  // An array of the entries, which it retains.
  virtual Handle array(const std::vector<Handle>& entries) = 0;
  // A box of `record`, a platform record of `type`.
  virtual Handle record(platform::AXValueType type, const void* record) = 0;
  // The backend's own handle of an element, not retained; null for an
  // element of another desktop.
  virtual Handle elementHandle(const platform::UIElement& element) = 0;
  virtual Handle retain(Handle handle) = 0;
  virtual void release(Handle handle) = 0;
};

// The object as a value the caller owns, or null when it has none: a
// keyboard event, another desktop's element, an array holding either or
// nested deeper than kMaxForeignNesting (a shorter or flatter array would
// be another value).
ForeignValueMaker::Handle makeForeign(const platform::Object& object, ForeignValueMaker& maker);

}  // namespace backend
