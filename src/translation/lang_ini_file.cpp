#include "translation/lang_ini_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/code_pages.h"
#include "platform/text_file.h"
#include "translation/lang_encoding.h"

namespace kestrune::translation {

namespace {

// Language files are a few hundred lines; a file this large is not one.
constexpr std::uint64_t kMaxLangFileBytes = std::uint64_t{16} << 20;
// Lines always read before they must average a fair length: many times a real file's.
constexpr std::uint64_t kFreeLangFileLines = std::uint64_t{64} << 10;

using platform::EqualsIgnoreAsciiCase;

}  // namespace

TLangIniFile::TLangIniFile(std::filesystem::path fileName, const std::string& codePage)
    : fileName_(std::move(fileName)) {
  std::error_code error;
  if (!std::filesystem::exists(fileName_, error)) {
    loadError_ = "The language file " + fileName_.string() + " does not exist";
    return;
  }
  std::string bytes;
  if (!platform::ReadWholeFile(fileName_, bytes, &loadError_, kMaxLangFileBytes)) return;
  const std::string text = DecodeLangFileBytes(bytes, codePage);
  bytes = std::string();
  if (!platform::CheckTextLineCount(fileName_, text, &loadError_, false, kFreeLangFileLines)) return;
  Parse(text);
}

TLangIniFile::~TLangIniFile() { WriteBack(); }

void TLangIniFile::Parse(std::string_view text) {
  Section* current = nullptr;
  platform::TextLines reader(text);
  for (std::string_view line; reader.Next(line);) {
    line = platform::TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      current = &FindOrAddSection(platform::TrimBlanks(line.substr(1, line.size() - 2)));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    AddValue(*current, platform::TrimBlanks(line.substr(0, equals)), platform::TrimBlanks(line.substr(equals + 1)));
  }
}

TLangIniFile::Section* TLangIniFile::FindSection(std::string_view name) {
  const auto found = sectionIndex_.find(name);
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const TLangIniFile::Section* TLangIniFile::FindSection(std::string_view name) const {
  return const_cast<TLangIniFile*>(this)->FindSection(name);
}

TLangIniFile::Section& TLangIniFile::FindOrAddSection(std::string_view name) {
  if (Section* found = FindSection(name)) return *found;
  sectionIndex_.emplace(std::string(name), sections_.size());
  return sections_.emplace_back(Section{std::string(name), {}, {}});
}

// A key that is there already keeps its place and takes the new value.
void TLangIniFile::SetValue(Section& section, std::string_view key, std::string_view value) {
  const auto found = section.keys.find(key);
  if (found != section.keys.end()) {
    section.entries[found->second].second = value;
    return;
  }
  section.keys.emplace(std::string(key), section.entries.size());
  section.entries.emplace_back(std::string(key), std::string(value));
}

// A key read again is looked up where it first stood, so its first value is the one that counts.
void TLangIniFile::AddValue(Section& section, std::string_view key, std::string_view value) {
  if (!section.keys.try_emplace(std::string(key), section.entries.size()).second) return;
  section.entries.emplace_back(std::string(key), std::string(value));
}

void TLangIniFile::IndexKeys(Section& section) {
  section.keys.clear();
  for (std::size_t i = 0; i < section.entries.size(); ++i) section.keys.emplace(section.entries[i].first, i);
}

void TLangIniFile::IndexSections() {
  sectionIndex_.clear();
  for (std::size_t i = 0; i < sections_.size(); ++i) sectionIndex_.emplace(sections_[i].name, i);
}

bool TLangIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> TLangIniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<TLangIniFile::Entry> TLangIniFile::ReadSectionValues(std::string_view section) const {
  return SectionEntries(section);
}

const std::vector<TLangIniFile::Entry>& TLangIniFile::SectionEntries(std::string_view section) const {
  static const std::vector<Entry> kNone;
  const Section* found = FindSection(section);
  return found == nullptr ? kNone : found->entries;
}

std::optional<std::string> TLangIniFile::ReadString(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  const auto entry = found->keys.find(key);
  if (entry == found->keys.end()) return std::nullopt;
  return found->entries[entry->second].second;
}

void TLangIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  SetValue(FindOrAddSection(section), key, value);
  modified_ = true;
}

void TLangIniFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [section](const Section& s) { return EqualsIgnoreAsciiCase(s.name, section); });
  IndexSections();
  modified_ = true;
}

void TLangIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* found = FindSection(section)) {
    std::erase_if(found->entries, [key](const Entry& entry) { return EqualsIgnoreAsciiCase(entry.first, key); });
    IndexKeys(*found);
  }
  modified_ = true;
}

std::string TLangIniFile::Text() const {
  std::vector<std::string> lines;
  for (const Section& section : sections_) {
    lines.push_back("[" + section.name + "]");
    for (const auto& [key, value] : section.entries) lines.push_back(key + "=" + value);
    lines.emplace_back();
  }
  return platform::JoinLinesCrLf(lines);
}

bool TLangIniFile::UpdateFile(std::string* error) {
  if (!platform::WriteFileAtomic(fileName_, Text(), error)) return false;
  modified_ = false;
  return true;
}

void TLangIniFile::WriteBack() {
  if (!modified_) return;
  std::error_code ignored;
  const bool exists = std::filesystem::exists(fileName_, ignored);
  const auto permissions = std::filesystem::status(fileName_, ignored).permissions();
  const bool readOnly = (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none ||
                        access(fileName_.c_str(), W_OK) != 0;
  std::string message;
  if (exists && readOnly) {
    message = "File \"" + fileName_.string() + "\" is read-only";
  } else if (!exists && sections_.empty()) {
    return;  // nothing to keep
  } else if (std::string error; !UpdateFile(&error)) {
    message = error;
  }
  if (message.empty()) return;
  if (reporter_) {
    reporter_(message);
  } else {
    std::fprintf(stderr, "kestrune: %s\n", message.c_str());
  }
}

}  // namespace kestrune::translation
