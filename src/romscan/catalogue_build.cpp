#include "romscan/catalogue_build.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include "catalogue/game_record.h"
#include "platform/file_lines.h"

namespace kestrune::romscan {
namespace {

namespace cat = catalogue;
using Fields = std::array<std::string, cat::kLineFieldCount>;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string OrientationText(const std::string& rotate) {
  const bool vertical = rotate == "90" || rotate == "270";
  return (vertical ? "Vertical (" : "Horizontal (") + rotate + "\u00B0)";
}

std::string ResolutionText(const std::string& width, const std::string& height) {
  return width.empty() && height.empty() ? std::string() : width + "x" + height;
}

std::string SoundText(const std::optional<std::string>& channels) {
  if (!channels) return {};
  if (*channels == "2") return "Stereo";
  if (*channels == "1") return "Mono";
  return "No Sound";
}

// The old list's <driver> attribute, else today's <feature> line, else "good": MAME writes a
// feature line only for what is not emulated well.
std::string FeatureStatus(const std::optional<std::string>& driver, const std::optional<std::string>& feature) {
  if (driver) return *driver;
  if (feature) return *feature;
  return "good";
}

std::string IniValue(const std::optional<SupportValues>& values, std::string_view section, std::string_view key) {
  if (!values) return {};
  const std::string* value = values->FindValue(section, key);
  return value == nullptr ? std::string() : *value;
}

// A field must not split its line.
std::string& Clean(std::string& field) {
  for (char& c : field) {
    if (c == cat::kFieldSeparator || c == '\r' || c == '\n') c = c == cat::kFieldSeparator ? '/' : ' ';
  }
  return field;
}

std::string JoinFields(Fields& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += cat::kFieldSeparator;
    line += Clean(fields[i]);
  }
  return line;
}

std::string_view AsUtf8(std::string_view bytes, std::string& storage) {
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return bytes;
  }
  storage = platform::DecodeTextLine(bytes);
  return storage;
}

// A file that holds none of the sections it is read for is some other file under the same name: it
// counts as absent, so that the list's own values are kept instead of blanks.
std::optional<SupportValues> LoadIfPresent(const std::filesystem::path& path,
                                           std::initializer_list<std::string_view> sections, const SetNames& sets) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  SupportValues values(sections, sets);
  platform::FileLines lines;
  std::string error;
  if (lines.Open(path, &error)) {
    std::string_view line;
    for (std::uint64_t at = 0; lines.Next(line, at);) values.ReadLine(line, at == 0);
    error = lines.Error();
  }
  if (!error.empty()) {
    std::fprintf(stderr, "kestrune: %s is left out of the game list: %s\n", path.c_str(), error.c_str());
    return std::nullopt;
  }
  if (!values.HasSection()) {
    std::fprintf(stderr, "kestrune: %s is left out of the game list: it has no [%s] section\n", path.c_str(),
                 std::string(*sections.begin()).c_str());
    return std::nullopt;
  }
  return values;
}

bool IsPlayed(const cat::LineFields& fields) {
  return fields[cat::LineField::timesplayed] != "0" || fields[cat::LineField::playtime] != "00:00:00";
}

std::size_t Offset(std::string_view line, std::string_view field) {
  return static_cast<std::size_t>(field.data() - line.data());
}

}  // namespace

std::string CapitaliseWord(std::string_view text) {
  std::string word(text);
  for (std::size_t i = 0; i < word.size(); ++i) word[i] = i == 0 ? AsciiUpper(word[i]) : AsciiLower(word[i]);
  return word;
}

std::string_view CounterFields(std::string_view line) {
  std::size_t end = std::string_view::npos;
  std::size_t at = line.size();
  for (int bars = 0; bars < 5; ++bars) {
    at = at == 0 ? std::string_view::npos : line.rfind(cat::kFieldSeparator, at - 1);
    if (at == std::string_view::npos) return {};
    if (bars == 2) end = at;
  }
  return line.substr(at, end - at + 1);
}

std::size_t LastBarPos(std::string_view line) {
  const std::size_t at = line.rfind(cat::kFieldSeparator);
  return at == std::string_view::npos ? 0 : at;
}

void RomOfList::Add(std::string_view set, std::string_view romof) {
  romof_.try_emplace(std::string(set), std::string(romof));
}

std::string_view RomOfList::ParentBios(std::string_view parent) const {
  const auto it = romof_.find(std::string(parent));
  return it == romof_.end() ? std::string_view() : std::string_view(it->second);
}

RomOfList CollectRomOfList(const ListXmlData& list) {
  RomOfList romOf;
  for (const ListXmlSet& set : list.sets) {
    if (!set.romof.empty() && set.romof != set.cloneof) romOf.Add(set.name, set.romof);
  }
  return romOf;
}

std::string SetStatusCode(const settings::IniFile& setsDat, std::string_view set, int& goodSetCount) {
  const std::string* value = setsDat.FindValue("roms", set);
  if (value == nullptr) return "2";
  if (*value != "3" && *value != "4" && *value != "5" && *value != "6") ++goodSetCount;
  return *value;
}

SetNames ListedSetNames(const ListXmlData& list) {
  SetNames names;
  for (const ListXmlSet& set : list.sets) {
    if (set.IsGame()) names.insert(set.name);
  }
  return names;
}

SupportValues::SupportValues(std::initializer_list<std::string_view> sections, const SetNames& sets) : sets_(&sets) {
  for (std::string_view name : sections) sections_.push_back(Section{std::string(name), false, {}});
}

void SupportValues::ReadLine(std::string_view line, bool first) {
  // A byte-order mark written by an editor would otherwise hide the first section header.
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (first && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
  line = platform::TrimBlanks(line);
  if (line.empty() || line.front() == ';') return;
  std::string storage;
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
    const std::string_view name = AsUtf8(line.substr(1, line.size() - 2), storage);
    const auto found = std::find_if(sections_.begin(), sections_.end(), [name](const Section& section) {
      return platform::EqualsIgnoreAsciiCase(section.name, name);
    });
    current_ = found == sections_.end() ? kNoSection : static_cast<std::size_t>(found - sections_.begin());
    if (current_ != kNoSection) sections_[current_].seen = true;
    return;
  }
  const std::size_t equals = line.find('=');
  if (current_ == kNoSection || equals == std::string_view::npos) return;
  const std::string_view key = AsUtf8(platform::TrimBlanks(line.substr(0, equals)), storage);
  const auto set = sets_->find(key);
  if (set == sets_->end()) return;
  std::string valueStorage;
  sections_[current_].values.insert_or_assign(std::string(*set),
                                    std::string(AsUtf8(platform::TrimBlanks(line.substr(equals + 1)), valueStorage)));
}

bool SupportValues::HasSection() const {
  return std::any_of(sections_.begin(), sections_.end(), [](const Section& section) { return section.seen; });
}

const std::string* SupportValues::FindValue(std::string_view section, std::string_view set) const {
  for (const Section& candidate : sections_) {
    if (!platform::EqualsIgnoreAsciiCase(candidate.name, section)) continue;
    const auto found = candidate.values.find(set);
    return found == candidate.values.end() ? nullptr : &found->second;
  }
  return nullptr;
}

std::size_t SupportValues::ValueCount() const {
  std::size_t count = 0;
  for (const Section& section : sections_) count += section.values.size();
  return count;
}

SupportFiles LoadSupportFiles(const std::string& frontDir, const SetNames& sets) {
  const std::filesystem::path folder(frontDir);
  return {LoadIfPresent(folder / "catver.ini", {"category", "veradded"}, sets),
          LoadIfPresent(folder / "nplayers.ini", {"nplayers"}, sets)};
}

std::string BuildGameLine(const ListXmlSet& set, std::string_view status, std::string_view romof,
                          const SupportFiles& support) {
  using F = cat::LineField;
  const ListXmlGameInfo& info = set.info;
  const bool unavailable = status == "2" || status == "3" || status == "4" || status == "5" || status == "6";
  Fields f;
  f[F::availflag] = unavailable ? "1" : "0";
  f[F::description] = info.description;
  f[F::company] = info.manufacturer;
  f[F::category] = IniValue(support.catver, "category", set.name);
  f[F::year] = info.year;
  f[F::bios] = CapitaliseWord(romof);
  f[F::sound] = SoundText(info.soundChannels);
  if (info.hasDisplay) {
    f[F::video] = CapitaliseWord(info.displayType);
    f[F::resolution] = ResolutionText(info.width, info.height);
    f[F::orientation] = OrientationText(info.rotate);
    f[F::frequency] = info.refresh;
  }
  f[F::controls] = CapitaliseWord(info.controlType);
  f[F::driverstatus] = CapitaliseWord(info.driverStatus);
  f[F::emulationstatus] = CapitaliseWord(info.emulation);
  f[F::colorstatus] = FeatureStatus(info.driverColor, info.featurePalette);
  f[F::graphicstatus] = FeatureStatus(info.driverGraphic, info.featureGraphics);
  f[F::soundstatus] = FeatureStatus(info.driverSound, info.featureSound);
  f[F::veradded] = IniValue(support.catver, "veradded", set.name);
  f[F::driver] = info.sourcefile;
  f[F::players] = support.nplayers ? IniValue(support.nplayers, "nplayers", set.name) : info.players;
  f[F::timesplayed] = "0";
  f[F::playtime] = "00:00:00";
  f[F::cloneof] = set.cloneof;
  f[F::romname] = set.name;
  f[F::romstatus] = status;
  return JoinFields(f);
}

std::string CatalogueBuild::RomsText() const {
  return std::to_string(goodSetCount) + "/" + std::to_string(lines.size());
}

CatalogueBuild BuildGameDatabase(const ListXmlData& list, const settings::IniFile& setsDat,
                                 const SupportFiles& support) {
  CatalogueBuild build;
  const RomOfList romOf = CollectRomOfList(list);
  for (const ListXmlSet& set : list.sets) {
    if (!set.IsGame()) continue;
    const std::string status = SetStatusCode(setsDat, set.name, build.goodSetCount);
    if (status == "3") build.badRoms.push_back(set.name + ".zip");
    const std::string_view romof = set.romof == set.cloneof ? romOf.ParentBios(set.cloneof) : set.romof;
    build.lines.push_back(BuildGameLine(set, status, romof, support));
  }
  return build;
}

std::vector<std::string> CollectPlayedLines(const std::vector<std::string>& catalogue) {
  std::vector<std::string> played;
  cat::LineFields fields;
  for (const std::string& line : catalogue) {
    if (cat::SplitCatalogueLine(line, fields) && IsPlayed(fields)) played.push_back(line);
  }
  return played;
}

int CarryCountersOver(const std::vector<std::string>& played, std::vector<std::string>& lines) {
  // romname -> the first new line of that game: one look-up per played game, however long the lists.
  std::unordered_map<std::string, std::size_t> byRom;
  cat::LineFields fields;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (cat::SplitCatalogueLine(lines[i], fields)) byRom.try_emplace(std::string(fields[cat::LineField::romname]), i);
  }
  int carried = 0;
  cat::LineFields old;
  for (const std::string& line : played) {
    if (!cat::SplitCatalogueLine(line, old)) continue;
    const auto it = byRom.find(std::string(old[cat::LineField::romname]));
    if (it == byRom.end()) continue;
    std::string& target = lines[it->second];
    if (!cat::SplitCatalogueLine(target, fields)) continue;
    const std::size_t from = Offset(target, fields[cat::LineField::timesplayed]);
    const std::size_t to = Offset(target, fields[cat::LineField::playtime]) + fields[cat::LineField::playtime].size();
    target = target.substr(0, from) + std::string(old[cat::LineField::timesplayed]) + cat::kFieldSeparator +
             std::string(old[cat::LineField::playtime]) + target.substr(to);
    ++carried;
  }
  return carried;
}

}  // namespace kestrune::romscan
