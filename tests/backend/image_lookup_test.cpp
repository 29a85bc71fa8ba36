// Where an image of a name comes from: made once, the bitmap resource
// before the platform's images, and nothing kept for a name nobody knows.
#include "backend/image_lookup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct NamedImage final : platform::Image {
  explicit NamedImage(std::string n) : imageName(std::move(n)) {}
  const std::string& name() const override { return imageName; }
  void setTemplate(bool) override {}
  bool isTemplate() const override { return false; }
  std::string imageName;
};

struct FakeSources final : backend::ImageSources {
  std::vector<std::string> asked;
  std::vector<std::string> platformNames;
  bool bitmapsRead = true;
  std::shared_ptr<platform::Image> fromBitmap(const std::string& name, const std::string& path,
                                              const std::string& path2x) override {
    asked.push_back("bitmap " + fs::path(path).filename().string() + " " +
                    fs::path(path2x).filename().string());
    return bitmapsRead ? std::make_shared<NamedImage>(name) : nullptr;
  }
  std::shared_ptr<platform::Image> named(const std::string& name) override {
    asked.push_back("named " + name);
    for (const auto& known : platformNames)
      if (known == name) return std::make_shared<NamedImage>(name);
    return nullptr;
  }
};

class ImageLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vistrel-images-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    dir_ = pattern;
    std::ofstream(fs::path(dir_) / "Status_Icon.pbm") << "P1\n";
    std::ofstream(fs::path(dir_) / "Status_Icon@2x.pbm") << "P1\n";
    std::ofstream(fs::path(dir_) / "Plain.pbm") << "P1\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
  FakeSources sources_;
  backend::ImageLookup lookup_;
};

TEST_F(ImageLookupTest, TheBitmapResourceComesFirstAndEachImageIsMadeOnce) {
  sources_.platformNames = {"Status_Icon", "NSStatusAvailable"};
  auto icon = lookup_.imageNamed("Status_Icon", dir_, sources_);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(lookup_.imageNamed("Status_Icon", dir_, sources_), icon);
  auto plain = lookup_.imageNamed("Plain", dir_, sources_);
  auto system = lookup_.imageNamed("NSStatusAvailable", dir_, sources_);
  EXPECT_NE(system, nullptr);
  EXPECT_EQ(sources_.asked,
            (std::vector<std::string>{"bitmap Status_Icon.pbm Status_Icon@2x.pbm",
                                      "bitmap Plain.pbm ", "named NSStatusAvailable"}));
}

TEST_F(ImageLookupTest, ANameNobodyKnowsIsAskedForAgainAndABadBitmapHasNoStandIn) {
  EXPECT_EQ(lookup_.imageNamed("Missing", dir_, sources_), nullptr);
  sources_.platformNames = {"Missing", "Plain"};
  EXPECT_NE(lookup_.imageNamed("Missing", dir_, sources_), nullptr);

  sources_.bitmapsRead = false;
  EXPECT_EQ(lookup_.imageNamed("Plain", dir_, sources_), nullptr);
  EXPECT_EQ(lookup_.imageNamed("../Plain", dir_, sources_), nullptr);  // never a file
  EXPECT_EQ(sources_.asked, (std::vector<std::string>{"named Missing", "named Missing",
                                                      "bitmap Plain.pbm ", "named ../Plain"}));
}

}  // namespace
