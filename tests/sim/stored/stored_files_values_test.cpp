// Whatever the stores accept they read back: every float bit for bit,
// strings with any byte in them, the empty login item, long texts; what
// cannot be kept is refused where it enters; old files still load.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/stored/stored_text.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"
#include "tests/stored_files_folder.h"

namespace {

using stored_files_test::TempFolder;
namespace fs = std::filesystem;

class StoredValues : public TempFolder {
 protected:
  // Saves `values` to a file and loads them into a fresh store.
  std::map<std::string, platform::PrefValue> roundTrip(
      const std::map<std::string, platform::PrefValue>& values) {
    {
      sim::DefaultsStore store(trace);
      std::string report;
      store.attachFile(at("defaults"), &report);
      for (const auto& [key, value] : values) store.set(key, value);
      EXPECT_TRUE(store.synchronize());
    }
    sim::DefaultsStore again(trace);
    std::string report;
    again.attachFile(at("defaults"), &report);
    EXPECT_EQ(report, "");
    return again.values();
  }
  static bool sameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

  std::ostringstream traceText;
  sim::RunQueue clock;
  sim::Trace trace{traceText, clock};
};

TEST_F(StoredValues, EveryFiniteFloatReadsBackBitForBit) {
  using dl = std::numeric_limits<double>;
  using fl = std::numeric_limits<float>;
  const std::vector<double> floats = {0.0,
                                      -0.0,
                                      dl::denorm_min(),
                                      -dl::denorm_min(),
                                      dl::min(),
                                      std::nextafter(dl::min(), 0.0),
                                      dl::max(),
                                      -dl::max(),
                                      dl::epsilon(),
                                      fl::denorm_min(),
                                      fl::min(),
                                      fl::max(),
                                      -fl::max(),
                                      static_cast<double>(0.1f),
                                      0.1,
                                      1.0 / 3,
                                      std::nextafter(1.0, 2.0),
                                      9007199254740993.0,
                                      123456789e300};
  std::map<std::string, platform::PrefValue> values;
  for (std::size_t i = 0; i < floats.size(); ++i) values["f" + std::to_string(i)] = floats[i];
  auto back = roundTrip(values);
  ASSERT_EQ(back.size(), floats.size());
  for (std::size_t i = 0; i < floats.size(); ++i) {
    auto* d = std::get_if<double>(&back["f" + std::to_string(i)]);
    ASSERT_TRUE(d) << i;
    EXPECT_TRUE(sameBits(*d, floats[i])) << i << ": " << floats[i] << " read back as " << *d;
  }
}

TEST_F(StoredValues, EveryStringReadsBackUnchanged) {
  std::string everyByte;
  for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
  const std::vector<std::string> strings = {"",
                                            "say \"hi\"",
                                            "back\\slash\\",
                                            "\\",
                                            "\\n is not a line break",
                                            "two\nlines",
                                            "windows\r\nline",
                                            "tab\there",
                                            std::string("nul\0inside", 10),
                                            "\x01\x1f\x7f",
                                            "# not a comment",
                                            "\xff\xfe not UTF-8",
                                            "caf\xc3\xa9",
                                            everyByte,
                                            std::string(sim::kMaxStoredText, 'x'),
                                            std::string(sim::kMaxStoredText, '\n')};
  std::map<std::string, platform::PrefValue> values;
  for (std::size_t i = 0; i < strings.size(); ++i) values["s" + std::to_string(i)] = strings[i];
  values["int.min"] = std::numeric_limits<std::int64_t>::min();
  values["int.max"] = std::numeric_limits<std::int64_t>::max();
  values["odd#key"] = true;
  EXPECT_EQ(roundTrip(values), values);
  // Every stored line is one line of the file.
  std::string text = read(at("defaults"));
  EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), values.size());
}

TEST_F(StoredValues, EveryLoginItemURLReadsBackUnchanged) {
  const std::vector<std::string> urls = {"file:///Applications/A.app/",
                                         "",
                                         "file:///Applications/\"Q\".app/",
                                         "file:///back\\slash/",
                                         "file:///two\nlines/",
                                         "file:///\r\t\x01/",
                                         std::string(sim::kMaxStoredText, '%')};
  {
    sim::LoginItemsStore store(trace);
    std::string report;
    store.attachFile(at("items"), &report);
    for (const auto& url : urls)
      EXPECT_NE(store.insert(platform::LoginItemPosition::Last, url), 0u);
    EXPECT_TRUE(store.changesKept());
  }
  sim::LoginItemsStore again(trace);
  std::string report;
  again.attachFile(at("items"), &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(again.urls(), urls);
}

TEST_F(StoredValues, WhatCannotBeKeptIsRefusedWhereItEnters) {
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("defaults"), &report);
  testing::internal::CaptureStderr();
  store.set("nan", std::numeric_limits<double>::quiet_NaN());
  store.set("inf", -std::numeric_limits<double>::infinity());
  store.set("long", std::string(sim::kMaxStoredText + 1, 'x'));
  store.preset("two words", true);
  store.preset("", true);
  store.preset("#hash", true);
  store.preset("quo\"te", true);
  store.preset(std::string(sim::kMaxStoredText + 1, 'k'), true);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(store.values().empty());
  EXPECT_EQ(traceText.str(), "");  // nothing refused is traced as written
  EXPECT_NE(errors.find("vistrel-desktop: defaults \"nan\" float: not stored (a stored float must "
                        "be a finite number)\n"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("defaults \"long\" string: not stored (a stored string holds at most "
                        "1048576 bytes)\n"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("defaults \"two words\" bool: not stored (a key is one word"),
            std::string::npos)
      << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 8) << errors;

  sim::LoginItemsStore items(trace);
  testing::internal::CaptureStderr();
  EXPECT_EQ(
      items.insert(platform::LoginItemPosition::Last, std::string(sim::kMaxStoredText + 1, 'u')),
      0u);
  items.preset(std::string(sim::kMaxStoredText + 1, 'u'));
  errors = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(items.entries().empty());
  EXPECT_NE(errors.find("not stored (a URL holds at most 1048576 bytes)"), std::string::npos)
      << errors;
}

// Each control character takes four bytes in the file: sixteen strings of
// nearly the longest kind fill it, and a seventeenth would not load again.
TEST_F(StoredValues, FileThatWouldOutgrowItsLimitIsRefusedWhereItGrows) {
  const std::string wide(sim::kMaxStoredText - 64, '\x01');
  sim::DefaultsStore store(trace);
  testing::internal::CaptureStderr();
  for (int i = 0; i < 17; ++i) store.preset("k" + std::to_string(i), wide);
  EXPECT_EQ(store.values().size(), 16u);
  store.preset("k0", std::string("short"));  // replacing makes room
  store.preset("k16", wide);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(store.values().size(), 17u);
  EXPECT_EQ(store.get("k0"), platform::PrefValue(std::string("short")));
  EXPECT_EQ(errors,
            "vistrel-desktop: defaults \"k16\" string: not stored (the defaults file would grow "
            "past 64 MiB)\n");
  EXPECT_LE(store.contents().size(), sim::kMaxStoredFileBytes);
}

TEST_F(StoredValues, FileOverTheSizeLimitIsRefusedAndNeverWritten) {
  const std::string path = at("defaults");
  write(path, "modKey int 1\n");
  fs::resize_file(path, sim::kMaxStoredFileBytes + 1);  // sparse: costs no disk
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, path +
                        ":0: cannot use this defaults file (larger than 64 MiB); it will not be "
                        "written; starting with empty defaults");
  EXPECT_FALSE(store.save());
  EXPECT_EQ(fs::file_size(path), sim::kMaxStoredFileBytes + 1);
  EXPECT_EQ(names(), std::vector<std::string>{"defaults"});
}

// Files written before strings had escapes: every backslash was doubled, so
// they read as before; a lone backslash still stands for itself.
TEST_F(StoredValues, OldFilesStillLoad) {
  write(at("defaults"),
        "delay float 0.10000000149011612\r\n"
        "name string \"say \\\"hi\\\" \\\\ # not a comment\"\r\n"
        "path string \"C:\\Users\\me\"\n"
        "tab string \"a\tb\"\n"
        "modKey int 2");
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("defaults"), &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(store.get("delay"), platform::PrefValue(static_cast<double>(0.1f)));
  EXPECT_EQ(store.get("name"), platform::PrefValue(std::string("say \"hi\" \\ # not a comment")));
  EXPECT_EQ(store.get("path"), platform::PrefValue(std::string("C:\\Users\\me")));
  EXPECT_EQ(store.get("tab"), platform::PrefValue(std::string("a\tb")));
  EXPECT_EQ(store.get("modKey"), platform::PrefValue(std::int64_t{2}));

  write(at("items"), "\"file:///Applications/A.app/\"\r\n\"file:///Applications/\\\"Q\\\".app/\"");
  sim::LoginItemsStore items(trace);
  items.attachFile(at("items"), &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(items.urls(), (std::vector<std::string>{"file:///Applications/A.app/",
                                                    "file:///Applications/\"Q\".app/"}));
}

}  // namespace
