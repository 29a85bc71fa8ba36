// The Accessibility API (ApplicationServices), as the agent sees it.
//
// Elements are reference-counted handles to user-interface elements of other
// processes. Every Copy/Create result is owned by the caller (wrap it with
// Ref<T>::adopt). Calls on a null element fail with kAXErrorIllegalArgument,
// as the real functions do.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/object.h"

namespace platform {

using AXError = std::int32_t;
inline constexpr AXError kAXErrorSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorIllegalArgument = -25201;
inline constexpr AXError kAXErrorInvalidUIElement = -25202;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorActionUnsupported = -25206;
inline constexpr AXError kAXErrorNotImplemented = -25208;
inline constexpr AXError kAXErrorAPIDisabled = -25211;
inline constexpr AXError kAXErrorNoValue = -25212;

// Attribute and role names the agent uses (the NSAccessibility constants).
inline constexpr const char* kAXRoleAttribute = "AXRole";
inline constexpr const char* kAXSubroleAttribute = "AXSubrole";
inline constexpr const char* kAXTitleAttribute = "AXTitle";
inline constexpr const char* kAXParentAttribute = "AXParent";
inline constexpr const char* kAXChildrenAttribute = "AXChildren";
inline constexpr const char* kAXRowsAttribute = "AXRows";
inline constexpr const char* kAXPositionAttribute = "AXPosition";
inline constexpr const char* kAXSizeAttribute = "AXSize";
inline constexpr const char* kAXDescriptionAttribute = "AXDescription";
inline constexpr const char* kAXIdentifierAttribute = "AXIdentifier";
inline constexpr const char* kAXApplicationRole = "AXApplication";

// AXValue: the box for a point, size, rect or range.
enum AXValueType : int {
  kAXValueTypeIllegal = 0,
  kAXValueCGPointType = 1,
  kAXValueCGSizeType = 2,
  kAXValueCGRectType = 3,
  kAXValueCFRangeType = 4,
};

class AXValue final : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::AXValue;
  // AXValueCreate: the record must match the type; other types give null.
  static Ref<AXValue> create(AXValueType type, const void* record);
  TypeID typeID() const override { return kTypeID; }
  std::string description() const override;
  AXValueType type() const { return type_; }
  // AXValueGetValue: copies the record out when `type` is the value's type.
  bool getValue(AXValueType type, void* record) const;

 private:
  AXValue(AXValueType type, const void* record);
  AXValueType type_;
  // One record is in use, chosen by type_.
  Point point_;
  Size size_;
  Rect rect_;
  Range range_;
};

// AXValueGetType: 0 for anything that is not an AXValue.
inline AXValueType axValueType(const Object* o) {
  auto* v = as<AXValue>(o);
  return v ? v->type() : kAXValueTypeIllegal;
}

// An element handle. What it points at is the backend's business.
class UIElement : public Object {
 public:
  static constexpr TypeID kTypeID = TypeID::UIElement;
  TypeID typeID() const override { return kTypeID; }
  static std::size_t liveCount();

 protected:
  UIElement();
  ~UIElement() override;
};

class Accessibility {
 public:
  virtual ~Accessibility() = default;

  virtual Ref<UIElement> createSystemWide() = 0;
  // Null when no element can be made for that process.
  virtual Ref<UIElement> createApplication(pid_t pid) = 0;
  virtual AXError copyElementAtPosition(const UIElement* root, float x, float y,
                                        Ref<UIElement>* element) = 0;
  virtual AXError copyAttributeNames(const UIElement* e, Ref<Array>* names) = 0;
  virtual AXError copyAttributeValue(const UIElement* e, const std::string& attribute,
                                     Ref<Object>* value) = 0;
  virtual AXError getAttributeValueCount(const UIElement* e, const std::string& attribute,
                                         long* count) = 0;
  virtual AXError isAttributeSettable(const UIElement* e, const std::string& attribute,
                                      bool* settable) = 0;
  virtual AXError setAttributeValue(const UIElement* e, const std::string& attribute,
                                    const Object& value) = 0;
  virtual AXError copyActionNames(const UIElement* e, Ref<Array>* names) = 0;
  virtual AXError copyActionDescription(const UIElement* e, const std::string& action,
                                        Ref<String>* description) = 0;
  virtual AXError performAction(const UIElement* e, const std::string& action) = 0;
  virtual AXError getPid(const UIElement* e, pid_t* pid) = 0;
  // CFEqual of two handles: the same element of the same process, even when
  // the platform handed out a separate handle for each read.
  virtual bool isEqual(const UIElement* a, const UIElement* b) { return a == b; }
  // AXUIElementSetMessagingTimeout: how long a call addressed to the element's
  // process waits for its answer before it fails with
  // kAXErrorCannotComplete. Set on the system-wide element it is the default
  // for every element of the agent; on any other element, that element's
  // own. 0 goes back to the default (the platform's is 6 s).
  virtual AXError setMessagingTimeout(const UIElement* e, float seconds) {
    (void)e;
    (void)seconds;
    return kAXErrorSuccess;
  }

  // AXIsProcessTrusted.
  virtual bool isProcessTrusted() = 0;
  // AXIsProcessTrustedWithOptions with kAXTrustedCheckOptionPrompt = prompt.
  virtual bool isProcessTrustedWithOptions(bool prompt) = 0;
};

}  // namespace platform
