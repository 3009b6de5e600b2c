#include "mainwindow/bad_roms_dialog.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/window_frame.h"
#include "romscan/bad_rom_move.h"
#include "translation/program_strings_qt.h"

namespace {

constexpr int kMoveButtonWidth = 100;

}  // namespace

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
  setObjectName("Form9");
  setWindowTitle(QStringLiteral("Bad Roms"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(291, 262);
  setToolTip(QStringLiteral("Move badroms files to folder /badroms"));
  badromlist_ = new QPlainTextEdit(this);
  badromlist_->setObjectName(QStringLiteral("badromlist"));
  badromlist_->setGeometry(1, 0, 289, 233);
  badromlist_->setReadOnly(true);
  badromlist_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  button1_ = new QPushButton(QStringLiteral("OK"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(211, 236, 75, 24);
  button2_ = new QPushButton(QStringLiteral("Move to Folder"), this);
  button2_->setObjectName(QStringLiteral("Button2"));
  button2_->setGeometry(5, 236, kMoveButtonWidth, 24);
  connect(button1_, &QPushButton::clicked, this, &TForm9::accept);
  connect(button2_, &QPushButton::clicked, this, &TForm9::MoveBadRoms);
}

void TForm9::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  AskForNoMinimiseOrMaximise(*this);
  FormShow();
}

void TForm9::FormShow() {
  if (parentWidget() != nullptr) move(parentWidget()->geometry().center() - rect().center());
  ShowLines(kestrune::romscan::BadRomsListLines(badRoms_));
  button2_->setEnabled(!badRoms_.empty());
  // The caption may be a language's longer one: the button takes its width, up to the OK button.
  const int room = button1_->x() - 2 * button2_->x();
  button2_->resize(std::clamp(button2_->sizeHint().width(), kMoveButtonWidth, room), button2_->height());
}

void TForm9::ShowLines(const std::vector<std::string>& lines) {
  QStringList text;
  // The lines are the library's English ones; archive names and system errors pass as they stand.
  for (const std::string& line : lines) text << ProgramQTextOf(line);
  badromlist_->setPlainText(text.join(QLatin1Char('\n')));
}

void TForm9::MoveBadRoms() {
  if (Form1 == nullptr || badRoms_.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ShowLines(kestrune::romscan::MoveBadRoms(Form1->FrontDir(), badRoms_));
  QApplication::restoreOverrideCursor();
  button2_->setEnabled(false);
}
