// macOS 11 and 12: a login item and the bundle compared as file paths.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "backend/login_item_path.h"

namespace {

TEST(LoginItemPath, AFileURLGivesItsDecodedPath) {
  struct Case {
    const char* url;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"file:///Applications/Vistrel.app/", "/Applications/Vistrel.app/"},
      {"file://localhost/Applications/Vistrel.app", "/Applications/Vistrel.app"},
      {"FILE:///Applications/Vistrel.app", "/Applications/Vistrel.app"},
      {"file:///Users/a/My%20Apps/Vistrel.app/", "/Users/a/My Apps/Vistrel.app/"},
      {"file:///Users/a/Caf%C3%A9/Vistrel.app/", "/Users/a/Caf\xC3\xA9/Vistrel.app/"},
      {"file:///Users/a/100%25/Vistrel.app", "/Users/a/100%/Vistrel.app"},
      {"file:///Applications/Vistrel.app/?x#y", "/Applications/Vistrel.app/"},
      {"file://server/Applications/Vistrel.app", std::nullopt},
      {"https://vistrel.app/", std::nullopt},
      {"file:///bad%2", std::nullopt},
      {"file:///bad%zz", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(backend::filePathOfURL(c.url), c.path) << c.url;
}

TEST(LoginItemPath, PathsCompareAfterTheSameResolutionOnBothSides) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"/Applications/Vistrel.app", "/Applications/Vistrel.app", true},
      {"/Applications/Vistrel.app/", "/Applications/Vistrel.app", true},
      {"/Applications/Vistrel.app//", "/Applications/Vistrel.app/", true},
      {"/private/var/folders/x/Vistrel.app", "/var/folders/x/Vistrel.app/", true},
      {"/private/tmp/Vistrel.app/", "/tmp/Vistrel.app", true},
      {"/private/etc/Vistrel.app", "/etc/Vistrel.app", true},
      {"/private/var", "/var/", true},
      {"/", "/", true},
      // Only the system's own links: other folders of /private are themselves.
      {"/private/Users/a/Vistrel.app", "/Users/a/Vistrel.app", false},
      {"/private/variable/Vistrel.app", "/variable/Vistrel.app", false},
      {"/private/var/Vistrel.app", "/private/Vistrel.app", false},
      // Another copy is another app.
      {"/Applications/Vistrel.app", "/Users/a/Applications/Vistrel.app", false},
      {"/Applications/Vistrel.app", "/Applications/Vistrel 2.app", false},
      // Letter case is the file system's business, not ours.
      {"/Applications/Vistrel.app", "/Applications/vistrel.app", false},
      // Once both are precomposed, the names agree.
      {"/Users/a/Caf\xC3\xA9/Vistrel.app", "/Users/a/Caf\xC3\xA9/Vistrel.app/", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(backend::sameFilePath(c.a, c.b), c.same) << c.a << " | " << c.b;
    EXPECT_EQ(backend::sameFilePath(c.b, c.a), c.same) << c.b << " | " << c.a;
  }
}

}  // namespace
