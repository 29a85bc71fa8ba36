// The rules every Accessibility call keeps before and after it reaches
// another process, run over a fake platform that records what it was asked.
#include "backend/accessibility_boundary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::AXError;
using platform::Ref;

struct FakeElement final : platform::UIElement {
  std::string description() const override { return "fake"; }
};
struct OtherElement final : platform::UIElement {
  std::string description() const override { return "other desktop"; }
};

class FakeBoundary final : public backend::AccessibilityBoundary {
 public:
  AXError answer = platform::kAXErrorSuccess;
  bool answerWithResult = true;
  bool tracingOn = true;
  std::vector<std::string> asked;
  std::vector<std::string> traced;
  // What the element answers while the action runs: a press takes it away.
  std::string title = "OK";

  Ref<platform::UIElement> createSystemWide() override { return nullptr; }
  Ref<platform::UIElement> createApplication(pid_t) override { return nullptr; }
  bool isProcessTrusted() override { return true; }
  bool isProcessTrustedWithOptions(bool) override { return true; }

 protected:
  Handle handleOf(const Element* e) const override {
    return dynamic_cast<const FakeElement*>(e) ? e : nullptr;
  }
  AXError elementAt(Handle, float, float, Ref<Element>* found) override {
    asked.push_back("elementAt");
    if (answerWithResult) *found = Ref<Element>::adopt(new FakeElement);
    return answer;
  }
  AXError attributeNames(Handle, Ref<platform::Array>* names) override {
    asked.push_back("attributeNames");
    if (answerWithResult) *names = platform::make<platform::Array>();
    return answer;
  }
  AXError attributeValue(Handle, const std::string& a, Ref<platform::Object>* value) override {
    asked.push_back("attributeValue " + a);
    if (answerWithResult) *value = platform::make<platform::String>("v");
    return answer;
  }
  AXError attributeValueCount(Handle, const std::string&, long* count) override {
    asked.push_back("count");
    *count = 5;
    return answer;
  }
  AXError attributeSettable(Handle, const std::string&, bool* settable) override {
    asked.push_back("settable");
    *settable = true;
    return answer;
  }
  AXError setAttribute(Handle, const std::string&, const platform::Object&) override {
    asked.push_back("set");
    return answer;
  }
  AXError actionNames(Handle, Ref<platform::Array>* names) override {
    asked.push_back("actionNames");
    if (answerWithResult) *names = platform::make<platform::Array>();
    return answer;
  }
  AXError actionDescription(Handle, const std::string&, Ref<platform::String>* d) override {
    asked.push_back("description");
    if (answerWithResult) *d = platform::make<platform::String>("press");
    return answer;
  }
  AXError perform(Handle, const std::string& action) override {
    asked.push_back("perform " + action);
    title = "gone";
    return answer;
  }
  AXError processOf(Handle, pid_t* pid) override {
    asked.push_back("pid");
    *pid = 42;
    return answer;
  }
  bool tracing() const override { return tracingOn; }
  std::string traceLabel(Handle) override {
    asked.push_back("label");
    return "\"" + title + "\"";
  }
  void traceAction(const std::string& action, const std::string& label, AXError err) override {
    traced.push_back(action + " " + label + " " + std::to_string(err));
  }
};

TEST(AccessibilityBoundaryTest, BadArgumentsAreAnsweredWithoutAskingThePlatform) {
  FakeBoundary ax;
  Ref<FakeElement> ours = Ref<FakeElement>::adopt(new FakeElement);
  Ref<OtherElement> other = Ref<OtherElement>::adopt(new OtherElement);
  Ref<platform::Object> value;
  long count = -1;
  EXPECT_EQ(ax.copyAttributeValue(nullptr, "AXTitle", &value), platform::kAXErrorIllegalArgument);
  EXPECT_EQ(ax.copyAttributeValue(other.get(), "AXTitle", &value),
            platform::kAXErrorInvalidUIElement);
  EXPECT_EQ(ax.copyAttributeValue(ours.get(), "AXTitle", nullptr),
            platform::kAXErrorIllegalArgument);
  EXPECT_EQ(ax.getAttributeValueCount(ours.get(), "AX\xC0\xAFTitle", &count),
            platform::kAXErrorIllegalArgument);  // an overlong '/'
  EXPECT_EQ(ax.getAttributeValueCount(ours.get(), "AX\xED\xA0\x80", &count),
            platform::kAXErrorIllegalArgument);  // a surrogate
  EXPECT_EQ(ax.getPid(other.get(), nullptr), platform::kAXErrorInvalidUIElement);
  EXPECT_EQ(ax.copyElementAtPosition(ours.get(), 1, 2, nullptr), platform::kAXErrorIllegalArgument);
  EXPECT_TRUE(ax.asked.empty());
  EXPECT_EQ(count, -1);

  EXPECT_EQ(ax.getAttributeValueCount(ours.get(), "AXChildren \xE2\x80\xA6", &count),
            platform::kAXErrorSuccess);
  EXPECT_EQ(count, 5);
}

TEST(AccessibilityBoundaryTest, ResultsAreHandedOverOnlyOnSuccess) {
  FakeBoundary ax;
  Ref<FakeElement> ours = Ref<FakeElement>::adopt(new FakeElement);
  Ref<platform::Object> value = platform::make<platform::String>("before");
  long count = -1;
  bool settable = false;
  pid_t pid = 0;
  ax.answer = platform::kAXErrorCannotComplete;
  EXPECT_EQ(ax.copyAttributeValue(ours.get(), "AXTitle", &value), ax.answer);
  EXPECT_EQ(ax.getAttributeValueCount(ours.get(), "AXChildren", &count), ax.answer);
  EXPECT_EQ(ax.isAttributeSettable(ours.get(), "AXValue", &settable), ax.answer);
  EXPECT_EQ(ax.getPid(ours.get(), &pid), ax.answer);
  EXPECT_EQ(platform::as<platform::String>(value.get())->str(), "before");
  EXPECT_EQ(count, -1);
  EXPECT_FALSE(settable);
  EXPECT_EQ(pid, 0);

  // Success without a copied result keeps the caller's value, except for
  // an attribute value, where no value is the answer.
  ax.answer = platform::kAXErrorSuccess;
  ax.answerWithResult = false;
  Ref<platform::Array> names = platform::make<platform::Array>();
  const platform::Array* kept = names.get();
  EXPECT_EQ(ax.copyActionNames(ours.get(), &names), platform::kAXErrorSuccess);
  EXPECT_EQ(names.get(), kept);
  EXPECT_EQ(ax.copyAttributeValue(ours.get(), "AXTitle", &value), platform::kAXErrorSuccess);
  EXPECT_EQ(value.get(), nullptr);
}

TEST(AccessibilityBoundaryTest, AnActionIsTracedWithTheElementAsItWasBefore) {
  FakeBoundary ax;
  Ref<FakeElement> ours = Ref<FakeElement>::adopt(new FakeElement);
  Ref<OtherElement> other = Ref<OtherElement>::adopt(new OtherElement);
  EXPECT_EQ(ax.performAction(ours.get(), "AXPress"), platform::kAXErrorSuccess);
  EXPECT_EQ(ax.performAction(other.get(), "AXPress"), platform::kAXErrorInvalidUIElement);
  EXPECT_EQ(ax.performAction(ours.get(), "\xFF"), platform::kAXErrorIllegalArgument);
  EXPECT_EQ(ax.traced, (std::vector<std::string>{"AXPress \"OK\" 0", "AXPress none -25202",
                                                 "\xFF \"gone\" -25201"}));

  // Not traced: the element's process is not asked for its name.
  ax.tracingOn = false;
  ax.asked.clear();
  ax.performAction(ours.get(), "AXPress");
  EXPECT_EQ(ax.asked, std::vector<std::string>{"perform AXPress"});
}

}  // namespace
