#include "settings/preferences_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QCheckBox* NewCheckBox(const char* name, const QString& caption, bool checked = false) {
  auto* box = Named(new QCheckBox(caption), name);
  box->setChecked(checked);
  return box;
}

QComboBox* NewDropDownList(const char* name, const QStringList& items) {
  auto* list = Named(new QComboBox, name);
  list->addItems(items);
  list->setCurrentIndex(0);
  return list;
}

QGroupBox* NewGroup(const QString& caption, QLayout* layout) {
  auto* group = new QGroupBox(caption);
  group->setLayout(layout);
  return group;
}

// A folder edit with its "C" button, which empties the folder setting.
struct FolderEdit {
  const char* edit;
  const char* label;
  const char* clearButton;
};

void AddFolderRows(QFormLayout* form, std::initializer_list<FolderEdit> folders) {
  for (const FolderEdit& folder : folders) {
    auto* row = new QHBoxLayout;
    row->addWidget(Named(new QLineEdit, folder.edit));
    auto* clear = Named(new QToolButton, folder.clearButton);
    clear->setText(QStringLiteral("C"));
    row->addWidget(clear);
    form->addRow(QString::fromLatin1(folder.label), row);
  }
}

QLineEdit* NewReadOnlyEdit(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  edit->setReadOnly(true);
  return edit;
}

// A page for one arcade controller: whether it steers the program, and where its maker is found.
QWidget* NewControllerPage(const char* pageName, const char* boxName, const QString& caption, const char* linkName,
                           const QString& address) {
  auto* page = Named(new QWidget, pageName);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewCheckBox(boxName, caption));
  layout->addWidget(Named(new QLabel(address), linkName));
  layout->addStretch();
  return page;
}

// A colour box: a button showing the colour, with its caption beside it.
void AddColourRow(QFormLayout* form, const char* name, const QString& caption) {
  auto* button = Named(new QPushButton, name);
  button->setFixedWidth(64);
  form->addRow(caption, button);
}

QPushButton* NewButton(const char* name, const QString& caption) { return Named(new QPushButton(caption), name); }

}  // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setObjectName("Form4");
  setWindowTitle(QStringLiteral("Preferences"));

  auto* pages = Named(new QTabWidget, "PageControl1");
  pages->setUsesScrollButtons(false);  // every page's tab in sight
  pages->addTab(NewOptionsPage(), QStringLiteral("  Options"));
  pages->addTab(NewFrontEndFoldersPage(), QStringLiteral("Folders"));
  pages->addTab(NewMameFoldersPage(), QStringLiteral("Mame"));
  pages->addTab(NewAppearancePage(), QStringLiteral("Appearance"));
  pages->addTab(NewControllerPage("TabSheet6", "xarcadegui", QStringLiteral("Use X-Arcade to navigate GUI"), "Label21",
                                  QStringLiteral("www.xgaming.com")),
                QStringLiteral("X-Arcade"));
  pages->addTab(NewControllerPage("TabSheet7", "hotrodgui", QStringLiteral("Use HotRod to navigate GUI"), "Label23",
                                  QStringLiteral("www.hanaho.com")),
                QStringLiteral("HotRod"));
  pages->addTab(NewControllerPage("TabSheet8", "slikstikgui", QStringLiteral("Use SlikStik to navigate GUI"), "Label22",
                                  QStringLiteral("www.slikstik.com")),
                QStringLiteral("SlikStik"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(NewButton("Button4", QStringLiteral("Default")));
  buttons->addStretch();
  QPushButton* ok = NewButton("Button2", QStringLiteral("OK"));
  ok->setDefault(true);
  buttons->addWidget(ok);
  // OK ends by closing the dialog whatever it applies, so the dialog can always be left.
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  layout->addLayout(buttons);
}

QCheckBox* TForm4::CheckBox(const char* name) const { return Control<QCheckBox>(name); }

QRadioButton* TForm4::RadioButton(const char* name) const { return Control<QRadioButton>(name); }

QComboBox* TForm4::ComboBox(const char* name) const { return Control<QComboBox>(name); }

QLineEdit* TForm4::Edit(const char* name) const { return Control<QLineEdit>(name); }

void TForm4::MissingControl(const char* type, const char* name) const {
  qFatal("The preferences dialog has no %s named \"%s\"", type, name);
}

QWidget* TForm4::NewOptionsPage() {
  auto* gui = new QFormLayout;
  gui->addRow(NewCheckBox("showcommand", QStringLiteral("Show Commandline")));
  gui->addRow(NewCheckBox("showhints", QStringLiteral("Show Hints"), true));
  gui->addRow(NewCheckBox("realtimesearch", QStringLiteral("Quick Search Mode ")));
  gui->addRow(NewCheckBox("Notepadedit", QStringLiteral("Edit Mame.ini with Notepad")));
  gui->addRow(NewCheckBox("reinitialise", QStringLiteral("Auto re-initialize Roms"), true));
  gui->addRow(NewCheckBox("keepfavorites", QStringLiteral("Reset Favorites after re-initializing")));
  gui->addRow(NewCheckBox("keepcounters", QStringLiteral("Reset counters after re-initializing")));
  gui->addRow(NewCheckBox("hidemouse", QStringLiteral("Hide Mouse (Needs Restart)")));
  gui->addRow(NewCheckBox("stretchssyesno", QStringLiteral("Auto Stretch Screenshots")));
  gui->addRow(QStringLiteral("Scale:"), NewDropDownList("scaletimes", {"None", "2x", "3x", "4x"}));
  // Item order is the stored index: Lanczos, box, Mitchell, linear and spline resampling.
  gui->addRow(QStringLiteral("Stretch Filter:"),
              NewDropDownList("stretchfilter", {"Sharpen", "Sharpen More", "Blur", "Blur More", "Full Blur"}));
  gui->addRow(NewCheckBox("cycle", QStringLiteral("Cycle Mode")));
  auto* cycleSnaps = Named(new QRadioButton(QStringLiteral("Cycle Snapshots")), "cyclesnaps");
  auto* cycleTabs = Named(new QRadioButton(QStringLiteral("Cycle Screens")), "cycletabs");
  cycleTabs->setChecked(true);
  auto* cycleWhat = new QButtonGroup(this);
  cycleWhat->addButton(cycleSnaps);
  cycleWhat->addButton(cycleTabs);
  gui->addRow(cycleSnaps);
  gui->addRow(cycleTabs);
  auto* cycleTime = Named(new QLineEdit(QStringLiteral("2")), "cycletimer");
  cycleTime->setMaxLength(1);
  cycleTime->setMaximumWidth(32);
  gui->addRow(QStringLiteral("Cycle time in seconds:"), cycleTime);
  gui->addRow(NewCheckBox("cyclemove", QStringLiteral("OnMouseOver Cycling")));
  gui->addRow(QStringLiteral("Commandline:"), Named(new QLineEdit, "commandline"));

  auto* romList = new QVBoxLayout;
  romList->addWidget(NewCheckBox("showclones", QStringLiteral("Enable Clones"), true));
  romList->addWidget(NewCheckBox("nodump", QStringLiteral("Enable Bad Rom Dumps"), true));
  romList->addWidget(NewCheckBox("onlygood", QStringLiteral("Only Show Playable Roms")));
  auto* counters = new QVBoxLayout;
  counters->addWidget(NewCheckBox("resetcounter", QStringLiteral("Reset play counters")));
  counters->addWidget(NewCheckBox("resetcounter2", QStringLiteral("Reset time counters")));
  auto* right = new QVBoxLayout;
  right->addWidget(NewGroup(QStringLiteral("Rom list"), romList));
  right->addWidget(NewGroup(QStringLiteral("Counters"), counters));
  right->addStretch();

  auto* page = Named(new QWidget, "TabSheet2");
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(NewGroup(QStringLiteral("GUI Options"), gui));
  layout->addLayout(right);
  return page;
}

QWidget* TForm4::NewFrontEndFoldersPage() {
  auto* folders = new QFormLayout;
  AddFolderRows(folders, {{"mamesnapdir", "Snap Folder:", "SpeedButton2"},
                          {"mameflyerdir", "Flyer Folder:", "SpeedButton3"},
                          {"mamemarqueedir", "Marquee Folder:", "SpeedButton4"},
                          {"mamecabinetdir", "Cabinet Folder:", "SpeedButton5"},
                          {"mamecontroldir", "CPanel Folder:", "SpeedButton6"},
                          {"mametitledir", "Title Folder:", "SpeedButton19"},
                          {"mameicondir", "Icons Folder:", "SpeedButton18"},
                          {"mamemngdir", "MNG Folder:", "SpeedButton20"}});
  auto* optional = new QFormLayout;
  optional->addRow(QStringLiteral("History.dat :"), NewReadOnlyEdit("historydatscherm"));
  optional->addRow(QStringLiteral("Mameinfo.dat :"), NewReadOnlyEdit("infodatscherm"));
  optional->addRow(QStringLiteral("Catver.ini :"), NewReadOnlyEdit("catverscherm"));
  optional->addRow(QStringLiteral("NPlayers.ini :"), NewReadOnlyEdit("nplayersscherm"));

  auto* page = Named(new QWidget, "TabSheet3");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup(QStringLiteral("GUI Folders"), folders));
  layout->addWidget(NewGroup(QStringLiteral("Optional Files"), optional));
  layout->addStretch();
  return page;
}

QWidget* TForm4::NewMameFoldersPage() {
  auto* folders = new QFormLayout;
  folders->addRow(QStringLiteral("Mame File:"), Named(new QLineEdit, "mamefiledisplay"));
  AddFolderRows(folders, {{"mameromdir", "Rom Folders:", "SpeedButton1"},
                          {"mamesampledir", "Samples Folder:", "SpeedButton7"},
                          {"mamecfgdir", "Cfg Folder:", "SpeedButton8"},
                          {"mamenvramdir", "Nvram Folder:", "SpeedButton10"},
                          {"mamediffdir", "Diff Folder:", "SpeedButton11"},
                          {"mameartdir", "Artwork Folder:", "SpeedButton12"},
                          {"mameinidir", "Ini Folder:", "SpeedButton13"},
                          {"mamestadir", "State Folder:", "SpeedButton14"},
                          {"mameinpdir", "Inp Folder:", "SpeedButton15"},
                          {"mamectrldir", "Ctrlr Folder:", "SpeedButton16"},
                          {"mamecarddir", "Memcard Folder:", "SpeedButton17"},
                          {"mamefontdir", "Font Folder:", "SpeedButton9"}});

  auto* page = Named(new QWidget, "TabSheet4");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup(QStringLiteral("Mame Folders"), folders));
  layout->addStretch();
  return page;
}

QWidget* TForm4::NewAppearancePage() {
  auto* gameList = new QFormLayout;
  gameList->addRow(NewButton("Button1", QStringLiteral("Font")));
  AddColourRow(gameList, "mastercolor", QStringLiteral("Master Rom Font Color:"));
  AddColourRow(gameList, "clonecolor", QStringLiteral("Clone Rom Font Color:"));
  AddColourRow(gameList, "listcolor", QStringLiteral("Background color:"));
  gameList->addRow(NewCheckBox("smoothscrolling", QStringLiteral("Use Smooth Scrolling")));
  auto* pictureArea = new QVBoxLayout;
  pictureArea->addWidget(NewButton("Button3", QStringLiteral("Font")));
  auto* skinning = new QVBoxLayout;
  skinning->addWidget(NewCheckBox("Toolbarskinned", QStringLiteral("Use Toolbar Skin (Required restart)")));
  auto* toolbar = new QVBoxLayout;
  toolbar->addWidget(NewCheckBox("bigtoolbar", QStringLiteral("Use Small Toolbar icons.")));

  auto* page = Named(new QWidget, "TabSheet5");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup(QStringLiteral("Game List"), gameList));
  layout->addWidget(NewGroup(QStringLiteral("Picture Area"), pictureArea));
  layout->addWidget(NewGroup(QStringLiteral("GUI Skinning"), skinning));
  layout->addWidget(NewGroup(QStringLiteral("Toolbar"), toolbar));
  layout->addStretch();
  return page;
}
