#include "romscan/listxml_reader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/code_pages.h"
#include "romscan/xml_text.h"

namespace kestrune::romscan {
namespace {

constexpr std::size_t kBlockSize = std::size_t{4} << 20;
constexpr std::size_t kSmallestBlock = std::size_t{64} << 10;

bool HasHighBytes(std::string_view text) {
  unsigned char any = 0;
  for (char c : text) any |= static_cast<unsigned char>(c);
  return (any & 0x80) != 0;
}

bool Contains(std::string_view line, std::string_view text) { return line.find(text) != std::string_view::npos; }

// The things a line can hold that the pass looks for, found by the "<" they start with.
struct LineTags {
  bool gameStart = false;
  bool machineStart = false;
  bool rom = false;
  bool disk = false;
  bool deviceRef = false;
  bool biosSet = false;
  bool mameBuild = false;
  bool setEnd = false;
  bool listEnd = false;
  bool gameInfo = false;  // one of the lines ListXmlGameInfo is taken from
};

void MatchTag(std::string_view tail, LineTags& tags) {
  auto starts = [&](std::string_view prefix) { return tail.substr(0, prefix.size()) == prefix; };
  if (tail.size() < 2) return;
  switch (tail[1]) {
    case 'g':
      tags.gameStart |= starts("<game name");
      break;
    case 'm':
      tags.machineStart |= starts("<machine name");
      tags.mameBuild |= starts("<mame build");
      tags.gameInfo |= starts("<manufacturer");
      break;
    case 'r':
      tags.rom |= starts("<rom name");
      break;
    case 'd':
      tags.disk |= starts("<disk name=");
      tags.deviceRef |= starts("<device_ref name");
      tags.gameInfo |= starts("<description") || starts("<display") || starts("<driver");
      break;
    case 'b':
      tags.biosSet |= starts("<biosset ");
      break;
    case 'y':
    case 's':
    case 'i':
    case 'c':
    case 'f':
      tags.gameInfo |= starts("<year") || starts("<sound channels") || starts("<input players") ||
                       starts("<control type") || starts("<feature ");
      break;
    case '/':
      tags.setEnd |= starts("</game") || starts("</machine");
      tags.listEnd |= starts("</mame>") || starts("</datafile>");
      break;
    default:
      break;
  }
}

LineTags FindTags(std::string_view line) {
  LineTags tags;
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const char* at = begin;
  while (at < end) {
    const void* found = std::memchr(at, '<', static_cast<std::size_t>(end - at));
    if (found == nullptr) break;
    const char* lt = static_cast<const char*>(found);
    MatchTag(std::string_view(lt, static_cast<std::size_t>(end - lt)), tags);
    at = lt + 1;
  }
  return tags;
}

// What a line holds after the list's closing tag.
std::string_view AfterListEnd(std::string_view line) {
  for (std::string_view tag : {std::string_view("</mame>"), std::string_view("</datafile>")}) {
    const std::size_t at = line.find(tag);
    if (at != std::string_view::npos) return TrimXmlLine(line.substr(at + tag.size()));
  }
  return {};
}

bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool IsControlCharacter(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

void LogBadName(std::int64_t index, std::string_view what, std::string_view name, std::string_view outcome) {
  std::fprintf(stderr, "kestrune: game list line %lld: %.*s \"%s\" is not a name MAME writes; %.*s\n",
               static_cast<long long>(index + 1), static_cast<int>(what.size()), what.data(),
               PrintableName(name).c_str(), static_cast<int>(outcome.size()), outcome.data());
}

// The name, or "" (logged) when it is not a set name.
std::string SetNameOrNothing(std::string_view name, std::int64_t index, std::string_view what) {
  if (name.empty() || IsSetName(name)) return std::string(name);
  LogBadName(index, what, name, "ignored");
  return {};
}

// The text of an element written on one line: from after its opening tag (">" included) to its
// closing tag, or to the end of the line when that is missing. "" when the line has no such tag.
std::string_view ElementText(std::string_view line, std::string_view open, std::string_view close) {
  const std::size_t at = line.find(open);
  if (at == std::string_view::npos) return {};
  const std::size_t start = std::min(line.size(), at + open.size());
  const std::size_t end = line.find(close, start);
  return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Takes the line's text for one field of the game; a line of the same kind later in the element
// overwrites it.
struct GameInfoRule {
  std::string_view tag;
  void (*take)(std::string_view line, ListXmlGameInfo& info);
};

std::string Attr(std::string_view line, std::string_view name) { return std::string(XmlAttrValue(line, name)); }

std::optional<std::string> OptionalAttr(std::string_view line, std::string_view name) {
  const std::string key = std::string(name) + "=\"";
  if (line.find(key) == std::string_view::npos) return std::nullopt;
  return Attr(line, name);
}

// The one table of what a game's lines give the catalogue. Attribute names carry the blank before
// them where a longer name could end in the same letters ("type" in "subtype").
constexpr GameInfoRule kGameInfoRules[] = {
    {"<description",
     [](std::string_view line, ListXmlGameInfo& info) {
       info.description = ElementText(line, "<description>", "</description");
     }},
    {"<year", [](std::string_view line, ListXmlGameInfo& info) { info.year = ElementText(line, "<year>", "</year"); }},
    {"<manufacturer",
     [](std::string_view line, ListXmlGameInfo& info) {
       info.manufacturer = ElementText(line, "<manufacturer>", "</manufacturer");
     }},
    {"<display",
     [](std::string_view line, ListXmlGameInfo& info) {
       // A display line without a type (never written by MAME) says nothing of the screen.
       if (!OptionalAttr(line, " type")) return;
       info.hasDisplay = true;
       info.displayType = Attr(line, " type");
       info.rotate = Attr(line, " rotate");
       info.width = Attr(line, " width");
       info.height = Attr(line, " height");
       info.refresh = Attr(line, " refresh");
     }},
    {"<sound channels",
     [](std::string_view line, ListXmlGameInfo& info) { info.soundChannels = Attr(line, "channels"); }},
    {"<input players", [](std::string_view line, ListXmlGameInfo& info) { info.players = Attr(line, "players"); }},
    {"<control type",
     [](std::string_view line, ListXmlGameInfo& info) { info.controlType = Attr(line, "control type"); }},
    {"<driver",
     [](std::string_view line, ListXmlGameInfo& info) {
       info.driverStatus = Attr(line, " status");
       info.emulation = Attr(line, " emulation");
       info.driverColor = OptionalAttr(line, " color");
       info.driverSound = OptionalAttr(line, " sound");
       info.driverGraphic = OptionalAttr(line, " graphic");
     }},
    {"<feature ",
     [](std::string_view line, ListXmlGameInfo& info) {
       // A machine's own status, or the one its devices give it as a whole.
       std::optional<std::string> status = OptionalAttr(line, " status");
       if (!status) status = OptionalAttr(line, " overall");
       if (!status) return;
       const std::string_view type = XmlAttrValue(line, " type");
       if (type == "palette") info.featurePalette = status;
       if (type == "sound") info.featureSound = status;
       if (type == "graphics") info.featureGraphics = status;
     }},
};

}  // namespace

bool IsSetName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), IsNameCharacter);
}

bool IsDiskName(std::string_view name) {
  if (name.empty() || name.find("..") != std::string_view::npos) return false;
  return std::none_of(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\' || IsControlCharacter(c); });
}

std::string PrintableName(std::string_view name) {
  std::string text;
  for (char c : name) {
    if (IsControlCharacter(c)) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      text += escaped;
    } else {
      text += c;
    }
  }
  return text;
}

ListXmlLineSource::~ListXmlLineSource() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ListXmlLineSource::Open(const std::filesystem::path& path, std::string* error) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    if (error != nullptr) *error = "Cannot open file \"" + path.string() + "\": " + std::strerror(errno);
    return false;
  }
  // A small list gets a buffer of its own size rather than a whole block to clear.
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  buffer_.resize(ec ? kBlockSize
                    : static_cast<std::size_t>(std::clamp<std::uintmax_t>(size + 1, kSmallestBlock, kBlockSize)));
  return true;
}

bool ListXmlLineSource::Refill() {
  if (eof_ || failed_ || file_ == nullptr) return false;
  // Keep the unfinished line; grow the buffer when a single line fills it, up to one byte past the
  // longest line allowed, so that a longer one is seen without reading it whole.
  const std::size_t kept = end_ - begin_;
  if (begin_ > 0) std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
  begin_ = 0;
  end_ = kept;
  if (end_ == buffer_.size()) {
    const std::size_t limit = std::max(maxLineBytes_, maxLineBytes_ + 1);
    buffer_.resize(std::min(buffer_.size() * 2, limit));
  }
  const std::size_t got = ReadMore();
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_) != 0) {
      failed_ = true;
      error_ = "Cannot read file \"" + path_.string() + "\": " + std::strerror(errno);
    }
    eof_ = true;
    return false;
  }
  return true;
}

void ListXmlLineSource::Follow(std::function<bool()> writerDone, std::function<bool()> cancelled) {
  writerDone_ = std::move(writerDone);
  cancelled_ = std::move(cancelled);
  // The file grows from nothing: whole blocks, not the size it had when it was opened.
  if (buffer_.size() < kBlockSize) buffer_.resize(kBlockSize);
}

std::size_t ListXmlLineSource::ReadMore() {
  constexpr auto kPause = std::chrono::milliseconds(5);
  while (true) {
    // Whether the writer had ended is asked before the read: what it wrote before it ended is in
    // the file by then, so an empty read after a "done" is the true end.
    const bool done = !writerDone_ || writerDone_();
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    if (got > 0 || done || std::ferror(file_) != 0) return got;
    if (cancelled_ && cancelled_()) {
      failed_ = true;
      error_ = "The reading of MAME's game list was stopped.";
      return 0;
    }
    std::clearerr(file_);
    std::this_thread::sleep_for(kPause);
  }
}

void ListXmlLineSource::FailLineTooLong() {
  failed_ = true;
  error_ = "MAME's game list \"" + path_.string() + "\" is damaged: line " + std::to_string(lineIndex_ + 2) +
           " is longer than " + std::to_string(maxLineBytes_) + " bytes.";
}

bool ListXmlLineSource::Next(std::string_view& line) {
  if (failed_) return false;
  const char* lineEnd = nullptr;
  while (true) {
    const void* found = std::memchr(buffer_.data() + begin_, '\n', end_ - begin_);
    if (found != nullptr) {
      lineEnd = static_cast<const char*>(found);
      break;
    }
    if (end_ - begin_ > maxLineBytes_) break;
    if (!Refill()) break;
  }
  if (lineEnd == nullptr && begin_ == end_) return false;  // nothing left, or a failed read
  if (failed_) return false;
  const char* start = buffer_.data() + begin_;
  const char* stop = lineEnd != nullptr ? lineEnd : buffer_.data() + end_;
  if (static_cast<std::size_t>(stop - start) > maxLineBytes_) {
    FailLineTooLong();
    return false;
  }
  const std::size_t consumed = static_cast<std::size_t>(stop - start) + (lineEnd != nullptr ? 1 : 0);
  begin_ += consumed;
  bytesRead_ += consumed;
  ++lineIndex_;

  std::string_view raw(start, static_cast<std::size_t>(stop - start));
  if (HasHighBytes(raw) && !platform::IsValidUtf8(raw)) {
    converted_ = platform::Cp1252ToUtf8(raw);
    raw = converted_;
  }
  if (raw.find('&') != std::string_view::npos) {
    DecodeXmlEntities(raw, decoded_);
    line = decoded_;
  } else {
    line = TrimXmlLine(raw);
  }
  return true;
}

bool ParseCrcText(std::string_view text, std::uint32_t& crc) {
  if (text.size() != 8) return false;
  std::uint32_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  crc = value;
  return true;
}

const ListXmlSet* ListXmlData::Find(std::string_view name) const {
  const auto it = index.find(name);
  return it == index.end() ? nullptr : &sets[it->second];
}

void ListXmlParser::Line(std::string_view line, std::int64_t index) {
  if (ended_) {
    if (!TrimXmlLine(line).empty()) FailAfterListEnd(index);
    return;
  }
  if (line.find('<') == std::string_view::npos) return;
  const LineTags tags = FindTags(line);
  if (tags.mameBuild) data_.mameBuild = std::string(XmlAttrValue(line, "<mame build"));
  if (tags.listEnd) {
    ended_ = true;
    if (!AfterListEnd(line).empty()) FailAfterListEnd(index);
  }
  // The first line is the XML declaration, never a set.
  if (index > 0 && tags.gameStart) {
    StartSet(line, "game name", index);
  } else if (index > 0 && tags.machineStart) {
    StartSet(line, "machine name", index);
  }
  if (!inSet_) return;
  if (tags.rom) RomLine(line);
  if (tags.disk) DiskLine(line);
  if (tags.deviceRef) DeviceRefLine(line, index);
  if (tags.biosSet) BiosSetLine(line);
  if (tags.gameInfo && data_.sets.back().IsGame()) GameInfoLine(line);
  if (tags.setEnd) EndSet();
}

void ListXmlParser::GameInfoLine(std::string_view line) {
  ListXmlGameInfo& info = data_.sets.back().info;
  const std::string_view tail = line.substr(std::min(line.find('<'), line.size()));
  for (const GameInfoRule& rule : kGameInfoRules) {
    if (tail.starts_with(rule.tag)) {
      rule.take(tail, info);
      return;
    }
  }
}

void ListXmlParser::BiosSetLine(std::string_view line) {
  settings::BiosSet set{Attr(line, " name"), Attr(line, " description"), XmlAttrValue(line, " default") == "yes"};
  if (!set.name.empty()) data_.sets.back().biosSets.push_back(std::move(set));
}

void ListXmlParser::Finish() { EndSet(); }

// Whatever follows the list's end belongs to no list of the installed MAME's: a second run's list, a
// wrapper's own output, a machine added by hand. None of it is taken, and the list is refused whole.
void ListXmlParser::FailAfterListEnd(std::int64_t index) {
  if (failure_.empty()) {
    failure_ = "MAME's game list goes on after its closing </mame> line, on line " + std::to_string(index + 1) + ".";
  }
}

void ListXmlParser::StartSet(std::string_view line, std::string_view nameAttribute, std::int64_t index) {
  EndSet();
  const std::string_view name = XmlAttrValue(line, nameAttribute);
  if (!IsSetName(name)) {
    LogBadName(index, "set", name, "the set is skipped");
    return;
  }
  // MAME names each machine once; a repeat means two lists in one file (or a damaged one), and
  // no choice between the two elements can be trusted to be the installed MAME's.
  if (data_.index.contains(name)) {
    if (failure_.empty()) {
      failure_ = "MAME's game list names the set \"" + std::string(name) + "\" twice (again on line " +
                 std::to_string(index + 1) + ").";
    }
    return;
  }
  ListXmlSet& set = data_.sets.emplace_back();
  set.name = name;
  data_.machineForm = data_.machineForm || nameAttribute == "machine name";
  set.cloneof = SetNameOrNothing(XmlAttrValue(line, "cloneof"), index, "cloneof");
  set.romof = SetNameOrNothing(XmlAttrValue(line, "romof"), index, "romof");
  set.isbios = Contains(line, "isbios=\"yes\"");
  set.isdevice = Contains(line, "isdevice=\"yes\"");
  set.runnable = !Contains(line, "runnable=\"no\"");
  if (set.IsGame()) set.info.sourcefile = XmlAttrValue(line, "sourcefile");
  data_.index[set.name] = data_.sets.size() - 1;
  inSet_ = true;
}

void ListXmlParser::EndSet() { inSet_ = false; }

void ListXmlParser::RomLine(std::string_view line) {
  ListXmlSet& set = data_.sets.back();
  ListXmlRom& rom = set.roms.emplace_back();
  rom.crc = XmlAttrValue(line, "crc");
  rom.valid = ParseCrcText(rom.crc, rom.value);
  rom.optional = Contains(line, "optional=\"yes\"");
  if (!XmlAttrValue(line, "status").empty()) set.noGoodDump = true;
}

void ListXmlParser::DiskLine(std::string_view line) {
  ListXmlSet& set = data_.sets.back();
  ListXmlDisk& disk = set.disks.emplace_back();
  disk.name = XmlAttrValue(line, "disk name");
  disk.merge = XmlAttrValue(line, "merge");
  disk.md5 = XmlAttrValue(line, "md5");
  disk.sha1 = XmlAttrValue(line, "sha1");
  const std::string_view status = XmlAttrValue(line, "status");
  disk.required = status != "nodump" && !Contains(line, "optional=\"yes\"");
  if (!status.empty()) set.noGoodDump = true;
}

void ListXmlParser::DeviceRefLine(std::string_view line, std::int64_t index) {
  std::string name = SetNameOrNothing(XmlAttrValue(line, "name"), index, "device_ref");
  if (!name.empty()) data_.sets.back().deviceRefs.push_back(std::move(name));
}

bool ReadListXml(const std::filesystem::path& path, ListXmlData& data, std::string* error,
                 const ListXmlReadOptions& options) {
  data = ListXmlData{};
  ListXmlLineSource source;
  if (!source.Open(path, error)) return false;
  if (options.writerDone) source.Follow(options.writerDone, options.cancelled);
  ListXmlParser parser(data);
  std::string_view line;
  while (parser.Failure().empty() && source.Next(line)) parser.Line(line, source.LineIndex());
  parser.Finish();
  if (source.Failed()) {
    if (error != nullptr) *error = source.Error();
    return false;
  }
  if (!parser.Failure().empty()) {
    if (error != nullptr) *error = parser.Failure();
    return false;
  }
  // MAME stopped early (or the disk filled up): the sets after the cut would all be judged missing.
  if (!parser.Ended()) {
    if (error != nullptr) {
      *error = "MAME's game list \"" + path.string() + "\" is incomplete: it ends before its closing </mame> line.";
    }
    return false;
  }
  data.bytes = source.BytesRead();
  data.lines = source.LineIndex() + 1;
  return true;
}

}  // namespace kestrune::romscan
