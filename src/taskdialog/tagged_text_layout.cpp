#include "taskdialog/tagged_text_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrune::taskdialog {

TextRect TextRect::United(const TextRect& other) const {
  const int left = std::min(x, other.x);
  const int top = std::min(y, other.y);
  const int right = std::max(x + width, other.x + other.width);
  const int bottom = std::max(y + height, other.y + other.height);
  return {left, top, right - left, bottom - top};
}

namespace {

enum class Align { kLeft, kCenter, kRight };
enum class Shift { kNone, kSub, kSup };

constexpr int kMaxListLevel = 16;
constexpr int kMaxPosition = 100000;
constexpr int kWholeWidth = -1;  // a rule or fill that reaches the right edge, known only at the end

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

struct FontState {
  std::u16string face;
  int pointSize = 0;
  std::optional<TagColour> colour;
  std::optional<TagColour> background;
};

struct PieceMetrics {
  int width = 0;
  int ascent = 0;  // above the line's baseline, after any sub- or superscript shift
  int descent = 0;
  int originDx = 0;  // where the text starts within the piece
  int textWidth = 0;
  int shift = 0;  // of the piece's own baseline, downwards
};

struct LineItem {
  int x = 0;
  PieceMetrics metrics;
  bool isPicture = false;
  bool isBullet = false;
  std::u16string text;
  RunStyle style;
  std::u16string source;
};

std::u16string_view WithoutTrailingBlanks(std::u16string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

// The unturned box of a piece turned counter-clockwise by degrees; returns width, ascent, descent, originDx.
PieceMetrics Turned(PieceMetrics m, int degrees) {
  const double angle = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  bool first = true;
  for (const int px : {0, m.textWidth}) {
    for (const int py : {-m.ascent, m.descent}) {
      // Screen y grows downwards, so counter-clockwise on screen is clockwise in the formula's frame.
      const double tx = px * c + py * s;
      const double ty = -px * s + py * c;
      minX = first ? tx : std::min(minX, tx);
      maxX = first ? tx : std::max(maxX, tx);
      minY = first ? ty : std::min(minY, ty);
      maxY = first ? ty : std::max(maxY, ty);
      first = false;
    }
  }
  m.originDx = static_cast<int>(std::ceil(-minX - 1e-9));
  m.width = static_cast<int>(std::ceil(maxX - 1e-9)) + m.originDx;
  m.ascent = static_cast<int>(std::ceil(-minY - 1e-9));
  m.descent = static_cast<int>(std::ceil(maxY - 1e-9));
  return m;
}

class Layouter {
 public:
  Layouter(TaggedTextMetrics& metrics, const TaggedLayoutOptions& options) : metrics_(metrics), options_(options) {
    font_.pointSize = options.basePointSize;
  }

  TaggedLayout Run(std::u16string_view text) {
    for (const TextToken& token : TokenizeTaggedText(text)) {
      if (token.type == TextToken::kText) {
        OnText(token.text);
      } else {
        OnTag(token);
      }
    }
    if (!line_.empty()) FinishLine();
    CloseParagraphFill();
    out_.size.height = y_;
    FillWholeWidths();
    return std::move(out_);
  }

 private:
  bool Bounded() const { return options_.width > 0; }
  int Right() const { return options_.width; }
  int ListLevel() const { return std::max(listLevel_, looseItem_ ? 1 : 0); }
  int LineLeft() const { return indent_ + ListLevel() * kListIndent; }
  bool LineHasContent() const {
    return std::any_of(line_.begin(), line_.end(), [](const LineItem& item) { return !item.isBullet; });
  }

  TextFont CurrentFont() const {
    TextFont font{font_.face, font_.pointSize, bold_ > 0, italic_ > 0};
    if (shift_ != Shift::kNone) font.pointSize = std::max(1, font.pointSize * 2 / 3);
    return font;
  }

  TextFont NormalFont() const { return {font_.face, font_.pointSize, bold_ > 0, italic_ > 0}; }

  RunStyle CurrentStyle() const {
    RunStyle style;
    style.font = CurrentFont();
    style.colour = font_.colour;
    style.background = font_.background;
    style.underline = underline_ > 0 || link_ >= 0;
    style.strike = strike_ > 0;
    style.highlight = highlight_ > 0;
    style.shadow = shadow_ > 0;
    style.rotation = rotation_;
    style.linkIndex = link_;
    return style;
  }

  int BaselineShift() {
    if (shift_ == Shift::kNone) return 0;
    const int third = metrics_.Ascent(NormalFont()) / 3;
    return shift_ == Shift::kSup ? -third : third;
  }

  PieceMetrics Measure(std::u16string_view text, const RunStyle& style, int shift) {
    PieceMetrics m;
    m.textWidth = metrics_.TextWidth(style.font, text);
    m.width = m.textWidth;
    m.ascent = metrics_.Ascent(style.font);
    m.descent = metrics_.Descent(style.font);
    if (style.rotation != 0) m = Turned(m, style.rotation);
    m.shift = shift;
    m.ascent -= m.shift;
    m.descent += m.shift;
    if (style.shadow) {
      m.width += options_.shadowOffset;
      m.descent += options_.shadowOffset;
    }
    return m;
  }

  // Text between tags ------------------------------------------------------------------------------

  void OnText(std::u16string_view text) {
    if (link_ >= 0) out_.links[link_].text.append(text);
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t end = at;
      while (end < text.size() && !IsBlank(text[end])) ++end;
      while (end < text.size() && IsBlank(text[end])) ++end;
      PlacePiece(text.substr(at, end - at));
      at = end;
    }
  }

  // A word with the blanks after it, or blanks alone.
  void PlacePiece(std::u16string_view piece) {
    const std::u16string_view word = WithoutTrailingBlanks(piece);
    if (word.empty()) {
      if (!(wrapped_ && !LineHasContent())) AddText(piece);
      return;
    }
    const RunStyle style = CurrentStyle();
    const int wordWidth = Measure(word, style, BaselineShift()).width;
    if (Bounded() && LineHasContent() && pen_ + wordWidth > Right()) Wrap();
    if (Bounded() && pen_ + wordWidth > Right()) {
      PlaceLongWord(piece);
      return;
    }
    AddText(piece);
  }

  // A word wider than the line is cut where the line is full; at least one character goes on each line.
  void PlaceLongWord(std::u16string_view piece) {
    const RunStyle style = CurrentStyle();
    std::u16string_view rest = piece;
    const int shift = BaselineShift();
    while (!WithoutTrailingBlanks(rest).empty() &&
           pen_ + Measure(WithoutTrailingBlanks(rest), style, shift).width > Right()) {
      const std::size_t cut = FittingPrefix(WithoutTrailingBlanks(rest), style);
      AddText(rest.substr(0, cut));
      rest.remove_prefix(cut);
      Wrap();
    }
    if (!rest.empty()) AddText(rest);
  }

  std::size_t FittingPrefix(std::u16string_view word, const RunStyle& style) {
    std::size_t low = 1;  // always fits, so that every line takes something
    std::size_t high = word.size();
    while (low < high) {
      const std::size_t middle = (low + high + 1) / 2;
      if (pen_ + Measure(word.substr(0, middle), style, BaselineShift()).width <= Right()) {
        low = middle;
      } else {
        high = middle - 1;
      }
    }
    const bool splitsPair = low < word.size() && word[low - 1] >= 0xD800 && word[low - 1] <= 0xDBFF;
    if (splitsPair) low = low > 1 ? low - 1 : low + 1;
    return low;
  }

  void AddText(std::u16string_view text, bool bullet = false) {
    LineItem item;
    item.x = pen_;
    item.style = CurrentStyle();
    if (bullet) {
      item.style.underline = false;
      item.style.linkIndex = -1;
      item.style.rotation = 0;
    }
    item.metrics = Measure(text, item.style, BaselineShift());
    item.text = std::u16string(text);
    item.isBullet = bullet;
    if (!bullet) pen_ += item.metrics.width;
    line_.push_back(std::move(item));
  }

  // Lines -------------------------------------------------------------------------------------------

  void Wrap() {
    FinishLine();
    wrapped_ = true;
  }

  // Ends the line when something stands on it, before a block begins.
  void EndBlock() {
    if (!line_.empty()) FinishLine();
    pen_ = LineLeft();
  }

  void TrimLastItem() {
    if (line_.empty() || line_.back().isPicture) return;
    LineItem& last = line_.back();
    const std::u16string_view trimmed = WithoutTrailingBlanks(last.text);
    if (trimmed.size() == last.text.size()) return;
    if (trimmed.empty() && line_.size() > 1) {
      line_.pop_back();
      return;
    }
    last.text.resize(trimmed.size());
    last.metrics = Measure(last.text, last.style, last.metrics.shift);
  }

  int AlignmentShift(int lineRight) const {
    if (!Bounded() || align_ == Align::kLeft) return 0;
    const int room = std::max(0, Right() - lineRight);
    return align_ == Align::kCenter ? room / 2 : room;
  }

  void FinishLine() {
    TrimLastItem();
    int ascent = 0;
    int descent = 0;
    int lineRight = 0;
    if (line_.empty()) {
      ascent = metrics_.Ascent(NormalFont());
      descent = metrics_.Descent(NormalFont());
    }
    for (const LineItem& item : line_) {
      ascent = std::max(ascent, item.metrics.ascent);
      descent = std::max(descent, item.metrics.descent);
      lineRight = std::max(lineRight, item.x + item.metrics.width);
    }
    const int dx = AlignmentShift(lineRight);
    const int baseline = y_ + ascent;
    for (LineItem& item : line_) Emit(item, dx, baseline);
    y_ += ascent + descent;
    line_.clear();
    pen_ = LineLeft();
    wrapped_ = false;
  }

  void Emit(LineItem& item, int dx, int baseline) {
    const PieceMetrics& m = item.metrics;
    const TextRect box{item.x + dx, baseline - m.ascent, m.width, m.ascent + m.descent};
    out_.size.width = std::max(out_.size.width, box.x + box.width);
    if (item.isPicture) {
      out_.pictures.push_back({box, std::move(item.source), item.style.linkIndex});
    } else {
      out_.texts.push_back(
          {box, box.x + m.originDx, baseline + m.shift, m.textWidth, std::move(item.text), item.style});
    }
    if (item.style.linkIndex >= 0) out_.links[item.style.linkIndex].boxes.push_back(box);
  }

  void FillWholeWidths() {
    for (LaidRule& rule : out_.rules) {
      if (rule.box.width == kWholeWidth) rule.box.width = std::max(0, out_.size.width - rule.box.x);
    }
    for (LaidFill& fill : out_.fills) {
      if (fill.box.width == kWholeWidth) fill.box.width = out_.size.width;
    }
  }

  // Tags --------------------------------------------------------------------------------------------

  static void Count(int& counter, bool closing) { counter = closing ? std::max(0, counter - 1) : counter + 1; }

  void OnTag(const TextToken& token) {
    switch (token.tag) {
      case TagKind::kA:
        OnLink(token);
        break;
      case TagKind::kB:
        Count(bold_, token.closing);
        break;
      case TagKind::kI:
        Count(italic_, token.closing);
        break;
      case TagKind::kU:
        Count(underline_, token.closing);
        break;
      case TagKind::kS:
        Count(strike_, token.closing);
        break;
      case TagKind::kHi:
        Count(highlight_, token.closing);
        break;
      case TagKind::kShad:
        Count(shadow_, token.closing);
        break;
      case TagKind::kSub:
        shift_ = token.closing ? Shift::kNone : Shift::kSub;
        break;
      case TagKind::kSup:
        shift_ = token.closing ? Shift::kNone : Shift::kSup;
        break;
      case TagKind::kBr:
        if (!token.closing) FinishLine();
        break;
      case TagKind::kFont:
        OnFont(token);
        break;
      case TagKind::kBody:
        if (!token.closing) OnBody(token);
        break;
      case TagKind::kHr:
        if (!token.closing) OnRule();
        break;
      case TagKind::kImg:
        if (!token.closing) OnPicture(token);
        break;
      case TagKind::kInd:
        if (!token.closing) pen_ = std::max(pen_, PositionAttribute(token, u"X"));
        break;
      case TagKind::kOffset:
        if (!token.closing) pen_ = PositionAttribute(token, u"X");
        break;
      case TagKind::kRotate:
        rotation_ = token.closing ? 0 : ParseTagInt(AttributeOr(token, u"A"), 0) % 360;
        break;
      case TagKind::kLi:
        if (!token.closing) OnListItem();
        break;
      case TagKind::kUl:
        OnList(token.closing);
        break;
      case TagKind::kP:
        OnParagraph(token);
        break;
      case TagKind::kE:
      case TagKind::kZ:
      case TagKind::kUnknown:
        break;
    }
  }

  static std::u16string_view AttributeOr(const TextToken& token, std::u16string_view name) {
    const std::u16string* value = token.Attribute(name);
    return value ? std::u16string_view(*value) : std::u16string_view();
  }

  static int PositionAttribute(const TextToken& token, std::u16string_view name) {
    return std::clamp(ParseTagInt(AttributeOr(token, name), 0), 0, kMaxPosition);
  }

  static std::optional<TagColour> ColourAttribute(const TextToken& token, std::u16string_view name) {
    const std::u16string* value = token.Attribute(name);
    if (!value) return std::nullopt;
    return ParseTagColour(*value);
  }

  // A keyword value, upper-cased, without the quotes or backslashes some texts put around it.
  static std::u16string Keyword(const TextToken& token, std::u16string_view name) {
    std::u16string value = UpperAscii(AttributeOr(token, name));
    std::erase_if(value, [](char16_t c) { return c == u'"' || c == u'\'' || c == u'\\'; });
    return value;
  }

  void OnLink(const TextToken& token) {
    link_ = -1;
    if (token.closing) return;
    link_ = static_cast<int>(out_.links.size());
    out_.links.push_back({std::u16string(AttributeOr(token, u"HREF")), {}, {}});
  }

  void OnFont(const TextToken& token) {
    if (token.closing) {
      if (!fontStack_.empty()) {
        font_ = std::move(fontStack_.back());
        fontStack_.pop_back();
      }
      return;
    }
    fontStack_.push_back(font_);
    if (const std::u16string* face = token.Attribute(u"FACE"); face && !face->empty()) font_.face = *face;
    if (const std::u16string* size = token.Attribute(u"SIZE"))
      font_.pointSize = FontSizeForAttribute(*size, font_.pointSize);
    if (auto colour = ColourAttribute(token, u"COLOR")) font_.colour = colour;
    if (auto background = ColourAttribute(token, u"BGCOLOR")) font_.background = background;
  }

  void OnBody(const TextToken& token) {
    out_.body.colour = ColourAttribute(token, u"BGCOLOR");
    out_.body.colourTo = ColourAttribute(token, u"BGCOLORTO");
    out_.body.across = Keyword(token, u"DIR") == u"H";
    out_.body.background = AttributeOr(token, u"BACKGROUND");
    out_.body.topLeft = AttributeOr(token, u"BGTOPLEFT");
    out_.body.topRight = AttributeOr(token, u"BGTOPRIGHT");
  }

  void OnRule() {
    EndBlock();
    const int left = LineLeft();
    const int width = Bounded() ? std::max(0, Right() - left) : kWholeWidth;
    out_.rules.push_back({{left, y_, width, kRuleHeight}, font_.colour});
    out_.size.width = std::max(out_.size.width, Bounded() ? left + width : left);
    y_ += kRuleHeight;
  }

  void OnPicture(const TextToken& token) {
    const std::u16string source(AttributeOr(token, u"SRC"));
    std::optional<TextSize> size = metrics_.PictureSize(source);
    if (!size) {
      if (const std::u16string* alt = token.Attribute(u"ALT")) OnText(*alt);
      return;
    }
    const int width = ParseTagInt(AttributeOr(token, u"WIDTH"), size->width);
    const int height = ParseTagInt(AttributeOr(token, u"HEIGHT"), size->height);
    PieceMetrics m;
    m.width = std::max(0, static_cast<int>(std::lround(width * options_.zoom)));
    const int h = std::max(0, static_cast<int>(std::lround(height * options_.zoom)));
    const int fontAscent = metrics_.Ascent(NormalFont());
    const std::u16string align = Keyword(token, u"ALIGN");
    if (align == u"TOP") {
      m.ascent = fontAscent;
    } else if (align == u"MIDDLE") {
      m.ascent = (h + fontAscent - metrics_.Descent(NormalFont())) / 2;
    } else {
      m.ascent = h;
    }
    m.descent = h - m.ascent;
    m.textWidth = m.width;
    const bool ownLine = token.Attribute(u"WRAP") != nullptr;
    if (LineHasContent() && (ownLine || (Bounded() && pen_ + m.width > Right()))) Wrap();
    LineItem item;
    item.x = pen_;
    item.metrics = m;
    item.isPicture = true;
    item.source = source;
    item.style.linkIndex = link_;
    line_.push_back(std::move(item));
    pen_ += m.width;
    if (ownLine) FinishLine();
  }

  void OnListItem() {
    EndBlock();
    if (listLevel_ == 0) looseItem_ = true;
    pen_ = LineLeft();
    const int saved = pen_;
    pen_ = LineLeft() - kListIndent;
    AddText(std::u16string(1, kBullet), true);
    pen_ = saved;
  }

  void OnList(bool closing) {
    EndBlock();
    looseItem_ = false;
    listLevel_ = closing ? std::max(0, listLevel_ - 1) : std::min(kMaxListLevel, listLevel_ + 1);
    pen_ = LineLeft();
  }

  void OnParagraph(const TextToken& token) {
    EndBlock();
    CloseParagraphFill();
    looseItem_ = false;
    align_ = Align::kLeft;
    indent_ = 0;
    if (!token.closing) {
      const std::u16string align = Keyword(token, u"ALIGN");
      if (align == u"CENTER") align_ = Align::kCenter;
      if (align == u"RIGHT") align_ = Align::kRight;
      indent_ = PositionAttribute(token, u"INDENT");
      paragraphColour_ = ColourAttribute(token, u"BGCOLOR");
      paragraphColourTo_ = ColourAttribute(token, u"BGCOLORTO");
      paragraphTop_ = y_;
    }
    pen_ = LineLeft();
  }

  void CloseParagraphFill() {
    if (paragraphColour_ && y_ > paragraphTop_) {
      const int width = Bounded() ? Right() : kWholeWidth;
      out_.fills.push_back(
          {{0, paragraphTop_, width, y_ - paragraphTop_}, *paragraphColour_, paragraphColourTo_, false});
    }
    paragraphColour_.reset();
    paragraphColourTo_.reset();
  }

  TaggedTextMetrics& metrics_;
  TaggedLayoutOptions options_;
  TaggedLayout out_;

  FontState font_;
  std::vector<FontState> fontStack_;
  int bold_ = 0, italic_ = 0, underline_ = 0, strike_ = 0, highlight_ = 0, shadow_ = 0;
  Shift shift_ = Shift::kNone;
  int rotation_ = 0;
  int link_ = -1;
  int listLevel_ = 0;
  bool looseItem_ = false;
  Align align_ = Align::kLeft;
  int indent_ = 0;
  std::optional<TagColour> paragraphColour_;
  std::optional<TagColour> paragraphColourTo_;
  int paragraphTop_ = 0;

  std::vector<LineItem> line_;
  int pen_ = 0;
  int y_ = 0;
  bool wrapped_ = false;  // the line was begun by wrapping, so blanks at its start are dropped
};

}  // namespace

TaggedLayout LayOutTaggedText(std::u16string_view text, TaggedTextMetrics& metrics,
                              const TaggedLayoutOptions& options) {
  return Layouter(metrics, options).Run(text);
}

int LinkAt(const TaggedLayout& layout, TextPoint point) {
  for (std::size_t i = 0; i < layout.links.size(); ++i) {
    for (const TextRect& box : layout.links[i].boxes) {
      if (box.Contains(point)) return static_cast<int>(i);
    }
  }
  return -1;
}

std::optional<TextRect> LinkRect(const TaggedLayout& layout, int index) {
  if (index < 0 || index >= static_cast<int>(layout.links.size()) || layout.links[index].boxes.empty()) {
    return std::nullopt;
  }
  const std::vector<TextRect>& boxes = layout.links[index].boxes;
  TextRect rect = boxes.front();
  for (const TextRect& box : boxes) rect = rect.United(box);
  return rect;
}

}  // namespace kestrune::taskdialog
