#include "mainwindow/game_details_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <array>

#include "catalogue/game_details_text.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/mame_launcher.h"
#include "mainwindow/program_windows.h"
#include "translation/program_strings_qt.h"

namespace cat = kestrune::catalogue;

namespace {

struct ValueRow {
  const char* caption;
  const char* label;
};

struct Group {
  const char* name;
  const char* caption;
  std::vector<ValueRow> rows;
};

const std::array<Group, 3>& Groups() {
  static const std::array<Group, 3> groups = {{
      {"GroupBox1",
       "Global Details",
       {{"Game description :", "game_description"},
        {"Company :", "company"},
        {"Year :", "game_year"},
        {"Times Played :", "times_played"},
        {"Playing Time : ", "time_played"},
        {"Sound :", "sound"},
        {"Controls :", "controls"},
        {"Frequency :", "frequency"},
        {"Video :", "video"},
        {"Resolution :", "resolution"},
        {"Players :", "players"},
        {"Orientation :", "orientation"},
        {"Category :", "category"}}},
      {"GroupBox2",
       "Rom Details",
       {{"Rom Name :", "rom_name"},
        {"Clone Of :", "clone_name"},
        {"Driver :", "driver"},
        {"Bios :", "bios"},
        {"Rom File Status :", "status"}}},
      {"GroupBox3",
       "Status",
       {{"Driver Status :", "driver_status"},
        {"Emulation Status :", "emulation_status"},
        {"Graphics Status :", "graphic_status"},
        {"Color Status :", "color_status"},
        {"Sound Status :", "sound_status"}}},
  }};
  return groups;
}

QPushButton* NewButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TForm12::TForm12(QWidget* parent) : QDialog(parent) {
  setObjectName("Form12");
  setWindowTitle(QStringLiteral("Game Details"));
  auto* layout = new QVBoxLayout(this);
  int labelNumber = 1;
  for (const Group& group : Groups()) {
    auto* box = new QGroupBox(QString::fromLatin1(group.caption));
    box->setObjectName(QString::fromLatin1(group.name));
    auto* form = new QFormLayout(box);
    for (const ValueRow& row : group.rows) {
      auto* caption = new QLabel(QString::fromLatin1(row.caption));
      caption->setObjectName(QStringLiteral("Label%1").arg(labelNumber++));
      auto* value = new QLabel;
      value->setObjectName(QString::fromLatin1(row.label));
      value->setTextInteractionFlags(Qt::TextSelectableByMouse);
      form->addRow(caption, value);
      values_.insert(value->objectName(), value);
    }
    layout->addWidget(box);
  }
  QPushButton* next = NewButton("Button1", QStringLiteral("Next"));
  QPushButton* previous = NewButton("Button2", QStringLiteral("Previous"));
  QPushButton* play = NewButton("Button3", QStringLiteral("Play"));
  connect(next, &QPushButton::clicked, this, &TForm12::Button1Click);
  connect(previous, &QPushButton::clicked, this, &TForm12::Button2Click);
  connect(play, &QPushButton::clicked, this, &TForm12::Button3Click);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(previous);
  buttons->addWidget(next);
  buttons->addStretch();
  buttons->addWidget(play);
  layout->addLayout(buttons);
}

void TForm12::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TForm12::FormShow() {
  if (Form1 == nullptr) return;
  const int row = Form1->gameList()->View()->SelectedRow();
  if (row >= 0) ShowGame(Form1->gameList()->List().Record(row));
}

void TForm12::ShowGame(const cat::Tgameinfo& game) {
  setWindowTitle(ProgramQTextOf(cat::GameDetailsCaption(game)));
  const std::string notAvailable = kestrune::translation::ProgramText(kestrune::translation::kSNotAvailable);
  for (const cat::DetailValue& value : cat::GameDetailValues(game, notAvailable)) {
    if (QLabel* label = values_.value(QString::fromUtf8(value.label.data(), static_cast<int>(value.label.size())))) {
      label->setText(QString::fromStdString(value.text));
    }
  }
}

void TForm12::Button1Click() { Step(1); }

void TForm12::Button2Click() { Step(-1); }

void TForm12::Step(int delta) {
  if (Form1 == nullptr) return;
  GameListController* list = Form1->gameList();
  const int row = list->View()->SelectedRow();
  const int next = row + delta;
  if (row < 0 || next < 0 || next >= list->List().GameCount()) return;
  list->View()->SelectRow(next);
  // A step chooses a game; it is not a move through the list that waits for a key to be let go, so
  // every pane (an archive's pictures, the history, the movie, the texts) follows it at once.
  Form1->Panes()->RefreshNow();
  ShowGame(list->List().Record(next));
}

void TForm12::Button3Click() {
  if (Form1 == nullptr) return;
  if (Form1->MameFile().empty()) {
    Form1->Tell(QMessageBox::Warning, ProgramQText(kestrune::translation::kSNoMameBinary));
    return;
  }
  accept();
  Form1->Launcher()->PlayGame();
}
