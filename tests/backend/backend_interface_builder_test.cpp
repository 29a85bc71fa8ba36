// The interface builder: what both desktops do alike when they make a
// window from its declarations (the file's objects through the class
// registry, targets and bindings resolved, images looked up, outlets
// connected to the owner once everything exists), seen through a factory
// that records what it is asked to make.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backend/interface_builder.h"
#include "tests/fake_platform.h"

namespace {

using backend::InterfaceError;

// An object that says what it is, so that the record can name it.
class Named : public platform::NibObject {
 public:
  explicit Named(std::string name) : name(std::move(name)) {}
  std::string name;
};

std::string nameOf(const platform::NibObject* object) {
  if (!object) return "null";
  auto* named = dynamic_cast<const Named*>(object);
  return named ? named->name : "unnamed";
}

// The owner: it has the outlets it is given and records each connection.
class Owner final : public Named {
 public:
  Owner(std::set<std::string> outlets, std::vector<std::string>* log)
      : Named("owner"), outlets_(std::move(outlets)), log_(log) {}
  bool connectOutlet(const std::string& outlet, std::shared_ptr<NibObject> object) override {
    if (!outlets_.count(outlet)) return false;
    log_->push_back("outlet " + outlet + " = " + nameOf(object.get()));
    connected[outlet] = std::move(object);
    return true;
  }
  std::map<std::string, std::shared_ptr<NibObject>> connected;

 private:
  std::set<std::string> outlets_;
  std::vector<std::string>* log_;
};

class RecordingFactory final : public backend::ControlFactory {
 public:
  explicit RecordingFactory(std::vector<std::string>* log) : log_(log) {}

  void makeWindow(const backend::WindowInterface& file) override {
    log_->push_back("window " + file.name);
  }
  std::shared_ptr<platform::NibObject> makeButton(const backend::ButtonDecl& d,
                                                  platform::NibObject* target) override {
    log_->push_back("button " + d.title + " -> " + nameOf(target));
    return control("button " + d.title);
  }
  std::shared_ptr<platform::NibObject> makeCheckbox(const backend::CheckboxDecl& d,
                                                    platform::NibObject* boundObject) override {
    log_->push_back("checkbox " + d.title + " bound to " +
                    (boundObject ? nameOf(boundObject) : "defaults") + "." + d.binding.key);
    return control("checkbox " + d.title);
  }
  std::shared_ptr<platform::NibObject> makeImageView(
      const backend::ImageViewDecl&, std::shared_ptr<platform::Image> image) override {
    log_->push_back("imageview " + (image ? image->name() : "none"));
    images.push_back(std::move(image));
    return control("imageview");
  }
  void makePopup(const backend::PopupDecl& d) override { log_->push_back("popup " + d.title); }
  void makeSlider(const backend::SliderDecl& d) override { log_->push_back("slider " + d.title); }
  std::shared_ptr<platform::NibObject> makeText(const backend::TextDecl&) override {
    log_->push_back("text");
    return control("text");
  }
  void keep(std::shared_ptr<platform::NibObject> object) override {
    log_->push_back("keep " + nameOf(object.get()));
    kept.push_back(std::move(object));
  }

  std::vector<std::shared_ptr<platform::NibObject>> kept;      // the file's objects
  std::vector<std::shared_ptr<platform::NibObject>> controls;  // what an outlet may get
  std::vector<std::shared_ptr<platform::Image>> images;        // each image view's

 private:
  std::shared_ptr<platform::NibObject> control(const std::string& name) {
    controls.push_back(std::make_shared<Named>(name));
    return controls.back();
  }
  std::vector<std::string>* log_;
};

// Classes the registry makes for these tests only; each instance is named
// after its class and its place in the order of creation.
const std::string kThing = "BackendBuilderTestThing";
const std::string kDelegate = "BackendBuilderTestDelegate";

class TestDelegate final : public platform::ApplicationDelegate {
 public:
  void applicationDidFinishLaunching() override {}
};

void registerTestClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  static int made = 0;
  platform::ClassRegistry::registerClass(
      kThing, [] { return std::make_shared<Named>("thing" + std::to_string(++made)); });
  platform::ClassRegistry::registerClass(kDelegate,
                                         [] { return std::make_shared<TestDelegate>(); });
}

class InterfaceBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    registerTestClasses();
    fake_->kit.imageNames = {"NSStatusAvailable", "Status_Icon"};
  }

  // Reads TEXT as the window interface Test.ui and builds it for an owner
  // with OUTLETS.
  void build(const std::string& text, std::set<std::string> outlets = {}) {
    owner_ = std::make_unique<Owner>(std::move(outlets), &log_);
    buildFor(text, owner_.get());
  }
  void buildFor(const std::string& text, platform::NibObject* owner) {
    auto file = backend::readWindowInterface(backend::parseInterfaceText("Test.ui", text));
    backend::buildInterface(file, owner, factory_);
  }
  std::string buildError(const std::string& text, std::set<std::string> outlets = {}) {
    try {
      build(text, std::move(outlets));
    } catch (const InterfaceError& e) {
      return e.what();
    }
    return "";
  }

  fake::ScopedPlatform fake_;
  std::vector<std::string> log_;
  RecordingFactory factory_{&log_};
  std::unique_ptr<Owner> owner_;
};

using Log = std::vector<std::string>;

TEST_F(InterfaceBuilder, MakesTheWindowFirstThenEachDeclarationInFileOrder) {
  build(
      "window 0 0 100 100\n"
      "imageview\n"
      "popup \"Key\" bind defaults modKey items \"None\"\n"
      "button \"Go\"\n"
      "slider \"Delay\" bind defaults delay min 0 max 2\n"
      "checkbox \"Stacks\" bind defaults ActivateStackOnHover\n");
  EXPECT_EQ(log_, (Log{"window Test", "imageview none", "popup Key", "button Go -> owner",
                       "slider Delay", "checkbox Stacks bound to defaults.ActivateStackOnHover"}));
}

TEST_F(InterfaceBuilder, ResolvesTargetsAndBindingsToTheOwnerOrTheNamedObject) {
  build(
      "window 0 0 100 100\n"
      "object " +
      kThing +
      " first\n"
      "object " +
      kThing +
      " second\n"
      "button \"Default\" action a:\n"
      "button \"Owner\" target owner\n"
      "button \"Second\" target second\n"
      "checkbox \"Bound\" bind first launchAtLogin\n");
  ASSERT_EQ(factory_.kept.size(), 2u);
  const std::string first = nameOf(factory_.kept[0].get());
  const std::string second = nameOf(factory_.kept[1].get());
  EXPECT_NE(first, second);
  EXPECT_EQ(log_, (Log{"window Test", "keep " + first, "keep " + second, "button Default -> owner",
                       "button Owner -> owner", "button Second -> " + second,
                       "checkbox Bound bound to " + first + ".launchAtLogin"}));
}

TEST_F(InterfaceBuilder, ConnectsOutletsOnceEveryControlExists) {
  build(
      "window 0 0 100 100\n"
      "imageview outlet light\n"
      "button \"Request\" outlet requestBtn\n"
      "checkbox \"Box\" bind defaults k outlet box\n"
      "slider \"Last\" bind defaults delay min 0 max 2\n",
      {"light", "requestBtn", "box"});
  ASSERT_EQ(log_.size(), 8u);
  EXPECT_EQ(log_[4], "slider Last") << "no outlet is connected before the last control is made";
  EXPECT_EQ(std::set<std::string>(log_.begin() + 5, log_.end()),
            (std::set<std::string>{"outlet light = imageview", "outlet requestBtn = button Request",
                                   "outlet box = checkbox Box"}));
  // Each outlet holds the very control the factory made.
  EXPECT_EQ(owner_->connected.at("light"), factory_.controls.at(0));
  EXPECT_EQ(owner_->connected.at("requestBtn"), factory_.controls.at(1));
  EXPECT_EQ(owner_->connected.at("box"), factory_.controls.at(2));
}

TEST_F(InterfaceBuilder, HandsImageViewsTheNamedImage) {
  build("window 0 0 100 100\nimageview image NSStatusAvailable\nimageview\n");
  EXPECT_EQ(log_, (Log{"window Test", "imageview NSStatusAvailable", "imageview none"}));
  ASSERT_EQ(factory_.images.size(), 2u);
  EXPECT_EQ(factory_.images[0], fake_->kit.imageNamed("NSStatusAvailable"));
  EXPECT_EQ(factory_.images[1], nullptr);
}

TEST_F(InterfaceBuilder, AnUnknownClassNamesItsLineAndKeepsWhatWasMade) {
  EXPECT_EQ(buildError("window 0 0 100 100\nbutton \"Before\"\n\nobject NoSuchClassAnywhere x\n"
                       "button \"After\"\n"),
            "Test.ui:4: unknown class NoSuchClassAnywhere");
  EXPECT_EQ(log_, (Log{"window Test", "button Before -> owner"}));
  EXPECT_EQ(factory_.controls.size(), 1u) << "what was made stays with the factory";
}

TEST_F(InterfaceBuilder, AMissingImageNamesItsLine) {
  EXPECT_EQ(buildError("window 0 0 100 100\nimageview\nimageview image NoSuchImage\n"),
            "Test.ui:3: no image named NoSuchImage");
}

TEST_F(InterfaceBuilder, AnOutletTheOwnerLacksNamesTheLineThatAskedForIt) {
  EXPECT_EQ(buildError("window 0 0 100 100\nimageview outlet light\n"
                       "button \"B\" outlet missingBtn\n",
                       {"light"}),
            "Test.ui:3: the owner has no outlet missingBtn");
  // Without an owner, no outlet can be connected.
  log_.clear();
  try {
    buildFor("window 0 0 100 100\nbutton \"B\"\nimageview outlet light\n", nullptr);
    ADD_FAILURE() << "an outlet without an owner was accepted";
  } catch (const InterfaceError& e) {
    EXPECT_STREQ(e.what(), "Test.ui:3: the owner has no outlet light");
  }
  EXPECT_EQ(log_, (Log{"window Test", "button B -> null", "imageview none"}));
}

// --- The main interface ---------------------------------------------------

class MainInterfaceObjects : public ::testing::Test {
 protected:
  void SetUp() override { registerTestClasses(); }
  static backend::MainObjects instantiate(const std::string& text) {
    return backend::instantiateMainInterface(backend::parseInterfaceText("MainMenu.ui", text));
  }
  static std::string error(const std::string& text) {
    try {
      instantiate(text);
    } catch (const InterfaceError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(MainInterfaceObjects, CreatesEveryObjectAndFindsTheDelegate) {
  auto main = instantiate("object " + kThing + "\nobject " + kDelegate + " delegate\n");
  ASSERT_EQ(main.objects.size(), 2u);
  EXPECT_NE(dynamic_cast<Named*>(main.objects[0].get()), nullptr);
  ASSERT_NE(main.delegate, nullptr);
  EXPECT_EQ(main.delegate, dynamic_cast<platform::ApplicationDelegate*>(main.objects[1].get()))
      << "the delegate is one of the objects kept, not a copy";
}

TEST_F(MainInterfaceObjects, RefusesADelegateThatIsNoApplicationDelegate) {
  EXPECT_EQ(error("object " + kDelegate + "\nobject " + kThing + " delegate\n"),
            "MainMenu.ui:2: " + kThing + " cannot be the delegate");
}

TEST_F(MainInterfaceObjects, RefusesAnUnknownClassAndAMalformedFile) {
  EXPECT_EQ(error("object " + kDelegate + " delegate\nobject NoSuchClassAnywhere\n"),
            "MainMenu.ui:2: unknown class NoSuchClassAnywhere");
  EXPECT_EQ(error("object " + kThing + "\n"), "MainMenu.ui:0: no object is the delegate");
}

}  // namespace
