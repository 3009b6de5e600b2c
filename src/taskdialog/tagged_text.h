#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the small HTML-like markup of the task dialog's texts: tags with attributes, entities, line
// ends, colour values and font sizes. Nothing here measures or draws.
namespace kestrune::taskdialog {

// The entities of one run of text, replaced in a single pass so that "&amp;quot;" stays "&quot;"; an
// "&" that starts no known entity is kept as it is. "&nbsp;" becomes a no-break space.
std::u16string DecodeEntities(std::u16string_view text);

enum class TagKind {
  kUnknown,
  kA,
  kB,
  kBody,
  kBr,
  kE,
  kFont,
  kHi,
  kHr,
  kI,
  kImg,
  kInd,
  kLi,
  kOffset,  // any name beginning with OF
  kP,
  kRotate,  // any other name beginning with R
  kS,
  kShad,
  kSub,
  kSup,
  kU,
  kUl,
  kZ,
};

TagKind TagKindForName(std::u16string_view name);

struct TagAttribute {
  std::u16string name;  // upper-cased
  std::u16string value;
  friend bool operator==(const TagAttribute&, const TagAttribute&) = default;
};

struct TextToken {
  enum Type { kText, kTag };
  Type type = kText;
  std::u16string text;  // kText: the decoded text
  TagKind tag = TagKind::kUnknown;
  bool closing = false;
  std::vector<TagAttribute> attributes;

  // The value of the attribute of that name (any case), or null.
  const std::u16string* Attribute(std::u16string_view name) const;
};

// Splits the text into text runs and tags. A line end (CR LF, CR or LF) is a BR tag. A "<" that is
// not followed by a letter (or "/" and a letter) or that no ">" closes is text, so it never swallows
// the rest; text runs never hold line ends.
std::vector<TextToken> TokenizeTaggedText(std::u16string_view text);

// A colour of the markup: red, green and blue, or the number of a system colour (1 to 24).
struct TagColour {
  enum Kind { kRgb, kSystem };
  Kind kind = kRgb;
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  int system = 0;
  friend bool operator==(const TagColour&, const TagColour&) = default;
};

constexpr TagColour RgbColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {TagColour::kRgb, r, g, b, 0}; }
constexpr TagColour SystemColour(int index) { return {TagColour::kSystem, 0, 0, 0, index}; }

// A colour name ("clRed", "clBtnFace", any case) or "#RRGGBB"; anything else is black.
TagColour ParseTagColour(std::u16string_view value);

// The leading whole number of the text (blanks and a sign allowed), bounded to +-100000; fallback when
// there are no digits.
int ParseTagInt(std::u16string_view value, int fallback);

inline constexpr int kMaxTagPointSize = 200;
// FONT SIZE: 1 to 5 are the sizes 8, 10, 12, 14 and 16; any other positive number is a point size (at
// most kMaxTagPointSize); anything else keeps current.
int FontSizeForAttribute(std::u16string_view value, int current);

// ASCII upper case, for names and keywords of the markup.
std::u16string UpperAscii(std::u16string_view text);

}  // namespace kestrune::taskdialog
