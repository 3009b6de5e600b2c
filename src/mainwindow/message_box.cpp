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
    {QMessageBox::Ok, tr::kSMsgDlgOK},       {QMessageBox::Yes, tr::kSMsgDlgYes},
    {QMessageBox::No, tr::kSMsgDlgNo},       {QMessageBox::Cancel, tr::kSMsgDlgCancel},
    {QMessageBox::Retry, tr::kSMsgDlgRetry}, {QMessageBox::Abort, tr::kSMsgDlgAbort},
};

// Room the box keeps beside its text: the icon, the margins and the spacing.
constexpr int kBesideText = 120;

// The width Qt lets a message box take on the screen; beyond it Qt breaks words anywhere.
int BoxWidthLimit(const QScreen& screen) {
  const int width = screen.availableGeometry().width();
  return width <= 1024 ? width : std::min(width - 480, 1000);
}

// The width a message's lines are filled to, when its words allow.
constexpr int kLineWidth = 400;

int LongestWordWidth(const QString& text, const QFontMetrics& metrics) {
  int widest = 0;
  for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
    widest = std::max(widest, metrics.horizontalAdvance(word));
  }
  return widest;
}

// The text with its lines filled up to the width, broken at blanks only: Qt would also break after a
// "/" and so cut a path in two.
QString WrappedAtBlanks(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
      const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
      if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
        lines << line;
        line = word;
      } else {
        line = longer;
      }
    }
    lines << line;
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

void PrepareMessageBox(QMessageBox& box) {
  for (const ButtonCaption& entry : kButtonCaptions) {
    if (QAbstractButton* button = box.button(entry.button)) button->setText(ProgramQText(entry.caption));
  }
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (label == nullptr) return;
  const QScreen* screen = box.screen();
  // The style may give the text its own font when the box is polished.
  box.ensurePolished();
  label->ensurePolished();
  const QFontMetrics metrics(label->font());
  // A little more than the word itself: the label's own layout rounds and keeps room for its cursor.
  const int longest = LongestWordWidth(box.text(), metrics) + 2 * metrics.averageCharWidth();
  const int room = screen != nullptr ? BoxWidthLimit(*screen) - kBesideText : longest;
  box.setText(WrappedAtBlanks(box.text(), metrics, std::max(std::min(longest, room), kLineWidth)));
  label->setMinimumWidth(std::min(longest, std::max(room, 0)));
}

QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QStringLiteral("Kestrune"), text, buttons, parent);
  PrepareMessageBox(box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}
