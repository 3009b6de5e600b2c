#include "mainwindow/preferences_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "mainwindow/artwork_panes.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_view.h"
#include "mainwindow/main_window.h"
#include "mainwindow/message_box.h"
#include "mainwindow/program_windows.h"
#include "mainwindow/window_frame.h"
#include "settings/options_dialog.h"
#include "settings/preference_values.h"
#include "translation/program_strings_qt.h"

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

QGroupBox* NewGroup(const char* name, const QString& caption, QLayout* layout) {
  auto* group = Named(new QGroupBox(caption), name);
  group->setLayout(layout);
  return group;
}

// A folder edit with its "C" button, which empties the folder setting, on the page it stands on.
struct FolderEdit {
  const char* edit;
  const char* labelName;
  const char* label;
  const char* clearButton;
  bool mamePage;
};

constexpr FolderEdit kFolderEdits[] = {
    {"mamesnapdir", "Label30", "Snap Folder:", "SpeedButton2", false},
    {"mameflyerdir", "Label31", "Flyer Folder:", "SpeedButton3", false},
    {"mamemarqueedir", "Label32", "Marquee Folder:", "SpeedButton4", false},
    {"mamecabinetdir", "Label33", "Cabinet Folder:", "SpeedButton5", false},
    {"mamecontroldir", "Label34", "CPanel Folder:", "SpeedButton6", false},
    {"mametitledir", "Label35", "Title Folder:", "SpeedButton19", false},
    {"mameicondir", "Label36", "Icons Folder:", "SpeedButton18", false},
    {"mamemngdir", "Label37", "MNG Folder:", "SpeedButton20", false},
    {"mameromdir", "Label38", "Rom Folders:", "SpeedButton1", true},
    {"mamesampledir", "Label39", "Samples Folder:", "SpeedButton7", true},
    {"mamecfgdir", "Label40", "Cfg Folder:", "SpeedButton8", true},
    {"mamenvramdir", "Label41", "Nvram Folder:", "SpeedButton10", true},
    {"mamediffdir", "Label42", "Diff Folder:", "SpeedButton11", true},
    {"mameartdir", "Label43", "Artwork Folder:", "SpeedButton12", true},
    {"mameinidir", "Label44", "Ini Folder:", "SpeedButton13", true},
    {"mamestadir", "Label45", "State Folder:", "SpeedButton14", true},
    {"mameinpdir", "Label46", "Inp Folder:", "SpeedButton15", true},
    {"mamectrldir", "Label47", "Ctrlr Folder:", "SpeedButton16", true},
    {"mamecarddir", "Label48", "Memcard Folder:", "SpeedButton17", true},
    {"mamefontdir", "Label49", "Font Folder:", "SpeedButton9", true},
};

// The folder edits of one page, each with a button that opens the folder dialog and its "C" button.
void AddFolderRows(QFormLayout* form, bool mamePage) {
  for (const FolderEdit& folder : kFolderEdits) {
    if (folder.mamePage != mamePage) continue;
    auto* row = new QHBoxLayout;
    auto* edit = Named(new QLineEdit, folder.edit);
    QAction* browse = edit->addAction(edit->style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setObjectName(QString::fromLatin1(folder.edit) + QStringLiteral("Browse"));
    row->addWidget(edit);
    auto* clear = Named(new QToolButton, folder.clearButton);
    clear->setText(QStringLiteral("C"));
    row->addWidget(clear);
    form->addRow(Named(new QLabel(QString::fromLatin1(folder.label)), folder.labelName), row);
  }
}

QLineEdit* NewReadOnlyEdit(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  edit->setReadOnly(true);
  return edit;
}

// An arcade control panel: a stick and two rows of buttons, the same on every controller page.
QPixmap ControlPanelPicture() {
  QPixmap picture(220, 110);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x26, 0x2b, 0x33));
  painter.drawRoundedRect(QRectF(2, 14, 216, 90), 14, 14);
  painter.setBrush(QColor(0x9a, 0xa0, 0xa6));
  painter.drawRect(QRectF(43, 36, 6, 34));
  painter.setBrush(QColor(0xd6, 0x28, 0x28));
  painter.drawEllipse(QPointF(46, 34), 14, 14);
  const QColor colours[] = {Qt::red, Qt::yellow, Qt::green, Qt::blue, Qt::white, QColor(0xff, 0x80, 0x00)};
  for (int i = 0; i < 6; ++i) {
    painter.setBrush(colours[i]);
    painter.drawEllipse(QPointF(110 + (i % 3) * 34, 48 + (i / 3) * 30), 11, 11);
  }
  return picture;
}

// The controller's name on a badge.
QPixmap ControllerBadge(const QString& name) {
  QPixmap picture(220, 60);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient ground(0, 0, 220, 0);
  ground.setColorAt(0, QColor(0x1d, 0x35, 0x57));
  ground.setColorAt(1, QColor(0x45, 0x7b, 0x9d));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ground);
  painter.drawRoundedRect(QRectF(2, 2, 216, 56), 10, 10);
  QFont font = painter.font();
  font.setPixelSize(26);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(2, 2, 216, 56), Qt::AlignCenter, name);
  return picture;
}

QLabel* NewPicture(const char* name, const QPixmap& picture) {
  auto* label = Named(new QLabel, name);
  label->setPixmap(picture);
  return label;
}

struct ControllerPage {
  const char* page;
  const char* box;
  const char* caption;
  const char* link;
  const char* address;
  const char* name;
  const char* badge;  // the picture with the controller's name
  const char* panel;  // the control panel's picture
};

// A page for one arcade controller: whether it steers the program, where its maker is found, and
// two pictures.
QWidget* NewControllerPage(const ControllerPage& spec) {
  auto* page = Named(new QWidget, spec.page);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewCheckBox(spec.box, QString::fromLatin1(spec.caption)));
  layout->addWidget(Named(new QLabel(QString::fromLatin1(spec.address)), spec.link));
  auto* pictures = new QHBoxLayout;
  pictures->addWidget(NewPicture(spec.badge, ControllerBadge(QString::fromLatin1(spec.name))));
  pictures->addWidget(NewPicture(spec.panel, ControlPanelPicture()));
  pictures->addStretch();
  layout->addLayout(pictures);
  layout->addStretch();
  return page;
}

constexpr ControllerPage kControllerPages[] = {
    {"TabSheet6", "xarcadegui", "Use X-Arcade to navigate GUI", "Label21", "www.xgaming.com", "X-Arcade", "Image1",
     "Image4"},
    {"TabSheet7", "hotrodgui", "Use HotRod to navigate GUI", "Label23", "www.hanaho.com", "HotRod", "Image2", "Image5"},
    {"TabSheet8", "slikstikgui", "Use SlikStik to navigate GUI", "Label22", "www.slikstik.com", "SlikStik", "Image3",
     "Image6"},
};

// A control and the caption the form layout put beside it are enabled together.
void SetEnabledWithLabel(QWidget* dialog, QWidget* control, bool enabled) {
  control->setEnabled(enabled);
  for (QFormLayout* form : dialog->findChildren<QFormLayout*>()) {
    if (QWidget* label = form->labelForField(control)) label->setEnabled(enabled);
  }
}

// A colour box: a button showing the colour, with its caption beside it.
void AddColourRow(QFormLayout* form, const char* name, const char* labelName, const QString& caption) {
  auto* button = Named(new QPushButton, name);
  button->setFixedWidth(64);
  form->addRow(Named(new QLabel(caption), labelName), button);
}

QPushButton* NewButton(const char* name, const QString& caption) { return Named(new QPushButton(caption), name); }

}  // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
  setObjectName("Form4");
  setWindowTitle(QStringLiteral("Preferences"));
  // A caption without buttons: the dialog is left by OK only.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  auto* pages = Named(new QTabWidget, "PageControl1");
  pages->setUsesScrollButtons(false);  // every page's tab in sight
  pages->addTab(NewOptionsPage(), QStringLiteral("  Options"));
  pages->addTab(NewFrontEndFoldersPage(), QStringLiteral("Folders"));
  pages->addTab(NewMameFoldersPage(), QStringLiteral("Mame"));
  pages->addTab(NewAppearancePage(), QStringLiteral("Appearance"));
  for (const ControllerPage& controller : kControllerPages) {
    pages->addTab(NewControllerPage(controller), QString::fromLatin1(controller.name));
  }

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(NewButton("Button4", QStringLiteral("Default")));
  buttons->addStretch();
  QPushButton* ok = NewButton("Button2", QStringLiteral("OK"));
  ok->setDefault(true);
  buttons->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &TForm4::Button2Click);
  error_ = Named(new QLabel, "errortext");
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  layout->addWidget(error_);
  layout->addLayout(buttons);
  ConnectControls();
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
  gui->addRow(Named(new QLabel(QStringLiteral("Scale:")), "Label1"), NewDropDownList("scaletimes", {"None", "2x", "3x", "4x"}));
  // Item order is the stored index: Lanczos, box, Mitchell, linear and spline resampling.
  gui->addRow(Named(new QLabel(QStringLiteral("Stretch Filter:")), "Label2"),
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
  gui->addRow(Named(new QLabel(QStringLiteral("Cycle time in seconds:")), "Label3"), cycleTime);
  gui->addRow(NewCheckBox("cyclemove", QStringLiteral("OnMouseOver Cycling")));
  gui->addRow(Named(new QLabel(QStringLiteral("Commandline:")), "Label4"), Named(new QLineEdit, "commandline"));

  auto* romList = new QVBoxLayout;
  romList->addWidget(NewCheckBox("showclones", QStringLiteral("Enable Clones"), true));
  romList->addWidget(NewCheckBox("nodump", QStringLiteral("Enable Bad Rom Dumps"), true));
  romList->addWidget(NewCheckBox("onlygood", QStringLiteral("Only Show Playable Roms")));
  auto* counters = new QVBoxLayout;
  counters->addWidget(NewCheckBox("resetcounter", QStringLiteral("Reset play counters")));
  counters->addWidget(NewCheckBox("resetcounter2", QStringLiteral("Reset time counters")));
  auto* right = new QVBoxLayout;
  right->addWidget(NewGroup("GroupBox2", QStringLiteral("Rom list"), romList));
  right->addWidget(NewGroup("GroupBox3", QStringLiteral("Counters"), counters));
  right->addStretch();

  auto* page = Named(new QWidget, "TabSheet2");
  auto* layout = new QHBoxLayout(page);
  layout->addWidget(NewGroup("GroupBox1", QStringLiteral("GUI Options"), gui));
  layout->addLayout(right);
  return page;
}

QWidget* TForm4::NewFrontEndFoldersPage() {
  auto* folders = new QFormLayout;
  AddFolderRows(folders, false);
  auto* optional = new QFormLayout;
  optional->addRow(Named(new QLabel(QStringLiteral("History.dat :")), "Label5"), NewReadOnlyEdit("historydatscherm"));
  optional->addRow(Named(new QLabel(QStringLiteral("Mameinfo.dat :")), "Label6"), NewReadOnlyEdit("infodatscherm"));
  optional->addRow(Named(new QLabel(QStringLiteral("Catver.ini :")), "Label7"), NewReadOnlyEdit("catverscherm"));
  optional->addRow(Named(new QLabel(QStringLiteral("NPlayers.ini :")), "Label8"), NewReadOnlyEdit("nplayersscherm"));

  auto* page = Named(new QWidget, "TabSheet3");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup("GroupBox4", QStringLiteral("GUI Folders"), folders));
  layout->addWidget(NewGroup("GroupBox5", QStringLiteral("Optional Files"), optional));
  layout->addStretch();
  return page;
}

QWidget* TForm4::NewMameFoldersPage() {
  auto* folders = new QFormLayout;
  auto* mameFile = Named(new QLineEdit, "mamefiledisplay");
  // Typing cannot change the executable: only a chosen file passes its checks.
  mameFile->setReadOnly(true);
  mameFile->addAction(mameFile->style()->standardIcon(QStyle::SP_FileIcon), QLineEdit::TrailingPosition)
      ->setObjectName(QStringLiteral("mamefiledisplayBrowse"));
  folders->addRow(Named(new QLabel(QStringLiteral("Mame File:")), "Label9"), mameFile);
  AddFolderRows(folders, true);

  auto* page = Named(new QWidget, "TabSheet4");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup("GroupBox6", QStringLiteral("Mame Folders"), folders));
  layout->addStretch();
  return page;
}

QWidget* TForm4::NewAppearancePage() {
  auto* gameList = new QFormLayout;
  gameList->addRow(NewButton("Button1", QStringLiteral("Font")));
  AddColourRow(gameList, "mastercolor", "Label10", QStringLiteral("Master Rom Font Color:"));
  AddColourRow(gameList, "clonecolor", "Label11", QStringLiteral("Clone Rom Font Color:"));
  AddColourRow(gameList, "listcolor", "Label12", QStringLiteral("Background color:"));
  gameList->addRow(NewCheckBox("smoothscrolling", QStringLiteral("Use Smooth Scrolling")));
  auto* pictureArea = new QVBoxLayout;
  pictureArea->addWidget(NewButton("Button3", QStringLiteral("Font")));
  auto* skinning = new QVBoxLayout;
  skinning->addWidget(NewCheckBox("Toolbarskinned", QStringLiteral("Use Toolbar Skin (Required restart)")));
  auto* toolbar = new QVBoxLayout;
  toolbar->addWidget(NewCheckBox("bigtoolbar", QStringLiteral("Use Small Toolbar icons.")));

  auto* page = Named(new QWidget, "TabSheet5");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup("GroupBox7", QStringLiteral("Game List"), gameList));
  layout->addWidget(NewGroup("GroupBox8", QStringLiteral("Picture Area"), pictureArea));
  layout->addWidget(NewGroup("GroupBox9", QStringLiteral("GUI Skinning"), skinning));
  layout->addWidget(NewGroup("GroupBox10", QStringLiteral("Toolbar"), toolbar));
  layout->addStretch();
  return page;
}

// ---- Behaviour of the controls ----

namespace {

constexpr const char* kControllerBoxes[] = {"xarcadegui", "hotrodgui", "slikstikgui"};
constexpr const char* kLinkLabels[] = {"Label21", "Label23", "Label22"};
constexpr const char* kColourBoxes[] = {"mastercolor", "clonecolor", "listcolor"};

QColor ToQColor(const std::string& number, const QColor& otherwise) {
  const std::optional<kestrune::settings::Rgb> rgb = kestrune::settings::ColourFromNumber(number);
  return rgb ? QColor(rgb->red, rgb->green, rgb->blue) : otherwise;
}

}  // namespace

int TForm4::Open() { return exec(); }

void TForm4::ConnectControls() {
  ConnectFolderEdits();
  ConnectColourBoxes();
  connect(findChild<QAction*>(QStringLiteral("mamefiledisplayBrowse")), &QAction::triggered, this,
          &TForm4::ChooseMameFile);
  connect(Edit("mameromdir"), &QLineEdit::textChanged, this, [this] { rescanPending_ = true; });
  for (const char* box : {"showclones", "nodump"}) {
    connect(CheckBox(box), &QCheckBox::toggled, this, [this] { listOptionsTouched_ = true; });
  }
  for (const char* box : {"cycle", "stretchssyesno"}) {
    connect(CheckBox(box), &QCheckBox::toggled, this, &TForm4::UpdateEnabledControls);
  }
  for (const char* box : kControllerBoxes) {
    connect(CheckBox(box), &QCheckBox::clicked, this,
            [this, box](bool checked) { ControllerBoxClicked(box, checked); });
  }
  // Only the digits 1 to 9: a cycle of 0 seconds would never show a picture.
  Edit("cycletimer")->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-9]?")), this));
  connect(Control<QPushButton>("Button1"), &QPushButton::clicked, this, [this] { ChooseFont(true); });
  connect(Control<QPushButton>("Button3"), &QPushButton::clicked, this, [this] { ChooseFont(false); });
  connect(Control<QPushButton>("Button4"), &QPushButton::clicked, this, &TForm4::Button4Click);
  for (const char* name : kLinkLabels) {
    auto* label = Control<QLabel>(name);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
  }
  SetHintsShown(true);
  UpdateEnabledControls();
}

void TForm4::ConnectFolderEdits() {
  for (const FolderEdit& folder : kFolderEdits) {
    const char* edit = folder.edit;
    connect(findChild<QAction*>(QString::fromLatin1(edit) + QStringLiteral("Browse")), &QAction::triggered, this,
            [this, edit] { ChooseFolder(edit); });
    const bool icons = std::string_view(edit) == "mameicondir";
    connect(Control<QToolButton>(folder.clearButton), &QToolButton::clicked, this,
            [this, edit, icons] { ClearFolder(edit, icons); });
  }
}

void TForm4::ConnectColourBoxes() {
  for (const char* box : kColourBoxes) {
    connect(Control<QPushButton>(box), &QPushButton::clicked, this, [this, box] { ChooseColour(box); });
    ShowColour(box);
  }
}

void TForm4::ChooseFolder(const char* edit) {
  QLineEdit* line = Edit(edit);
  const QString title = QStringLiteral("Kestrune");
  const QString chosen = chooseFolder_
                             ? chooseFolder_(title, line->text())
                             : QFileDialog::getExistingDirectory(this, title, line->text().section(';', 0, 0));
  if (chosen.isEmpty()) return;
  const QString folder = QDir::fromNativeSeparators(chosen);
  // MAME looks for ROMs in every folder of its rom path: a chosen folder joins those already there.
  if (std::string_view(edit) == "mameromdir" && !line->text().isEmpty()) {
    if (!line->text().split(';').contains(folder)) line->setText(line->text() + ';' + folder);
  } else {
    line->setText(folder);
  }
  if (std::string_view(edit) == "mameicondir") Tell(QMessageBox::Information, ProgramQText(kestrune::translation::kSRequiresRestart));
}

void TForm4::ClearFolder(const char* edit, bool needsRestart) {
  Edit(edit)->clear();
  if (needsRestart) Tell(QMessageBox::Information, ProgramQText(kestrune::translation::kSRequiresRestart));
}

void TForm4::ChooseMameFile() {
  const QString title = QStringLiteral("Kestrune");
  const QString filter = ProgramQTextOf("All files (*)");
  const QString current = Edit("mamefiledisplay")->text();
  const QString chosen =
      chooseFile_ ? chooseFile_(title, filter, current) : QFileDialog::getOpenFileName(this, title, current, filter);
  mamefiledisplayAfterDialog(chosen, !chosen.isEmpty());
}

// A font applies only when the font dialog was confirmed; a cancelled one changes nothing.
void TForm4::ChooseFont(bool gameList) {
  QWidget* target = nullptr;
  if (Form1 != nullptr) {
    target = gameList ? static_cast<QWidget*>(Form1->gameList()->View()->ReportView()) : Form1->PageControl();
  }
  const QFont current = target != nullptr ? target->font() : font();
  std::optional<QFont> chosen;
  if (chooseFont_) {
    chosen = chooseFont_(current);
  } else {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, this);
    if (ok) chosen = font;
  }
  if (!chosen || Form1 == nullptr) return;
  namespace set = kestrune::settings;
  set::Settings& settings = Form1->settings();
  settings.WriteText(set::kUiSection, gameList ? "listfont" : "areafont", chosen->family().toStdString());
  settings.WriteInt(set::kUiSection, gameList ? "listfontsize" : "areafontsize", chosen->pointSize());
  if (gameList) {
    Form1->gameList()->View()->ReportView()->setFont(*chosen);
    Form1->gameList()->View()->IconView()->setFont(*chosen);
  } else {
    Form1->PageControl()->setFont(*chosen);
  }
}

void TForm4::ChooseColour(const char* box) {
  const QColor current = ToQColor(colours_[box], palette().color(QPalette::Base));
  std::optional<QColor> chosen;
  if (chooseColour_) {
    chosen = chooseColour_(current);
  } else {
    const QColor colour = QColorDialog::getColor(current, this);
    if (colour.isValid()) chosen = colour;
  }
  if (!chosen || !chosen->isValid()) return;
  colours_[box] = kestrune::settings::ColourNumber({chosen->red(), chosen->green(), chosen->blue()});
  ShowColour(box);
  // The list's background is kept at once; the text colours are kept by the main window's close.
  if (std::string_view(box) == "listcolor" && Form1 != nullptr) {
    Form1->settings().WriteText(kestrune::settings::kUiSection, "listcolor", colours_[box]);
  }
}

void TForm4::ShowColour(const char* box) {
  const QColor colour = ToQColor(colours_[box], QColor());
  Control<QPushButton>(box)->setStyleSheet(colour.isValid() ? QStringLiteral("background-color: %1").arg(colour.name())
                                                            : QString());
}

std::string TForm4::ColourNumber(const char* box) const {
  const auto found = colours_.find(box);
  return found != colours_.end() ? found->second : std::string();
}

void TForm4::ControllerBoxClicked(const char* box, bool checked) {
  if (!checked) return;
  for (const char* other : kControllerBoxes) {
    if (std::string_view(other) != box) CheckBox(other)->setChecked(false);
  }
}

void TForm4::UpdateEnabledControls() {
  const bool cycle = CheckBox("cycle")->isChecked();
  for (const char* name : {"cycletimer", "cyclesnaps", "cycletabs"}) SetEnabledWithLabel(this, Control(name), cycle);
  SetEnabledWithLabel(this, ComboBox("scaletimes"), !CheckBox("stretchssyesno")->isChecked());
}

void TForm4::Button4Click() {
  const std::pair<const char*, bool> boxes[] = {
      {"showcommand", false},    {"showhints", true},     {"reinitialise", true},    {"keepfavorites", false},
      {"keepcounters", false},   {"Notepadedit", false},  {"showclones", true},      {"nodump", true},
      {"onlygood", false},       {"resetcounter", false}, {"resetcounter2", false},  {"stretchssyesno", true},
      {"cycle", false},          {"xarcadegui", false},   {"hotrodgui", false},      {"slikstikgui", false},
      {"smoothscrolling", true}, {"cyclemove", false},    {"realtimesearch", false},
  };
  for (const auto& [box, on] : boxes) CheckBox(box)->setChecked(on);
  ComboBox("scaletimes")->setCurrentIndex(0);
  ComboBox("stretchfilter")->setCurrentIndex(0);
  RadioButton("cyclesnaps")->setChecked(true);
  Edit("cycletimer")->setText(QStringLiteral("2"));
  Edit("commandline")->clear();
}

void TForm4::SetHintsShown(bool shown) {
  hintsShown_ = shown;
  QList<QWidget*> watched = Control("TabSheet2")->findChildren<QWidget*>();
  if (Form2 != nullptr) {
    if (auto* pages = Form2->findChild<QTabWidget*>(QStringLiteral("pagecontrol1"))) {
      watched << pages << pages->findChildren<QWidget*>();
    }
  }
  for (QWidget* widget : watched) {
    widget->removeEventFilter(this);
    widget->installEventFilter(this);
  }
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && !hintsShown_) return true;
  if (event->type() == QEvent::MouseButtonRelease) {
    for (const char* name : kLinkLabels) {
      if (watched->objectName() != QLatin1String(name)) continue;
      const QUrl url(QStringLiteral("http://") + static_cast<QLabel*>(watched)->text().trimmed());
      if (Form1 != nullptr && Form1->Panes() != nullptr) Form1->Panes()->OpenLink(url);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm4::Tell(QMessageBox::Icon icon, const QString& text) {
  if (messenger_) {
    messenger_(icon, text);
    return;
  }
  AskWithBox(this, icon, text, QMessageBox::Ok);
}

void TForm4::ShowError(const QString& text) {
  if (!text.isEmpty()) qWarning("kestrune: %s", qUtf8Printable(text));
  error_->setText(text);
  error_->setVisible(!text.isEmpty());
}

QString TForm4::ErrorText() const { return error_->text(); }

void TForm4::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    FormShow();
    AskForNoCloseBox(*this);
  }
  QDialog::showEvent(event);
}
