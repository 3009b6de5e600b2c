#include "translation/lang_core.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>

#include "platform/code_pages.h"
#include "translation/lang_encoding.h"
#include "translation/lang_manager.h"
#include "translation/lang_values.h"

namespace kestrune::translation {

namespace {

std::atomic<TLangCore*> theCore{nullptr};

using platform::EqualsIgnoreAsciiCase;

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const std::string foldedA = platform::AsciiLowerCopy(a);
  const std::string foldedB = platform::AsciiLowerCopy(b);
  return foldedA != foldedB ? foldedA < foldedB : a < b;
}

// The language a directory entry is the file of: its name without ".lng"; nothing for other entries.
std::optional<std::string> LanguageOfEntry(const std::filesystem::directory_entry& entry) {
  std::error_code error;
  if (!entry.is_regular_file(error)) return std::nullopt;
  const std::string name = entry.path().filename().string();
  const std::size_t size = kLangFileExtension.size();
  if (name.size() <= size ||
      !EqualsIgnoreAsciiCase(std::string_view(name).substr(name.size() - size), kLangFileExtension)) {
    return std::nullopt;
  }
  return name.substr(0, name.size() - size);
}

// The number part of a ResourceStrings key: up to its first "_", without blanks and control characters.
std::string_view NumberOfKey(std::string_view key) { return platform::TrimBlanks(key.substr(0, key.find('_'))); }

}  // namespace

TLangCore* GetLangCore() { return theCore.load(); }

TLangCore::TLangCore() : hook_(ResStringLoaderSlot(), &HookedLoadResString) {
  TLangCore* none = nullptr;
  if (!theCore.compare_exchange_strong(none, this)) throw LangError(std::string(kSecondCore));
  hook_.SetHookActive(true);
}

TLangCore::~TLangCore() {
  hook_.SetHookActive(false);
  {
    std::lock_guard lock(languageLock_);
    CloseLanguageFile();
  }
  TLangCore* self = this;
  theCore.compare_exchange_strong(self, nullptr);
}

std::string TLangCore::LangsDir() const {
  std::lock_guard lock(languageLock_);
  return langsDir_;
}

std::string TLangCore::CurrentLang() const {
  std::lock_guard lock(languageLock_);
  return currentLang_;
}

std::vector<std::string> TLangCore::Languages() const {
  std::lock_guard lock(languageLock_);
  std::vector<std::string> names;
  for (const Language& language : languages_) names.push_back(language.name);
  return names;
}

bool TLangCore::HasLanguage(std::string_view name) const {
  std::lock_guard lock(languageLock_);
  return FindLanguage(name) != nullptr;
}

const TLangCore::Language* TLangCore::FindLanguage(std::string_view name) const {
  for (const Language& language : languages_) {
    if (EqualsIgnoreAsciiCase(language.name, name)) return &language;
  }
  return nullptr;
}

TLangCore::ReadScope::ReadScope(TLangCore& core) : core_(core) {
  std::lock_guard lock(core_.languageLock_);
  ++core_.readDepth_;
}

TLangCore::ReadScope::~ReadScope() {
  std::vector<LangFileError> errors;
  FileErrorReporter reporter;
  {
    std::lock_guard lock(core_.languageLock_);
    if (--core_.readDepth_ > 0) return;
    errors.swap(core_.pendingErrors_);
    reporter = core_.fileErrorReporter_;
  }
  if (!reporter) return;
  for (const LangFileError& error : errors) reporter(error);
}

void TLangCore::SetLangsDir(const std::string& folder) {
  const ReadScope read(*this);
  bool changed = false;
  {
    std::lock_guard lock(languageLock_);
    const std::string remembered = currentLang_;
    std::string normal = folder;
    if (!normal.empty() && normal.back() != '/') normal += '/';
    // Linux file names keep their letter case, so folders differing only in case are different folders.
    if (!folder.empty() && normal == langsDir_) return;
    langsDir_ = normal;
    Rescan();
    changed = SelectAfterRescan(remembered);
  }
  if (changed) RetranslateAll();
}

void TLangCore::Rescan() {
  currentLang_.clear();
  languages_.clear();
  if (langsDir_.empty()) return;
  std::error_code error;
  for (std::filesystem::directory_iterator it(langsDir_, error), end; !error && it != end; it.increment(error)) {
    if (std::optional<std::string> name = LanguageOfEntry(*it)) languages_.push_back({*name, it->path()});
  }
  std::sort(languages_.begin(), languages_.end(),
            [](const Language& a, const Language& b) { return LessIgnoringCase(a.name, b.name); });
}

// The language that was current before a rescan stays current when the new folder has it; otherwise,
// with or without a language before, the first language listed there takes its place. Before any
// folder held a language, the one asked for is English: a first start whose folder has english.lng
// speaks English, not whichever language happens to be listed first.
bool TLangCore::SelectAfterRescan(const std::string& remembered) {
  if (!remembered.empty() && FindLanguage(remembered) != nullptr) return SelectLanguage(remembered);
  if (const Language* initial = remembered.empty() ? FindLanguage(kInitialLanguage) : nullptr) {
    return SelectLanguage(std::string(initial->name));
  }
  const bool hadLanguage = file_ != nullptr || !remembered.empty();
  CloseLanguageFile();
  if (!languages_.empty()) return SelectLanguage(languages_.front().name) || hadLanguage;
  return hadLanguage;
}

void TLangCore::SetCurrentLang(const std::string& name) {
  const ReadScope read(*this);
  bool changed = false;
  {
    std::lock_guard lock(languageLock_);
    changed = SelectLanguage(name);
  }
  if (changed) RetranslateAll();
}

bool TLangCore::SelectLanguage(const std::string& name) {
  if (name == currentLang_) return false;
  const Language* language = name.empty() ? nullptr : FindLanguage(name);
  if (!name.empty() && language == nullptr) return false;
  currentLang_ = name;
  CloseLanguageFile();
  if (language != nullptr) OpenLanguageFile(*language);
  return true;
}

void TLangCore::OpenLanguageFile(const Language& language) {
  std::error_code error;
  if (!std::filesystem::exists(language.file, error)) return;  // removed since the folder was scanned
  file_ = std::make_unique<TLangIniFile>(language.file, LegacyCodePageOf(language.name));
  metErrors_.clear();
  file_->SetReporter([this](const std::string& message) {
    if (writeBackReporter_) {
      writeBackReporter_(message);
    } else {
      Report(message);
    }
  });
  if (!file_->LoadError().empty()) Report(file_->LoadError());
  const std::string codePage = LegacyCodePageOf(language.name);
  for (const auto& [key, value] : file_->SectionEntries(kResourceStringsSection)) {
    const auto [place, added] = resourceTexts_.try_emplace(std::string(NumberOfKey(key)));
    if (!added || !AcceptsValue(kResourceStringsSection, key, value)) continue;
    std::string error;
    place->second = DecodeLangLiteral(value, &error, codePage);
    if (!place->second) {
      const std::string where = "[" + std::string(kResourceStringsSection) + "] " + key;
      Report(file_->FileName().string() + ": " + where + ": " + error);
      NoteFileError(error, where);
      place->second = std::string();
    }
  }
}

void TLangCore::CloseLanguageFile() {
  resourceTexts_.clear();
  file_.reset();
}

bool TLangCore::AcceptsValue(std::string_view section, std::string_view key, std::string_view value) const {
  if (value.size() <= kMaxLangValueBytes) return true;
  Report(file_->FileName().string() + ": [" + std::string(section) + "] " + std::string(key) +
         ": the value is longer than " + std::to_string(kMaxLangValueBytes >> 10) + " KB and is left out");
  return false;
}

void TLangCore::TranslateObject(LangObject& object) {
  const ReadScope read(*this);  // ends after the lock below is released
  std::lock_guard lock(languageLock_);
  if (!file_) return;
  const std::string section = object.ClassName();
  const std::string fileName = file_->FileName().string();
  const std::string codePage = LegacyCodePageOf(currentLang_);
  for (const auto& [key, value] : file_->SectionEntries(section)) {
    if (!AcceptsValue(section, key, value)) continue;
    const PathOutcome outcome = ApplyPropertyPath(object, key, value, codePage);
    if (outcome.status != PathOutcome::kFailed) continue;
    const std::string where = "[" + section + "] " + key;
    Report(fileName + ": " + where + ": " + outcome.error);
    NoteFileError(outcome.error, where);
  }
}

std::optional<std::string> TLangCore::TranslateResString(std::uint32_t identifier) const {
  std::lock_guard lock(languageLock_);
  if (!file_) return std::nullopt;
  const auto found = resourceTexts_.find(std::to_string(identifier));
  return found == resourceTexts_.end() ? std::nullopt : found->second;
}

void TLangCore::RegisterManager(TLangManager* manager) {
  std::lock_guard lock(managerLock_);
  if (std::find(managers_.begin(), managers_.end(), manager) == managers_.end()) managers_.push_back(manager);
}

void TLangCore::UnregisterManager(TLangManager* manager) {
  std::lock_guard lock(managerLock_);
  std::erase(managers_, manager);
}

void TLangCore::RetranslateAll() {
  std::lock_guard lock(managerLock_);
  // A manager may go away while the others translate (a window closed by an event handler).
  const std::vector<TLangManager*> managers = managers_;
  for (TLangManager* manager : managers) {
    if (std::find(managers_.begin(), managers_.end(), manager) != managers_.end()) manager->TranslateAll();
  }
}

void TLangCore::SetReporter(Reporter reporter) {
  std::lock_guard lock(languageLock_);
  reporter_ = std::move(reporter);
}

void TLangCore::SetWriteBackReporter(Reporter reporter) {
  std::lock_guard lock(languageLock_);
  writeBackReporter_ = std::move(reporter);
}

void TLangCore::SetFileErrorReporter(FileErrorReporter reporter) {
  std::lock_guard lock(languageLock_);
  fileErrorReporter_ = std::move(reporter);
}

void TLangCore::NoteFileError(const std::string& message, std::string place) {
  if (!metErrors_.insert(message).second) return;
  pendingErrors_.push_back({message, file_->FileName().filename().string() + ": " + std::move(place)});
}

void TLangCore::Report(const std::string& message) const {
  if (reporter_) {
    reporter_(message);
  } else {
    std::fprintf(stderr, "kestrune: %s\n", message.c_str());
  }
}

}  // namespace kestrune::translation
