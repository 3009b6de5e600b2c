#include "mainwindow/toolbar_buttons_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/program_windows.h"

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

enum class WidthClass { Normal, DropDown, None };

// By box: how wide its tool-bar item is, and which separator its group makes visible.
struct BoxPlace {
  WidthClass width;
  int separator;
};
constexpr std::array<BoxPlace, TForm13::kButtonCount> kBoxPlaces = {{
    {WidthClass::Normal, 0},
    {WidthClass::Normal, 1},
    {WidthClass::Normal, 1},
    {WidthClass::Normal, 2},
    {WidthClass::Normal, 2},
    {WidthClass::Normal, 2},
    {WidthClass::DropDown, 2},
    {WidthClass::DropDown, 2},
    {WidthClass::Normal, 3},
    {WidthClass::Normal, 4},
    {WidthClass::Normal, 4},
    {WidthClass::Normal, 5},
    {WidthClass::None, -1},
}};
constexpr int kDriverInfoBox = 10;
constexpr int kSeparatorWidth = 8;

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
  connect(ok, &QPushButton::clicked, this, &TForm13::Button1Click);
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

TForm13::Checks TForm13::Checked() const {
  Checks checked{};
  for (int i = 0; i < kButtonCount; ++i) checked[i] = buttons_[i]->isChecked();
  return checked;
}

int TForm13::CalcToolbarWidth(bool smallIcons) const { return ::CalcToolbarWidth(Checked(), smallIcons); }

void TForm13::ApplyToolbarButtons(QToolBar* bar) const {
  if (bar == nullptr) return;
  const std::array<bool, kSeparatorCount> shown = SeparatorsShown(Checked());
  for (QAction* action : bar->actions()) {
    for (int i = 0; i < kSeparatorCount; ++i) {
      if (action->objectName() == QLatin1String(kSeparators[i])) action->setVisible(shown[i]);
    }
  }
}

void TForm13::ApplyToToolbar(const std::array<QAction*, kButtonCount>& controls, QToolBar* bar,
                             bool mameInfoLoaded) const {
  for (int i = 0; i < kButtonCount; ++i) {
    if (controls[i] == nullptr) continue;
    const bool shown = buttons_[i]->isChecked() && (i != kDriverInfoBox || mameInfoLoaded);
    controls[i]->setVisible(shown);
  }
  ApplyToolbarButtons(bar);
}

void TForm13::Button1Click() {
  if (Form1 != nullptr) {
    MainWindowMenus* menus = Form1->Menus();
    ApplyToToolbar(menus->ToolbarControls(), menus->ToolBar(), Form1->MameInfoLoaded());
  }
  accept();
}

void TForm13::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) shownText_ = ButtonsText();
}

void TForm13::reject() {
  if (!shownText_.isNull()) SetButtonsText(shownText_);
  QDialog::reject();
}

int ToolbarButtonWidth(bool smallIcons) { return smallIcons ? 25 : 39; }

int ToolbarDropDownWidth(bool smallIcons) { return smallIcons ? 40 : 52; }

int CalcToolbarWidth(const TForm13::Checks& checked, bool smallIcons) {
  const int button = ToolbarButtonWidth(smallIcons);
  const int dropDown = ToolbarDropDownWidth(smallIcons);
  int width = 0;
  for (int i = 0; i < TForm13::kButtonCount; ++i) {
    if (!checked[i]) continue;
    if (kBoxPlaces[i].width == WidthClass::Normal) width += button;
    if (kBoxPlaces[i].width == WidthClass::DropDown) width += dropDown;
  }
  for (const bool shown : SeparatorsShown(checked)) width += shown ? kSeparatorWidth : 0;
  return width;
}

std::array<bool, TForm13::kSeparatorCount> SeparatorsShown(const TForm13::Checks& checked) {
  std::array<bool, TForm13::kSeparatorCount> shown{};
  for (int i = 0; i < TForm13::kButtonCount; ++i) {
    if (checked[i] && kBoxPlaces[i].separator >= 0) shown[static_cast<std::size_t>(kBoxPlaces[i].separator)] = true;
  }
  return shown;
}
