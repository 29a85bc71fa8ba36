// Interface files: the words of each line, the limits on what is read, and
// the declarations both desktops build windows from, with every error
// naming FILE:LINE.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "backend/interface_file.h"

namespace {

using backend::InterfaceError;
using backend::InterfaceFile;
using backend::parseInterfaceText;

InterfaceFile parse(const std::string& text) { return parseInterfaceText("Test.ui", text); }

// The message of the InterfaceError that F throws, or "" when it throws none.
template <typename F>
std::string errorOf(F f) {
  try {
    f();
  } catch (const InterfaceError& e) {
    return e.what();
  }
  return "";
}

std::string parseError(const std::string& text) {
  return errorOf([&] { parse(text); });
}
std::string mainError(const std::string& text) {
  return errorOf([&] { backend::readMainInterface(parse(text)); });
}
std::string windowError(const std::string& text) {
  return errorOf([&] { backend::readWindowInterface(parse(text)); });
}

backend::WindowInterface window(const std::string& text) {
  return backend::readWindowInterface(parseInterfaceText("dir/Prefs.ui", text));
}

// --- The words of a line --------------------------------------------------

TEST(InterfaceText, KeepsWordsStringsAndLineNumbersAndSkipsCommentsAndBlanks) {
  auto file = parse(
      "# a comment line\n"
      "\n"
      "button \"Say \\\"hi\\\" \\\\ # not a comment\" action hi: # a trailing comment\n"
      "   \t  \n"
      "object\tThing  thing\r\n");
  EXPECT_EQ(file.path, "Test.ui");
  ASSERT_EQ(file.lines.size(), 2u);

  const auto& button = file.lines[0];
  EXPECT_EQ(button.line, 3);
  ASSERT_EQ(button.words.size(), 4u);
  EXPECT_EQ(button.word(0), "button");
  EXPECT_FALSE(button.words[0].quoted);
  EXPECT_EQ(button.word(1), "Say \"hi\" \\ # not a comment");
  EXPECT_TRUE(button.words[1].quoted);
  EXPECT_EQ(button.word(3), "hi:");

  // Tabs separate words and a Windows line end leaves nothing behind.
  const auto& object = file.lines[1];
  EXPECT_EQ(object.line, 5);
  ASSERT_EQ(object.words.size(), 3u);
  EXPECT_EQ(object.word(2), "thing");
}

TEST(InterfaceText, RefusesMalformedWordsWithTheirLine) {
  EXPECT_EQ(parseError("window 0 0 1 1\nbutton \"Open"), "Test.ui:2: unterminated string");
  EXPECT_EQ(parseError("\nbutton ti\"tle\""), "Test.ui:2: quote inside a word");
  EXPECT_EQ(parseError("button \"A\"action"), "Test.ui:1: text right after a closing quote");
  EXPECT_EQ(parseError("# c\n\"button\" \"A\""), "Test.ui:2: expected a declaration");
}

TEST(InterfaceText, RefusesControlCharactersButAllowsTabsAndUtf8) {
  EXPECT_EQ(parseError("window 0 0 1 1\nbutton \"A\x01\""),
            "Test.ui:2: control character in the line");
  EXPECT_EQ(parseError(std::string("button \"A\0B\"", 12)),
            "Test.ui:1: control character in the line");
  EXPECT_EQ(parseError("button \"A\x7f\""), "Test.ui:1: control character in the line");
  // Also inside a comment: the line as a whole is refused.
  EXPECT_EQ(parseError("# \x1b[31m"), "Test.ui:1: control character in the line");

  auto file = parse("button \"Exposé\tnow\"");
  EXPECT_EQ(file.lines.at(0).word(1), "Exposé\tnow");
}

TEST(InterfaceText, RefusesALineLongerThanTheLimit) {
  const std::string longest(backend::kMaxInterfaceLineLength, '#');
  EXPECT_EQ(parseError(longest), "");
  EXPECT_EQ(parseError("# first\n" + longest + "#"), "Test.ui:2: line longer than 4096 bytes");
}

TEST(InterfaceText, RefusesMoreLinesThanTheLimit) {
  std::string text;
  for (std::size_t i = 0; i < backend::kMaxInterfaceLines; ++i) text += "# line\n";
  EXPECT_EQ(parseError(text), "");
  EXPECT_EQ(parseError(text + "\n"), "Test.ui:1001: more than 1000 lines");
}

TEST(InterfaceText, AMissingFileNamesItsPath) {
  EXPECT_EQ(errorOf([] { backend::loadInterfaceFile("/nonexistent/dir", "Nothing"); }),
            "/nonexistent/dir/Nothing.ui:0: cannot open the interface file");
}

// --- The main interface ---------------------------------------------------

TEST(MainInterface, ListsTheObjectsAndTheOneDelegate) {
  auto main =
      backend::readMainInterface(parse("object Helper\n# c\nobject AppDelegate delegate\n"));
  ASSERT_EQ(main.objects.size(), 2u);
  EXPECT_EQ(main.objects[0].className, "Helper");
  EXPECT_EQ(main.objects[0].line, 1);
  EXPECT_FALSE(main.objects[0].isDelegate);
  EXPECT_EQ(main.objects[1].className, "AppDelegate");
  EXPECT_EQ(main.objects[1].line, 3);
  EXPECT_TRUE(main.objects[1].isDelegate);
}

TEST(MainInterface, NeedsExactlyOneDelegate) {
  EXPECT_EQ(mainError(""), "Test.ui:0: no object is the delegate");
  EXPECT_EQ(mainError("object A\nobject B"), "Test.ui:0: no object is the delegate");
  EXPECT_EQ(mainError("object A delegate\n\nobject B delegate"), "Test.ui:3: a second delegate");
}

TEST(MainInterface, RefusesAnythingButAnObjectLine) {
  const std::string usage = "expected: object CLASS [delegate]";
  EXPECT_EQ(mainError("object A delegate\nwindow 0 0 1 1"), "Test.ui:2: " + usage);
  EXPECT_EQ(mainError("object"), "Test.ui:1: " + usage);
  EXPECT_EQ(mainError("object \"A\" delegate"), "Test.ui:1: " + usage);
  EXPECT_EQ(mainError("object A \"delegate\""), "Test.ui:1: " + usage);
  EXPECT_EQ(mainError("object A owner"), "Test.ui:1: " + usage);
  EXPECT_EQ(mainError("object A delegate now"), "Test.ui:1: " + usage);
}

// --- A window's interface: every declaration ------------------------------

TEST(WindowInterface, ReadsTheWindowAndNamesItAfterTheFile) {
  auto w = window("# the window\nwindow 10.5 -20 480 320\n");
  EXPECT_EQ(w.path, "dir/Prefs.ui");
  EXPECT_EQ(w.name, "Prefs");
  EXPECT_EQ(w.windowLine, 2);
  EXPECT_EQ(w.frame.origin, (platform::Point{10.5, -20}));
  EXPECT_EQ(w.frame.size, (platform::Size{480, 320}));
  EXPECT_TRUE(w.items.empty());
}

TEST(WindowInterface, ReadsButtonsWithEveryOption) {
  auto w = window(
      "window 0 0 100 100\n"
      "object Controller ctl\n"
      "button \"Plain\"\n"
      "button \"All\" outlet allBtn target ctl action go:\n"
      "button \"Owner's\" target owner action back:\n");
  ASSERT_EQ(w.items.size(), 4u);
  EXPECT_EQ(w.items[0].line, 2);
  const auto& object = std::get<backend::ObjectDecl>(w.items[0].declaration);
  EXPECT_EQ(object.className, "Controller");
  EXPECT_EQ(object.id, "ctl");

  const auto& plain = std::get<backend::ButtonDecl>(w.items[1].declaration);
  EXPECT_EQ(plain.title, "Plain");
  EXPECT_EQ(plain.action, "");
  EXPECT_EQ(plain.target, "") << "no target: the owner";
  EXPECT_EQ(plain.outlet, "");

  const auto& all = std::get<backend::ButtonDecl>(w.items[2].declaration);
  EXPECT_EQ(w.items[2].line, 4);
  EXPECT_EQ(all.title, "All");
  EXPECT_EQ(all.action, "go:");
  EXPECT_EQ(all.target, "ctl");
  EXPECT_EQ(all.outlet, "allBtn");

  const auto& owners = std::get<backend::ButtonDecl>(w.items[3].declaration);
  EXPECT_EQ(owners.action, "back:");
  EXPECT_EQ(owners.target, "") << "target owner is the owner, not an object named owner";
}

TEST(WindowInterface, ReadsCheckboxesBoundToTheDefaultsOrAnObject) {
  auto w = window(
      "window 0 0 100 100\n"
      "checkbox \"Stacks\" bind defaults ActivateStackOnHover outlet stacksBox\n"
      "object Controller ctl\n"
      "checkbox \"Launch\" bind ctl launchAtLogin\n");
  ASSERT_EQ(w.items.size(), 3u);
  const auto& stacks = std::get<backend::CheckboxDecl>(w.items[0].declaration);
  EXPECT_EQ(stacks.title, "Stacks");
  EXPECT_TRUE(stacks.binding.toDefaults());
  EXPECT_EQ(stacks.binding.key, "ActivateStackOnHover");
  EXPECT_EQ(stacks.outlet, "stacksBox");

  const auto& launch = std::get<backend::CheckboxDecl>(w.items[2].declaration);
  EXPECT_FALSE(launch.binding.toDefaults());
  EXPECT_EQ(launch.binding.object, "ctl");
  EXPECT_EQ(launch.binding.key, "launchAtLogin");
  EXPECT_EQ(launch.outlet, "");
}

TEST(WindowInterface, ReadsImageViewsWithOrWithoutImageAndOutlet) {
  auto w = window(
      "window 0 0 100 100\n"
      "imageview\n"
      "imageview outlet light image NSStatusAvailable\n");
  ASSERT_EQ(w.items.size(), 2u);
  const auto& bare = std::get<backend::ImageViewDecl>(w.items[0].declaration);
  EXPECT_EQ(bare.image, "");
  EXPECT_EQ(bare.outlet, "");
  const auto& full = std::get<backend::ImageViewDecl>(w.items[1].declaration);
  EXPECT_EQ(full.image, "NSStatusAvailable");
  EXPECT_EQ(full.outlet, "light");
}

TEST(WindowInterface, ReadsPopupsAndSliders) {
  auto w = window(
      "window 0 0 100 100\n"
      "popup \"Key\" bind defaults modKey items \"None\" \"Command\"\n"
      "slider \"Delay\" bind defaults delay min -0.5 max 2\n"
      "slider \"Fixed\" bind defaults fixed min 1 max 1\n");
  ASSERT_EQ(w.items.size(), 3u);
  const auto& popup = std::get<backend::PopupDecl>(w.items[0].declaration);
  EXPECT_EQ(popup.title, "Key");
  EXPECT_TRUE(popup.binding.toDefaults());
  EXPECT_EQ(popup.binding.key, "modKey");
  EXPECT_EQ(popup.items, (std::vector<std::string>{"None", "Command"}));

  const auto& slider = std::get<backend::SliderDecl>(w.items[1].declaration);
  EXPECT_EQ(slider.title, "Delay");
  EXPECT_EQ(slider.binding.key, "delay");
  EXPECT_EQ(slider.minValue, -0.5);
  EXPECT_EQ(slider.maxValue, 2);

  const auto& fixed = std::get<backend::SliderDecl>(w.items[2].declaration);
  EXPECT_EQ(fixed.minValue, 1) << "min equal to max is a slider with one value";
  EXPECT_EQ(fixed.maxValue, 1);
}

// --- A window's interface: every error, with its line ---------------------

TEST(WindowInterfaceErrors, TheWindowComesFirstOnceWithAPositiveSize) {
  EXPECT_EQ(windowError(""), "Test.ui:0: no window is declared");
  EXPECT_EQ(windowError("# only a comment\n"), "Test.ui:0: no window is declared");
  EXPECT_EQ(windowError("window 0 0 1 1\n\nwindow 0 0 1 1"), "Test.ui:3: a second window");
  EXPECT_EQ(windowError("button \"A\"\nwindow 0 0 1 1"),
            "Test.ui:1: controls come after the window");
  EXPECT_EQ(windowError("# c\nobject Thing t\nwindow 0 0 1 1"),
            "Test.ui:2: controls come after the window");
  EXPECT_EQ(windowError("imageview\nwindow 0 0 1 1"), "Test.ui:1: controls come after the window");

  EXPECT_EQ(windowError("window 0 0 0 10"), "Test.ui:1: the window needs a positive size");
  EXPECT_EQ(windowError("window 0 0 10 -1"), "Test.ui:1: the window needs a positive size");
  EXPECT_EQ(windowError("window 0 0 10"), "Test.ui:1: expected: window X Y W H");
  EXPECT_EQ(windowError("window 0 0 10 10 10"), "Test.ui:1: expected: window X Y W H");
  EXPECT_EQ(windowError("window 0 zero 10 10"), "Test.ui:1: expected Y as a number");
  EXPECT_EQ(windowError("window 0 0 10 10px"), "Test.ui:1: expected H as a number");
  EXPECT_EQ(windowError("window 0 0 nan 10"), "Test.ui:1: expected W as a number");
  EXPECT_EQ(windowError("window \"0\" 0 10 10"), "Test.ui:1: expected X, not a string");
  EXPECT_EQ(windowError("window 0 0 1 1\nlabel \"A\""), "Test.ui:2: unknown declaration label");
}

TEST(WindowInterfaceErrors, ObjectsAreDeclaredOnceAndBeforeUse) {
  const std::string w = "window 0 0 1 1\n";
  EXPECT_EQ(windowError(w + "object A x\nobject B x"), "Test.ui:3: object x is declared twice");
  EXPECT_EQ(windowError(w + "button \"A\" target ctl\nobject C ctl"),
            "Test.ui:2: no object ctl is declared above");
  EXPECT_EQ(windowError(w + "checkbox \"A\" bind ctl key\nobject C ctl"),
            "Test.ui:2: no object ctl is declared above");
  EXPECT_EQ(windowError(w + "object C owner"), "Test.ui:2: owner cannot name an object");
  EXPECT_EQ(windowError(w + "object C defaults"), "Test.ui:2: defaults cannot name an object");
  EXPECT_EQ(windowError(w + "object C"), "Test.ui:2: expected: object CLASS ID");
  EXPECT_EQ(windowError(w + "object \"C\" c"), "Test.ui:2: expected a class, not a string");
}

TEST(WindowInterfaceErrors, AnOutletIsConnectedOnce) {
  EXPECT_EQ(windowError("window 0 0 1 1\nimageview outlet x\n"
                        "checkbox \"B\" bind defaults k outlet x"),
            "Test.ui:3: outlet x is connected twice");
  EXPECT_EQ(windowError("window 0 0 1 1\nbutton \"B\" outlet x outlet x"),
            "Test.ui:2: outlet x is connected twice");
}

TEST(WindowInterfaceErrors, UnknownOptionsAndMissingValues) {
  const std::string w = "window 0 0 1 1\n";
  EXPECT_EQ(windowError(w + "button \"A\" colour red"), "Test.ui:2: unknown option colour");
  EXPECT_EQ(windowError(w + "checkbox \"A\" bind defaults k colour red"),
            "Test.ui:2: unknown option colour");
  EXPECT_EQ(windowError(w + "imageview size 3"), "Test.ui:2: unknown option size");
  EXPECT_EQ(windowError(w + "button \"A\" action"), "Test.ui:2: expected a selector");
  EXPECT_EQ(windowError(w + "button \"A\" target"), "Test.ui:2: expected owner or an object");
  EXPECT_EQ(windowError(w + "imageview image"), "Test.ui:2: expected an image name");
  EXPECT_EQ(windowError(w + "checkbox \"A\" bind defaults k outlet"),
            "Test.ui:2: expected an outlet name");
  EXPECT_EQ(windowError(w + "button \"A\" \"action\" go:"),
            "Test.ui:2: expected an option, not a string");
  EXPECT_EQ(windowError(w + "button Title"), "Test.ui:2: expected a title in double quotes");
  EXPECT_EQ(windowError(w + "button"), "Test.ui:2: expected a title");
}

TEST(WindowInterfaceErrors, Bindings) {
  const std::string w = "window 0 0 1 1\n";
  EXPECT_EQ(windowError(w + "checkbox \"A\" defaults k"), "Test.ui:2: expected bind");
  EXPECT_EQ(windowError(w + "checkbox \"A\" bind defaults"), "Test.ui:2: expected a key");
  EXPECT_EQ(windowError(w + "checkbox \"A\" bind"), "Test.ui:2: expected defaults or an object");
  EXPECT_EQ(windowError(w + "object C ctl\npopup \"P\" bind ctl k items \"a\""),
            "Test.ui:3: popup binds to the defaults only");
  EXPECT_EQ(windowError(w + "object C ctl\nslider \"S\" bind ctl k min 0 max 1"),
            "Test.ui:3: slider binds to the defaults only");
}

TEST(WindowInterfaceErrors, PopupsNeedTheirItems) {
  const std::string w = "window 0 0 1 1\n";
  EXPECT_EQ(windowError(w + "popup \"P\" bind defaults k"), "Test.ui:2: expected items");
  EXPECT_EQ(windowError(w + "popup \"P\" bind defaults k choices \"a\""),
            "Test.ui:2: expected items");
  EXPECT_EQ(windowError(w + "popup \"P\" bind defaults k items"),
            "Test.ui:2: a pop-up needs items");
  EXPECT_EQ(windowError(w + "popup \"P\" bind defaults k items \"a\" b"),
            "Test.ui:2: expected an item title in double quotes");
}

TEST(WindowInterfaceErrors, SlidersNeedBoundsInOrder) {
  const std::string w = "window 0 0 1 1\n";
  const std::string usage = "expected: slider \"Title\" bind defaults KEY min N max N";
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k min 3 max 2"),
            "Test.ui:2: min is above max");
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k min 0"), "Test.ui:2: " + usage);
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k max 2 min 0"), "Test.ui:2: " + usage);
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k min 0 max 2 step 1"),
            "Test.ui:2: " + usage);
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k min low max 2"),
            "Test.ui:2: expected the minimum as a number");
  EXPECT_EQ(windowError(w + "slider \"S\" bind defaults k min 0 max inf"),
            "Test.ui:2: expected the maximum as a number");
}

// --- The interface files shipped with the agent ----------------------------

TEST(ShippedInterfaces, MainMenuCreatesTheDelegate) {
  auto main =
      backend::readMainInterface(backend::loadInterfaceFile(VISTREL_RESOURCE_DIR, "MainMenu"));
  ASSERT_EQ(main.objects.size(), 1u);
  EXPECT_EQ(main.objects[0].className, "AppDelegate");
  EXPECT_TRUE(main.objects[0].isDelegate);
}

TEST(ShippedInterfaces, SettingsWindowHasItsControlsAndTheLoginController) {
  auto w = backend::readWindowInterface(
      backend::loadInterfaceFile(VISTREL_RESOURCE_DIR, "SettingsController"));
  EXPECT_EQ(w.name, "SettingsController");
  EXPECT_EQ(w.frame.origin, (platform::Point{480, 290}));
  EXPECT_EQ(w.frame.size, (platform::Size{480, 320}));

  // The status light, then eight controls the user works, then the login
  // controller and the checkbox bound to it, then the text of the check.
  ASSERT_EQ(w.items.size(), 11u);
  const auto& status = std::get<backend::ImageViewDecl>(w.items[0].declaration);
  EXPECT_EQ(status.image, "");
  EXPECT_EQ(status.outlet, "accesibilityStatus");
  const auto& request = std::get<backend::ButtonDecl>(w.items[1].declaration);
  EXPECT_EQ(request.title, "Request Access");
  EXPECT_EQ(request.action, "accessibility:");
  EXPECT_EQ(request.target, "");
  EXPECT_EQ(request.outlet, "accesibilityBtn");
  const auto& check = std::get<backend::ButtonDecl>(w.items[2].declaration);
  EXPECT_EQ(check.title, "Check Setup");
  EXPECT_EQ(check.action, "checkSetup:");
  const auto& modifier = std::get<backend::PopupDecl>(w.items[3].declaration);
  EXPECT_EQ(modifier.title, "Modifier key for App Exposé");
  EXPECT_EQ(modifier.binding.key, "modKey");
  EXPECT_EQ(modifier.items, (std::vector<std::string>{"None", "Command", "Option", "Shift"}));
  const auto& delay = std::get<backend::SliderDecl>(w.items[4].declaration);
  EXPECT_EQ(delay.binding.key, "delay");
  EXPECT_EQ(delay.minValue, 0);
  EXPECT_EQ(delay.maxValue, 2);
  const char* const defaultsKeys[] = {"ActivateStackOnHover", "SUUpdaterChecksForBetaUpdates",
                                      "ZRLEnableAutomaticChecks"};
  for (int i = 0; i < 3; ++i) {
    const auto& box = std::get<backend::CheckboxDecl>(w.items[5 + i].declaration);
    EXPECT_TRUE(box.binding.toDefaults());
    EXPECT_EQ(box.binding.key, defaultsKeys[i]);
  }
  const auto& controller = std::get<backend::ObjectDecl>(w.items[8].declaration);
  EXPECT_EQ(controller.className, "LaunchAtLoginController");
  EXPECT_EQ(controller.id, "loginController");
  const auto& launch = std::get<backend::CheckboxDecl>(w.items[9].declaration);
  EXPECT_EQ(launch.title, "Launch at login");
  EXPECT_EQ(launch.binding.object, "loginController");
  EXPECT_EQ(launch.binding.key, "launchAtLogin");
  const auto& results = std::get<backend::TextDecl>(w.items[10].declaration);
  EXPECT_EQ(results.outlet, "setupResults");
}

}  // namespace
