// The pages of the MAME options dialog: each control is made for one value of the options model, named
// after it and bound to it; the captions are the dialog's own.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include "settings/options_dialog.h"

namespace set = kestrune::settings;
using set::Option;

namespace {

QString Name(Option option) {
  const std::string_view name = set::Info(option).control;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QGroupBox* NewGroup(const char* name, const QString& title, QLayout* layout) {
  auto* group = new QGroupBox(title);
  group->setObjectName(QString::fromLatin1(name));
  group->setLayout(layout);
  return group;
}

QLabel* NewLabel(const QString& caption, const char* name = nullptr) {
  auto* label = new QLabel(caption);
  if (name != nullptr) {
    label->setObjectName(QString::fromLatin1(name));
  }
  return label;
}

// The row labels of the screen groups, four a group from Label5 on: "Screen:", ":", "Resolution:", "View:".
QByteArray RowLabelName(int group, int row) { return QStringLiteral("Label%1").arg(5 + group * 4 + row).toLatin1(); }

QWidget* NewPage(std::initializer_list<QWidget*> columns) {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  for (QWidget* column : columns) {
    layout->addWidget(column, 0, Qt::AlignTop);
  }
  layout->addStretch();
  return page;
}

QWidget* NewColumn(std::initializer_list<QWidget*> widgets) {
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* widget : widgets) {
    layout->addWidget(widget);
  }
  layout->addStretch();
  return column;
}

// The check boxes of a group, in two columns when there are many.
QGridLayout* NewBoxGrid(const std::vector<QWidget*>& boxes, int columns) {
  auto* grid = new QGridLayout;
  const int rows = (static_cast<int>(boxes.size()) + columns - 1) / columns;
  for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
    grid->addWidget(boxes[static_cast<std::size_t>(i)], i % rows, i / rows);
  }
  return grid;
}

}  // namespace

// ---- Controls ----

QAbstractButton* TForm2::CheckBox(Option option, const QString& caption) {
  auto* box = new QCheckBox(caption);
  Bind(option, box);
  return box;
}

QComboBox* TForm2::List(Option option) {
  auto* list = new QComboBox;
  for (const std::string& item : options_.Items(option)) {
    list->addItem(QString::fromStdString(item));
  }
  builtItems_[static_cast<std::size_t>(set::Index(option))] = options_.Items(option);
  Bind(option, list);
  return list;
}

// A screen or resolution list: "Auto" and nothing chosen until the options are read or reset. A display
// mode may also be typed; a screen is chosen from the list, since its place in the list is what is written.
QComboBox* TForm2::DisplayList(Option option) {
  auto* list = List(option);
  list->setMinimumContentsLength(12);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  const bool resolution = set::Info(option).control.starts_with("ressize");
  if (resolution) {
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    connect(list->lineEdit(), &QLineEdit::editingFinished, this, [this, list] { TakeTypedResolution(list); });
  }
  return list;
}

QSlider* TForm2::Slider(Option option, const char* labelName) {
  const set::OptionInfo& info = set::Info(option);
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(info.minimum, info.maximum);
  slider->setMinimumWidth(120);
  const bool widePage = option == Option::beam || option == Option::deadzone || option == Option::saturation;
  slider->setPageStep(widePage ? 50 : std::max(1, (info.maximum - info.minimum) / 10));
  auto* label = NewLabel(QString(), labelName);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-32db")));
  valueLabels_[static_cast<std::size_t>(set::Index(option))] = label;
  Bind(option, slider);
  return slider;
}

QLineEdit* TForm2::Edit(Option option) {
  auto* edit = new QLineEdit;
  Bind(option, edit);
  return edit;
}

// A file name with a button that opens a file dialog.
QLineEdit* TForm2::FileEdit(Option option, const QString& title, const QString& filter, bool forWriting) {
  auto* edit = Edit(option);
  edit->setMinimumWidth(220);
  QAction* choose = edit->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
  choose->setObjectName(Name(option) + QStringLiteral("button"));
  connect(choose, &QAction::triggered, this,
          [this, option, title, filter, forWriting] { ChooseFile(option, title, filter, forWriting); });
  return edit;
}

// A slider with its value label beside it, in a group of its own.
QWidget* TForm2::SliderGroup(const char* name, const QString& title, Option option, const char* labelName) {
  auto* row = new QHBoxLayout;
  row->addWidget(Slider(option, labelName));
  row->addWidget(valueLabels_[static_cast<std::size_t>(set::Index(option))]);
  return NewGroup(name, title, row);
}

void TForm2::AddRenderButtons(QLayout* layout) {
  render_ = new QButtonGroup(this);
  const std::string_view captions[] = {"Use OpenGL", "Use BGFX", "Use Software", "Use SDL Accelerated", "None"};
  const set::OptionInfo& info = set::Info(Option::render);
  for (int choice = 0; choice < static_cast<int>(info.radioButtons.size()); ++choice) {
    const std::string_view name = info.radioButtons[static_cast<std::size_t>(choice)];
    const std::string_view caption = captions[choice];
    auto* button = new QRadioButton(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
    button->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    render_->addButton(button, choice);
    layout->addWidget(button);
  }
  connect(render_, &QButtonGroup::idClicked, this, [this] { SetByUser(Option::render); });
  connect(render_, &QButtonGroup::idToggled, this, [this](int choice, bool checked) {
    if (showing_ || !checked) return;
    options_.SetNumber(Option::render, choice);
    UpdateMameOptionControls();
  });
}

// ---- Pages ----

QWidget* TForm2::NewDisplayPage() {
  auto* flags = NewBoxGrid(
      {CheckBox(Option::runwin, "Run in window"), CheckBox(Option::maxwin, "Maximize window"),
       CheckBox(Option::stretch, "Stretch using hardware"), CheckBox(Option::keepaspect, "Enforce aspect ratio"),
       CheckBox(Option::throttle, "Throttle"), CheckBox(Option::syncmonitor, "Sync to monitor refresh"),
       CheckBox(Option::switchres, "Switch resolutions to fit"), CheckBox(Option::refreshspeed, "Refresh Speed"),
       CheckBox(Option::autoframeskip, "Auto frame skipping"), CheckBox(Option::waitvsync, "Wait for vertical sync"),
       CheckBox(Option::triplebuffer, "Triple buffering"), CheckBox(Option::ddfilter, "Bilinear Filtering")},
      2);
  auto* lists = new QFormLayout;
  lists->addRow(List(Option::frameskip));
  lists->addRow(NewLabel(QStringLiteral("Pre-scale filtering :"), "Label1"), List(Option::prescale));
  lists->addRow(NewLabel(QStringLiteral("Direct-X Version:"), "Label2"), List(Option::directxversion));
  lists->addRow(NewLabel(QStringLiteral("Number Of Screens:"), "Label3"), List(Option::numscreens));
  lists->addRow(
      NewLabel(QStringLiteral("Effect :"), "Label4"),
      FileEdit(Option::effect, QStringLiteral("Choose .PNG file"), QStringLiteral("All files (*.png)"), false));
  auto* display = new QVBoxLayout;
  display->addLayout(flags);
  display->addLayout(lists);

  auto* rotation = new QVBoxLayout;
  rotation->addWidget(CheckBox(Option::flipupdown, "Flip screen upside-down"));
  rotation->addWidget(CheckBox(Option::flipleftright, "Flip screen left-right"));
  rotation->addWidget(List(Option::rotation));
  auto* render = new QVBoxLayout;
  AddRenderButtons(render);

  auto* sliders = new QGridLayout;
  const std::tuple<const char*, const char*, Option, const char*> groups[] = {
      {"GroupBox4", "Brightness Correction", Option::brightness, "brightscherm"},
      {"GroupBox5", "Contrast Correction", Option::contrast, "contrastscherm"},
      {"GroupBox6", "Gamma Correction", Option::gamma, "gammascherm"},
      {"GroupBox7", "Pause Brightness", Option::pauzebright, "pausscherm"},
      {"GroupBox8", "Full Screen Brightness", Option::fullbrightness, "fullbrightscherm"},
      {"GroupBox9", "Full Screen Contrast", Option::fullcontrast, "fullcontrastscherm"},
      {"GroupBox10", "Full Screen Gamma", Option::fullgamma, "fullgammascherm"},
  };
  int at = 0;
  for (const auto& [name, title, option, label] : groups) {
    sliders->addWidget(SliderGroup(name, QString::fromLatin1(title), option, label), at / 4, at % 4);
    ++at;
  }

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  top->addWidget(NewGroup("GroupBox1", QStringLiteral("Display Options"), display), 0, Qt::AlignTop);
  top->addWidget(NewColumn({NewGroup("GroupBox2", QStringLiteral("Rotation"), rotation),
                            NewGroup("GroupBox3", QStringLiteral("Render System"), render)}));
  top->addStretch();
  layout->addLayout(top);
  layout->addLayout(sliders);
  layout->addStretch();
  return page;
}

QWidget* TForm2::ScreenGroup(int index) {
  const set::ScreenGroup& group = set::ScreenGroups()[static_cast<std::size_t>(index)];
  const QString suffix = QString::fromLatin1(group.suffix.data(), static_cast<qsizetype>(group.suffix.size()));
  screenLists_[static_cast<std::size_t>(index)] = DisplayList(group.screen);
  resolutionLists_[static_cast<std::size_t>(index)] = DisplayList(group.resolution);
  auto* aspect = new QHBoxLayout;
  const QByteArray labelName = QStringLiteral("aspectratioscherm%1").arg(suffix).toLatin1();
  aspect->addWidget(NewLabel(QStringLiteral("Aspect Ratio:"), labelName.constData()));
  for (const Option side : {group.aspectX, group.aspectY}) {
    QLineEdit* edit = Edit(side);
    // One digit each, 1 to 9, as typed; a wider ratio read from a file is shown whole.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[1-9]*")), edit));
    edit->setMaxLength(1);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    aspect->addWidget(edit);
    if (side == group.aspectX) {
      aspect->addWidget(NewLabel(QStringLiteral(":"), RowLabelName(index, 1).constData()));
    }
  }
  aspect->addStretch();
  auto* form = new QFormLayout;
  form->addRow(NewLabel(QStringLiteral("Screen:"), RowLabelName(index, 0).constData()),
               screenLists_[static_cast<std::size_t>(index)]);
  form->addRow(CheckBox(group.aspectAuto, QStringLiteral("Auto Aspect Ratio")));
  form->addRow(aspect);
  form->addRow(NewLabel(QStringLiteral("Resolution:"), RowLabelName(index, 2).constData()),
               resolutionLists_[static_cast<std::size_t>(index)]);
  form->addRow(NewLabel(QStringLiteral("View:"), RowLabelName(index, 3).constData()), List(group.view));
  const QByteArray groupName = QStringLiteral("GroupBox%1").arg(11 + index).toLatin1();
  return NewGroup(groupName.constData(),
                  index == 0 ? QStringLiteral("Default Screen") : QStringLiteral("Screen %1").arg(index), form);
}

QWidget* TForm2::NewScreensPage() {
  auto* screens = new QGridLayout;
  auto* note = NewLabel(QStringLiteral("Filtering and pre-scaling work with the OpenGL, BGFX and SDL Accelerated "
                                       "render systems."),
                        "zoomscherm");
  note->setWordWrap(true);
  screens->addWidget(note, 0, 0, 1, 3);
  for (int i = 0; i < kScreenCount; ++i) {
    screens->addWidget(ScreenGroup(i), 1 + i / 3, i % 3);
  }
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(NewGroup("GroupBox16", QStringLiteral("Screen Options"), screens));
  layout->addStretch();
  return page;
}

QWidget* TForm2::NewVectorPage() {
  auto* beam = new QFormLayout;
  for (const auto& [rowLabel, caption, option, label] :
       {std::tuple{"Label25", "Beam width:", Option::beam, "beamscherm"},
        std::tuple{"Label26", "Flicker:", Option::flicker, "flickerscherm"}}) {
    auto* row = new QHBoxLayout;
    row->addWidget(Slider(option, label));
    row->addWidget(valueLabels_[static_cast<std::size_t>(set::Index(option))]);
    beam->addRow(NewLabel(QString::fromLatin1(caption), rowLabel), row);
  }
  auto* vector = new QVBoxLayout;
  vector->addWidget(CheckBox(Option::antivector, "Antialiasing for vector games"));
  vector->addWidget(NewGroup("GroupBox17", QStringLiteral("Beam settings"), beam));
  return NewPage({NewGroup("GroupBox18", QStringLiteral("Vector settings"), vector)});
}

QWidget* TForm2::NewSoundPage() {
  auto* sound = new QFormLayout;
  sound->addRow(CheckBox(Option::samples, "Use samples"));
  sound->addRow(NewLabel(QStringLiteral("Samplerate :"), "sampleratelabel"), List(Option::samplerate));
  sound->addRow(CheckBox(Option::savesound, "Save sound (.wav)"));
  QLineEdit* file = FileEdit(Option::soundfile, QStringLiteral("Kestrune"), QStringLiteral("All files (*.wav)"), true);
  file->setReadOnly(true);  // named through the file dialog only
  sound->addRow(NewLabel(QStringLiteral("File name:"), "wavefile"), file);
  auto* column = new QVBoxLayout;
  column->addWidget(CheckBox(Option::sound, "Enable sound and sound CPU's"));
  column->addWidget(NewGroup("GroupBox19", QStringLiteral("Sound"), sound));
  auto* left = new QWidget;
  left->setLayout(column);
  return NewPage(
      {left,
       NewColumn({SliderGroup("GroupBox20", QStringLiteral("Volume Attenuation"), Option::volume, "volumescherm"),
                  SliderGroup("GroupBox21", QStringLiteral("Audio Latency"), Option::latency, "latencyscherm")})});
}

QWidget* TForm2::NewInputPage() {
  auto* input = new QFormLayout;
  input->addRow(NewLabel(QStringLiteral("External Controller :"), "Label27"), List(Option::controller));
  for (const auto& [option, caption] :
       {std::pair{Option::mouse, "Mouse"}, std::pair{Option::steadykey, "Steadykey support"},
        std::pair{Option::multikeyboard, "Multi Keyboard"}, std::pair{Option::multimouse, "Multi Mouse"}}) {
    input->addRow(CheckBox(option, caption));
  }
  auto* lightgun = new QVBoxLayout;
  lightgun->addWidget(CheckBox(Option::lightgun, "Use Lightgun"));
  lightgun->addWidget(CheckBox(Option::dual, "Dual lightgun"));
  lightgun->addWidget(CheckBox(Option::offscreen, "Offscreen shots reload"));

  auto* joystick = new QFormLayout;
  joystick->addRow(CheckBox(Option::joystick, "Use Joystick"));
  for (const auto& [rowLabel, caption, option, label] :
       {std::tuple{"Label28", "Joystick Deadzone :", Option::deadzone, "deadzonescherm"},
        std::tuple{"Label29", "Joystick Saturation :", Option::saturation, "saturationscherm"}}) {
    auto* row = new QHBoxLayout;
    row->addWidget(Slider(option, label));
    row->addWidget(valueLabels_[static_cast<std::size_t>(set::Index(option))]);
    joystick->addRow(NewLabel(QString::fromLatin1(caption), rowLabel), row);
  }
  joystick->addRow(NewLabel(QStringLiteral("Joystick Axes:"), "Label30"), List(Option::joystick_axes));
  joystick->addRow(NewLabel(QStringLiteral("Custom Joystick Axes:"), "Label31"), Edit(Option::joystick_custom_map));

  auto* devices = new QFormLayout;
  for (const auto& [rowLabel, caption, option] : {std::tuple{"Label32", "Paddle:", Option::paddle_controller},
                                                  std::tuple{"Label33", "Adstick:", Option::adstick_controller},
                                                  std::tuple{"Label34", "Lightgun:", Option::lightgun_controller},
                                                  std::tuple{"Label35", "Pedal:", Option::pedal_controller},
                                                  std::tuple{"Label36", "Dial:", Option::dial_controller},
                                                  std::tuple{"Label37", "Trackball:", Option::trackball_controller},
                                                  std::tuple{"Label38", "Positional:", Option::positional_controller},
                                                  std::tuple{"Label39", "Mouse:", Option::mouse_controller}}) {
    devices->addRow(NewLabel(QString::fromLatin1(caption), rowLabel), List(option));
  }
  auto* inputBox = new QVBoxLayout;
  inputBox->addLayout(input);
  inputBox->addWidget(NewGroup("GroupBox22", QStringLiteral("Lightgun"), lightgun));
  return NewPage({NewGroup("GroupBox23", QStringLiteral("Input"), inputBox),
                  NewColumn({NewGroup("GroupBox24", QStringLiteral("Joystick"), joystick),
                             NewGroup("GroupBox25", QStringLiteral("Analog Game Devices"), devices)})});
}

QWidget* TForm2::NewMiscPage() {
  auto* misc = new QFormLayout;
  misc->addRow(
      NewBoxGrid({CheckBox(Option::readconfig, "Read Config. files"), CheckBox(Option::gameinfo, "Skip gameinfo"),
                  CheckBox(Option::cheats, "Allow cheats"), CheckBox(Option::sleep, "Sleep when Idle"),
                  CheckBox(Option::errorlog, "Error Log"), CheckBox(Option::verbose, "Verbose"),
                  CheckBox(Option::oslog, "Log data to OS"), CheckBox(Option::multithreading, "Enable Multithreading")},
                 2));
  QLineEdit* frames = Edit(Option::frames);
  frames->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), frames));
  misc->addRow(NewLabel(QStringLiteral("Seconds to Run:"), "Label40"), frames);
  misc->addRow(CheckBox(Option::autosavestate, "Auto-Save Game States"));
  misc->addRow(CheckBox(Option::savemng, "Save MNG Movie (.mng)"));
  QLineEdit* movie = FileEdit(Option::mngfile, QStringLiteral("Kestrune"), QStringLiteral("All files (*.mng)"), true);
  movie->setReadOnly(true);  // named through the file dialog only
  misc->addRow(NewLabel(QStringLiteral("File name:"), "Moviefile"), movie);

  auto* artwork = NewBoxGrid({CheckBox(Option::artworkcrop, "Artwork crop"), CheckBox(Option::bezels, "Use Bezels"),
                              CheckBox(Option::overlays, "Use Overlays"), CheckBox(Option::backdrops, "Use Backdrops")},
                             2);
  auto* priority = new QHBoxLayout;
  priority->addWidget(NewLabel(QStringLiteral("Low"), "Label41"));
  priority->addWidget(Slider(Option::highpriority, "prioritylabel"));
  priority->addWidget(NewLabel(QStringLiteral("High"), "Label42"));
  priority->addWidget(valueLabels_[static_cast<std::size_t>(set::Index(Option::highpriority))]);
  auto* speed = new QGridLayout;
  speed->addWidget(Slider(Option::speed, "speedlabel"), 0, 0, 1, 3);
  speed->addWidget(valueLabels_[static_cast<std::size_t>(set::Index(Option::speed))], 0, 3);
  speed->addWidget(NewLabel(QStringLiteral("5%"), "Label43"), 1, 0, Qt::AlignLeft);
  speed->addWidget(NewLabel(QStringLiteral("100%"), "Label44"), 1, 1, Qt::AlignHCenter);
  speed->addWidget(NewLabel(QStringLiteral("200%"), "Label45"), 1, 2, Qt::AlignRight);
  for (int column = 0; column < 3; ++column) {
    speed->setColumnStretch(column, 1);
  }
  return NewPage({NewGroup("GroupBox26", QStringLiteral("Misc"), misc),
                  NewColumn({NewGroup("GroupBox27", QStringLiteral("Additional game artwork"), artwork),
                             NewGroup("GroupBox28", QStringLiteral("MAME Priority"), priority),
                             NewGroup("GroupBox29", QStringLiteral("MAME Speed"), speed)})});
}

QWidget* TForm2::NewBiosPage() {
  auto* bios = new QFormLayout;
  for (const auto& [rowLabel, caption, option] :
       {std::tuple{"Label46", "ST-V Bios :", Option::stvbios},
        std::tuple{"Label47", "Megaplay Bios :", Option::megaplaybios},
        std::tuple{"Label48", "NeoGeo Bios :", Option::neogeobios},
        std::tuple{"Label49", "Deco Cassette System Bios :", Option::decocassbios},
        std::tuple{"Label50", "Arcadia System Bios :", Option::arbios},
        std::tuple{"Label51", "Playchoice-10 Bios :", Option::playchoicebios}}) {
    bios->addRow(NewLabel(QString::fromLatin1(caption), rowLabel), List(option));
  }
  return NewPage({NewGroup("GroupBox30", QStringLiteral("Bios Settings"), bios)});
}

QLayout* TForm2::NewButtonRow() {
  presets_ = new QComboBox;
  presets_->setObjectName(QStringLiteral("presets"));
  presets_->addItems({QStringLiteral("Option Presets"), QStringLiteral("Pentium 2 or lower"),
                      QStringLiteral("Pentium 3/AMD Athlon"), QStringLiteral("Pentium 4/AMD 2000+ XP")});
  connect(presets_, &QComboBox::activated, this, &TForm2::presetsClick);
  auto* row = new QHBoxLayout;
  row->addWidget(presets_);
  row->addStretch();
  const std::tuple<const char*, const char*, void (TForm2::*)()> buttons[] = {
      {"Button3", "Default", &TForm2::ResetMameOptions},
      {"Button2", "Cancel", &TForm2::reject},
      {"Button1", "OK", &TForm2::Button1Click},
  };
  for (const auto& [name, caption, click] : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(click == &TForm2::Button1Click);
    connect(button, &QPushButton::clicked, this, click);
    row->addWidget(button);
  }
  return row;
}
