#include "settings/options_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QShowEvent>
#include <QSlider>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/text_file.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog_keys.h"
#include "settings/settings.h"

namespace set = kestrune::settings;
using set::Option;

namespace {

constexpr const char* kDefaultCaption = "MAME Default Options";

std::size_t Slot(Option option) { return static_cast<std::size_t>(set::Index(option)); }

char DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : '.';
}

bool IsAspectSide(Option option) {
  const auto groups = set::ScreenGroups();
  return std::any_of(groups.begin(), groups.end(),
                     [option](const set::ScreenGroup& g) { return option == g.aspectX || option == g.aspectY; });
}

bool IsAccelerated(int render) {
  return render == set::kRenderOpenGl || render == set::kRenderBgfx || render == set::kRenderAccel;
}

QString ChooseWithQt(QWidget* parent, const QString& title, const QString& filter, const QString& current,
                     bool forWriting) {
  if (forWriting) {
    return QFileDialog::getSaveFileName(parent, title, current, filter, nullptr, QFileDialog::DontConfirmOverwrite);
  }
  return QFileDialog::getOpenFileName(parent, title, current, filter);
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName("Form2");
  setWindowTitle(QString::fromLatin1(kDefaultCaption));
  chooseFile_ = [this](const QString& title, const QString& filter, const QString& current, bool forWriting) {
    return ChooseWithQt(this, title, filter, current, forWriting);
  };

  pages_ = new QTabWidget;
  pages_->setObjectName("pagecontrol1");
  pages_->addTab(NewDisplayPage(), QStringLiteral("Display Options"));
  pages_->addTab(NewScreensPage(), QStringLiteral("Screens"));
  pages_->addTab(NewVectorPage(), QStringLiteral("Vector"));
  pages_->addTab(NewSoundPage(), QStringLiteral("Sound Options"));
  pages_->addTab(NewInputPage(), QStringLiteral("Input Devices"));
  pages_->addTab(NewMiscPage(), QStringLiteral("Misc"));
  pages_->addTab(NewBiosPage(), QStringLiteral("Bios"));
  for (int page = 0; page < pages_->count(); ++page) {
    pages_->widget(page)->setObjectName(QStringLiteral("TabSheet%1").arg(page + 1));
  }

  error_ = new QLabel;
  error_->setObjectName("errortext");
  error_->setWordWrap(true);
  error_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(error_);
  layout->addLayout(NewButtonRow());
  ShowOptions();
}

TForm2::~TForm2() {
  if (asking_ != nullptr) {
    asking_->wait();
  }
}

// ---- Opening ----

int TForm2::Open(set::OptionsMode mode, const std::string& romname, const QString& caption, set::IniChain iniChain) {
  SetRequest(mode, romname, caption, std::move(iniChain));
  return exec();
}

void TForm2::SetRequest(set::OptionsMode mode, const std::string& romname, const QString& caption,
                        set::IniChain iniChain) {
  mode_ = mode;
  romname_ = romname;
  iniChain_ = std::move(iniChain);
  MarkMissingOptions();
  // The window's own caption (perhaps translated) comes back for the default options.
  if (mode == set::OptionsMode::GameOptions) {
    if (!gameCaption_) {
      defaultCaption_ = windowTitle();
    }
    gameCaption_ = true;
    // A language without a game caption of its own shows the window's own (translated) caption, never
    // the game opened before.
    gameTitle_ = caption.isEmpty() ? defaultCaption_ : caption;
    setWindowTitle(gameTitle_);
  } else if (gameCaption_) {
    gameCaption_ = false;
    setWindowTitle(defaultCaption_);
  }
}

void TForm2::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    FormShow();
  }
  QDialog::showEvent(event);
}

void TForm2::changeEvent(QEvent* event) {
  // A caption set from outside (a language switch) is the window's own from now on.
  if (event->type() == QEvent::WindowTitleChange && gameCaption_ && windowTitle() != gameTitle_) {
    gameCaption_ = false;
  }
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    FormActivate();
  }
  QDialog::changeEvent(event);
}

void TForm2::FormShow() {
  const bool defaults = mode_ != set::OptionsMode::GameOptions;
  if (!defaults && pages_->currentIndex() == kBiosPage) {
    pages_->setCurrentIndex(0);
  }
  pages_->setTabVisible(kBiosPage, defaults);
  presets_->setEnabled(defaults);
  ShowError(QString());
  TakeDisplayItems();
  OfferFileResolutions();
  std::string error;
  std::vector<std::string> unconvertible;
  // A file that cannot be read leaves the values as they were; the dialog opens all the same.
  if (!set::ReadMameIni(mode_, options_, folders_, romname_, &error, &unconvertible, iniChain_)) {
    qWarning("kestrune: %s", error.c_str());
    ShowError(QString::fromStdString(error));
  }
  // OK writes such a line back as it stands unless its control is changed.
  for (const std::string& line : unconvertible) {
    qWarning("kestrune: \"%s\" holds no number the options dialog can show; the line is kept as it is", line.c_str());
  }
  ShowOptions();
  shown_ = options_;
  setByUser_.reset();
  FormActivate();
}

// A stored preset that is missing or not one of the list's is taken as the first item.
void TForm2::FormActivate() {
  int preset = settings_ != nullptr ? settings_->ReadInt(set::kUiSection, "preset") : 0;
  if (preset < 0 || preset >= set::kPresetCount) {
    preset = 0;
  }
  presets_->setCurrentIndex(preset);
}

// ---- Buttons ----

void TForm2::Button1Click() {
  // A screen or resolution list without a choice shows nothing; it means Auto, not the second display.
  for (const set::ScreenGroup& group : set::ScreenGroups()) {
    for (const Option list : {group.screen, group.resolution}) {
      if (options_.Number(list) < 0) options_.SetNumber(list, 0);
    }
  }
  std::string error;
  const bool written = set::WriteMameIni(mode_, options_, folders_, romname_, &error, &setByUser_, iniChain_);
  ShowOptions();  // the writer fills empty aspect edits and writes the seconds to run as a number
  if (!written) {
    qWarning("kestrune: %s", error.c_str());
    ShowError(QString::fromStdString(error));
    return;
  }
  shown_ = options_;
  setByUser_.reset();
  accept();
}

void TForm2::reject() {
  options_ = shown_;
  setByUser_.reset();
  ShowOptions();
  QDialog::reject();
}

void TForm2::ResetMameOptions() {
  setByUser_ |= set::ResetMameOptions(options_);
  ShowOptions();
  presets_->setCurrentIndex(0);
  if (mode_ == set::OptionsMode::DefaultOptions && settings_ != nullptr) {
    settings_->WriteText(set::kUiSection, "preset", "0");
  }
}

void TForm2::presetsClick(int index) {
  setByUser_ |= set::ApplyMamePreset(options_, index);
  ShowOptions();
  if (settings_ != nullptr) {
    settings_->WriteInt(set::kUiSection, "preset", index);
  }
}

void TForm2::ShowError(const QString& text) {
  // The lower layers' errors are English; the program's strings give them in the user's language.
  error_->setText(textOf_ && !text.isEmpty() ? textOf_(text) : text);
  error_->setVisible(!text.isEmpty());
}

// ---- Binding ----

void TForm2::SetByUser(Option option) { setByUser_.set(Slot(option)); }

// Only the user's own actions (a click, a pick from a list, a slider moved by mouse, keys or wheel, typing)
// say that a value was set: filling the controls from a file changes them too.
void TForm2::Bind(Option option, QWidget* control) {
  controls_[Slot(option)] = control;
  const std::string_view name = set::Info(option).control;
  control->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  const auto setByUser = [this, option] { SetByUser(option); };
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    connect(box, &QCheckBox::clicked, this, setByUser);
    connect(box, &QCheckBox::toggled, this, [this, option](bool checked) {
      if (showing_) return;
      options_.SetFlag(option, checked);
      UpdateMameOptionControls();
    });
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    connect(list, &QComboBox::activated, this, setByUser);
    connect(list, &QComboBox::currentIndexChanged, this, [this, option](int choice) {
      if (showing_) return;
      // A list that cannot take the choice shows the model's again, so nothing else is written.
      if (!options_.SetNumber(option, choice)) ShowValue(option);
      UpdateMameOptionControls();
    });
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    connect(slider, &QSlider::actionTriggered, this, setByUser);
    connect(slider, &QSlider::sliderMoved, this, setByUser);
    connect(slider, &QSlider::valueChanged, this, [this, option](int position) {
      if (showing_) return;
      options_.SetNumber(option, position);
      ShowLabel(option);
    });
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    connect(edit, &QLineEdit::textEdited, this, setByUser);
    connect(edit, &QLineEdit::textChanged, this, [this, option](const QString& text) {
      if (!showing_) options_.SetText(option, text.toStdString());
    });
  }
}

void TForm2::ShowValue(Option option) {
  const bool wasShowing = std::exchange(showing_, true);
  QWidget* control = controls_[Slot(option)];
  if (option == Option::render) {
    if (QAbstractButton* button = render_->button(options_.Number(option))) button->setChecked(true);
  } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(options_.Flag(option));
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    list->setCurrentIndex(options_.Number(option));
  } else if (auto* slider = qobject_cast<QSlider*>(control)) {
    slider->setValue(options_.Number(option));
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    const QString text = QString::fromStdString(options_.Text(option));
    // A one-digit edit shows a wider value from a file whole, so that OK writes it back unchanged.
    if (IsAspectSide(option)) {
      edit->setMaxLength(std::max<int>(1, static_cast<int>(text.size())));
    }
    edit->setText(text);
  }
  showing_ = wasShowing;
}

void TForm2::ShowLabel(Option option) {
  if (QLabel* label = valueLabels_[Slot(option)]) {
    label->setText(QString::fromStdString(set::SliderLabel(options_, option, DecimalSeparator())));
  }
}

void TForm2::ShowOptions() {
  const bool wasShowing = std::exchange(showing_, true);
  ShowListItems();
  for (const set::OptionInfo& info : set::OptionTable()) {
    ShowValue(info.id);
    ShowLabel(info.id);
  }
  showing_ = wasShowing;
  UpdateMameOptionControls();
}

// The model's items of a fixed list change only when the installed MAME's BIOS sets arrive; the list is
// rebuilt then, and otherwise keeps its (perhaps translated) texts.
void TForm2::ShowListItems() {
  for (const set::OptionInfo& info : set::OptionTable()) {
    auto* list = qobject_cast<QComboBox*>(controls_[Slot(info.id)]);
    std::vector<std::string>& built = builtItems_[Slot(info.id)];
    if (list == nullptr || info.dynamicItems || options_.Items(info.id) == built) {
      continue;
    }
    built = options_.Items(info.id);
    list->clear();
    for (const std::string& item : built) {
      list->addItem(QString::fromStdString(item));
    }
  }
}

// The screen and resolution lists are filled from the desktop by the main window; the model takes their
// items after its own first one.
void TForm2::TakeDisplayItems() {
  for (std::size_t i = 0; i < kScreenCount; ++i) {
    const set::ScreenGroup& group = set::ScreenGroups()[i];
    for (const auto& [list, option] :
         {std::pair{screenLists_[i], group.screen}, std::pair{resolutionLists_[i], group.resolution}}) {
      std::vector<std::string> items;
      for (int item = 1; item < list->count(); ++item) {
        items.push_back(list->itemText(item).toStdString());
      }
      options_.SetDynamicItems(option, items);
    }
  }
}

// A display mode that the files name and the desktop does not offer is offered too, so that the reader
// can choose it and OK writes it back as it was instead of as "auto".
void TForm2::OfferFileResolutions() {
  if (!set::CheckOptionsRequest(mode_, romname_, nullptr)) {
    return;
  }
  std::vector<std::filesystem::path> files{std::filesystem::path(folders_.FrontDir) / "mame.ini"};
  if (mode_ == set::OptionsMode::GameOptions) {
    files = set::ChainFilesBefore(folders_, iniChain_, romname_);
    files.push_back(set::FindGameIni(folders_.IniDir, romname_));
  }
  for (const std::filesystem::path& file : files) {
    std::vector<std::string> lines;
    if (!kestrune::platform::ReadTextFileLines(file, lines, nullptr)) {
      continue;
    }
    for (const std::string& line : lines) {
      for (std::size_t i = 0; i < kScreenCount; ++i) {
        const std::string_view suffix = set::ScreenGroups()[i].suffix;
        const std::string key = suffix.empty() ? std::string("resolution ") : "resolution" + std::string(suffix);
        const std::optional<std::string> value = line.starts_with(key) ? set::IniLineValue(line) : std::nullopt;
        const QString mode = QString::fromStdString(value.value_or("auto"));
        if (mode != QLatin1String("auto") && resolutionLists_[i]->findText(mode, Qt::MatchExactly) < 0) {
          resolutionLists_[i]->addItem(mode);
        }
      }
    }
  }
  TakeDisplayItems();
}

void TForm2::TakeTypedResolution(QComboBox* list) {
  const QString typed = list->currentText().trimmed();
  if (showing_ || typed.isEmpty()) {
    return;
  }
  int choice = list->findText(typed, Qt::MatchExactly);
  if (choice < 0) {
    list->addItem(typed);
    choice = list->count() - 1;
    TakeDisplayItems();
  }
  const std::size_t i = static_cast<std::size_t>(std::find(resolutionLists_.begin(), resolutionLists_.end(), list) -
                                                 resolutionLists_.begin());
  const Option option = set::ScreenGroups()[i].resolution;
  // Leaving the list without typing in it sets nothing.
  if (list->lineEdit()->isModified()) SetByUser(option);
  options_.SetNumber(option, choice);
  ShowValue(option);
}

void TForm2::ChooseFile(Option option, const QString& title, const QString& filter, bool forWriting) {
  const auto text = [this](const QString& english) { return textOf_ ? textOf_(english) : english; };
  QString name = chooseFile_(text(title), text(filter), QString::fromStdString(options_.Text(option)), forWriting);
  if (name.isEmpty()) {
    return;
  }
  if (option == Option::effect) {
    name = QFileInfo(name).completeBaseName();  // MAME looks the effect up by name in its artwork folders
  } else {
    const QString extension = option == Option::soundfile ? QStringLiteral(".wav") : QStringLiteral(".mng");
    if (!name.contains(extension)) {
      name += extension;
    }
  }
  SetByUser(option);
  options_.SetText(option, name.toStdString());
  ShowValue(option);
}

// ---- Enable rules ----

void TForm2::SetEnabled(const char* name, bool enabled) {
  if (QWidget* widget = findChild<QWidget*>(QString::fromLatin1(name))) {
    widget->setEnabled(enabled);
  }
}

void TForm2::FillEmptyFileName(Option box, Option file, const char* word) {
  if (options_.Flag(box) && options_.Text(file).empty()) {
    options_.SetText(file, folders_.FrontDir + word);
    ShowValue(file);
  }
}

void TForm2::UpdateMameOptionControls() {
  FillEmptyFileName(Option::savesound, Option::soundfile, "soundclip.wav");
  FillEmptyFileName(Option::savemng, Option::mngfile, "movieclip.mng");
  const bool sound = options_.Flag(Option::sound);
  const bool lightgun = options_.Flag(Option::lightgun);
  const bool accelerated = IsAccelerated(options_.Number(Option::render));
  const std::pair<const char*, bool> rules[] = {
      {"wavefile", options_.Flag(Option::savesound)},
      {"soundfile", options_.Flag(Option::savesound)},
      {"mngfile", options_.Flag(Option::savemng)},
      {"Moviefile", options_.Flag(Option::savemng)},
      {"ddfilter", accelerated},
      {"zoomscherm", accelerated},
      {"frameskip", !options_.Flag(Option::autoframeskip)},
      {"maxwin", options_.Flag(Option::runwin)},
      {"samples", sound},
      {"samplerate", sound},
      {"sampleratelabel", sound},
      {"latency", sound},
      {"volume", sound},
      {"savesound", sound},
      {"dual", lightgun},
      {"offscreen", lightgun},
  };
  for (const auto& [name, enabled] : rules) {
    SetEnabled(name, enabled);
  }
  // A value that MAME does not take is not to be changed, whatever the other controls say.
  for (const Option option : marked_) {
    if (QWidget* control = controls_[Slot(option)]) control->setEnabled(false);
  }
  for (const set::ScreenGroup& group : set::ScreenGroups()) {
    const bool typed = !options_.Flag(group.aspectAuto);
    controls_[Slot(group.aspectX)]->setEnabled(typed);
    controls_[Slot(group.aspectY)]->setEnabled(typed);
    SetEnabled(("aspectratioscherm" + std::string(group.suffix)).c_str(), typed);
  }
}

// ---- What MAME ignores ----

void TForm2::MarkIgnoredOptions(const std::vector<std::string>& unknownKeys) {
  unknownKeys_ = unknownKeys;
  MarkMissingOptions();
}

void TForm2::MarkMissingOptions() {
  for (const Option option : marked_) {
    if (QWidget* control = controls_[Slot(option)]) {
      control->setToolTip(QString());
      control->setEnabled(true);
    }
  }
  std::vector<std::string> keys = set::GoneOptionKeys();
  keys.insert(keys.end(), unknownKeys_.begin(), unknownKeys_.end());
  marked_ = set::IgnoredOptions(keys);
  ShowMissingOptionHints();
  UpdateMameOptionControls();
}

void TForm2::SetMissingOptionHint(const QString& text) {
  missingOptionHint_ = text;
  ShowMissingOptionHints();
}

void TForm2::ShowMissingOptionHints() {
  for (const Option option : marked_) {
    // An option kept in the file but shown by no control (a BIOS choice, a grouped value) has no hint.
    QWidget* control = controls_[Slot(option)];
    if (control == nullptr) continue;
    QStringList keys;
    for (const std::string& key : set::KeysOfOption(option)) {
      keys << QString::fromStdString(key);
    }
    const QString joined = keys.join(QStringLiteral("\", \""));
    control->setToolTip(
        missingOptionHint_.contains(QLatin1String("%1")) ? missingOptionHint_.arg(joined) : missingOptionHint_);
  }
}

void TForm2::AskMame(const std::filesystem::path& mame) {
  if (asking_ != nullptr || mame == asked_) {
    return;
  }
  asked_ = mame;
  auto unknown = std::make_shared<std::vector<std::string>>();
  auto error = std::make_shared<std::string>();
  auto answered = std::make_shared<bool>(false);
  asking_ = QThread::create(
      [mame, unknown, error, answered] { *answered = set::AskMameUnknownKeys(mame, *unknown, error.get()); });
  asking_->setParent(this);
  connect(asking_, &QThread::finished, this, [this, unknown, error, answered] {
    asking_->deleteLater();
    asking_ = nullptr;
    if (!*answered) {
      qWarning("kestrune: %s", error->c_str());
      return;
    }
    MarkIgnoredOptions(*unknown);
    emit mameAnswered();
  });
  asking_->start();
}
