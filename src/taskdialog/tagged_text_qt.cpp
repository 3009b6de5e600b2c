#include "taskdialog/tagged_text_qt.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <array>
#include <map>
#include <stdexcept>
#include <tuple>

#include "taskdialog/tagged_text_layout.h"

namespace kt = kestrune::taskdialog;

namespace {

struct SystemColourRole {
  int index;
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The Windows system colours the markup may name, as the palette's nearest roles.
constexpr std::array<SystemColourRole, 24> kSystemColours = {{
    {1, QPalette::Active, QPalette::Window},           // background (desktop)
    {2, QPalette::Active, QPalette::Highlight},        // active caption
    {3, QPalette::Inactive, QPalette::Mid},            // inactive caption
    {4, QPalette::Active, QPalette::Window},           // menu
    {5, QPalette::Active, QPalette::Base},             // window
    {6, QPalette::Active, QPalette::Shadow},           // window frame
    {7, QPalette::Active, QPalette::WindowText},       // menu text
    {8, QPalette::Active, QPalette::Text},             // window text
    {9, QPalette::Active, QPalette::HighlightedText},  // caption text
    {10, QPalette::Active, QPalette::Button},          // active border
    {11, QPalette::Inactive, QPalette::Button},        // inactive border
    {12, QPalette::Active, QPalette::Mid},             // application workspace
    {13, QPalette::Active, QPalette::Highlight},
    {14, QPalette::Active, QPalette::HighlightedText},
    {15, QPalette::Active, QPalette::Button},  // button face
    {16, QPalette::Active, QPalette::Dark},    // button shadow
    {17, QPalette::Disabled, QPalette::Text},  // grey text
    {18, QPalette::Active, QPalette::ButtonText},
    {19, QPalette::Disabled, QPalette::WindowText},  // inactive caption text
    {20, QPalette::Active, QPalette::Light},         // button highlight
    {21, QPalette::Active, QPalette::Shadow},        // 3D dark shadow
    {22, QPalette::Active, QPalette::Midlight},      // 3D light
    {23, QPalette::Active, QPalette::ToolTipText},   // info text
    {24, QPalette::Active, QPalette::ToolTipBase},   // info background
}};

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const kt::TextRect& rect, QPoint origin) {
  return QRect(rect.x, rect.y, rect.width, rect.height).translated(origin);
}

// The pictures IMG tags and the body name, each looked up once per call.
class PictureSource {
 public:
  explicit PictureSource(const TaggedTextOptions& options) : options_(options) {}

  QImage Find(const QString& source) {
    const auto cached = cache_.constFind(source);
    if (cached != cache_.constEnd()) return *cached;
    QImage image = Lookup(source);
    cache_.insert(source, image);
    return image;
  }

 private:
  QImage Lookup(const QString& source) const {
    if (source.startsWith(QLatin1String("IDX:"), Qt::CaseInsensitive)) {
      bool ok = false;
      const int index = source.mid(4).trimmed().toInt(&ok);
      if (!ok || !options_.imageList || index < 0 || index >= options_.imageList->size()) return {};
      return options_.imageList->at(index).toImage();
    }
    const bool small = source.startsWith(QLatin1String("SSYS:"), Qt::CaseInsensitive);
    if (small || source.startsWith(QLatin1String("LSYS:"), Qt::CaseInsensitive)) {
      const int size = small ? kSmallIcon : kLargeIcon;
      return QFileIconProvider().icon(QFileInfo(source.mid(5))).pixmap(size, size).toImage();
    }
    if (source.contains(QLatin1String("://"))) {
      TTagPicture picture;
      try {
        picture.LoadFromAddress(source);
      } catch (const std::exception&) {
        return {};
      }
      return picture.Image();
    }
    if (!options_.pictures) return {};
    const TTagPicture* picture = options_.pictures->Find(source);
    return picture ? picture->Image() : QImage();
  }

  const TaggedTextOptions& options_;
  QHash<QString, QImage> cache_;
};

int PointSizeOf(const QFont& font) {
  if (font.pointSizeF() > 0) return qRound(font.pointSizeF());
  return qMax(1, qRound(font.pixelSize() * 0.75));
}

class QtTextMetrics : public kt::TaggedTextMetrics {
 public:
  QtTextMetrics(const QFont& base, QPaintDevice* device, PictureSource& pictures)
      : base_(base), device_(device), pictures_(pictures), basePointSize_(PointSizeOf(base)) {}

  int BasePointSize() const { return basePointSize_; }

  QFont Font(const kt::TextFont& spec) const {
    QFont font = base_;
    if (!spec.face.empty()) font.setFamily(ToQString(spec.face));
    if (spec.pointSize != basePointSize_ && spec.pointSize > 0) font.setPointSize(spec.pointSize);
    if (spec.bold) font.setBold(true);
    if (spec.italic) font.setItalic(true);
    font.setUnderline(false);  // lines are drawn by the renderer, across the measured width
    font.setStrikeOut(false);
    return font;
  }

  const QFontMetrics& Metrics(const kt::TextFont& spec) {
    const Key key{spec.face, spec.pointSize, spec.bold, spec.italic};
    auto found = metrics_.find(key);
    if (found == metrics_.end()) {
      const QFont font = Font(spec);
      found = metrics_.emplace(key, device_ ? QFontMetrics(font, device_) : QFontMetrics(font)).first;
    }
    return found->second;
  }

  int TextWidth(const kt::TextFont& font, std::u16string_view text) override {
    return Metrics(font).horizontalAdvance(ToQString(text));
  }
  int Ascent(const kt::TextFont& font) override { return Metrics(font).ascent(); }
  int Descent(const kt::TextFont& font) override { return Metrics(font).descent(); }
  std::optional<kt::TextSize> PictureSize(std::u16string_view source) override {
    const QImage image = pictures_.Find(ToQString(source));
    if (image.isNull()) return std::nullopt;
    return kt::TextSize{image.width(), image.height()};
  }

 private:
  using Key = std::tuple<std::u16string, int, bool, bool>;

  QFont base_;
  QPaintDevice* device_;
  PictureSource& pictures_;
  int basePointSize_;
  std::map<Key, QFontMetrics> metrics_;
};

class LayoutPainter {
 public:
  LayoutPainter(QPainter& painter, QtTextMetrics& metrics, PictureSource& pictures, const TaggedTextOptions& options,
                QPoint origin, int hoverLink)
      : painter_(painter),
        metrics_(metrics),
        pictures_(pictures),
        options_(options),
        origin_(origin),
        hoverLink_(hoverLink) {
    textColour_ = options.textColour.isValid() ? options.textColour : options.palette.color(QPalette::WindowText);
  }

  void Paint(const kt::TaggedLayout& layout, const QRect& area) {
    painter_.save();
    PaintBody(layout.body, area);
    for (const kt::LaidFill& fill : layout.fills) Fill(ToQRect(fill.box, origin_), fill.from, fill.to, fill.across);
    for (const kt::LaidRule& rule : layout.rules) PaintRule(rule);
    for (const kt::LaidPicture& picture : layout.pictures) {
      painter_.drawImage(ToQRect(picture.box, origin_), pictures_.Find(ToQString(picture.source)));
    }
    for (const kt::LaidText& text : layout.texts) PaintText(text);
    if (const std::optional<kt::TextRect> focus = kt::LinkRect(layout, options_.focusLink)) PaintFocus(*focus);
    painter_.restore();
  }

 private:
  QColor Colour(const kt::TagColour& colour) const { return ToQColor(colour, options_.palette); }

  void Fill(const QRect& rect, const kt::TagColour& from, const std::optional<kt::TagColour>& to, bool across) {
    if (!to) {
      painter_.fillRect(rect, Colour(from));
      return;
    }
    QLinearGradient gradient(rect.topLeft(), across ? rect.topRight() : rect.bottomLeft());
    gradient.setColorAt(0, Colour(from));
    gradient.setColorAt(1, Colour(*to));
    painter_.fillRect(rect, gradient);
  }

  void PaintBody(const kt::BodyStyle& body, const QRect& area) {
    if (body.colour) Fill(area, *body.colour, body.colourTo, body.across);
    if (!body.background.empty()) painter_.drawImage(area, pictures_.Find(ToQString(body.background)));
    if (!body.topLeft.empty()) painter_.drawImage(area.topLeft(), pictures_.Find(ToQString(body.topLeft)));
    if (!body.topRight.empty()) {
      const QImage image = pictures_.Find(ToQString(body.topRight));
      painter_.drawImage(QPoint(area.right() + 1 - image.width(), area.top()), image);
    }
  }

  void PaintRule(const kt::LaidRule& rule) {
    const QRect box = ToQRect(rule.box, origin_);
    const int y = box.top() + box.height() / 2;
    painter_.fillRect(QRect(box.left(), y, box.width(), 1), rule.colour ? Colour(*rule.colour) : textColour_);
  }

  QColor TextColour(const kt::RunStyle& style) const {
    if (style.linkIndex >= 0) {
      const bool hover = style.linkIndex == hoverLink_ && options_.hoverLinkColour.isValid();
      return hover ? options_.hoverLinkColour : options_.linkColour;
    }
    if (style.highlight) return options_.palette.color(QPalette::HighlightedText);
    return style.colour ? Colour(*style.colour) : textColour_;
  }

  void PaintText(const kt::LaidText& text) {
    const QRect box = ToQRect(text.box, origin_);
    if (text.style.highlight) {
      painter_.fillRect(box, options_.palette.color(QPalette::Highlight));
    } else if (text.style.background) {
      painter_.fillRect(box, Colour(*text.style.background));
    }
    painter_.setFont(metrics_.Font(text.style.font));
    const QPoint at = origin_ + QPoint(text.originX, text.baseline);
    if (text.style.shadow) {
      const int offset = options_.shadowOffset;
      PaintRun(text, at + QPoint(offset, offset), options_.shadowColour);
    }
    PaintRun(text, at, TextColour(text.style));
  }

  void PaintRun(const kt::LaidText& text, QPoint at, const QColor& colour) {
    const QFontMetrics& fm = metrics_.Metrics(text.style.font);
    painter_.save();
    painter_.translate(at);
    if (text.style.rotation != 0) painter_.rotate(-text.style.rotation);
    painter_.setPen(colour);
    painter_.drawText(QPoint(0, 0), ToQString(text.text));
    const int thickness = qMax(1, fm.lineWidth());
    if (text.style.underline) painter_.fillRect(QRect(0, fm.underlinePos(), text.textWidth, thickness), colour);
    if (text.style.strike) painter_.fillRect(QRect(0, -fm.strikeOutPos(), text.textWidth, thickness), colour);
    painter_.restore();
  }

  void PaintFocus(const kt::TextRect& rect) {
    painter_.save();
    QPen pen(textColour_, 1, Qt::DotLine);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(ToQRect(rect, origin_).adjusted(0, 0, -1, -1));
    painter_.restore();
  }

  QPainter& painter_;
  QtTextMetrics& metrics_;
  PictureSource& pictures_;
  const TaggedTextOptions& options_;
  QPoint origin_;
  int hoverLink_;
  QColor textColour_;
};

}  // namespace

QColor ToQColor(const kt::TagColour& colour, const QPalette& palette) {
  if (colour.kind == kt::TagColour::kRgb) return QColor(colour.red, colour.green, colour.blue);
  for (const SystemColourRole& entry : kSystemColours) {
    if (entry.index == colour.system) return palette.color(entry.group, entry.role);
  }
  return Qt::black;
}

TaggedTextResult HTMLDrawEx(QPainter* painter, const QString& text, const QRect& rect, const QFont& font,
                            const TaggedTextOptions& options) {
  PictureSource pictures(options);
  QtTextMetrics metrics(font, painter ? painter->device() : nullptr, pictures);
  kt::TaggedLayoutOptions layoutOptions;
  layoutOptions.width = rect.width();
  layoutOptions.basePointSize = metrics.BasePointSize();
  layoutOptions.zoom = options.zoom;
  layoutOptions.shadowOffset = options.shadowOffset;
  const kt::TaggedLayout layout = kt::LayOutTaggedText(text.toStdU16String(), metrics, layoutOptions);

  TaggedTextResult result;
  result.size = QSize(layout.size.width, layout.size.height);
  result.linkCount = static_cast<int>(layout.links.size());
  int hoverLink = -1;
  if (options.mouse) {
    const QPoint local = *options.mouse - rect.topLeft();
    hoverLink = kt::LinkAt(layout, {local.x(), local.y()});
    if (hoverLink >= 0) {
      result.overLink = true;
      result.href = ToQString(layout.links[hoverLink].href);
      result.linkText = ToQString(layout.links[hoverLink].text);
    }
  }
  if (const std::optional<kt::TextRect> focus = kt::LinkRect(layout, options.focusLink)) {
    result.focusRect = ToQRect(*focus, rect.topLeft());
  }
  if (painter) LayoutPainter(*painter, metrics, pictures, options, rect.topLeft(), hoverLink).Paint(layout, rect);
  return result;
}
