#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/code_pages.h"

// A language file held in memory.
//
// Reading: the file is decoded as a whole (see DecodeLangFileBytes) and refused when it has too many
// lines for its size (see platform::CheckTextLineCount); each line is trimmed; empty lines,
// lines beginning with ";", lines before the first section and lines without "=" are skipped; "[name]"
// opens a section; a key line is split at its first "=" into a trimmed key and value. A section that
// occurs again continues the earlier one, and a key that occurs again in a section reads as its first
// line (place and value), so each name is held once. Look-ups ignore ASCII letter case.
//
// The file remembers whether it was changed. On release a changed file is written back (UTF-8, CR LF,
// replacing the old file atomically); an unchanged one is never written, even when the file on disk
// has gone or changed meanwhile.
namespace kestrune::translation {

class TLangIniFile {
 public:
  using Entry = std::pair<std::string, std::string>;
  // Receives the message when a changed file cannot be written back on release.
  using Reporter = std::function<void(const std::string& message)>;

  // Reads the file; a file that is missing or cannot be read gives an empty file (see LoadError).
  // Bytes that are not UTF-8 are read in codePage.
  explicit TLangIniFile(std::filesystem::path fileName, const std::string& codePage = "CP1252");
  ~TLangIniFile();
  TLangIniFile(const TLangIniFile&) = delete;
  TLangIniFile& operator=(const TLangIniFile&) = delete;

  const std::filesystem::path& FileName() const { return fileName_; }
  // Empty when the file was read; otherwise why it was not (a missing file says so too).
  const std::string& LoadError() const { return loadError_; }
  bool Modified() const { return modified_; }
  void SetReporter(Reporter reporter) { reporter_ = std::move(reporter); }

  bool SectionExists(std::string_view section) const;
  std::vector<std::string> SectionNames() const;
  // The section's keys with their values, in file order; empty when there is no such section.
  std::vector<Entry> ReadSectionValues(std::string_view section) const;
  // The same without a copy, valid until the file is next changed.
  const std::vector<Entry>& SectionEntries(std::string_view section) const;
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  // Writes the whole file now; on success it counts as unchanged. On failure returns false with the
  // reason in *error.
  bool UpdateFile(std::string* error);

 private:
  // Names are found by hash, so that a file of many sections or keys reads in linear time. The table
  // keeps each name's hash (a hasher that may throw makes it keep them): growing it, and walking a
  // bucket, then costs no hashing of the names again.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return platform::CaseInsensitiveHash()(name); }
  };
  using NameIndex = std::unordered_map<std::string, std::size_t, NameHash, platform::CaseInsensitiveEqual>;
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    NameIndex keys;  // key -> position in entries
  };
  void Parse(std::string_view text);
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  Section& FindOrAddSection(std::string_view name);
  static void SetValue(Section& section, std::string_view key, std::string_view value);
  static void AddValue(Section& section, std::string_view key, std::string_view value);
  static void IndexKeys(Section& section);
  void IndexSections();
  std::string Text() const;
  void WriteBack();

  std::filesystem::path fileName_;
  std::vector<Section> sections_;
  NameIndex sectionIndex_;  // name -> position in sections_
  std::string loadError_;
  bool modified_ = false;
  Reporter reporter_;
};

}  // namespace kestrune::translation
