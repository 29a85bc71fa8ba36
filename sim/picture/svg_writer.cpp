#include "sim/picture/svg_writer.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "backend/utf8.h"

namespace sim {

namespace {

// Beyond ASCII, XML 1.0 allows every character but U+FFFE and U+FFFF (its
// Char production); the surrogates it also forbids are not UTF-8.
bool forbiddenInXML(char32_t c) { return c == 0xFFFE || c == 0xFFFF; }

}  // namespace

std::string xmlEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    auto step = backend::nextUTF8(s, i);
    if (!step.wellFormed || forbiddenInXML(step.codePoint)) {
      out += backend::kReplacementCharacter;  // not UTF-8, or not a character XML allows
    } else if (step.length > 1) {
      out.append(s, i, step.length);
    } else {
      switch (char c = s[i]) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
          // Control characters are not allowed in XML 1.0 text; a line
          // break inside a value would not survive it either.
          if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
            out += ' ';
          else
            out += c;
      }
    }
    i += step.length;
  }
  return out;
}

std::string svgNumber(double v) {
  if (!std::isfinite(v)) return "0";
  // Room for every finite double: the largest has 309 digits before the
  // point, a sign and three decimals.
  char buf[DBL_MAX_10_EXP + 16];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

void SvgWriter::openTag(const std::string& tag, const SvgAttrs& attrs) {
  out_ += '<';
  out_ += tag;
  for (const auto& [name, value] : attrs) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    out_ += xmlEscape(value);
    out_ += '"';
  }
}

void SvgWriter::begin(const std::string& tag, const SvgAttrs& attrs) {
  openTag(tag, attrs);
  out_ += ">\n";
  open_.push_back(tag);
}

void SvgWriter::end() {
  if (open_.empty()) return;
  out_ += "</" + open_.back() + ">\n";
  open_.pop_back();
}

void SvgWriter::leaf(const std::string& tag, const SvgAttrs& attrs) {
  openTag(tag, attrs);
  out_ += "/>\n";
}

void SvgWriter::textElement(const std::string& tag, const SvgAttrs& attrs,
                            const std::string& text) {
  openTag(tag, attrs);
  out_ += '>';
  out_ += xmlEscape(text);
  out_ += "</" + tag + ">\n";
}

std::string SvgWriter::finish() {
  while (!open_.empty()) end();
  return std::move(out_);
}

}  // namespace sim
