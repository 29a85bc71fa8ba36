// The bundle's information: Info.txt as both desktops read it, and the
// Info.plist the macOS build makes from it.
#include <gtest/gtest.h>

#include <string>

#include "backend/info_file.h"

namespace {

using backend::InfoDictionary;

std::string parseError(const std::string& text) {
  InfoDictionary info{{"Kept", "as it was"}};
  auto error = backend::parseInfoText("Info.txt", text, &info);
  EXPECT_EQ(info, (InfoDictionary{{"Kept", "as it was"}})) << "a damaged file changes nothing";
  return error.value_or("");
}

TEST(InfoText, ReadsKeysAndQuotedValuesSkippingCommentsAndBlanks) {
  InfoDictionary info{{"Old", "gone"}};
  auto error = backend::parseInfoText("Info.txt",
                                      "# The information.\n"
                                      "\n"
                                      "CFBundleName \"Vistrel\"   # the name\n"
                                      "\tNSHumanReadableCopyright \"\\\"Q\\\" \\\\ # kept\"\r\n"
                                      "Empty \"\"\n",
                                      &info);
  ASSERT_EQ(error, std::nullopt);
  EXPECT_EQ(info, (InfoDictionary{{"CFBundleName", "Vistrel"},
                                  {"NSHumanReadableCopyright", "\"Q\" \\ # kept"},
                                  {"Empty", ""}}))
      << "the file replaces what was there";
}

TEST(InfoText, RefusesMalformedLinesWithTheirLine) {
  const std::string expected = "expected KEY \"VALUE\"";
  EXPECT_EQ(parseError("A \"1\"\nCFBundleName Vistrel"), "Info.txt:2: " + expected);
  EXPECT_EQ(parseError("\"CFBundleName\" \"Vistrel\""), "Info.txt:1: " + expected);
  EXPECT_EQ(parseError("CFBundleName"), "Info.txt:1: " + expected);
  EXPECT_EQ(parseError("CFBundleName \"Vistrel\" \"again\""), "Info.txt:1: " + expected);
  EXPECT_EQ(parseError("# c\n\nCFBundleName \"Vistrel"), "Info.txt:3: unterminated string");
  EXPECT_EQ(parseError("CFBundleName \"Vis\x01trel\""), "Info.txt:1: control character");
}

TEST(InfoText, RefusesAKeyGivenTwice) {
  EXPECT_EQ(parseError("CFBundleName \"A\"\nCFBundleVersion \"1\"\nCFBundleName \"B\""),
            "Info.txt:3: CFBundleName is given twice");
}

TEST(InfoText, AMissingFileIsAnError) {
  InfoDictionary info;
  EXPECT_EQ(backend::readInfoFile("/nonexistent/Info.txt", &info),
            "/nonexistent/Info.txt:0: cannot be read");
}

TEST(InfoText, TheShippedFileHasWhatTheBundleNeeds) {
  InfoDictionary info;
  ASSERT_EQ(backend::readInfoFile(VISTREL_RESOURCE_DIR "/Info.txt", &info), std::nullopt);
  for (const char* key : {"CFBundleIdentifier", "NSPrincipalClass", "LSUIElement",
                          "LSMinimumSystemVersion", "SUFeedURL", "CFBundleExecutable"})
    EXPECT_TRUE(info.count(key)) << key;
  EXPECT_EQ(info["NSPrincipalClass"], "NSApplication");
  // An agent: no Dock icon, no menu bar of its own.
  EXPECT_NE(backend::infoPlist(info).find("\t<key>LSUIElement</key>\n\t<true/>\n"),
            std::string::npos);
}

TEST(InfoText, TheShippedFileDescribesAnApplicationWithItsIcon) {
  InfoDictionary info;
  ASSERT_EQ(backend::readInfoFile(VISTREL_RESOURCE_DIR "/Info.txt", &info), std::nullopt);
  EXPECT_EQ(info["CFBundlePackageType"], "APPL");
  EXPECT_EQ(info["CFBundleInfoDictionaryVersion"], "6.0");
  // The About panel shows it; Resources/AppIcon.icns is the file named.
  EXPECT_FALSE(info["NSHumanReadableCopyright"].empty());
  EXPECT_EQ(info["CFBundleIconFile"], "AppIcon");
  // Without it AppKit draws a Retina screen's windows at half resolution.
  EXPECT_NE(backend::infoPlist(info).find("\t<key>NSHighResolutionCapable</key>\n\t<true/>\n"),
            std::string::npos);
}

// --- Info.plist -----------------------------------------------------------

TEST(InfoPlist, WritesADictionaryOfStringsAndBooleans) {
  EXPECT_EQ(backend::infoPlist({{"CFBundleName", "Vistrel"}, {"LSUIElement", "1"}}),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n"
            "<dict>\n"
            "\t<key>CFBundleName</key>\n"
            "\t<string>Vistrel</string>\n"
            "\t<key>LSUIElement</key>\n"
            "\t<true/>\n"
            "</dict>\n"
            "</plist>\n");
}

TEST(InfoPlist, AnEmptyDictionaryIsStillAPlist) {
  const std::string plist = backend::infoPlist({});
  EXPECT_NE(plist.find("<plist version=\"1.0\">\n<dict>\n</dict>\n</plist>\n"), std::string::npos);
}

TEST(InfoPlist, BooleanKeysAreTrueOnlyForTheTrueSpellings) {
  auto written = [](const std::string& key, const std::string& value) {
    std::string plist = backend::infoPlist({{key, value}});
    auto start = plist.find("</key>\n") + 7;
    return plist.substr(start, plist.find('\n', start) - start);
  };
  for (const char* yes : {"1", "YES", "yes", "true"})
    EXPECT_EQ(written("LSUIElement", yes), "\t<true/>") << yes;
  for (const char* no : {"0", "NO", "no", "false", ""})
    EXPECT_EQ(written("LSUIElement", no), "\t<false/>") << no;
  EXPECT_EQ(written("LSBackgroundOnly", "YES"), "\t<true/>");
  // Other keys keep their text, even when it reads like a boolean.
  EXPECT_EQ(written("CFBundleVersion", "1"), "\t<string>1</string>");
}

TEST(InfoPlist, EscapesWhatXmlReserves) {
  const std::string plist =
      backend::infoPlist({{"NSHumanReadableCopyright", "A & B <C> \"D\" 'E'"}, {"K<&>", "v"}});
  EXPECT_NE(plist.find("\t<string>A &amp; B &lt;C&gt; &quot;D&quot; 'E'</string>\n"),
            std::string::npos)
      << plist;
  EXPECT_NE(plist.find("\t<key>K&lt;&amp;&gt;</key>\n"), std::string::npos) << plist;
}

}  // namespace
