#include "romscan/xml_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace kestrune::romscan {
namespace {

TEST(DecodeXmlEntities, DecodesEachReferenceOnce) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"\t\t<description>Pac &amp; Pal</description>\r\n", "<description>Pac & Pal</description>"},
      {"&amp;lt;", "&lt;"},  // an "&" that decoding produced is not decoded again
      {"&#65;", "A"},
      {"&#x41;", "A"},
      {"&#X41;", "A"},
      {"&#zz;", " "},  // not a number
      {"&#;", " "},
      {"&#x;", " "},
      {"&#321;", "A"},          // the low byte
      {"&#99999999999;", " "},  // overflows: not a number
      {"&#233;", "\xC3\xA9"},   // Windows-1252 0xE9, as UTF-8
      {"a&#124;b", "a b"},      // would split a catalogue field
      {"a&#10;b", "a b"},
      {"a&#13;b", "a b"},
      {"a&#0;b", "a b"},
      {"a&#26;b", "a b"},
      {"&quot;&lt;&gt;&apos;&nbsp;", "\"<>' "},
      {"AT&T Corp", "AT&T Corp"},  // unknown name: kept
      {"&lt x", "<x"},             // a blank ends the reference and goes with it
      {"tail &amp", "tail &"},     // the end of the line ends it too
      {"&foo&amp;", "&foo&"},      // an unknown name is kept; a reference after it still decodes
      {"   ", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeXmlEntities(c.in), c.out) << c.in;
}

// Lines of 256 KB made of one piece repeated: each "&" once searched the rest of the line for the
// end of its reference, which took minutes.
TEST(DecodeXmlEntities, DecodesALongLineInTimeProportionalToIt) {
  struct Case {
    std::string piece;
    std::string tail;
    const char* decoded;  // nullptr: the line decodes to itself
  } cases[] = {
      {"&", "", nullptr},    // no reference ends
      {"&", ";", nullptr},   // every reference ends at the last character
      {"&am", "", nullptr},  // unknown names
      {"&#", "", " "},       // one numeric reference to the end of the line, and no number
      {"&#", ";x", " x"},    // the same, ended
  };
  for (const Case& c : cases) {
    std::string line;
    while (line.size() < (256u << 10)) line += c.piece;
    line += c.tail;
    const auto start = std::chrono::steady_clock::now();
    const std::string decoded = DecodeXmlEntities(line);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0) << c.piece << c.tail;
    EXPECT_EQ(decoded, c.decoded == nullptr ? line : std::string(c.decoded)) << c.piece << c.tail;
  }
}

TEST(XmlAttrValue, TakesTheFirstQuotedValueOfTheName) {
  struct Case {
    std::string line;
    std::string name;
    std::string value;
  } cases[] = {
      {R"(<game name="pacman" cloneof="puckman" romof="puckman">)", "game name", "pacman"},
      {R"(<game name="pacman" cloneof="puckman" romof="puckman">)", "cloneof", "puckman"},
      {R"(<game name="pacman">)", "romof", ""},
      {R"(<rom name="a" size="1" crc="c1e6ab10"/>)", "crc", "c1e6ab10"},
      {R"(<rom name="a" crc=")", "crc", ""},   // not closed
      {R"(<rom name="a" crc=x>)", "crc", ""},  // not quoted
      {R"(<rom name="a" crc="">)", "crc", ""},
      {R"(<machine name="x" sampleof="y">)", "name", "x"},
      {R"x(<mame build="0.251 (unknown)" debug="no">)x", "<mame build", "0.251 (unknown)"},
      {R"(<disk name="d" sha1="s" md5="m"/>)", "disk name", "d"},
      {R"(<a xcrc="1" crc="2"/>)", "crc", "1"},  // a longer name ending in it matches first
      {R"(<a crc "1" crc="2"/>)", "crc", "2"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlAttrValue(c.line, c.name), c.value) << c.line << " / " << c.name;
}

}  // namespace
}  // namespace kestrune::romscan
