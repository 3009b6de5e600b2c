#include "mainwindow/toolbar_buttons_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct ButtonBox {
  const char* name;
  const char* caption;
};

// In the order of the characters of `toolbarbuttons`.
constexpr std::array<ButtonBox, TForm13::kButtonCount> kButtonBoxes = {{
    {"button_run", "Play Game"},
    {"button_playrecord", "Play and recorded game"},
    {"button_playback", "Playback recorded game"},
    {"button_details", "Show Details"},
    {"button_list", "Show List"},
    {"button_icons", "Show Icons"},
    {"button_availability", "List Filter"},
    {"button_filter", "Game Filter"},
    {"button_options", "Default Mame Options"},
    {"button_drivers", "Show Game Details"},
    {"button_info", "Show Game Driver Info"},
    {"button_help", "Help"},
    {"button_search", "Search"},
}};

QPushButton* NewButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TForm13::TForm13(QWidget* parent) : QDialog(parent) {
  setObjectName("Form13");
  setWindowTitle(QStringLiteral("Customize Toolbar"));

  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < kButtonCount; ++i) {
    auto* box = new QCheckBox(QString::fromLatin1(kButtonBoxes[i].caption));
    box->setObjectName(QString::fromLatin1(kButtonBoxes[i].name));
    box->setChecked(true);
    layout->addWidget(box);
    buttons_[i] = box;
  }

  QPushButton* ok = NewButton("Button1", QStringLiteral("OK"));
  QPushButton* cancel = NewButton("Button2", QStringLiteral("Cancel"));
  QPushButton* defaults = NewButton("Button3", QStringLiteral("Default"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Checks every box; nothing reaches the tool bar until OK.
  connect(defaults, &QPushButton::clicked, this, &TForm13::CheckAll);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
}

QString TForm13::ButtonsText() const {
  QString text;
  for (const QCheckBox* box : buttons_) {
    text += box->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
  }
  return text;
}

void TForm13::SetButtonsText(const QString& text) {
  for (int i = 0; i < kButtonCount; ++i) {
    buttons_[i]->setChecked(i >= text.size() || text[i] != QLatin1Char('0'));
  }
}

void TForm13::CheckAll() {
  for (QCheckBox* box : buttons_) {
    box->setChecked(true);
  }
}
