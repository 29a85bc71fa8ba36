// The picture stays well-formed XML whatever bytes a title holds: UTF-8
// that Unicode calls ill-formed, and characters XML 1.0 forbids, are drawn
// as U+FFFD; numbers of any finite size are written in full.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "backend/utf8.h"
#include "sim/picture/desktop_svg.h"
#include "sim/picture/svg_writer.h"
#include "tests/agent_on_desktop.h"

namespace {

// Why the text cannot stand in XML 1.0 (its Char production), or "".
std::string xmlFault(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    auto step = backend::nextUTF8(text, i);
    if (!step.wellFormed) return "ill-formed UTF-8 at " + std::to_string(i);
    char32_t c = step.codePoint;
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF)
      return "U+" + std::to_string(static_cast<unsigned>(c)) + " at " + std::to_string(i);
    i += step.length;
  }
  return "";
}

const std::string kFFFD(backend::kReplacementCharacter);

TEST(SvgText, WhatXMLCannotHoldIsDrawnAsTheReplacementCharacter) {
  EXPECT_EQ(sim::xmlEscape("/\xC0\xAF/"), "/" + kFFFD + kFFFD + "/");
  EXPECT_EQ(sim::xmlEscape("\xED\xA0\x80"), kFFFD + kFFFD + kFFFD);
  EXPECT_EQ(sim::xmlEscape("\xF4\x90\x80\x80!"), kFFFD + kFFFD + kFFFD + kFFFD + "!");
  EXPECT_EQ(sim::xmlEscape("a\xEF\xBF\xBE"
                           "b\xEF\xBF\xBF"),
            "a" + kFFFD + "b" + kFFFD);
  EXPECT_EQ(sim::xmlEscape("\xEF\xBF\xBD\xF4\x8F\xBF\xBF"), kFFFD + "\xF4\x8F\xBF\xBF");
  EXPECT_EQ(sim::xmlEscape("\xE2\x82"), kFFFD);  // cut short: one part
}

TEST(SvgText, RandomBytesAlwaysEscapeToXMLText) {
  std::mt19937 random(19);
  // Mostly the bytes where Table 3-7 draws its lines.
  const unsigned char edges[] = {0x00, 0x09, 0x0A, 0x0D, 0x1F, 0x26, 0x3C, 0x7F, 0x80,
                                 0x8F, 0x90, 0x9F, 0xA0, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2,
                                 0xDF, 0xE0, 0xED, 0xEE, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
  for (int round = 0; round < 20000; ++round) {
    std::string s(random() % 12, '\0');
    for (auto& c : s)
      c = static_cast<char>(random() % 4 ? edges[random() % sizeof edges] : random() % 256);
    std::string escaped = sim::xmlEscape(s);
    ASSERT_EQ(xmlFault(escaped), "") << testing::PrintToString(s);
    // Well-formed text that XML allows comes through as it was, but markup.
    if (xmlFault(s).empty() && s.find_first_of("&<>\"'\r") == std::string::npos) {
      ASSERT_EQ(escaped, s);
    }
  }
}

TEST(SvgText, HostileTitlesLeaveTheWholePictureWellFormed) {
  AgentOnDesktop agent(
      "dock app \"Over\xC0\xAFlong\" running\n"
      "dock app \"Surrogate\xED\xA0\x80\"\n"
      "dock folder \"Beyond\xF4\x90\x80\x80\"\n"
      "dock folder \"Not a character\xEF\xBF\xBE\xEF\xBF\xBF\"\n"
      "dock trash \"Cut short\xF0\x9F\x98\"\n"
      "at 1 pointer dock 2\n");
  agent.desktop().advanceTo(2'000'000'000);
  std::string svg = sim::desktopSVG(agent.desktop().scene());
  EXPECT_EQ(xmlFault(svg), "");
  EXPECT_NE(svg.find("Over" + kFFFD + kFFFD + "long"), std::string::npos);
  EXPECT_NE(svg.find("Not a character" + kFFFD + kFFFD), std::string::npos);
}

TEST(SvgText, EveryFiniteNumberIsWrittenInFull) {
  // 1e59 as a double is 99999999999999997168788049560464200849936328366177157906432.
  EXPECT_EQ(sim::svgNumber(1e59).size(), 59u);
  EXPECT_EQ(sim::svgNumber(-1e60).size(), 61u);
  for (double v : {1e59, 3.5e100, -DBL_MAX, DBL_MAX, 123456789.125, -1e300}) {
    std::string text = sim::svgNumber(v);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
  }
  EXPECT_EQ(sim::svgNumber(DBL_MAX).size(), 309u);
  for (double v : {HUGE_VAL, -HUGE_VAL, std::nan("")}) EXPECT_EQ(sim::svgNumber(v), "0");
}

}  // namespace
