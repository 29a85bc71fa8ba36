// The walker between another process's values and platform objects, run
// over a fake type system: the order kinds are tried in, the bounds, the
// nesting limit, and that nothing made is lost when an array is refused.
#include "backend/foreign_value.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using platform::Ref;

// A value of the fake type system: each kind flag answers for itself, so a
// value can claim to be two kinds at once, as a boolean that is a number.
struct Fake final : backend::ForeignValue {
  bool string = false, booleanKind = false, numberKind = false, arrayKind = false,
       elementKind = false, recordKind = false;
  std::string chars;
  std::int64_t reportedMost = -1;
  bool flag = false, floating = false;
  std::int64_t whole = 0;
  double fraction = 0;
  std::vector<Fake> entries;
  platform::AXValueType boxType = platform::kAXValueTypeIllegal;
  platform::Point point;

  bool isString() const override { return string; }
  bool isBoolean() const override { return booleanKind; }
  bool isNumber() const override { return numberKind; }
  bool isArray() const override { return arrayKind; }
  bool isElement() const override { return elementKind; }
  bool isRecord() const override { return recordKind; }
  std::int64_t utf8BytesAtMost() const override { return reportedMost; }
  std::string text(std::size_t maxBytes) const override { return chars.substr(0, maxBytes); }
  bool boolean() const override { return flag; }
  bool isFloat() const override { return floating; }
  std::int64_t integer() const override { return whole; }
  double real() const override { return fraction; }
  std::size_t count() const override { return entries.size(); }
  std::unique_ptr<ForeignValue> at(std::size_t i) const override {
    return std::make_unique<Fake>(entries.at(i));
  }
  Ref<platform::Object> element() const override { return nullptr; }
  platform::AXValueType recordType() const override { return boxType; }
  bool readRecord(platform::AXValueType type, void* record) const override {
    if (type != platform::kAXValueCGPointType || type != boxType) return false;
    *static_cast<platform::Point*>(record) = point;
    return true;
  }
};

Fake text(std::string s) {
  Fake f;
  f.string = true;
  f.chars = std::move(s);
  return f;
}

Fake array(std::vector<Fake> entries) {
  Fake f;
  f.arrayKind = true;
  f.entries = std::move(entries);
  return f;
}

Ref<platform::Object> convert(const Fake& f) {
  backend::ForeignValueBudget budget;
  return backend::objectFromForeign(f, budget);
}

TEST(ForeignValueTest, KindsAreTriedInOrder) {
  Fake both;  // where booleans are numbers as well
  both.booleanKind = both.numberKind = true;
  both.flag = true;
  both.whole = 7;
  auto boolean = convert(both);
  auto b = platform::as<platform::Boolean>(boolean.get());
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->value());

  Fake number;
  number.numberKind = number.floating = true;
  number.fraction = 2.5;
  auto converted = convert(number);
  auto n = platform::as<platform::Number>(converted.get());
  ASSERT_NE(n, nullptr);
  EXPECT_TRUE(n->isFloat());
  EXPECT_EQ(n->doubleValue(), 2.5);

  EXPECT_EQ(convert(Fake()).get(), nullptr);  // a kind the platform has none for
}

TEST(ForeignValueTest, RecordsOfUnknownKindsAndUnreadableRecordsAreNoValue) {
  Fake point;
  point.recordKind = true;
  point.boxType = platform::kAXValueCGPointType;
  point.point = {3, 4};
  auto box = convert(point);
  auto v = platform::as<platform::AXValue>(box.get());
  ASSERT_NE(v, nullptr);
  platform::Point out;
  ASSERT_TRUE(v->getValue(platform::kAXValueCGPointType, &out));
  EXPECT_EQ(out, (platform::Point{3, 4}));

  Fake errorBox = point;
  errorBox.boxType = static_cast<platform::AXValueType>(5);
  EXPECT_EQ(convert(errorBox).get(), nullptr);
  Fake unreadable = point;
  unreadable.boxType = platform::kAXValueCGSizeType;  // claims a size, holds none
  EXPECT_EQ(convert(unreadable).get(), nullptr);
}

TEST(ForeignValueTest, AnArrayNestedPastTheLimitIsANullEntry) {
  Fake inner = array({text("deep")});
  for (int i = 1; i < backend::kMaxForeignNesting + 1; ++i) inner = array({inner});
  // kMaxForeignNesting + 1 arrays: the innermost is left out, its parent kept.
  auto outer = convert(inner);
  const platform::Object* at = outer.get();
  for (int i = 1; i < backend::kMaxForeignNesting; ++i) {
    auto* a = platform::as<platform::Array>(at);
    ASSERT_NE(a, nullptr) << "level " << i;
    ASSERT_EQ(a->count(), 1u);
    at = a->at(0);
  }
  auto* deepest = platform::as<platform::Array>(at);
  ASSERT_NE(deepest, nullptr);
  ASSERT_EQ(deepest->count(), 1u);
  EXPECT_EQ(deepest->at(0), nullptr);
}

TEST(ForeignValueTest, StringsShareTheBudgetAndKeepWholeCharacters) {
  // "é" is two bytes: a cut inside it keeps the byte before.
  std::string big(backend::kMaxForeignStringBytes - 1, 'a');
  auto cut = convert(text(big + "\xC3\xA9"));
  auto s = platform::as<platform::String>(cut.get());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->str().size(), big.size());

  std::vector<Fake> many(9, text(std::string(backend::kMaxForeignStringBytes, 'b')));
  auto strings = convert(array(many));
  auto a = platform::as<platform::Array>(strings.get());
  ASSERT_NE(a, nullptr);
  std::size_t total = 0;
  for (std::size_t i = 0; i < a->count(); ++i)
    total += platform::as<platform::String>(a->at(i))->str().size();
  EXPECT_EQ(total, backend::kMaxForeignTextBytes);

  Fake shortReport = text("abcdef");
  shortReport.reportedMost = 3;  // what the value says it can take bounds the read
  auto bounded = convert(shortReport);
  EXPECT_EQ(platform::as<platform::String>(bounded.get())->str(), "abc");
}

// Handles are numbers; the maker counts references to find leaks.
struct FakeMaker final : backend::ForeignValueMaker {
  std::map<std::intptr_t, int> references;
  std::intptr_t next = 1;
  std::vector<std::size_t> arrayLengths;
  std::map<std::intptr_t, std::vector<Handle>> children;

  Handle fresh() {
    references[next] = 1;
    return reinterpret_cast<Handle>(next++);
  }
  Handle string(const std::string&) override { return fresh(); }
  Handle integer(std::int64_t) override { return fresh(); }
  Handle real(double) override { return fresh(); }
  Handle boolean(bool) override { return fresh(); }
  Handle array(const std::vector<Handle>& entries) override {
    for (Handle h : entries) retain(h);
    arrayLengths.push_back(entries.size());
    Handle made = fresh();
    children[reinterpret_cast<std::intptr_t>(made)] = entries;
    return made;
  }
  Handle record(platform::AXValueType, const void*) override { return fresh(); }
  Handle elementHandle(const platform::UIElement&) override { return nullptr; }
  Handle retain(Handle h) override {
    ++references.at(reinterpret_cast<std::intptr_t>(h));
    return h;
  }
  void release(Handle h) override {
    auto key = reinterpret_cast<std::intptr_t>(h);
    if (--references.at(key) > 0) return;
    for (Handle child : children[key]) release(child);
  }
  int live() const {
    int n = 0;
    for (const auto& [h, count] : references) n += count;
    return n;
  }
};

Ref<platform::Object> str(const char* s) { return platform::make<platform::String>(s); }

TEST(ForeignValueTest, OneEntryWithoutAFormSpoilsTheArrayAndLeaksNothing) {
  FakeMaker maker;
  auto good = platform::make<platform::Array>(
      std::vector<Ref<platform::Object>>{str("a"), platform::make<platform::Number>(1.5)});
  auto made = backend::makeForeign(*good, maker);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(maker.arrayLengths, std::vector<std::size_t>{2});
  maker.release(made);
  EXPECT_EQ(maker.live(), 0);

  // A null entry, after others were made, inside a nested array.
  auto bad = platform::make<platform::Array>(std::vector<Ref<platform::Object>>{
      str("a"), platform::make<platform::Array>(std::vector<Ref<platform::Object>>{str("b")}),
      nullptr, str("never made")});
  EXPECT_EQ(backend::makeForeign(*bad, maker), nullptr);
  EXPECT_EQ(maker.live(), 0);
}

TEST(ForeignValueTest, AnArrayNestedTooDeepHasNoForm) {
  Ref<platform::Object> value = str("x");
  for (int i = 0; i < backend::kMaxForeignNesting; ++i)
    value = platform::make<platform::Array>(std::vector<Ref<platform::Object>>{value});
  FakeMaker maker;
  auto made = backend::makeForeign(*value, maker);
  ASSERT_NE(made, nullptr);
  maker.release(made);

  value = platform::make<platform::Array>(std::vector<Ref<platform::Object>>{value});
  EXPECT_EQ(backend::makeForeign(*value, maker), nullptr);
  EXPECT_EQ(maker.live(), 0);
}

}  // namespace
