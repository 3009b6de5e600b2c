#include "settings/ini_file.h"

#include <algorithm>
#include <system_error>

#include "platform/code_pages.h"
#include "platform/text_file.h"

namespace kestrune::settings {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool HasUtf16Bom(std::string_view bytes) { return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"); }

// Nothing but a UTF-8 byte-order mark, blanks and line ends: nothing that saving over it could lose.
bool HoldsNoText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) {
    bytes.remove_prefix(kUtf8Bom.size());
  }
  return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// A byte-order mark written by an editor would otherwise hide the first section header.
std::string_view StripByteOrderMark(std::string_view line, std::string_view first) {
  if (line.data() == first.data() && line.starts_with(kUtf8Bom)) {
    line.remove_prefix(kUtf8Bom.size());
  }
  return line;
}

}  // namespace

LoadResult IniFile::LoadFromFile(const std::filesystem::path& path, std::string* error, LineBytes lineBytes) {
  Clear();
  std::error_code code;
  const bool exists = std::filesystem::exists(path, code);
  if (code) {
    if (error != nullptr) {
      *error = "Cannot open \"" + path.string() + "\": " + code.message();
    }
    return LoadResult::kFailed;
  }
  if (!exists) {
    return LoadResult::kMissing;
  }
  std::string bytes;
  if (!platform::ReadWholeFile(path, bytes, error) || !platform::CheckTextLineCount(path, bytes, error)) {
    return LoadResult::kFailed;
  }
  // UTF-16 read byte by byte could still yield "sections" whose names are full of NULs.
  if (HasUtf16Bom(bytes)) {
    return LoadResult::kNoSections;
  }
  LoadFromText(bytes, lineBytes);
  return sections_.empty() && !HoldsNoText(bytes) ? LoadResult::kNoSections : LoadResult::kLoaded;
}

// Line by line, so that the lines cost nothing beyond what the file keeps of them.
void IniFile::LoadFromText(std::string_view bytes, LineBytes lineBytes) {
  Clear();
  std::size_t current = std::string_view::npos;
  platform::TextLines reader(bytes);
  for (std::string_view line; reader.Next(line);) {
    line = StripByteOrderMark(line, bytes);
    if (lineBytes == LineBytes::kAsIs) {
      ParseLine(line, current);
    } else {
      ParseLine(platform::DecodeTextLine(line), current);
    }
  }
}

void IniFile::ParseLine(std::string_view line, std::size_t& current) {
  line = platform::TrimBlanks(line);
  if (line.empty() || line.front() == ';') {
    return;
  }
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    const std::string_view name = line.substr(1, line.size() - 2);
    FindOrAddSection(name);
    current = sectionIndex_.find(name)->second;
    return;
  }
  if (current == std::string_view::npos) {
    return;
  }
  Section& section = sections_[current];
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    section.lines.push_back(Line{std::string(line), std::string(), LineKind::kText});
    return;
  }
  SetValue(section, platform::TrimBlanks(line.substr(0, equals)), platform::TrimBlanks(line.substr(equals + 1)));
}

void IniFile::Clear() {
  sections_.clear();
  sectionIndex_.clear();
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = sectionIndex_.find(name);
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  const auto found = sectionIndex_.find(name);
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

IniFile::Section& IniFile::FindOrAddSection(std::string_view name) {
  if (Section* existing = FindSection(name)) {
    return *existing;
  }
  sectionIndex_.emplace(std::string(name), sections_.size());
  sections_.push_back(Section{std::string(name), {}, {}});
  return sections_.back();
}

void IniFile::SetValue(Section& section, std::string_view key, std::string_view value) {
  const auto found = section.keyIndex.find(key);
  if (found != section.keyIndex.end()) {
    section.lines[found->second].value.assign(value);
    return;
  }
  section.keyIndex.emplace(std::string(key), section.lines.size());
  section.lines.push_back(Line{std::string(key), std::string(value), LineKind::kPair});
}

void IniFile::Compact(Section& section) {
  std::erase_if(section.lines, [](const Line& line) { return line.kind == LineKind::kRemoved; });
  section.removedLines = 0;
  section.keyIndex.clear();
  for (std::size_t i = 0; i < section.lines.size(); ++i) {
    if (section.lines[i].kind == LineKind::kPair) {
      section.keyIndex.emplace(section.lines[i].key, i);
    }
  }
}

const std::string* IniFile::FindValue(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) {
    return nullptr;
  }
  const auto line = found->keyIndex.find(key);
  return line == found->keyIndex.end() ? nullptr : &found->lines[line->second].value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
  const std::string* value = FindValue(section, key);
  return value != nullptr ? *value : std::string(defaultValue);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsStorableSection(section) || !IsStorableKey(key) || !IsStorableValue(value)) {
    return false;
  }
  SetValue(FindOrAddSection(section), key, value);
  return true;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
  return FindValue(section, key) != nullptr;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* found = FindSection(section);
  if (found == nullptr) {
    return false;
  }
  const auto entry = found->keyIndex.find(key);
  if (entry == found->keyIndex.end()) {
    return false;
  }
  Line& line = found->lines[entry->second];
  found->keyIndex.erase(entry);
  line = Line{std::string(), std::string(), LineKind::kRemoved};
  ++found->removedLines;
  if (found->removedLines > 64 && found->removedLines * 2 > found->lines.size()) {
    Compact(*found);
  }
  return true;
}

bool IniFile::EraseSection(std::string_view section) {
  const auto entry = sectionIndex_.find(section);
  if (entry == sectionIndex_.end()) {
    return false;
  }
  const std::size_t position = entry->second;
  sectionIndex_.erase(entry);
  sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(position));
  for (auto& [name, index] : sectionIndex_) {
    if (index > position) {
      --index;
    }
  }
  return true;
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) {
    names.push_back(section.name);
  }
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const Section* found = FindSection(section);
  if (found == nullptr) {
    return keys;
  }
  keys.reserve(found->keyIndex.size());
  for (const Line& line : found->lines) {
    if (line.kind == LineKind::kPair) {
      keys.push_back(line.key);
    }
  }
  return keys;
}

std::size_t IniFile::KeyCount(std::string_view section) const {
  const Section* found = FindSection(section);
  return found == nullptr ? 0 : found->keyIndex.size();
}

std::string IniFile::ToText() const {
  std::size_t total = 0;
  for (const Section& section : sections_) {
    total += section.name.size() + 6;
    for (const Line& line : section.lines) {
      total += line.key.size() + line.value.size() + 3;
    }
  }
  std::string text;
  text.reserve(total);
  for (const Section& section : sections_) {
    text += '[';
    text += section.name;
    text += "]\r\n";
    for (const Line& line : section.lines) {
      if (line.kind == LineKind::kRemoved) {
        continue;
      }
      text += line.key;
      if (line.kind == LineKind::kPair) {
        text += '=';
        text += line.value;
      }
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

bool IniFile::SaveToFile(const std::filesystem::path& path, std::string* error) const {
  return platform::WriteFileAtomic(path, ToText(), error);
}

bool IniFile::IsStorableKey(std::string_view key) {
  return !key.empty() && platform::TrimBlanks(key).size() == key.size() && key.find('=') == std::string_view::npos &&
         !HasLineBreak(key) && key.front() != ';' && key.front() != '[';
}

bool IniFile::IsStorableSection(std::string_view section) { return !HasLineBreak(section); }

bool IniFile::IsStorableValue(std::string_view value) { return !HasLineBreak(value); }

}  // namespace kestrune::settings
