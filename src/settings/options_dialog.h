#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/game_ini_chain.h"
#include "settings/mame_options.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QSlider;
class QTabWidget;
class QThread;

namespace kestrune::settings {
class Settings;
}

// Edits MAME's default options (mame.ini) or one game's option file.
//
// The options model (`Options()`) is what the dialog shows: every control is bound to one of its values
// and writes each change into it at once; the option-file reader fills it when the dialog is shown and
// the writer writes it on OK. Every control is named after the value it shows.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kScreenCount = 5;
  static constexpr int kBiosPage = 6;
  // Chooses a file for a file edit: the dialog's title, its filter, the current name, and whether the
  // file is to be written (a new name may be given). Returns the name chosen, or an empty text.
  using FileChooser =
      std::function<QString(const QString& title, const QString& filter, const QString& current, bool forWriting)>;

  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  // Shows the dialog modally for the mode's file and returns QDialog::Accepted when OK wrote it. In the
  // game's mode the caption names the game (a default one when empty), and iniChain the option files MAME
  // reads for it: the values shown, and written for the controls the user does not set, are those MAME
  // takes from them (from mame.ini alone when it is empty).
  int Open(kestrune::settings::OptionsMode mode, const std::string& romname = {}, const QString& caption = {},
           kestrune::settings::IniChain iniChain = {});
  // What Open does before it shows the dialog; the file is read when the dialog is shown (show() or open()).
  void SetRequest(kestrune::settings::OptionsMode mode, const std::string& romname = {}, const QString& caption = {},
                  kestrune::settings::IniChain iniChain = {});

  kestrune::settings::MameOptions& Options() { return options_; }
  // MAME's folders: where the files are, and the folder values mame.ini holds. OK in the default-options
  // mode gives empty ones their defaults.
  kestrune::settings::MameFolders& Folders() { return folders_; }
  // Where the last preset chosen is kept (`kestruneui`/`preset`); none: it is not kept.
  void SetSettings(kestrune::settings::Settings* settings) { settings_ = settings; }
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // Gives the texts of the file dialogs (titles and filters) and the errors of reading and writing the
  // file in the user's language; they stay English without one.
  using TextOf = std::function<QString(const QString& english)>;
  void SetTextOf(TextOf textOf) { textOf_ = std::move(textOf); }

  // Asks the installed MAME, away from the window, which options it no longer knows, and marks their
  // controls when it has answered (once per program).
  void AskMame(const std::filesystem::path& mame);
  // Disables the controls of the values whose option-file keys MAME does not know, or that today's MAME
  // no longer has (a game's file leaves those out), and gives them the hint that says so. Controls of
  // other values lose such a mark. Each request to open the dialog marks what today's MAME no longer has.
  void MarkIgnoredOptions(const std::vector<std::string>& unknownKeys);
  // The hint of a disabled control, in the current language; "%1" stands for the option's keys.
  void SetMissingOptionHint(const QString& text);

  // Sets every control to the model's values, applies the enable rules and the value labels.
  void ShowOptions();
  // The Default button: every value to its default (some are kept), in the default-options mode also
  // the stored preset.
  void ResetMameOptions();
  // Enables and disables the controls that depend on others.
  void UpdateMameOptionControls();
  // Cancel, Escape and the close button: nothing is written, and the values return to those shown.
  void reject() override;

  // The screen lists `screenshow`, `screenshow0` ... `screenshow3` (default screen first). Each starts
  // with the item "Auto" and no choice; the display adapters are added after it.
  const std::array<QComboBox*, kScreenCount>& ScreenLists() const { return screenLists_; }
  // The resolution lists `ressize`, `ressize0` ... `ressize3`, in the same order and starting the same way;
  // the display modes are added after "Auto".
  const std::array<QComboBox*, kScreenCount>& ResolutionLists() const { return resolutionLists_; }

 signals:
  // MAME answered AskMame; the unknown keys are marked.
  void mameAnswered();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Building (options_dialog_pages_qt.cpp).
  QWidget* NewDisplayPage();
  QWidget* NewScreensPage();
  QWidget* NewVectorPage();
  QWidget* NewSoundPage();
  QWidget* NewInputPage();
  QWidget* NewMiscPage();
  QWidget* NewBiosPage();
  QLayout* NewButtonRow();
  QAbstractButton* CheckBox(kestrune::settings::Option option, const QString& caption);
  QComboBox* List(kestrune::settings::Option option);
  QComboBox* DisplayList(kestrune::settings::Option option);
  QSlider* Slider(kestrune::settings::Option option, const char* labelName);
  QLineEdit* Edit(kestrune::settings::Option option);
  QLineEdit* FileEdit(kestrune::settings::Option option, const QString& title, const QString& filter, bool forWriting);
  QWidget* SliderGroup(const char* name, const QString& title, kestrune::settings::Option option,
                       const char* labelName);
  QWidget* ScreenGroup(int index);
  void AddRenderButtons(QLayout* layout);

  // Binding.
  void Bind(kestrune::settings::Option option, QWidget* control);
  void ShowValue(kestrune::settings::Option option);
  void ShowLabel(kestrune::settings::Option option);
  void TakeDisplayItems();
  void ShowListItems();
  void OfferFileResolutions();
  void FillEmptyFileName(kestrune::settings::Option box, kestrune::settings::Option file, const char* word);
  void TakeTypedResolution(QComboBox* list);
  void ChooseFile(kestrune::settings::Option option, const QString& title, const QString& filter, bool forWriting);
  void SetEnabled(const char* name, bool enabled);
  // A value the user set in this showing; OK writes its lines from the control, whatever it reads.
  void SetByUser(kestrune::settings::Option option);

  // Events.
  void FormShow();
  void FormActivate();
  void Button1Click();
  void presetsClick(int index);
  void ShowError(const QString& text);
  void MarkMissingOptions();
  void ShowMissingOptionHints();

  kestrune::settings::MameOptions options_;
  kestrune::settings::MameOptions shown_;  // as read when shown, for Cancel
  // What the user set since the dialog was shown: by hand on its control, by a preset or by Default.
  kestrune::settings::OptionSet setByUser_;
  kestrune::settings::MameFolders folders_;
  kestrune::settings::OptionsMode mode_ = kestrune::settings::OptionsMode::DefaultOptions;
  std::string romname_;
  kestrune::settings::IniChain iniChain_;
  kestrune::settings::Settings* settings_ = nullptr;
  FileChooser chooseFile_;
  TextOf textOf_;

  std::array<QWidget*, kestrune::settings::kOptionCount> controls_{};
  std::array<QLabel*, kestrune::settings::kOptionCount> valueLabels_{};
  // The items each fixed list was built from, so that a list is rebuilt only when the model's change
  // (the BIOS sets of the installed MAME) and a translated list keeps its texts otherwise.
  std::array<std::vector<std::string>, kestrune::settings::kOptionCount> builtItems_;
  QButtonGroup* render_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QComboBox* presets_ = nullptr;
  QLabel* error_ = nullptr;
  std::array<QComboBox*, kScreenCount> screenLists_{};
  std::array<QComboBox*, kScreenCount> resolutionLists_{};
  bool showing_ = false;  // the controls are being set from the model

  std::vector<std::string> unknownKeys_;            // the keys the installed MAME does not know
  std::vector<kestrune::settings::Option> marked_;  // values whose controls say MAME lacks their options
  QString missingOptionHint_;
  QString defaultCaption_;
  QString gameTitle_;  // the caption SetRequest gave a game's options
  bool gameCaption_ = false;

  QThread* asking_ = nullptr;
  std::filesystem::path asked_;
};
