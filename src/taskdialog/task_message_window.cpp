#include "taskdialog/task_message_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "taskdialog/tagged_text_qt.h"
#include "taskdialog/task_dialog_button_qt.h"
#include "taskdialog/task_dialog_buttons.h"
#include "taskdialog/task_dialog_qt.h"
#include "taskdialog/task_dialog_text.h"
#include "translation/program_strings_qt.h"

namespace kt = kestrune::taskdialog;

namespace {

constexpr int kTimerPeriodMs = 100;
constexpr int kTitleMeasureLimit = 1000;
constexpr int kContentMeasureHeight = 1 << 20;
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
const QColor kInstructionColour(0, 83, 196);
const QColor kBandColour(240, 240, 240);
const QColor kBandLineColour(223, 223, 223);
const QColor kLinkColour(0, 0, 255);
const QColor kShadowColour(128, 128, 128);
const QColor kCommandLinkBorder(108, 225, 255);
constexpr int kHeadingPointSize = 11;
constexpr int kCommandLinkPointSize = 10;
constexpr int kRadioGap = 4;
constexpr int kCommandLinkGap = 2;
constexpr int kFooterIconSize = 16;
constexpr int kFooterTextIndent = 20;
constexpr int kFooterMinHeight = 20;
constexpr int kArrowSize = 16;
constexpr int kExpandPictureSize = 19;

QString ShownText(const QString& text) { return QString::fromStdU16String(kt::DisplayText(text.toStdU16String())); }

// A plain shield for tiShield, where the style has none of its own.
QPixmap ShieldPixmap() {
  QPixmap pixmap(kt::kIconSize, kt::kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath shield;
  shield.moveTo(16, 2);
  shield.lineTo(29, 7);
  shield.cubicTo(29, 20, 23, 26, 16, 30);
  shield.cubicTo(9, 26, 3, 20, 3, 7);
  shield.closeSubpath();
  painter.fillPath(shield, QColor(32, 86, 178));
  painter.fillRect(QRect(16, 7, 10, 9), QColor(250, 200, 40));
  painter.fillRect(QRect(6, 16, 10, 9), QColor(250, 200, 40));
  return pixmap;
}

QPixmap BlankPixmap() {
  QPixmap pixmap(kt::kIconSize, kt::kIconSize);
  pixmap.fill(Qt::white);
  return pixmap;
}

// The command links' arrow, in its normal, hot and pressed colours.
QPixmap ArrowPixmap(const QColor& colour) {
  QPixmap pixmap(kArrowSize, kArrowSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath arrow;
  arrow.moveTo(1, 6.5);
  arrow.lineTo(8, 6.5);
  arrow.lineTo(8, 2);
  arrow.lineTo(15, 8);
  arrow.lineTo(8, 14);
  arrow.lineTo(8, 9.5);
  arrow.lineTo(1, 9.5);
  arrow.closeSubpath();
  painter.fillPath(arrow, colour);
  return pixmap;
}

// The expand button: a round button with a chevron pointing down (collapsed) or up (expanded).
QPixmap ChevronPixmap(bool up, const QColor& fill, const QColor& border) {
  QPixmap pixmap(kExpandPictureSize, kExpandPictureSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(border);
  painter.setBrush(fill);
  painter.drawEllipse(QRectF(0.5, 0.5, kExpandPictureSize - 1, kExpandPictureSize - 1));
  QPen pen(QColor(70, 70, 70), 1.6);
  painter.setPen(pen);
  const qreal middle = kExpandPictureSize / 2.0;
  const qreal tip = up ? middle - 2.5 : middle + 2.5;
  const qreal ends = up ? middle + 1.5 : middle - 1.5;
  painter.drawPolyline(QPolygonF({QPointF(middle - 4, ends), QPointF(middle, tip), QPointF(middle + 4, ends)}));
  return pixmap;
}

struct ButtonPictures {
  QPixmap normal, hot, down;
};

ButtonPictures ArrowPictures() {
  return {ArrowPixmap(QColor(35, 135, 60)), ArrowPixmap(QColor(45, 180, 85)), ArrowPixmap(QColor(25, 100, 45))};
}

ButtonPictures ExpandPictures(bool expanded) {
  const QColor border(150, 150, 150);
  return {ChevronPixmap(expanded, Qt::white, border),
          ChevronPixmap(expanded, QColor(229, 243, 255), kCommandLinkBorder),
          ChevronPixmap(expanded, QColor(204, 228, 247), kCommandLinkBorder)};
}

// A radio button whose caption wraps at its width, as long captions of a task dialog need.
class WrappingRadioButton : public QRadioButton {
 public:
  WrappingRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, std::max(1, width - TextLeft()), kContentMeasureHeight),
                                                  kTextFlags | Qt::TextShowMnemonic, this->text());
    return std::max(IndicatorSize().height(), text.height()) + 2;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    option.rect.setHeight(std::max(IndicatorSize().height(), fontMetrics().height()) + 2);
    painter.drawControl(QStyle::CE_RadioButton, option);
    const QRect textRect(TextLeft(), 1, width() - TextLeft(), height() - 1);
    style()->drawItemText(&painter, textRect, kTextFlags | Qt::TextShowMnemonic, palette(), isEnabled(), caption,
                          QPalette::WindowText);
    if (hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect =
          style()->itemTextRect(fontMetrics(), textRect, kTextFlags, isEnabled(), caption).adjusted(-1, 0, 1, 1);
      painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
  }

  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  QSize IndicatorSize() const {
    return {style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this),
            style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this)};
  }
  int TextLeft() const {
    return IndicatorSize().width() + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
  }
};

// The character a key stands for, in lower case; with Alt held many systems give no text, so letters and
// digits come from the key code.
QChar KeyCharacter(const QKeyEvent& event) {
  const int key = event.key();
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    return QChar(key).toLower();
  }
  return event.text().isEmpty() ? QChar() : event.text().front().toLower();
}

bool OpensInTheDesktop(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto"));
}

}  // namespace

TTaskMessageForm::TTaskMessageForm(TTaskDialogEx& owner, QWidget* parent)
    : QDialog(parent),
      UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      owner_(owner),
      options_(owner.Options()),
      commandLinks_(options_.Has(kt::doCommandLinks)) {
  setObjectName(QStringLiteral("TaskMessageForm"));
  setMouseTracking(true);
  setWindowTitle(owner_.Title());
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  const QFontMetrics fm(font());
  metrics_ = kt::ComputeDialogMetrics(fm.horizontalAdvance(QString::fromLatin1(kt::kAverageWidthLetters)), fm.height());

  BuildCommonButtons();
  BuildCustomButtons();
  BuildImage();
  BuildInstruction();
  BuildProgress();
  BuildRadioButtons();
  BuildExpandButton();
  BuildVerification();
  BuildFooterImage();
  BuildWindowFlags();
  const int verificationWidth = verification_ ? verification_->sizeHint().width() + 2 * metrics_.HorzMargin : 0;
  clientWidth_ = kt::ClientWidth(
      {TitleWidth(), LowerRowWidth() + 2 * metrics_.HorzMargin, verificationWidth, CommandLinksWidth()});
  if (expandButton_) expanded_ = options_.Has(kt::doExpandedDefault);
  UpdateExpandButton();
  LayOut();
}

void TTaskMessageForm::BuildWindowFlags() {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint;
  if (options_.Has(kt::doAllowMinimize)) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
  }
  if (cancelButton_ || options_.Has(kt::doAllowDialogCancel)) flags |= Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
}

int TTaskMessageForm::TitleWidth() const {
  if (owner_.Title().isEmpty()) return 0;
  const int width = std::min(QFontMetrics(font()).horizontalAdvance(owner_.Title()), kTitleMeasureLimit);
  return width + kt::kCaptionAllowance;
}

namespace {

// A common button's caption is a resource string: the language file's, else the English one.
QString CommonCaption(const kt::CommonButtonInfo& info) { return ProgramQTextOf(info.caption); }

}  // namespace

int TTaskMessageForm::WidestCommonCaption() const {
  const QFontMetrics fm(font());
  int widest = 0;
  for (const kt::CommonButtonInfo& info : kt::kCommonButtons) {
    widest = std::max(widest, fm.horizontalAdvance(CommonCaption(info).remove(QLatin1Char('&'))));
  }
  return widest;
}

void TTaskMessageForm::BuildCommonButtons() {
  const kt::CommonButtonRoles roles = kt::ChooseCommonButtonRoles(owner_.CommonButtons(), owner_.DefaultButton());
  const int width = kt::CommonButtonWidth(WidestCommonCaption(), metrics_);
  for (const kt::CommonButtonInfo& info : kt::kCommonButtons) {
    if (!owner_.CommonButtons().Has(info.button)) continue;
    QAbstractButton* button = owner_.CreateButton(this);
    button->setObjectName(QString::fromUtf8(info.name));
    owner_.SetButtonCaption(button, CommonCaption(info));
    owner_.SetButtonModalResult(button, info.modalResult);
    if (roles.cancelButton == info.button) {
      owner_.SetButtonCancel(button, true);
      cancelButton_ = button;
    }
    owner_.SetButtonDefault(button, roles.defaultButton == info.button);
    if (info.button == kt::cbOK) okButton_ = button;
    button->resize(width, metrics_.ButtonHeight);
    const int result = info.modalResult;
    connect(button, &QAbstractButton::clicked, this, [this, result] { ButtonClicked(result, false); });
    commonButtons_.append(button);
  }
}

void TTaskMessageForm::BuildCustomButtons() {
  const QFontMetrics fm(font());
  const QStringList captions = owner_.CustomButtons();
  for (int i = 0; i < captions.size(); ++i) {
    const int id = kt::CustomButtonId(i);
    if (commandLinks_) {
      customButtons_.append(BuildCommandLink(i, captions[i]));
      continue;
    }
    QAbstractButton* button = owner_.CreateButton(this);
    button->setObjectName(QStringLiteral("Button%1").arg(i));
    owner_.SetButtonCaption(button, captions[i]);
    owner_.SetButtonModalResult(button, id);
    owner_.SetButtonDefault(button, id == owner_.DefaultButton());
    button->resize(kt::CustomButtonWidth(fm.horizontalAdvance(captions[i])), metrics_.ButtonHeight);
    connect(button, &QAbstractButton::clicked, this, [this, id] { ButtonClicked(id, true); });
    customButtons_.append(button);
  }
}

QAbstractButton* TTaskMessageForm::BuildCommandLink(int index, const QString& caption) {
  const int id = kt::CustomButtonId(index);
  auto* link = new TTaskDialogButton(this);
  link->setObjectName(QStringLiteral("Button%1").arg(index));
  link->setText(caption);
  link->ModalResult = id;
  QFont heading = font();
  heading.setPointSize(kHeadingPointSize);
  heading.setBold(true);
  link->SetHeadingFont(heading);
  QFont body = font();
  body.setPointSize(kCommandLinkPointSize);
  link->setFont(body);
  QPalette blue = link->palette();
  blue.setColor(QPalette::Active, QPalette::ButtonText, kInstructionColour);
  blue.setColor(QPalette::Inactive, QPalette::ButtonText, kInstructionColour);
  link->setPalette(blue);
  link->BorderColorHot = kCommandLinkBorder;
  link->BorderColorDown = kCommandLinkBorder;
  if (!options_.Has(kt::doCommandLinksNoIcon)) {
    const ButtonPictures arrows = ArrowPictures();
    link->SetPictures(arrows.normal, arrows.hot, arrows.down);
  }
  const int height =
      kt::CommandLinkHeight(QFontMetrics(heading).height(), QFontMetrics(body).height(), link->LineCount(), metrics_);
  link->resize(std::max(kt::kCommandLinkMinWidth, link->NeededWidth()), height);
  connect(link, &QAbstractButton::clicked, this, [this, id] { ButtonClicked(id, true); });
  return link;
}

void TTaskMessageForm::BuildRadioButtons() {
  const QStringList captions = owner_.RadioButtons();
  int checked = -1;
  if (!options_.Has(kt::doNoDefaultRadioButton) && !captions.isEmpty()) {
    // An ID that names no radio button checks none; no ID at all checks the first.
    checked = owner_.DefaultRadioButton() > 0 ? owner_.DefaultRadioButton() - kt::kFirstRadioButtonId : 0;
  }
  for (int i = 0; i < captions.size(); ++i) {
    auto* radio = new WrappingRadioButton(captions[i], this);
    radio->setObjectName(QStringLiteral("Radio%1").arg(i));
    radio->setChecked(i == checked);
    const int id = kt::RadioButtonId(i);
    connect(radio, &QRadioButton::clicked, this, [this, id] { owner_.RaiseRadioClick(id); });
    radioButtons_.append(radio);
  }
}

void TTaskMessageForm::BuildExpandButton() {
  if (owner_.ExpandedText().isEmpty()) return;
  expandButton_ = new TTaskDialogButton(this);
  expandButton_->setObjectName(QStringLiteral("ExpandButton"));
  expandButton_->BorderColorHot = kCommandLinkBorder;
  expandButton_->BorderColorDown = kCommandLinkBorder;
  connect(expandButton_, &QAbstractButton::clicked, this, [this] { SetExpanded(!expanded_); });
}

void TTaskMessageForm::UpdateExpandButton() {
  if (!expandButton_) return;
  expandButton_->setText(ExpandCaption(expanded_));
  const ButtonPictures pictures = ExpandPictures(expanded_);
  expandButton_->SetPictures(pictures.normal, pictures.hot, pictures.down);
  expandButton_->resize(expandButton_->sizeHint());
}

QString TTaskMessageForm::ExpandCaption(bool expanded) const {
  // Either text serves both states when only one is given, as the system's dialog does.
  const QString expandText = owner_.ExpandControlText();
  const QString collapseText = owner_.CollapsControlText();
  if (expanded) {
    if (!expandText.isEmpty()) return expandText;
    return !collapseText.isEmpty() ? collapseText : ProgramQText(kestrune::translation::kSHideDetails);
  }
  if (!collapseText.isEmpty()) return collapseText;
  return !expandText.isEmpty() ? expandText : ProgramQText(kestrune::translation::kSSeeDetails);
}

void TTaskMessageForm::SetExpanded(bool expanded) {
  expanded_ = expanded;
  UpdateExpandButton();
  LayOut();
}

void TTaskMessageForm::BuildFooterImage() {
  footerImage_ = new QLabel(this);
  footerImage_->setObjectName(QStringLiteral("FooterImage"));
  footerImage_->setFixedSize(kFooterIconSize, kFooterIconSize);
  switch (owner_.FooterIcon()) {
    case kt::tfiWarning:
      footerImage_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kFooterIconSize));
      break;
    case kt::tfiQuestion:
      footerImage_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(kFooterIconSize));
      break;
    case kt::tfiError:
      footerImage_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(kFooterIconSize));
      break;
    case kt::tfiInformation:
      footerImage_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kFooterIconSize));
      break;
    case kt::tfiShield:
      footerImage_->setPixmap(
          ShieldPixmap().scaled(kFooterIconSize, kFooterIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
      break;
    case kt::tfiBlank:
      break;
  }
  footerImage_->hide();
}

void TTaskMessageForm::BuildImage() {
  const bool customIcon = !owner_.CustomIcon().isNull();
  if (options_.Has(kt::doCommandLinksNoIcon) || (!customIcon && owner_.Icon() == kt::tiNotUsed)) return;
  QPixmap pixmap;
  if (customIcon) {
    pixmap = owner_.CustomIcon().pixmap(kt::kIconSize, kt::kIconSize);
  } else {
    switch (owner_.Icon()) {
      case kt::tiWarning:
        pixmap = style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kt::kIconSize);
        break;
      case kt::tiQuestion:
        pixmap = style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(kt::kIconSize);
        break;
      case kt::tiError:
        pixmap = style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(kt::kIconSize);
        break;
      case kt::tiInformation:
        pixmap = style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(kt::kIconSize);
        break;
      case kt::tiShield:
        pixmap = ShieldPixmap();
        break;
      default:
        pixmap = BlankPixmap();
        break;
    }
  }
  image_ = new QLabel(this);
  image_->setObjectName(QStringLiteral("Image"));
  image_->setPixmap(pixmap);
  image_->setGeometry(metrics_.HorzMargin, metrics_.VertMargin, kt::kIconSize, kt::kIconSize);
}

void TTaskMessageForm::BuildInstruction() {
  instr_ = new QLabel(this);
  instr_->setObjectName(QStringLiteral("Instr"));
  instr_->setWordWrap(true);
  instr_->setTextFormat(Qt::PlainText);
  QFont bold = font();
  bold.setPointSize(11);
  bold.setBold(true);
  instr_->setFont(bold);
  QPalette blue = instr_->palette();
  blue.setColor(QPalette::WindowText, kInstructionColour);
  instr_->setPalette(blue);
}

void TTaskMessageForm::BuildProgress() {
  if (!options_.Has(kt::doTimer) && !options_.Has(kt::doProgressBar)) return;
  // The bar gets the timer too, so the progress event keeps it moving without doTimer.
  timer_ = new QTimer(this);
  timer_->setInterval(kTimerPeriodMs);
  connect(timer_, &QTimer::timeout, this, &TTaskMessageForm::Tick);
  timerPosition_ = kt::ClampProgress(0, owner_.ProgressBarMin(), owner_.ProgressBarMax());
  if (!options_.Has(kt::doProgressBar)) return;
  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("ProgressBar"));
  progressBar_->setTextVisible(false);
  progressBar_->setRange(owner_.ProgressBarMin(), std::max(owner_.ProgressBarMin(), owner_.ProgressBarMax()));
  progressBar_->setValue(timerPosition_);
}

void TTaskMessageForm::BuildVerification() {
  if (owner_.VerificationText().isEmpty()) return;
  verification_ = new QCheckBox(owner_.VerificationText(), this);
  verification_->setObjectName(QStringLiteral("Verification"));
  verification_->setChecked(options_.Has(kt::doVerifyChecked));
  connect(verification_, &QCheckBox::clicked, this, [this](bool checked) { owner_.RaiseVerifyClick(checked); });
}

QList<QAbstractButton*> TTaskMessageForm::PushButtons() const {
  return commandLinks_ ? commonButtons_ : commonButtons_ + customButtons_;
}

int TTaskMessageForm::ButtonRowWidth() const {
  int width = 0;
  for (const QAbstractButton* button : PushButtons()) width += button->width() + metrics_.ButtonSpacing;
  return std::max(0, width - metrics_.ButtonSpacing);
}

int TTaskMessageForm::LowerRowWidth() {
  if (!expandButton_) return ButtonRowWidth();
  // The wider of the two captions, so the row keeps its room whichever way the text is folded.
  int expandWidth = 0;
  for (bool expanded : {false, true}) {
    expandButton_->setText(ExpandCaption(expanded));
    expandWidth = std::max(expandWidth, expandButton_->sizeHint().width());
  }
  return expandWidth + metrics_.HorzSpacing + ButtonRowWidth();
}

int TTaskMessageForm::CommandLinksWidth() const {
  if (!commandLinks_) return 0;
  const int textLeft = metrics_.HorzMargin + (image_ ? kt::kIconSize + metrics_.HorzSpacing : 0);
  int widest = 0;
  for (const QAbstractButton* link : customButtons_) widest = std::max(widest, link->width());
  // A caption long enough to push the window off the screen is cut at the edge instead.
  return textLeft + std::min(widest, kTitleMeasureLimit) + metrics_.HorzMargin;
}

void TTaskMessageForm::LayOut() {
  const int height = PlaceLowerBand(PlaceUpperBand());
  setFixedSize(clientWidth_, height);
  update();
}

int TTaskMessageForm::PlaceUpperBand() {
  const int textLeft = metrics_.HorzMargin + (image_ ? kt::kIconSize + metrics_.HorzSpacing : 0);
  const int textWidth = clientWidth_ - textLeft - metrics_.HorzMargin;
  const int imageBottom = image_ ? metrics_.VertMargin + kt::kIconSize : 0;
  const bool hyperlinks = options_.Has(kt::doHyperlinks);
  int y = metrics_.VertMargin;

  instr_->setText(ShownText(owner_.Instruction()));
  instr_->setVisible(!owner_.Instruction().isEmpty());
  if (!owner_.Instruction().isEmpty()) {
    const int h = instr_->heightForWidth(textWidth);
    instr_->setGeometry(textLeft, y, textWidth, h);
    y += h + metrics_.VertSpacing;
  }

  content_ = TextArea();
  if (!owner_.Content().isEmpty()) {
    y += PlaceText(content_, ShownText(owner_.Content()), hyperlinks, textLeft, y, textWidth) + metrics_.VertSpacing;
  } else {
    if (customButtons_.isEmpty()) y += metrics_.VertSpacing;
    if (image_ && owner_.Instruction().isEmpty()) y += metrics_.VertMargin;
  }

  if (progressBar_) {
    y = std::max(y, imageBottom + 3);
    progressBar_->setGeometry(metrics_.HorzMargin, y, clientWidth_ - 2 * metrics_.HorzMargin, kt::kProgressBarHeight);
    y += kt::kProgressBarHeight + metrics_.VertSpacing;
  }

  const int radioLeft = textLeft + metrics_.HorzMargin;
  for (QRadioButton* radio : radioButtons_) {
    const int width = clientWidth_ - radioLeft - metrics_.HorzMargin;
    const int h = radio->heightForWidth(width);
    radio->setGeometry(radioLeft, y, width, h);
    y += h + kRadioGap;
  }
  if (!radioButtons_.isEmpty()) y += metrics_.VertSpacing - kRadioGap;

  expandedText_ = TextArea();
  if (expandButton_ && expanded_ && !ExpandedTextInFooter() && !owner_.ExpandedText().isEmpty()) {
    y += PlaceText(expandedText_, ShownText(owner_.ExpandedText()), hyperlinks, textLeft, y, textWidth) +
         metrics_.VertSpacing;
  }

  if (commandLinks_) {
    for (QAbstractButton* link : customButtons_) {
      link->setGeometry(textLeft, y, clientWidth_ - textLeft - metrics_.HorzMargin, link->height());
      y += link->height() + kCommandLinkGap;
    }
    if (!customButtons_.isEmpty()) y += metrics_.VertMargin;
  }
  return std::max(y, imageBottom + metrics_.VertSpacing);
}

int TTaskMessageForm::PlaceText(TextArea& area, const QString& text, bool tagged, int x, int y, int width) {
  area.text = text;
  area.tagged = tagged;
  const QRect room(x, y, width, kContentMeasureHeight);
  const int height = tagged ? HTMLDrawEx(nullptr, text, room, font(), TextOptions()).size.height()
                            : QFontMetrics(font()).boundingRect(room, kTextFlags, text).height();
  area.rect = QRect(x, y, width, height);
  return height;
}

bool TTaskMessageForm::ExpandedTextInFooter() const { return options_.Has(kt::doExpandedFooter); }

int TTaskMessageForm::PlaceLowerBand(int y) {
  bandTop_ = y;
  separators_.clear();
  y = PlaceButtonRow(y + metrics_.VertMargin);
  if (verification_) {
    const int h = verification_->sizeHint().height();
    verification_->setGeometry(metrics_.HorzMargin, y, clientWidth_ - 2 * metrics_.HorzMargin, h);
    y += h + metrics_.VertMargin;
  }
  y = PlaceFooter(y);
  if (expandButton_ && expanded_ && ExpandedTextInFooter() && !owner_.ExpandedText().isEmpty()) {
    separators_.append(y);
    y += metrics_.VertMargin;
    y += PlaceText(expandedText_, ShownText(owner_.ExpandedText()), options_.Has(kt::doHyperlinks), metrics_.HorzMargin,
                   y, clientWidth_ - 2 * metrics_.HorzMargin) +
         metrics_.VertMargin;
  }
  return y;
}

int TTaskMessageForm::PlaceButtonRow(int y) {
  const QList<QAbstractButton*> buttons = PushButtons();
  if (buttons.isEmpty() && !expandButton_) return y;
  const int rowHeight =
      std::max(buttons.isEmpty() ? 0 : metrics_.ButtonHeight, expandButton_ ? expandButton_->height() : 0);
  if (expandButton_) expandButton_->move(metrics_.HorzMargin, y + (rowHeight - expandButton_->height()) / 2);
  int x = clientWidth_ - metrics_.HorzMargin - ButtonRowWidth();
  for (QAbstractButton* button : buttons) {
    button->move(x, y + (rowHeight - button->height()) / 2);
    x += button->width() + metrics_.ButtonSpacing;
  }
  return y + rowHeight + metrics_.VertMargin;
}

int TTaskMessageForm::PlaceFooter(int y) {
  footer_ = TextArea();
  const bool hasIcon = owner_.FooterIcon() != kt::tfiBlank;
  footerImage_->setVisible(hasIcon && !owner_.Footer().isEmpty());
  if (owner_.Footer().isEmpty()) return y;
  separators_.append(y);
  y += metrics_.VertMargin;
  footerImage_->move(metrics_.HorzMargin, y + std::max(0, (QFontMetrics(font()).height() - kFooterIconSize) / 2));
  const int textLeft = metrics_.HorzMargin + (hasIcon ? kFooterTextIndent : 0);
  // Measured as it is drawn: always as a tagged text.
  const int height =
      PlaceText(footer_, ShownText(owner_.Footer()), true, textLeft, y, clientWidth_ - textLeft - metrics_.HorzMargin);
  return y + std::max(kFooterMinHeight, height) + metrics_.VertMargin;
}

TaggedTextOptions TTaskMessageForm::TextOptions() const {
  TaggedTextOptions options;
  options.linkColour = kLinkColour;
  options.shadowColour = kShadowColour;
  options.palette = palette();
  options.textColour = palette().color(QPalette::WindowText);
  options.mouse = mouse_;
  return options;
}

int TTaskMessageForm::CheckedRadioId() const {
  for (int i = 0; i < radioButtons_.size(); ++i) {
    if (radioButtons_[i]->isChecked()) return kt::RadioButtonId(i);
  }
  return 0;
}

std::optional<QString> TTaskMessageForm::LinkAt(const QPoint& point) const {
  for (const TextArea* area : {&content_, &expandedText_, &footer_}) {
    if (!area->tagged || !area->rect.contains(point)) continue;
    TaggedTextOptions options = TextOptions();
    options.mouse = point;
    const TaggedTextResult hit = HTMLDrawEx(nullptr, area->text, area->rect, font(), options);
    if (hit.overLink) return hit.href;
  }
  return std::nullopt;
}

void TTaskMessageForm::OpenLink(const QString& href) {
  const bool openable =
      href.contains(QLatin1String("://")) || href.contains(QLatin1String("mailto:"), Qt::CaseInsensitive);
  if (openable) {
    const QUrl url(href.trimmed(), QUrl::StrictMode);
    if (!OpensInTheDesktop(url)) {
      qWarning("Task dialog: the link \"%s\" is not opened: only http, https and mailto links are",
               qUtf8Printable(href));
    } else if (!UrlOpener || !UrlOpener(url)) {
      qWarning("Task dialog: the desktop could not open the link \"%s\"", qUtf8Printable(href));
    }
  }
  owner_.RaiseHyperlinkClick(href);
}

QAbstractButton* TTaskMessageForm::DefaultButton() const {
  for (const QList<QAbstractButton*>* row : {&commonButtons_, &customButtons_}) {
    for (QAbstractButton* button : *row) {
      auto* push = qobject_cast<QPushButton*>(button);
      if (push && push->isDefault()) return button;
    }
  }
  return nullptr;
}

void TTaskMessageForm::SetButtonEnabled(int buttonId, bool enabled) {
  const kt::ButtonRef ref =
      kt::ButtonForId(buttonId, static_cast<int>(commonButtons_.size()), static_cast<int>(customButtons_.size()));
  if (ref.kind == kt::ButtonRef::kCommon) commonButtons_[ref.index]->setEnabled(enabled);
  if (ref.kind == kt::ButtonRef::kCustom) customButtons_[ref.index]->setEnabled(enabled);
}

void TTaskMessageForm::SetProgressPosition(int pos) {
  timerPosition_ = kt::ClampProgress(pos, owner_.ProgressBarMin(), owner_.ProgressBarMax());
  if (progressBar_) progressBar_->setValue(kt::ClampProgress(pos, progressBar_->minimum(), progressBar_->maximum()));
}

void TTaskMessageForm::Place(QWidget* ownerWindow) {
  QRect area;
  if (ownerWindow && ownerWindow->isVisible()) {
    area = ownerWindow->frameGeometry();
  } else if (QScreen* screen = ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void TTaskMessageForm::Tick() {
  owner_.RaiseTimer();
  int pos = progressBar_ ? progressBar_->value() : timerPosition_;
  if (owner_.RaiseProgress(pos)) SetProgressPosition(pos);
}

void TTaskMessageForm::ButtonClicked(int result, bool raisesButtonEvent) {
  if (raisesButtonEvent) owner_.RaiseButtonClick(result);
  TryClose(result);
}

void TTaskMessageForm::RequestOutsideClose(bool byEscape) {
  // The close box and Escape are the cancel button's, also while the program is at work.
  if (cancelButton_) {
    if (cancelButton_->isEnabled()) cancelButton_->click();
    return;
  }
  // A dialog the program lets the user cancel is cancelled by Escape and its close box even while the
  // program is at work (a job then is asked to stop).
  if (options_.Has(kt::doAllowDialogCancel)) {
    TryClose(kt::kIdCancel);
    return;
  }
  // Otherwise a disabled OK button means the program is still at work: only an explicit button may end it.
  if (byEscape || (okButton_ && !okButton_->isEnabled())) return;
  TryClose(kt::kIdCancel);
}

void TTaskMessageForm::TryClose(int result) {
  if (asking_ || closing_) return;
  asking_ = true;
  const bool canClose = owner_.AskClose();
  asking_ = false;
  if (!canClose) return;
  closing_ = true;
  if (timer_) timer_->stop();
  done(result);
}

void TTaskMessageForm::reject() { RequestOutsideClose(true); }

void TTaskMessageForm::closeEvent(QCloseEvent* event) {
  if (closing_ || !isVisible()) {
    event->accept();
    return;
  }
  RequestOutsideClose(false);
  event->setAccepted(!isVisible());
}

void TTaskMessageForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_C && event->modifiers() == Qt::ControlModifier) {
    QApplication::beep();
    QGuiApplication::clipboard()->setText(ClipboardText());
    return;
  }
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const QChar key = KeyCharacter(*event);
  if (commandLinks_ && (modifiers == Qt::NoModifier || modifiers == Qt::AltModifier) && !key.isNull()) {
    for (QAbstractButton* link : customButtons_) {
      const char16_t accelerator = kt::AcceleratorOf(link->text().toStdU16String());
      if (accelerator && QChar(accelerator).toLower() == key && link->isEnabled()) {
        link->click();
        return;
      }
    }
  }
  QDialog::keyPressEvent(event);
}

void TTaskMessageForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  const std::optional<QString> link = LinkAt(point);
  mouse_ = link ? std::optional<QPoint>(point) : std::nullopt;
  if (link != hotLink_) {
    hotLink_ = link;
    if (link) {
      setCursor(Qt::PointingHandCursor);
    } else {
      unsetCursor();
    }
    update();
  }
  QDialog::mouseMoveEvent(event);
}

void TTaskMessageForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressedLink_ = LinkAt(event->position().toPoint());
  QDialog::mousePressEvent(event);
}

void TTaskMessageForm::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && pressedLink_) {
    const std::optional<QString> link = LinkAt(event->position().toPoint());
    const std::optional<QString> pressed = std::exchange(pressedLink_, std::nullopt);
    if (link == pressed) OpenLink(*link);
    return;
  }
  QDialog::mouseReleaseEvent(event);
}

void TTaskMessageForm::leaveEvent(QEvent* event) {
  if (hotLink_) {
    hotLink_.reset();
    mouse_.reset();
    unsetCursor();
    update();
  }
  QDialog::leaveEvent(event);
}

QString TTaskMessageForm::ClipboardText() const {
  std::vector<std::u16string> captions;
  for (const QAbstractButton* button : PushButtons()) captions.push_back(button->text().toStdU16String());
  return QString::fromStdU16String(
      kt::BuildClipboardText(windowTitle().toStdU16String(), owner_.Instruction().toStdU16String(), captions));
}

void TTaskMessageForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(QRect(0, 0, width(), bandTop_), Qt::white);
  painter.fillRect(QRect(0, bandTop_, width(), height() - bandTop_), kBandColour);
  painter.setPen(kBandLineColour);
  painter.drawLine(0, bandTop_, width(), bandTop_);
  for (int y : separators_) painter.drawLine(metrics_.HorzMargin, y, width() - metrics_.HorzMargin, y);
  for (const TextArea* area : {&content_, &expandedText_, &footer_}) PaintText(painter, *area);
}

void TTaskMessageForm::PaintText(QPainter& painter, const TextArea& area) const {
  if (area.text.isEmpty()) return;
  if (area.tagged) {
    HTMLDrawEx(&painter, area.text, area.rect, font(), TextOptions());
    return;
  }
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(area.rect, kTextFlags, area.text);
}

void TTaskMessageForm::showEvent(QShowEvent* event) {
  closing_ = false;
  if (timer_) timer_->start();
  if (QAbstractButton* button = DefaultButton()) button->setFocus();
  if (commandLinks_) {
    const int index = owner_.DefaultButton() - kt::kFirstCustomButtonId;
    if (index >= 0 && index < customButtons_.size()) customButtons_[index]->setFocus();
  }
  QDialog::showEvent(event);
}
