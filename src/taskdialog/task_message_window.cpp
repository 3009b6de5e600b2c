#include "taskdialog/task_message_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "taskdialog/task_dialog_buttons.h"
#include "taskdialog/task_dialog_qt.h"
#include "taskdialog/task_dialog_text.h"

namespace kt = kestrune::taskdialog;

namespace {

constexpr int kTimerPeriodMs = 100;
constexpr int kTitleMeasureLimit = 1000;
constexpr int kContentMeasureHeight = 1 << 20;
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
const QColor kInstructionColour(0, 83, 196);
const QColor kBandColour(240, 240, 240);
const QColor kBandLineColour(223, 223, 223);

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

}  // namespace

TTaskMessageForm::TTaskMessageForm(TTaskDialogEx& owner, QWidget* parent)
    : QDialog(parent), owner_(owner), options_(owner.Options()) {
  setObjectName(QStringLiteral("TaskMessageForm"));
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
  BuildVerification();
  BuildWindowFlags();
  const int verificationWidth = verification_ ? verification_->sizeHint().width() + 2 * metrics_.HorzMargin : 0;
  clientWidth_ = kt::ClientWidth({TitleWidth(), ButtonRowWidth() + 2 * metrics_.HorzMargin, verificationWidth});
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

int TTaskMessageForm::WidestCommonCaption() const {
  const QFontMetrics fm(font());
  int widest = 0;
  for (const kt::CommonButtonInfo& info : kt::kCommonButtons) {
    widest = std::max(widest, fm.horizontalAdvance(QString::fromUtf8(info.caption).remove(QLatin1Char('&'))));
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
    owner_.SetButtonCaption(button, QString::fromUtf8(info.caption));
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

int TTaskMessageForm::ButtonRowWidth() const {
  int width = 0;
  for (const QList<QAbstractButton*>* row : {&commonButtons_, &customButtons_}) {
    for (const QAbstractButton* button : *row) width += button->width() + metrics_.ButtonSpacing;
  }
  return std::max(0, width - metrics_.ButtonSpacing);
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
  int y = metrics_.VertMargin;

  instr_->setText(ShownText(owner_.Instruction()));
  instr_->setVisible(!owner_.Instruction().isEmpty());
  if (!owner_.Instruction().isEmpty()) {
    const int h = instr_->heightForWidth(textWidth);
    instr_->setGeometry(textLeft, y, textWidth, h);
    y += h + metrics_.VertSpacing;
  }

  contentText_ = ShownText(owner_.Content());
  contentRect_ = QRect();
  if (!contentText_.isEmpty()) {
    const QRect needed = QFontMetrics(font()).boundingRect(QRect(textLeft, y, textWidth, kContentMeasureHeight),
                                                           kTextFlags, contentText_);
    contentRect_ = QRect(textLeft, y, textWidth, needed.height());
    y += needed.height() + metrics_.VertSpacing;
  } else {
    if (customButtons_.isEmpty()) y += metrics_.VertSpacing;
    if (image_ && owner_.Instruction().isEmpty()) y += metrics_.VertMargin;
  }

  if (progressBar_) {
    y = std::max(y, imageBottom + 3);
    progressBar_->setGeometry(metrics_.HorzMargin, y, clientWidth_ - 2 * metrics_.HorzMargin, kt::kProgressBarHeight);
    y += kt::kProgressBarHeight + metrics_.VertSpacing;
  }
  return std::max(y, imageBottom + metrics_.VertSpacing);
}

int TTaskMessageForm::PlaceLowerBand(int y) {
  bandTop_ = y;
  y += metrics_.VertMargin;
  if (!commonButtons_.isEmpty() || !customButtons_.isEmpty()) {
    int x = clientWidth_ - metrics_.HorzMargin - ButtonRowWidth();
    for (const QList<QAbstractButton*>* row : {&commonButtons_, &customButtons_}) {
      for (QAbstractButton* button : *row) {
        button->move(x, y);
        x += button->width() + metrics_.ButtonSpacing;
      }
    }
    y += metrics_.ButtonHeight + metrics_.VertMargin;
  }
  if (verification_) {
    const int h = verification_->sizeHint().height();
    verification_->setGeometry(metrics_.HorzMargin, y, clientWidth_ - 2 * metrics_.HorzMargin, h);
    y += h + metrics_.VertMargin;
  }
  return y;
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
  // A disabled OK button means the program is still at work: only an explicit button may end it.
  if (okButton_ && !okButton_->isEnabled()) return;
  if (cancelButton_) {
    if (cancelButton_->isEnabled()) cancelButton_->click();
    return;
  }
  if (byEscape && !options_.Has(kt::doAllowDialogCancel)) return;
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
  QDialog::keyPressEvent(event);
}

QString TTaskMessageForm::ClipboardText() const {
  std::vector<std::u16string> captions;
  for (const QList<QAbstractButton*>* row : {&commonButtons_, &customButtons_}) {
    for (const QAbstractButton* button : *row) captions.push_back(button->text().toStdU16String());
  }
  return QString::fromStdU16String(
      kt::BuildClipboardText(windowTitle().toStdU16String(), owner_.Instruction().toStdU16String(), captions));
}

void TTaskMessageForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(QRect(0, 0, width(), bandTop_), Qt::white);
  painter.fillRect(QRect(0, bandTop_, width(), height() - bandTop_), kBandColour);
  painter.setPen(kBandLineColour);
  painter.drawLine(0, bandTop_, width(), bandTop_);
  if (!contentText_.isEmpty()) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentRect_, kTextFlags, contentText_);
  }
}

void TTaskMessageForm::showEvent(QShowEvent* event) {
  closing_ = false;
  if (timer_) timer_->start();
  if (QAbstractButton* button = DefaultButton()) button->setFocus();
  QDialog::showEvent(event);
}
