#include "taskdialog/task_dialog_button_qt.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "taskdialog/task_dialog_layout.h"
#include "taskdialog/task_dialog_text.h"

namespace kt = kestrune::taskdialog;

namespace {

constexpr int kPictureLeft = 4;
constexpr int kPictureGap = 3;
constexpr int kTextLeftWithoutPicture = 8;
constexpr int kRightPadding = 8;
constexpr int kStartWidth = 22;
constexpr int kStartHeight = 23;
constexpr qreal kCornerRadius = 2;

QStringList Lines(const QString& caption) {
  QStringList lines;
  for (const std::u16string& line : kt::CaptionLines(caption.toStdU16String())) {
    lines.append(QString::fromStdU16String(line));
  }
  return lines;
}

QString WithoutMnemonics(const QString& text) {
  return QString::fromStdU16String(kt::WithoutAmpersands(text.toStdU16String()));
}

QSize LogicalSize(const QPixmap& pixmap) { return pixmap.deviceIndependentSize().toSize(); }

}  // namespace

TTaskDialogButton::TTaskDialogButton(QWidget* parent) : QAbstractButton(parent), headingFont_(font()) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_Hover);
  resize(kStartWidth, kStartHeight);
}

void TTaskDialogButton::SetHeadingFont(const QFont& font) {
  headingFont_ = font;
  updateGeometry();
  update();
}

void TTaskDialogButton::SetPictures(const QPixmap& normal, const QPixmap& hot, const QPixmap& down,
                                    const QPixmap& disabled) {
  picture_ = normal;
  pictureHot_ = hot;
  pictureDown_ = down;
  pictureDisabled_ = disabled;
  updateGeometry();
  update();
}

const QPixmap& TTaskDialogButton::CurrentPicture() const {
  if (isDown() && !pictureDown_.isNull()) return pictureDown_;
  if (hot_ && !pictureHot_.isNull()) return pictureHot_;
  if (!isEnabled() && !pictureDisabled_.isNull()) return pictureDisabled_;
  return picture_;
}

int TTaskDialogButton::TextLeft() const {
  return picture_.isNull() ? kTextLeftWithoutPicture : kPictureLeft + LogicalSize(picture_).width() + kPictureGap;
}

int TTaskDialogButton::LineCount() const { return static_cast<int>(Lines(text()).size()); }

int TTaskDialogButton::NeededWidth() const {
  const QStringList lines = Lines(text());
  int widest = 0;
  for (int i = 0; i < lines.size(); ++i) {
    const QFontMetrics fm(i == 0 ? headingFont_ : font());
    widest = std::max(widest, fm.horizontalAdvance(WithoutMnemonics(lines[i])));
  }
  return TextLeft() + widest + kRightPadding;
}

QSize TTaskDialogButton::sizeHint() const {
  const int lines = LineCount();
  const int textHeight = kt::CommandLinkBlockHeight(QFontMetrics(headingFont_).height(), fontMetrics().height(), lines);
  return {NeededWidth(), std::max({kStartHeight, LogicalSize(picture_).height() + 4, textHeight + 4})};
}

void TTaskDialogButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap& picture = CurrentPicture();
  const bool hasCaption = !text().isEmpty();
  if (!picture.isNull()) {
    const QSize size = LogicalSize(picture);
    const int x = hasCaption ? kPictureLeft : (width() - size.width()) / 2;
    painter.drawPixmap(x, (height() - size.height()) / 2, picture);
  }

  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  const QStringList lines = Lines(text());
  const int left = TextLeft();
  const int textWidth = std::max(0, width() - left - kRightPadding / 2);
  const int headingHeight = QFontMetrics(headingFont_).height();
  const int bodyHeight = fontMetrics().height();
  const std::vector<int> tops = kt::CommandLinkLineTops(height(), headingHeight, bodyHeight, lines.size());
  for (int i = 0; i < lines.size() && hasCaption; ++i) {
    painter.setFont(i == 0 ? headingFont_ : font());
    const QRect lineRect(left, tops[i], textWidth, i == 0 ? headingHeight : bodyHeight);
    painter.drawText(lineRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, lines[i]);
  }

  QColor border = BorderColor;
  if (isDown()) {
    border = BorderColorDown;
  } else if (hot_ || hasFocus()) {
    border = BorderColorHot;
  }
  if (isEnabled() && border.isValid()) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
  }
}

void TTaskDialogButton::enterEvent(QEnterEvent* event) {
  hot_ = true;
  update();
  if (OnMouseEnter) OnMouseEnter(*this);
  QAbstractButton::enterEvent(event);
}

void TTaskDialogButton::leaveEvent(QEvent* event) {
  hot_ = false;
  update();
  if (OnMouseLeave) OnMouseLeave(*this);
  QAbstractButton::leaveEvent(event);
}
