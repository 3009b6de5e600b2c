// The preferences dialog's show, which loads the controls from mame.ini and the settings, its OK,
// which writes them and applies them to the main window, and the choice of the MAME executable.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>
#include <system_error>

#include "catalogue/catalogue_file.h"
#include "mainwindow/main_window.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "settings/mame_query.h"
#include "settings/option_file_reader.h"
#include "settings/option_file_writer.h"
#include "settings/options_dialog.h"
#include "settings/preference_values.h"
#include "settings/settings.h"
#include "translation/program_strings_qt.h"

namespace set = kestrune::settings;
namespace fs = std::filesystem;

namespace {

// Check boxes whose switch OK writes, with their key.
struct KeyedBox {
  const char* key;
  const char* box;
};
constexpr KeyedBox kKeyedBoxes[] = {
    {"showcommand", "showcommand"},   {"xarcadenav", "xarcadegui"},  {"slikstiknav", "slikstikgui"},
    {"hotrodnav", "hotrodgui"},       {"stretch", "stretchssyesno"}, {"smoothscrolling", "smoothscrolling"},
    {"showhints", "showhints"},       {"autoini", "reinitialise"},   {"keepfav", "keepfavorites"},
    {"keepcounters", "keepcounters"},
};
// The colour boxes with the key they are shown from.
constexpr KeyedBox kColourKeys[] = {
    {"listfontcolor", "mastercolor"}, {"clonecolor", "clonecolor"}, {"listcolor", "listcolor"}};

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// What an edit holds, or the value it was shown from when the user left it as it was: a folder named in
// another encoding than UTF-8 is shown with replacement characters and must not come back as them.
std::string Typed(const QLineEdit& edit, const std::string& shown) {
  const QString typed = edit.text().trimmed();
  return typed == Text(shown).trimmed() ? std::string(kestrune::platform::TrimBlanks(shown)) : Utf8(typed);
}

// MAME's folders from their edits; the ini and input folders are shared with the front-end and are
// never left empty.
void TakeMameFolders(const TForm4& dialog, set::MameFolders& folders, const std::string& frontDir) {
  folders.FrontDir = frontDir;
  for (const set::MameFolderEntry& entry : set::MameFolderEntries()) {
    folders.*entry.folder = Typed(*dialog.Edit(entry.edit), folders.*entry.folder);
  }
  folders.IniDir = set::FolderOrDefault(folders.IniDir, frontDir, "ini");
  folders.InpDir = set::FolderOrDefault(folders.InpDir, frontDir, "inp");
  folders.SnapDir = set::FolderOrDefault(Utf8(dialog.Edit("mamesnapdir")->text().trimmed()), frontDir, "snap");
}

bool CreateFolder(const std::string& folder, std::string* error) {
  std::error_code failure;
  fs::create_directories(folder, failure);
  if (!failure && fs::is_directory(folder, failure)) return true;
  *error = "The folder " + folder +
           " cannot be created: " + (failure ? failure.message() : std::string("a file of that name is in the way"));
  return false;
}

// A mame.ini written for the first time carries the installed MAME's own paths; MAME is asked once.
void AskOwnPathsOnce(set::MameFolders& folders, const std::string& mame) {
  if (!folders.MameOwnPaths.empty() || mame.empty()) return;
  std::string error;
  if (!set::AskMameOwnPaths(folders.FrontDir + mame, folders.MameOwnPaths, &error)) {
    qWarning("kestrune: %s", error.c_str());
  }
}

// The message refusing a chosen MAME executable, in the current language.
QString RefusalText(set::ExecutableVerdict verdict, const fs::path& chosen) {
  switch (verdict) {
    case set::ExecutableVerdict::Mame32:
      return ProgramQText(kestrune::translation::kSMame32Refused);
    case set::ExecutableVerdict::OtherFolder:
      return ProgramQText(kestrune::translation::kSOtherFolderRefused);
    case set::ExecutableVerdict::NotExecutable:
      return ProgramQText(kestrune::translation::kSNotExecutableRefused).arg(Text(chosen.string()));
    case set::ExecutableVerdict::Accepted:
      break;
  }
  return Text(set::ExecutableRefusal(verdict, chosen));
}

}  // namespace

void TForm4::FormShow() {
  listOptionsTouched_ = false;
  ShowError(QString());
  if (Form1 != nullptr) {
    const set::Settings& s = Form1->settings();
    const std::string& front = Form1->FrontDir();
    LoadMameFolders();
    Edit("cycletimer")->setText(Text(s.ReadText(set::kUiSection, "cycletime")));
    for (const KeyedBox& colour : kColourKeys) {
      colours_[colour.box] = s.ReadText(set::kUiSection, colour.key);
      ShowColour(colour.box);
    }
    CheckBox("bigtoolbar")->setChecked(!s.ReadFlag(set::kUiSection, "bigtoolbar"));
    mameFile_ = s.ReadText(set::kUiSection, "mamefile");
    Edit("mamefiledisplay")->setText(mameFile_.empty() ? QString() : Text(front + mameFile_));
    for (const set::FrontEndFolderEntry& folder : set::FrontEndFolderEntries()) {
      // The ini and input folders are MAME's too: their edits show what mame.ini holds.
      if (folder.key == "inidir" || folder.key == "inpdir") continue;
      Edit(folder.edit)->setText(Text(s.ReadText(set::kMameSection, folder.key)));
    }
    const std::pair<const char*, bool> optional[] = {{"historydatscherm", Form1->HistoryLoaded()},
                                                     {"infodatscherm", Form1->MameInfoLoaded()},
                                                     {"catverscherm", Form1->CatverPresent()},
                                                     {"nplayersscherm", Form1->NPlayersPresent()}};
    for (const auto& [edit, present] : optional) {
      Edit(edit)->setText(
          ProgramQText(present ? kestrune::translation::kSAvailable : kestrune::translation::kSUnavailable));
    }
    std::error_code error;
    CheckBox("Toolbarskinned")->setEnabled(fs::is_regular_file(front + "skin/skin.zip", error));
    CheckBox("Toolbarskinned")->setChecked(Form1->Skinned());
  }
  UpdateEnabledControls();
  rescanPending_ = false;
  KeepShownState();
}

void TForm4::LoadMameFolders() {
  if (Form2 == nullptr) return;
  set::MameFolders& folders = Form2->Folders();
  folders.FrontDir = Form1->FrontDir();
  const fs::path mameIni = fs::path(folders.FrontDir) / "mame.ini";
  std::string error;
  if (set::ReadMameFolders(mameIni, folders, &error)) {
    if (!set::ReadMameIni(set::OptionsMode::DefaultOptions, Form2->Options(), folders, "", &error)) {
      qWarning("kestrune: %s", error.c_str());
    }
  } else if (!kestrune::platform::NothingAt(mameIni)) {
    // OK will not write over it either; the user learns why before changing anything.
    ShowError(ProgramQTextOf(error));
  }
  for (const set::MameFolderEntry& entry : set::MameFolderEntries()) {
    Edit(entry.edit)->setText(Text(folders.*entry.folder));
  }
}

void TForm4::Button2Click() {
  if (Edit("cycletimer")->text().isEmpty()) Edit("cycletimer")->setText(QStringLiteral("2"));
  if (Form1 == nullptr || Form2 == nullptr) {
    accept();
    return;
  }
  StorePreferenceKeys();
  StoreFolders();
  std::string error;
  const bool written = WriteMameIni(&error);
  Form1->ApplyPreferences();
  // What OK applied stays, even when the program ends before the dialog is left.
  KeepShownState();
  if (!written) {
    // OK is the only way out: it stays open to show why, and an OK that meets the same failure again
    // leaves it, with what it could apply applied and the file as it was.
    const QString reason = ProgramQTextOf(error);
    if (reason != ErrorText()) {
      ShowError(reason);
      return;
    }
  } else {
    ShowError(QString());
  }
  accept();
}

void TForm4::StorePreferenceKeys() {
  set::Settings& s = Form1->settings();
  const std::string_view ui = set::kUiSection;
  s.WriteText(ui, "mamefile", mameFile_);
  s.WriteText(ui, "frontdir", Form1->FrontDir());
  s.WriteText(ui, "cycletime", Utf8(Edit("cycletimer")->text()));
  for (const KeyedBox& box : kKeyedBoxes) s.WriteFlag(ui, box.key, CheckBox(box.box)->isChecked());
  // The box asks for small icons; the key tells whether they are large.
  s.WriteFlag(ui, "bigtoolbar", !CheckBox("bigtoolbar")->isChecked());
  s.WriteInt(ui, "scale", ComboBox("scaletimes")->currentIndex());
}

void TForm4::StoreFolders() {
  const std::string& front = Form1->FrontDir();
  TakeMameFolders(*this, Form2->Folders(), front);
  set::Settings& s = Form1->settings();
  for (const set::FrontEndFolderEntry& folder : set::FrontEndFolderEntries()) {
    const std::string typed = Typed(*Edit(folder.edit), s.ReadText(set::kMameSection, folder.key));
    s.WriteText(set::kMameSection, folder.key, set::FolderOrDefault(typed, front, folder.word));
  }
}

bool TForm4::WriteMameIni(std::string* error) {
  set::MameFolders& folders = Form2->Folders();
  if (!CreateFolder(folders.IniDir, error)) return false;
  if (mameFile_.empty()) return true;
  AskOwnPathsOnce(folders, mameFile_);
  return set::WriteMameIni(set::OptionsMode::DefaultOptions, Form2->Options(), folders, "", error);
}

void TForm4::mamefiledisplayAfterDialog(const QString& fileName, bool confirmed) {
  if (!confirmed || fileName.isEmpty() || Form1 == nullptr) return;
  const fs::path chosen(Utf8(QDir::fromNativeSeparators(fileName)));
  const set::ExecutableVerdict verdict = set::CheckMameExecutable(chosen, Form1->FrontDir());
  if (verdict != set::ExecutableVerdict::Accepted) {
    Tell(QMessageBox::Warning, RefusalText(verdict, chosen));
    return;
  }
  rescanPending_ = true;
  mameFile_ = chosen.filename().string();
  Edit("mamefiledisplay")->setText(Text(Form1->FrontDir() + mameFile_));
  CreateMissingFiles();
}

// A newly chosen MAME finds a mame.ini with the default options, and the program an empty game list.
void TForm4::CreateMissingFiles() {
  const std::string& front = Form1->FrontDir();
  std::string error;
  if (Form2 != nullptr && kestrune::platform::NothingAt(front + "mame.ini")) {
    set::MameFolders& folders = Form2->Folders();
    TakeMameFolders(*this, folders, front);
    set::ResetMameOptions(Form2->Options());
    AskOwnPathsOnce(folders, mameFile_);
    if (!CreateFolder(folders.IniDir, &error) ||
        !set::WriteMameIni(set::OptionsMode::DefaultOptions, Form2->Options(), folders, "", &error)) {
      Tell(QMessageBox::Warning, ProgramQTextOf(error));
    }
  }
  const fs::path catalogue = kestrune::catalogue::CataloguePath(front);
  if (kestrune::platform::NothingAt(catalogue) && !kestrune::platform::WriteFileAtomic(catalogue, "", &error)) {
    Tell(QMessageBox::Warning, ProgramQTextOf(error));
  }
}

void TForm4::KeepShownState() {
  shownState_.clear();
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    if (button->isCheckable()) shownState_[button] = button->isChecked();
  }
  for (QComboBox* list : findChildren<QComboBox*>()) shownState_[list] = list->currentIndex();
  for (QLineEdit* edit : findChildren<QLineEdit*>()) shownState_[edit] = edit->text();
  shownState_[this] = rescanPending_;
  shownColours_ = colours_;
  shownMameFile_ = mameFile_;
}

void TForm4::keyPressEvent(QKeyEvent* event) {
  // Escape cancels nothing: the colours and fonts take effect as they are chosen.
  if (event->matches(QKeySequence::Cancel)) return;
  QDialog::keyPressEvent(event);
}

void TForm4::closeEvent(QCloseEvent* event) {
  if (isVisible()) event->ignore();
}

void TForm4::reject() {
  for (const auto& [control, value] : shownState_) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      button->setChecked(value.toBool());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      list->setCurrentIndex(value.toInt());
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      edit->setText(value.toString());
    }
  }
  if (const auto pending = shownState_.find(this); pending != shownState_.end())
    rescanPending_ = pending->second.toBool();
  colours_ = shownColours_;
  for (const KeyedBox& colour : kColourKeys) ShowColour(colour.box);
  mameFile_ = shownMameFile_;
  QDialog::reject();
}
