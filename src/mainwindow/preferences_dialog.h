#pragma once

#include <QDialog>
#include <QFont>
#include <QMessageBox>
#include <QVariant>
#include <functional>
#include <map>
#include <optional>
#include <string>


class QCheckBox;
class QColor;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The front-end's own preferences: folders, fonts, colours, list and controller options.
//
// Its check boxes, radio buttons, combo boxes and edits are the program's state of record for those
// preferences: the main window sets them from the settings at start-up, reads them while it runs and
// stores them at close. Every control is reached by its component name (its objectName), the same
// name the language files use, through the typed look-ups below. Asking for a name the dialog does
// not have, or for a control of another type, is a programming error and stops the program.
//
// Each show reloads the folders from mame.ini and the settings; OK writes the settings keys and
// mame.ini and applies everything to the main window. OK is the only way out for the user: the dialog
// has no close box, and Escape or a close asked by the window manager leave it open. When OK cannot
// create the ini folder or write mame.ini the dialog stays open with the reason; a second OK that fails
// alike leaves it.
class TForm4 : public QDialog {
  Q_OBJECT

 public:
  // The desktop's dialogs, replaced by tests so that nothing blocks. An empty text or no value means
  // the user cancelled.
  using FolderChooser = std::function<QString(const QString& title, const QString& current)>;
  using FileChooser = std::function<QString(const QString& title, const QString& filter, const QString& current)>;
  using FontChooser = std::function<std::optional<QFont>(const QFont& current)>;
  using ColourChooser = std::function<std::optional<QColor>(const QColor& current)>;
  using Messenger = std::function<void(QMessageBox::Icon icon, const QString& text)>;

  explicit TForm4(QWidget* parent = nullptr);

  // Shows the dialog modally; QDialog::Accepted when OK applied everything.
  int Open();

  // `realtimesearch`, `showclones`, `bigtoolbar`, ...
  QCheckBox* CheckBox(const char* name) const;
  // `cyclesnaps`, `cycletabs`
  QRadioButton* RadioButton(const char* name) const;
  // `scaletimes`, `stretchfilter`
  QComboBox* ComboBox(const char* name) const;
  // `commandline`, `cycletimer`, the folder edits ...
  QLineEdit* Edit(const char* name) const;

  // Any other named control: the page `TabSheet2`, the buttons `Button1` ... `Button4`, ...
  template <typename T = QWidget>
  T* Control(const char* name) const {
    T* control = findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) {
      MissingControl(T::staticMetaObject.className(), name);
    }
    return control;
  }

  // The MAME executable or the rom folder changed since the dialog was shown: the ROMs are to be
  // scanned again after it closes (when "Auto re-initialize Roms" is ticked). The caller clears it.
  bool RescanPending() const { return rescanPending_; }
  void SetRescanPending(bool pending) { rescanPending_ = pending; }
  // The clone or bad-dump box changed since the dialog was shown: the list's icons are looked up again.
  bool ListOptionsTouched() const { return listOptionsTouched_; }
  // The colour of the colour box `mastercolor`, `clonecolor` or `listcolor` as the settings store it
  // (decimal 0x00BBGGRR), or the value it was shown with when the user chose none.
  std::string ColourNumber(const char* box) const;
  // The MAME executable's file name in the program folder, as chosen here.
  const std::string& MameFile() const { return mameFile_; }
  // Why the last OK could not finish; empty when it did.
  QString ErrorText() const;

  void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  void SetFontChooser(FontChooser chooser) { chooseFont_ = std::move(chooser); }
  void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }
  void SetMessenger(Messenger messenger) { messenger_ = std::move(messenger); }

  // Loads the controls (every show).
  void FormShow();
  // OK.
  void Button2Click();
  // Default: the options to their defaults; folders, fonts, colours and a few boxes stay.
  void Button4Click();
  // A MAME executable was chosen in the file dialog (confirmed false: the dialog was cancelled).
  void mamefiledisplayAfterDialog(const QString& fileName, bool confirmed);
  // Hints on the options page, the MAME options dialog's pages and this dialog's first page.
  void SetHintsShown(bool shown);
  bool HintsShown() const { return hintsShown_; }
  // The program's end (it closes the open windows as cancelled): the controls return to what was shown
  // or last applied. The user has no way to cancel.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and a close asked by the window manager: the dialog stays open.
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  [[noreturn]] void MissingControl(const char* type, const char* name) const;
  QWidget* NewOptionsPage();
  QWidget* NewFrontEndFoldersPage();
  QWidget* NewMameFoldersPage();
  QWidget* NewAppearancePage();
  void ConnectControls();
  void ConnectFolderEdits();
  void ConnectColourBoxes();

  // Handlers.
  void ChooseFolder(const char* edit);
  void ClearFolder(const char* edit, bool needsRestart);
  void ChooseMameFile();
  void ChooseFont(bool gameList);
  void ChooseColour(const char* box);
  void ShowColour(const char* box);
  void ControllerBoxClicked(const char* box, bool checked);
  void UpdateEnabledControls();
  void Tell(QMessageBox::Icon icon, const QString& text);
  void ShowError(const QString& text);

  // FormShow and OK (preferences_ok_qt.cpp).
  void LoadMameFolders();
  void StorePreferenceKeys();
  void StoreFolders();
  bool WriteMameIni(std::string* error);
  void CreateMissingFiles();
  void KeepShownState();

  std::string mameFile_;
  bool rescanPending_ = false;
  bool listOptionsTouched_ = false;
  bool hintsShown_ = true;
  std::map<std::string, std::string> colours_;  // colour box -> colour number
  // What the program's end puts back: each control's state as shown or as last applied.
  std::map<QObject*, QVariant> shownState_;
  std::map<std::string, std::string> shownColours_;
  std::string shownMameFile_;
  QLabel* error_ = nullptr;

  FolderChooser chooseFolder_;
  FileChooser chooseFile_;
  FontChooser chooseFont_;
  ColourChooser chooseColour_;
  Messenger messenger_;
};
