// Where the bundle runs from, told by its path and by the system.
#include "shell/bundle_location.h"

#include <gtest/gtest.h>

#include "permission/setup_check.h"

namespace {

using location::BundleLocation;

TEST(BundleLocation, ThePathDecidesWhereTheSystemDoesNotSay) {
  const std::string translocated =
      "/private/var/folders/qd/7xr1m4ks2bn0l5yq8w3c0000gn/T/AppTranslocation/"
      "8C1F2A4E-5B6D-4E7F-9A0B-1C2D3E4F5A6B/d/Vistrel.app";
  struct Case {
    std::string path;
    BundleLocation want;
  };
  const Case cases[] = {
      {"/Applications/Vistrel.app", BundleLocation::Applications},
      {"/Applications/Utilities/Vistrel.app", BundleLocation::Applications},
      {"/Users/me/Applications/Vistrel.app", BundleLocation::UserApplications},
      {translocated, BundleLocation::Translocated},
      // Look-alikes: not the folders they resemble.
      {"/ApplicationsOld/Vistrel.app", BundleLocation::Elsewhere},
      {"/Users/Applications/Vistrel.app", BundleLocation::Elsewhere},
      {"/Users/me/Downloads/Applications.app", BundleLocation::Elsewhere},
      {"/Users/me/Downloads/Vistrel.app", BundleLocation::Elsewhere},
      {"/Users/me/AppTranslocationNotes/Vistrel.app", BundleLocation::Elsewhere},
      {"", BundleLocation::Elsewhere},
  };
  for (const auto& c : cases)
    EXPECT_EQ(location::bundleLocation(c.path, std::nullopt), c.want) << c.path;
}

TEST(BundleLocation, TheSystemsAnswerOverridesThePath) {
  EXPECT_EQ(location::bundleLocation("/Applications/Vistrel.app", true),
            BundleLocation::Translocated);
  EXPECT_EQ(
      location::bundleLocation("/private/var/folders/x/T/AppTranslocation/y/d/Vistrel.app", false),
      BundleLocation::Elsewhere);
}

TEST(BundleLocation, OnlyATranslocatedCopyFailsTheCheck) {
  struct Case {
    BundleLocation where;
    bool passed;
    const char* detail;
  };
  const Case cases[] = {
      {BundleLocation::Applications, true, "/Applications"},
      {BundleLocation::UserApplications, true, "~/Applications"},
      {BundleLocation::Elsewhere, true, "elsewhere"},
      {BundleLocation::Translocated, false, "translocated"},
  };
  for (const auto& c : cases) {
    auto f = setup::locationFinding(c.where);
    EXPECT_EQ(f.item, platform::SetupItem::Location);
    EXPECT_EQ(f.passed, c.passed) << c.detail;
    EXPECT_EQ(f.detail, c.detail);
    EXPECT_EQ(setup::adviceFor(f).empty(), c.passed) << c.detail;
  }
  EXPECT_NE(setup::adviceFor(setup::locationFinding(BundleLocation::Translocated))
                .find("move it to the Applications folder"),
            std::string::npos);
}

}  // namespace
