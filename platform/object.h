// Reference-counted platform objects: the stand-in for CoreFoundation types.
//
// Everything the platform hands out from a Create or Copy call is an Object
// with one reference that the caller owns. Ref<T> holds such a reference and
// releases it when it goes away; Ref<T>::adopt() takes over a Create/Copy
// result, Ref<T>::retain() adds a reference to a borrowed one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class TypeID { String, Number, Boolean, Array, AXValue, UIElement, KeyboardEvent };

class Object {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  virtual TypeID typeID() const = 0;
  // The platform's description text (what %@ prints).
  virtual std::string description() const = 0;

  void retain() const { ++refs_; }
  void release() const {
    if (--refs_ == 0) delete this;
  }

  // Objects alive right now, of any type: lets tests prove nothing leaks.
  static std::size_t liveCount();

 protected:
  Object();
  virtual ~Object();

 private:
  mutable long refs_ = 1;
};

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  static Ref adopt(T* p) { return Ref(p); }
  static Ref retain(T* p) {
    if (p) p->retain();
    return Ref(p);
  }
  Ref(const Ref& o) : p_(o.p_) {
    if (p_) p_->retain();
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& o) : p_(o.get()) {
    if (p_) p_->retain();
  }
  template <class U>
  Ref(Ref<U>&& o) noexcept : p_(o.leak()) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() {
    if (p_) p_->release();
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void reset() { *this = Ref(); }
  // Gives up ownership without releasing (for moves between Ref types).
  T* leak() { return std::exchange(p_, nullptr); }

 private:
  explicit Ref(T* p) : p_(p) {}
  T* p_ = nullptr;
};

template <class T, class... Args>
Ref<T> make(Args&&... args) {
  return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

// The checked downcast of CFGetTypeID comparisons: null when the type differs.
template <class T>
T* as(const Object* o) {
  return o && o->typeID() == T::kTypeID ? static_cast<T*>(const_cast<Object*>(o)) : nullptr;
}

class String final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::String;
  explicit String(std::string utf8) : text_(std::move(utf8)) {}
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override { return text_; }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

// A number as NSNumber keeps it: an integer or a floating-point value.
class Number final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::Number;
  explicit Number(std::int64_t v) : isFloat_(false), integer_(v), real_(static_cast<double>(v)) {}
  explicit Number(double v) : isFloat_(true), integer_(static_cast<std::int64_t>(v)), real_(v) {}
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override;
  bool isFloat() const { return isFloat_; }
  std::int64_t integerValue() const { return integer_; }
  double doubleValue() const { return real_; }

 private:
  bool isFloat_;
  std::int64_t integer_;
  double real_;
};

class Boolean final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::Boolean;
  explicit Boolean(bool v) : value_(v) {}
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override { return value_ ? "1" : "0"; }
  bool value() const { return value_; }

 private:
  bool value_;
};

class Array final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::Array;
  Array() = default;
  explicit Array(std::vector<Ref<Object>> items) : items_(std::move(items)) {}
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override;
  std::size_t count() const { return items_.size(); }
  Object* at(std::size_t i) const { return items_.at(i).get(); }
  void append(Ref<Object> o) { items_.push_back(std::move(o)); }

 private:
  std::vector<Ref<Object>> items_;
};

// Convenience for name lists and the like.
Ref<Array> stringArray(const std::vector<std::string>& items);
// True when an array of strings holds `s` (string equality).
bool arrayContainsString(const Array& a, const std::string& s);

}  // namespace platform
