#include "backend/foreign_value.h"

#include <algorithm>

namespace backend {

namespace {

using platform::Ref;

template <class Record>
Ref<platform::Object> boxFromForeign(const ForeignValue& value, platform::AXValueType type) {
  Record record;
  if (!value.readRecord(type, &record)) return nullptr;
  return platform::AXValue::create(type, &record);
}

Ref<platform::Object> recordFromForeign(const ForeignValue& value) {
  switch (const platform::AXValueType type = value.recordType()) {
    case platform::kAXValueCGPointType: return boxFromForeign<platform::Point>(value, type);
    case platform::kAXValueCGSizeType: return boxFromForeign<platform::Size>(value, type);
    case platform::kAXValueCGRectType: return boxFromForeign<platform::Rect>(value, type);
    case platform::kAXValueCFRangeType: return boxFromForeign<platform::Range>(value, type);
    default: return nullptr;  // an error box or a kind unknown to the platform
  }
}

Ref<platform::Object> numberFromForeign(const ForeignValue& value) {
  if (value.isFloat()) return platform::make<platform::Number>(value.real());
  return platform::make<platform::Number>(value.integer());
}

Ref<platform::Object> arrayFromForeign(const ForeignValue& value, ForeignValueBudget& budget) {
  if (!budget.enterArray()) return nullptr;
  const std::size_t taken = budget.takeEntries(value.count());
  std::vector<Ref<platform::Object>> items;
  items.reserve(taken);
  for (std::size_t i = 0; i < taken; ++i) items.push_back(objectFromForeign(*value.at(i), budget));
  budget.leaveArray();
  return platform::make<platform::Array>(std::move(items));
}

using Handle = ForeignValueMaker::Handle;

Handle make(const platform::Object& object, ForeignValueMaker& maker, int depth);

Handle makeArray(const platform::Array& array, ForeignValueMaker& maker, int depth) {
  // The agent's own values: the bound only guards against a value that
  // holds itself.
  if (depth >= kMaxForeignNesting) return nullptr;
  std::vector<Handle> entries;
  entries.reserve(array.count());
  bool whole = true;
  for (std::size_t i = 0; whole && i < array.count(); ++i) {
    const platform::Object* entry = array.at(i);
    Handle made = entry ? make(*entry, maker, depth + 1) : nullptr;
    whole = made != nullptr;
    if (whole) entries.push_back(made);
  }
  Handle out = whole ? maker.array(entries) : nullptr;
  for (Handle h : entries) maker.release(h);
  return out;
}

template <class Record>
Handle makeBox(const platform::AXValue& value, ForeignValueMaker& maker) {
  Record record;
  if (!value.getValue(value.type(), &record)) return nullptr;
  return maker.record(value.type(), &record);
}

Handle makeRecord(const platform::AXValue& value, ForeignValueMaker& maker) {
  switch (value.type()) {
    case platform::kAXValueCGPointType: return makeBox<platform::Point>(value, maker);
    case platform::kAXValueCGSizeType: return makeBox<platform::Size>(value, maker);
    case platform::kAXValueCGRectType: return makeBox<platform::Rect>(value, maker);
    case platform::kAXValueCFRangeType: return makeBox<platform::Range>(value, maker);
    default: return nullptr;
  }
}

Handle makeNumber(const platform::Number& n, ForeignValueMaker& maker) {
  if (n.isFloat()) return maker.real(n.doubleValue());
  return maker.integer(n.integerValue());
}

Handle makeElement(const platform::UIElement& e, ForeignValueMaker& maker) {
  Handle handle = maker.elementHandle(e);
  return handle ? maker.retain(handle) : nullptr;
}

Handle make(const platform::Object& object, ForeignValueMaker& maker, int depth) {
  if (auto* s = platform::as<platform::String>(&object)) return maker.string(s->str());
  if (auto* n = platform::as<platform::Number>(&object)) return makeNumber(*n, maker);
  if (auto* b = platform::as<platform::Boolean>(&object)) return maker.boolean(b->value());
  if (auto* a = platform::as<platform::Array>(&object)) return makeArray(*a, maker, depth);
  if (auto* v = platform::as<platform::AXValue>(&object)) return makeRecord(*v, maker);
  if (auto* e = platform::as<platform::UIElement>(&object)) return makeElement(*e, maker);
  return nullptr;
}

}  // namespace

std::string textFromForeign(const ForeignValue& value, ForeignValueBudget& budget) {
  std::size_t room = budget.textAllowance();
  const std::int64_t most = value.utf8BytesAtMost();
  if (most >= 0) room = std::min(room, static_cast<std::size_t>(most));
  std::string text = value.text(room);
  text.resize(wholeUTF8Length(std::string_view(text).substr(0, std::min(text.size(), room))));
  budget.spendText(text.size());
  return text;
}

Ref<platform::Object> objectFromForeign(const ForeignValue& value, ForeignValueBudget& budget) {
  if (value.isString()) return platform::make<platform::String>(textFromForeign(value, budget));
  if (value.isBoolean()) return platform::make<platform::Boolean>(value.boolean());
  if (value.isNumber()) return numberFromForeign(value);
  if (value.isArray()) return arrayFromForeign(value, budget);
  if (value.isElement()) return value.element();
  if (value.isRecord()) return recordFromForeign(value);
  return nullptr;
}

Handle makeForeign(const platform::Object& object, ForeignValueMaker& maker) {
  return make(object, maker, 0);
}

}  // namespace backend
