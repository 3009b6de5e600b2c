#include "mainwindow/message_box.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
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

// A word wider than the room cut into pieces that each fit: the only break inside a word.
QStringList PiecesThatFit(const QString& word, const QFontMetrics& metrics, int room) {
  QStringList pieces;
  QString piece;
  for (const QChar c : word) {
    if (!piece.isEmpty() && !c.isLowSurrogate() && metrics.horizontalAdvance(piece + c) > room) {
      pieces << piece;
      piece.clear();
    }
    piece += c;
  }
  pieces << piece;
  return pieces;
}

// The text with its lines filled up to the width, broken at blanks only (Qt would also break after a
// "/" and so cut a path in two). A longer word takes a line of its own.
QStringList LinesAtBlanks(const QString& text, const QFontMetrics& metrics, int width, int room) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '))) {
      for (const QString& piece : PiecesThatFit(word, metrics, room)) {
        const QString longer = line.isEmpty() ? piece : line + QLatin1Char(' ') + piece;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
          lines << line;
          line = piece;
        } else {
          line = longer;
        }
      }
    }
    lines << line;
  }
  return lines;
}

int WidestLine(const QStringList& lines, const QFontMetrics& metrics) {
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

// The program's texts come from Windows, where a carriage return alone also starts a line.
QString WithLineFeeds(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

void PrepareMessageBox(QMessageBox& box) {
  for (const ButtonCaption& entry : kButtonCaptions) {
    if (QAbstractButton* button = box.button(entry.button)) button->setText(ProgramQText(entry.caption));
  }
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (label == nullptr) return;
  // A path may hold what looks like markup; the breaks below must stay breaks.
  box.setTextFormat(Qt::PlainText);
  // The style may give the text its own font when the box is polished.
  box.ensurePolished();
  label->ensurePolished();
  const QFontMetrics metrics(label->font());
  // A little more than the text itself: the label's own layout rounds and keeps room for its cursor.
  const int slack = metrics.averageCharWidth();
  const QScreen* screen = box.screen();
  const int room = std::max((screen != nullptr ? BoxWidthLimit(*screen) : 2 * kLineWidth) - kBesideText - slack,
                            4 * metrics.averageCharWidth());
  const QStringList lines = LinesAtBlanks(WithLineFeeds(box.text()), metrics, std::min(kLineWidth, room), room);
  box.setText(lines.join(QLatin1Char('\n')));
  // Qt takes a label's set minimum over its own measure, and would otherwise make the box as narrow as
  // the label's longest word once it lets the label wrap.
  label->setMinimumWidth(WidestLine(lines, metrics) + slack);
}

QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QStringLiteral("Kestrune"), text, buttons, parent);
  PrepareMessageBox(box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}
