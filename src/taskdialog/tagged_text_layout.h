#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "taskdialog/tagged_text.h"

// Lays out a tagged text into positioned pieces: the one layout that both measuring and drawing use,
// so the size reported is the size drawn. Fonts and pictures are measured through TaggedTextMetrics,
// so the layout is worked out (and tested) without a display.
namespace kestrune::taskdialog {

struct TextPoint {
  int x = 0;
  int y = 0;
};

struct TextRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Contains(TextPoint p) const { return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height; }
  TextRect United(const TextRect& other) const;
  friend bool operator==(const TextRect&, const TextRect&) = default;
};

struct TextSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const TextSize&, const TextSize&) = default;
};

// What decides a font's measures.
struct TextFont {
  std::u16string face;  // empty: the caller's font
  int pointSize = 0;
  bool bold = false;
  bool italic = false;
  friend bool operator==(const TextFont&, const TextFont&) = default;
};

class TaggedTextMetrics {
 public:
  virtual ~TaggedTextMetrics() = default;
  virtual int TextWidth(const TextFont& font, std::u16string_view text) = 0;
  virtual int Ascent(const TextFont& font) = 0;
  virtual int Descent(const TextFont& font) = 0;
  // The size of the picture that an IMG SRC names, before zooming; none when there is no such picture.
  virtual std::optional<TextSize> PictureSize(std::u16string_view source) = 0;
};

struct RunStyle {
  TextFont font;
  std::optional<TagColour> colour;      // none: the caller's text colour
  std::optional<TagColour> background;  // FONT BGCOLOR
  bool underline = false;
  bool strike = false;
  bool highlight = false;
  bool shadow = false;
  int rotation = 0;    // degrees, counter-clockwise
  int linkIndex = -1;  // into TaggedLayout::links
  friend bool operator==(const RunStyle&, const RunStyle&) = default;
};

// A piece of text: drawn from (originX, baseline), turned by style.rotation around that point; box is
// what it covers.
struct LaidText {
  TextRect box;
  int originX = 0;
  int baseline = 0;
  int textWidth = 0;  // unturned advance of text
  std::u16string text;
  RunStyle style;
};

struct LaidPicture {
  TextRect box;
  std::u16string source;
  int linkIndex = -1;
};

struct LaidRule {
  TextRect box;  // the rule is drawn across its middle
  std::optional<TagColour> colour;
};

struct LaidFill {
  TextRect box;
  TagColour from;
  std::optional<TagColour> to;  // a gradient towards it
  bool across = false;          // the gradient runs left to right, else top to bottom
};

struct BodyStyle {
  std::optional<TagColour> colour;
  std::optional<TagColour> colourTo;
  bool across = false;
  std::u16string background;  // a picture stretched over the whole area
  std::u16string topLeft;     // pictures in the upper corners
  std::u16string topRight;
};

struct LinkArea {
  std::u16string href;
  std::u16string text;
  std::vector<TextRect> boxes;
};

struct TaggedLayout {
  TextSize size;
  BodyStyle body;
  std::vector<LaidFill> fills;
  std::vector<LaidRule> rules;
  std::vector<LaidPicture> pictures;
  std::vector<LaidText> texts;
  std::vector<LinkArea> links;
};

struct TaggedLayoutOptions {
  int width = 0;  // the width lines wrap at; 0 or less: lines only break where the text says
  int basePointSize = 9;
  double zoom = 1.0;  // for pictures
  int shadowOffset = 1;
};

// The spacing the layout uses, in pixels.
inline constexpr int kListIndent = 16;
inline constexpr int kRuleHeight = 8;
inline constexpr char16_t kBullet = u'\u2022';

// Positions are relative to the top left of the area.
TaggedLayout LayOutTaggedText(std::u16string_view text, TaggedTextMetrics& metrics, const TaggedLayoutOptions& options);

// The first link whose pieces hold the point, or -1.
int LinkAt(const TaggedLayout& layout, TextPoint point);
// The rectangle around every piece of link index; none for a link that is not there.
std::optional<TextRect> LinkRect(const TaggedLayout& layout, int index);

}  // namespace kestrune::taskdialog
