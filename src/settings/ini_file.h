#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_pages.h"

// The in-memory ini file behind the settings file and every other ini-like file of the program.
//
// Reading: each line is trimmed; empty lines and lines beginning with ";" are skipped; "[name]" opens
// a section; lines before the first section are ignored; a line holding "=" is split at its first "="
// into a trimmed key and value; any other line is kept as it is in its section and written back
// unchanged. A section or key that occurs again continues the earlier one (a repeated key's later value
// wins), so every name is held once. Section and key look-ups ignore ASCII letter case; names keep the
// spelling under which they were first created.
//
// Writing: a key replaces its existing line in place or is appended at the end of its section; a new
// section is appended at the end of the file. The text is, for each section in order, "[name]", its
// lines and one empty line, every line ending in CR LF.
namespace kestrune::settings {

using platform::CaseInsensitiveEqual;
using platform::CaseInsensitiveHash;

// How a file's lines are taken: converted to UTF-8 (from Windows-1252 where they are not UTF-8), or as
// they stand.
enum class LineBytes { kDecoded, kAsIs };

enum class LoadResult {
  kLoaded,
  kMissing,  // no such file: the ini file is empty
  kFailed,   // the file exists but could not be read: the ini file is empty
  // The file was read but holds no section: only text before any section, binary bytes, or UTF-16
  // (which is not read). The ini file is empty; a file of nothing but blanks and line ends is kLoaded.
  kNoSections,
};

class IniFile {
 public:
  // Replaces the contents with the file's. Lines are UTF-8, or Windows-1252 where not valid UTF-8, unless
  // they are taken as they stand (a file whose values are paths and are written back unchanged).
  LoadResult LoadFromFile(const std::filesystem::path& path, std::string* error = nullptr,
                          LineBytes bytes = LineBytes::kDecoded);
  // Replaces the contents with a file's bytes, read by the same rules as LoadFromFile.
  void LoadFromText(std::string_view text, LineBytes bytes = LineBytes::kDecoded);
  void Clear();

  std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
  // The stored value, or null when the key does not exist; valid until the next change.
  const std::string* FindValue(std::string_view section, std::string_view key) const;
  // Returns false and changes nothing when the names or the value cannot be stored in the file's
  // format and read back as the same key: see IsStorableKey, IsStorableSection, IsStorableValue.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool KeyExists(std::string_view section, std::string_view key) const;
  // Each returns whether there was something to remove.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool EraseSection(std::string_view section);

  bool SectionExists(std::string_view section) const;
  std::vector<std::string> Sections() const;
  // The keys of a section in file order (lines without "=" are not keys).
  std::vector<std::string> Keys(std::string_view section) const;
  std::size_t KeyCount(std::string_view section) const;

  // The exact bytes SaveToFile writes.
  std::string ToText() const;
  // Replaces the file atomically: on failure the old file is left whole and *error says why.
  bool SaveToFile(const std::filesystem::path& path, std::string* error) const;

  // A key that reads back as itself: not empty, no "=", no line break, no blank or control character
  // at either end, and not beginning with ";" (a comment) or "[" (could read as a section).
  static bool IsStorableKey(std::string_view key);
  // A section name or value without line breaks. Blanks around a value are kept in memory but dropped
  // when the file is read back, as the file format has no quoting.
  static bool IsStorableSection(std::string_view section);
  static bool IsStorableValue(std::string_view value);

 private:
  enum class LineKind { kPair, kText, kRemoved };
  struct Line {
    std::string key;  // for a line without "=", the whole line
    std::string value;
    LineKind kind = LineKind::kPair;
  };
  using NameIndex = std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual>;
  struct Section {
    std::string name;
    std::vector<Line> lines;
    NameIndex keyIndex;  // key -> position in lines
    // Removed lines stay in place until they are many, so that removing keys one by one from a large
    // section does not renumber it each time.
    std::size_t removedLines = 0;
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& FindOrAddSection(std::string_view name);
  static void SetValue(Section& section, std::string_view key, std::string_view value);
  static void Compact(Section& section);
  // current: position of the section being read, or npos before the first section.
  void ParseLine(std::string_view line, std::size_t& current);

  std::vector<Section> sections_;
  NameIndex sectionIndex_;  // name -> position in sections_
};

}  // namespace kestrune::settings
