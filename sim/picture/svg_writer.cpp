#include "sim/picture/svg_writer.h"

#include <cmath>
#include <cstdio>

namespace sim {

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(const std::string& s, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = byte(i);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

std::string xmlEscape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char c = s[i];
    std::size_t n = utf8Length(s, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";  // a byte that is not UTF-8: U+FFFD
      ++i;
      continue;
    }
    if (n > 1) {
      out.append(s, i, n);
      i += n;
      continue;
    }
    ++i;
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // Control characters are not allowed in XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
          out += ' ';
        else
          out += c;
    }
  }
  return out;
}

std::string svgNumber(double v) {
  if (!std::isfinite(v)) return "0";
  char buf[64];
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
