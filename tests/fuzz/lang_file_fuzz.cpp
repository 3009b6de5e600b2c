// Reads any bytes as a language file: through the file reader, then through the translation core as
// the current language, translating a fake window per section and looking up every resource string
// the file names. Checks that every key reads back with its value and that a file written back reads
// as the same sections, keys and values.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "translation/fake_lang_tree.h"
#include "translation/lang_core.h"
#include "translation/lang_ini_file.h"
#include "translation/lang_values.h"

namespace {

namespace fs = std::filesystem;
namespace tr = kestrune::translation;

void Check(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

// One language folder per fuzzing process, removed when the process ends.
class LangFolder {
 public:
  LangFolder() : path_(fs::temp_directory_path() / ("kestrune-lang-fuzz-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~LangFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  LangFolder(const LangFolder&) = delete;
  LangFolder& operator=(const LangFolder&) = delete;

  const fs::path& path() const { return path_; }
  fs::path File() const { return path_ / "fuzz.lng"; }
  fs::path Copy() const { return path_ / "copy.ini"; }

 private:
  fs::path path_;
};

bool Write(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// Every key reads back with the value of its section's entry, and each section's keys are distinct.
void CheckLookUps(const tr::TLangIniFile& file) {
  for (const std::string& section : file.SectionNames()) {
    Check(file.SectionExists(section));
    for (const auto& [key, value] : file.SectionEntries(section)) {
      Check(file.ReadString(section, key) == value);
      // Values are decoded by their property's kind; none of them may fail hard.
      (void)tr::DecodeLangLiteral(value);
      (void)tr::SplitDelimitedList(value);
      (void)tr::ReadLangInteger(value);
      (void)tr::ReadLangFloat(value);
    }
  }
}

// A file saved and read again holds the same sections with the same keys and values.
void CheckRoundTrip(const tr::TLangIniFile& file, const LangFolder& folder) {
  {
    tr::TLangIniFile copy(folder.Copy());
    for (const std::string& section : file.SectionNames()) {
      for (const auto& [key, value] : file.SectionEntries(section)) copy.WriteString(section, key, value);
    }
    std::string error;
    if (!copy.UpdateFile(&error)) return;  // the folder is full: nothing to compare
  }
  const tr::TLangIniFile reread(folder.Copy());
  Check(reread.LoadError().empty());
  // The copy was given keys only, so it has no empty sections.
  for (const std::string& section : file.SectionNames()) {
    Check(reread.ReadSectionValues(section) == file.ReadSectionValues(section));
  }
  for (const std::string& section : reread.SectionNames()) Check(file.SectionExists(section));
  std::error_code ignored;
  fs::remove(folder.Copy(), ignored);
}

// The file as the current language: every window key is applied, every resource string looked up.
void Translate(const tr::TLangIniFile& file, const LangFolder& folder) {
  tr::TLangCore core;
  std::vector<std::string> reports;
  core.SetReporter([&reports](const std::string& message) { reports.push_back(message); });
  core.SetLangsDir(folder.path().string());
  core.SetCurrentLang("fuzz");
  for (const std::string& section : file.SectionNames()) {
    kestrune::test::FakeNode window = kestrune::test::FakeWindow(section);
    kestrune::test::FakeObject object(window);
    core.TranslateObject(object);
  }
  for (const auto& [key, value] : file.SectionEntries(tr::kResourceStringsSection)) {
    const std::string number = key.substr(0, key.find('_'));
    if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto identifier = static_cast<std::uint32_t>(std::stoul(number));
    // A key whose number is written plainly is found by it.
    Check(std::to_string(identifier) != number || core.TranslateResString(identifier).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const LangFolder folder;
  if (!Write(folder.File(), data, size)) return 0;
  const tr::TLangIniFile file(folder.File());
  CheckLookUps(file);
  CheckRoundTrip(file, folder);
  Translate(file, folder);
  return 0;
}
