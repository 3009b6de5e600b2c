#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "translation/lang_ini_file.h"
#include "translation/lang_object.h"
#include "translation/resource_strings.h"

// The translation core: the one object of the process that knows the language folder, the languages
// in it, the current language and its open file, and that performs every translation.
namespace kestrune::translation {

// The language a rescan keeps when no language was current yet and the folder holds it.
inline constexpr std::string_view kInitialLanguage = "English";

class TLangManager;

// Raised for a misuse of the translation classes (see the messages below).
class LangError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kNoCoreToRead = "Language core is not assigned.";
inline constexpr std::string_view kNoCoreToWrite = "Language core object is not assigned";
inline constexpr std::string_view kSecondCore =
    "Language core is single instance class. Please use GetLangCore class function to obtain an instance.";

// The extension of language files, matched ignoring ASCII letter case.
inline constexpr std::string_view kLangFileExtension = ".lng";
// The section of a language file that translates resource strings.
inline constexpr std::string_view kResourceStringsSection = "ResourceStrings";
// The longest value a language file may give: many times any real caption or list, while a longer one
// would take hundreds of megabytes once laid out on screen.
inline constexpr std::size_t kMaxLangValueBytes = std::size_t{64} << 10;

// A fault in a language file that the user editing it needs to see: a "#" code that names no character,
// or an enumeration value that names no element. The message is the program's text ("Too long character
// code", "Invalid property element: Maybe"), the place where it first stood ("dutch.lng: [TForm4]
// showhints.Checked").
struct LangFileError {
  std::string message;
  std::string place;
};

class TLangCore {
 public:
  // Receives what goes wrong in a language file (a bad value, an unreadable file); stderr by default.
  using Reporter = std::function<void(const std::string& message)>;
  using FileErrorReporter = std::function<void(const LangFileError& error)>;

  // Starts with no folder and no language, with resource-string translation on. A second core while one
  // lives raises LangError(kSecondCore) and leaves the first in place.
  TLangCore();
  ~TLangCore();
  TLangCore(const TLangCore&) = delete;
  TLangCore& operator=(const TLangCore&) = delete;

  // The language folder: empty, or ending in "/".
  std::string LangsDir() const;
  // A folder other than the current one (after a "/" is appended) is scanned for "*.lng" files, and
  // the current language is selected again when the new folder has it, else the first one listed there
  // (also when there was no current language), else none; an empty folder
  // always rescans and lists nothing. A change of language retranslates every registered manager.
  void SetLangsDir(const std::string& folder);
  // The current language as it was set (not in its file name's letter case); empty for none.
  std::string CurrentLang() const;
  // Selects a listed language (letter case ignored) or none (""); a name other than the current one
  // (letter case counts) opens its file and retranslates every registered manager. A name that is not
  // listed changes nothing.
  void SetCurrentLang(const std::string& name);
  // The languages of the folder: file names without ".lng", sorted ignoring ASCII letter case.
  std::vector<std::string> Languages() const;
  bool HasLanguage(std::string_view name) const;

  // Applies the current language file's section named after the object's class, key by key in file
  // order. A key that fails, or whose value is longer than kMaxLangValueBytes, is reported and the next
  // key is applied.
  void TranslateObject(LangObject& object);
  // See kestrune::translation::TranslateResString.
  std::optional<std::string> TranslateResString(std::uint32_t identifier) const;
  // Resource-string translation is on while this hook is active.
  THook& ResourceHook() { return hook_; }

  // Managers retranslate their windows, in registration order, whenever the language changes.
  void RegisterManager(TLangManager* manager);
  void UnregisterManager(TLangManager* manager);

  void SetReporter(Reporter reporter);
  // Receives the changes of a language file that could not be written back (a read-only file): the user
  // loses them, so a program shows this one. The reporter above by default.
  void SetWriteBackReporter(Reporter reporter);
  // Receives, besides the reporter above, each distinct LangFileError message once per reading of the
  // language file (selecting a language reads its file again; windows translated later from the same
  // reading add only messages not met before). It is called when the folder change, language change or
  // window translation that met the fault has ended, outside the core's locks, so it may show a window.
  void SetFileErrorReporter(FileErrorReporter reporter);

 private:
  struct Language {
    std::string name;
    std::filesystem::path file;
  };
  const Language* FindLanguage(std::string_view name) const;
  bool SelectLanguage(const std::string& name);
  bool SelectAfterRescan(const std::string& remembered);
  void Rescan();
  void OpenLanguageFile(const Language& language);
  void CloseLanguageFile();
  bool AcceptsValue(std::string_view section, std::string_view key, std::string_view value) const;
  void RetranslateAll();
  void Report(const std::string& message) const;
  void NoteFileError(const std::string& message, std::string place);

  // Marks a folder change, language change or window translation: the faults met within it are handed
  // to the file-error reporter when the outermost one ends.
  class ReadScope {
   public:
    explicit ReadScope(TLangCore& core);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    TLangCore& core_;
  };

  mutable std::recursive_mutex languageLock_;  // the folder, the list, the current language and its file
  mutable std::recursive_mutex managerLock_;   // the managers; taken only without the language lock
  std::string langsDir_;
  std::string currentLang_;
  std::vector<Language> languages_;
  std::unique_ptr<TLangIniFile> file_;
  // The number part of each key of the file's ResourceStrings section -> the text of the first entry with
  // it, decoded once when the file opens (none: the value is too long, and the program's own text is
  // used). Look-ups come from every message and progress text, also from the scan's worker thread.
  std::unordered_map<std::string, std::optional<std::string>> resourceTexts_;
  std::vector<TLangManager*> managers_;
  THook hook_;
  Reporter reporter_;
  Reporter writeBackReporter_;
  FileErrorReporter fileErrorReporter_;
  int readDepth_ = 0;
  std::vector<LangFileError> pendingErrors_;   // met within the current ReadScope, not yet handed over
  std::unordered_set<std::string> metErrors_;  // the messages met since the language file was read
};

// The living core, or null before it is created and after it is destroyed.
TLangCore* GetLangCore();

}  // namespace kestrune::translation
