#include "romscan/listxml_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

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
  bool mameBuild = false;
  bool setEnd = false;
  bool listEnd = false;
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
      break;
    case 'r':
      tags.rom |= starts("<rom name");
      break;
    case 'd':
      tags.disk |= starts("<disk name=");
      tags.deviceRef |= starts("<device_ref name");
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
  const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
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
  if (line.find('<') == std::string_view::npos) return;
  const LineTags tags = FindTags(line);
  if (tags.mameBuild) data_.mameBuild = std::string(XmlAttrValue(line, "<mame build"));
  if (tags.listEnd) ended_ = true;
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
  if (tags.setEnd) EndSet();
}

void ListXmlParser::Finish() { EndSet(); }

void ListXmlParser::StartSet(std::string_view line, std::string_view nameAttribute, std::int64_t index) {
  EndSet();
  const std::string_view name = XmlAttrValue(line, nameAttribute);
  if (!IsSetName(name)) {
    LogBadName(index, "set", name, "the set is skipped");
    return;
  }
  ListXmlSet& set = data_.sets.emplace_back();
  set.name = name;
  set.cloneof = SetNameOrNothing(XmlAttrValue(line, "cloneof"), index, "cloneof");
  set.romof = SetNameOrNothing(XmlAttrValue(line, "romof"), index, "romof");
  set.isbios = Contains(line, "isbios=\"yes\"");
  set.isdevice = Contains(line, "isdevice=\"yes\"");
  set.runnable = !Contains(line, "runnable=\"no\"");
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

bool ReadListXml(const std::filesystem::path& path, ListXmlData& data, std::string* error) {
  data = ListXmlData{};
  ListXmlLineSource source;
  if (!source.Open(path, error)) return false;
  ListXmlParser parser(data);
  std::string_view line;
  while (source.Next(line)) parser.Line(line, source.LineIndex());
  parser.Finish();
  if (source.Failed()) {
    if (error != nullptr) *error = source.Error();
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
