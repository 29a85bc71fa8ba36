// A small writer of SVG text: elements with attributes, nested, escaped.
// The desktop's picture is built with it (desktop_svg.h).
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace sim {

using SvgAttrs = std::vector<std::pair<std::string, std::string>>;

class SvgWriter {
 public:
  // <tag attrs...> ... until the matching end().
  void begin(const std::string& tag, const SvgAttrs& attrs = {});
  void end();
  // <tag attrs.../>
  void leaf(const std::string& tag, const SvgAttrs& attrs = {});
  // <tag attrs...>text</tag>
  void textElement(const std::string& tag, const SvgAttrs& attrs, const std::string& text);
  // Closes what is still open and hands back the text.
  std::string finish();

 private:
  void openTag(const std::string& tag, const SvgAttrs& attrs);
  std::string out_;
  std::vector<std::string> open_;
};

// Text and attribute values with &, <, >, " and ' escaped.
std::string xmlEscape(const std::string& s);
// A length or coordinate: at most three decimals, no trailing zeros.
std::string svgNumber(double v);

}  // namespace sim
