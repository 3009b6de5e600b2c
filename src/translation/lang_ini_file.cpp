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
  Parse(DecodeLangFileBytes(bytes, codePage));
}

TLangIniFile::~TLangIniFile() { WriteBack(); }

void TLangIniFile::Parse(std::string_view text) {
  Section* current = nullptr;
  for (std::string_view line : platform::SplitTextLines(text)) {
    line = platform::TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string_view name = platform::TrimBlanks(line.substr(1, line.size() - 2));
      current = FindSection(name);
      if (current == nullptr) current = &sections_.emplace_back(Section{std::string(name), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    const std::string_view key = platform::TrimBlanks(line.substr(0, equals));
    const std::string_view value = platform::TrimBlanks(line.substr(equals + 1));
    auto& entries = current->entries;
    auto same = std::find_if(entries.begin(), entries.end(),
                             [key](const Entry& entry) { return EqualsIgnoreAsciiCase(entry.first, key); });
    if (same != entries.end()) {
      same->second = value;
    } else {
      entries.emplace_back(std::string(key), std::string(value));
    }
  }
}

TLangIniFile::Section* TLangIniFile::FindSection(std::string_view name) {
  auto found = std::find_if(sections_.begin(), sections_.end(),
                            [name](const Section& section) { return EqualsIgnoreAsciiCase(section.name, name); });
  return found == sections_.end() ? nullptr : &*found;
}

const TLangIniFile::Section* TLangIniFile::FindSection(std::string_view name) const {
  return const_cast<TLangIniFile*>(this)->FindSection(name);
}

bool TLangIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> TLangIniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::vector<TLangIniFile::Entry> TLangIniFile::ReadSectionValues(std::string_view section) const {
  const Section* found = FindSection(section);
  return found == nullptr ? std::vector<Entry>() : found->entries;
}

std::optional<std::string> TLangIniFile::ReadString(std::string_view section, std::string_view key) const {
  if (const Section* found = FindSection(section)) {
    for (const Entry& entry : found->entries) {
      if (EqualsIgnoreAsciiCase(entry.first, key)) return entry.second;
    }
  }
  return std::nullopt;
}

void TLangIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section* found = FindSection(section);
  if (found == nullptr) found = &sections_.emplace_back(Section{std::string(section), {}});
  auto& entries = found->entries;
  auto same = std::find_if(entries.begin(), entries.end(),
                           [key](const Entry& entry) { return EqualsIgnoreAsciiCase(entry.first, key); });
  if (same != entries.end()) {
    same->second = value;
  } else {
    entries.emplace_back(std::string(key), std::string(value));
  }
  modified_ = true;
}

void TLangIniFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [section](const Section& s) { return EqualsIgnoreAsciiCase(s.name, section); });
  modified_ = true;
}

void TLangIniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* found = FindSection(section)) {
    std::erase_if(found->entries, [key](const Entry& entry) { return EqualsIgnoreAsciiCase(entry.first, key); });
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
