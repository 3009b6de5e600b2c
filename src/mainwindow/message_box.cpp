#include "mainwindow/message_box.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>

#include "translation/program_strings_qt.h"

namespace tr = kestrune::translation;

namespace {

struct ButtonCaption {
  QMessageBox::StandardButton button;
  tr::ProgramStringId caption;
};
constexpr ButtonCaption kButtonCaptions[] = {
    {QMessageBox::Ok, tr::kSMsgDlgOK},         {QMessageBox::Yes, tr::kSMsgDlgYes},
    {QMessageBox::No, tr::kSMsgDlgNo},         {QMessageBox::Cancel, tr::kSMsgDlgCancel},
    {QMessageBox::Retry, tr::kSMsgDlgRetry},   {QMessageBox::Abort, tr::kSMsgDlgAbort},
};

// Room the box keeps beside its text: the icon, the margins and the spacing.
constexpr int kBesideText = 120;

// The width Qt lets a message box take on the screen; beyond it Qt breaks words anywhere.
int BoxWidthLimit(const QScreen& screen) {
  const int width = screen.availableGeometry().width();
  return width <= 1024 ? width : std::min(width - 480, 1000);
}

int LongestWordWidth(const QLabel& label) {
  const QFontMetrics metrics(label.font());
  int widest = 0;
  for (const QString& word : label.text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
    widest = std::max(widest, metrics.horizontalAdvance(word));
  }
  return widest;
}

}  // namespace

void PrepareMessageBox(QMessageBox& box) {
  for (const ButtonCaption& entry : kButtonCaptions) {
    if (QAbstractButton* button = box.button(entry.button)) button->setText(ProgramQText(entry.caption));
  }
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (label == nullptr) return;
  const QScreen* screen = box.screen();
  const int longest = LongestWordWidth(*label);
  const int room = screen != nullptr ? BoxWidthLimit(*screen) - kBesideText : longest;
  label->setMinimumWidth(std::min(longest, std::max(room, 0)));
}

QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QStringLiteral("Kestrune"), text, buttons, parent);
  PrepareMessageBox(box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}
