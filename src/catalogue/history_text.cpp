#include "catalogue/history_text.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/code_pages.h"
#include "platform/file_lines.h"

namespace kestrune::catalogue {
namespace {

std::string_view TrimRight(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
    line.remove_suffix(1);
  }
  return line;
}

bool IsEndLine(std::string_view line) { return TrimRight(line) == "$end"; }

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && platform::AsciiLowerCopy(text.substr(0, prefix.size())) == prefix;
}

// The line as UTF-8; `storage` holds it when it had to be converted. Most lines are ASCII and are
// taken as they stand.
std::string_view Decoded(std::string_view raw, std::string& storage) {
  const bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return raw;
  storage = platform::DecodeTextLine(raw);
  return storage;
}

// The file's lines from an entry's first line on.
bool OpenEntry(const std::filesystem::path& file, std::int64_t offset, platform::FileLines& lines) {
  std::string error;
  if (!lines.Open(file, &error, static_cast<std::uint64_t>(offset))) {
    std::fprintf(stderr, "kestrune: %s\n", error.c_str());
    return false;
  }
  return true;
}

// Whether there was another line; `line` gets it, decoded.
bool NextLine(platform::FileLines& lines, std::string& line) {
  std::string_view raw;
  std::uint64_t at = 0;
  if (!lines.Next(raw, at)) return false;
  std::string storage;
  const std::string_view text = Decoded(raw, storage);
  line.assign(text);
  return true;
}

// Appends the lines up to the "$end" line (or the end of the file), each ending in "\n"; an entry
// longer than the bounds is cut after its last whole line within them.
void AppendBody(platform::FileLines& lines, std::string& text) {
  std::size_t bytes = 0;
  std::size_t count = 0;
  for (std::string line; NextLine(lines, line) && !IsEndLine(line); ++count) {
    bytes += line.size() + 1;
    if (bytes > kMaxEntryBytes || count == kMaxEntryLines) {
      text += kEntryCutText;
      text += '\n';
      return;
    }
    text += line;
    text += '\n';
  }
}

void AppendHistory(const HistoryIndex& history, std::string_view romname, HistoryText& out) {
  const std::int64_t entry = history.FindEntry(romname);
  platform::FileLines lines;
  std::string line;
  if (entry < 0 || !OpenEntry(history.File(), entry, lines) || !NextLine(lines, line)) {
    return;
  }
  const bool linkLine = NextLine(lines, line);
  if (linkLine) {
    out.link = HistoryLinkAddress(line);
  }
  if (!out.link.empty()) {
    const std::string host = LinkHost(out.link);
    out.linkLine = std::string(kEditEntryText) + (host.empty() ? out.link : host);
    out.text += '\n' + out.linkLine;
  }
  out.text += '\n';
  // The tag line after the link line is not shown; an empty line stands for it.
  out.text += '\n';
  if (linkLine && NextLine(lines, line)) {
    AppendBody(lines, out.text);
  }
}

// The entry's body: after its "$info" line and the tag line that follows it.
void AppendEntryBody(const std::filesystem::path& file, std::int64_t entry, std::string& text) {
  platform::FileLines lines;
  std::string line;
  if (OpenEntry(file, entry, lines) && NextLine(lines, line) && NextLine(lines, line)) {
    AppendBody(lines, text);
  }
}

void AppendMameInfo(const MameInfoIndex& mameinfo, std::string_view romname, std::string_view cloneof,
                    std::string& text) {
  text += '\n';
  // A clone shows its parent's entry.
  const std::string_view name = cloneof.empty() ? romname : cloneof;
  const std::int64_t entry = name.empty() ? -1 : mameinfo.FindGameEntry(name);
  if (entry < 0) {
    return;
  }
  text += '\n';
  AppendEntryBody(mameinfo.File(), entry, text);
}

std::size_t HistoryHash(std::string_view name) { return std::hash<std::string_view>{}(name); }

std::size_t MameInfoHash(std::string_view infoLine) { return platform::CaseInsensitiveHash{}(infoLine); }

}  // namespace

void DatFileIndex::Add(std::size_t hash, std::uint64_t offset) {
  if (offsets_.size() < kMaxHistoryNames) {
    offsets_.try_emplace(hash, offset);
  }
}

std::int64_t DatFileIndex::Find(std::size_t hash) const {
  const auto found = offsets_.find(hash);
  return found == offsets_.end() ? -1 : static_cast<std::int64_t>(found->second);
}

bool DatFileIndex::ReadLine(std::uint64_t offset, std::string& line) const {
  platform::FileLines lines;
  return lines.Open(file_, nullptr, offset) && NextLine(lines, line);
}

HistoryIndex::HistoryIndex(std::filesystem::path file) : DatFileIndex(std::move(file)) {
  platform::FileLines lines;
  if (!lines.Open(file_, &error_)) {
    return;
  }
  std::string storage;
  std::string_view line;
  for (std::uint64_t at = 0; NameCount() < kMaxHistoryNames && lines.NextHolding("$info", line, at);) {
    AddNames(Decoded(line, storage), at);
  }
  if (lines.Failed()) {
    error_ = lines.Error();
  }
}

// Every name between a "=" or a "," and the next ",": what a substring test of "=<set>," or ",<set>,"
// would find on this line for a set name without those characters. One pass over the line, as a line
// may be long.
void HistoryIndex::AddNames(std::string_view line, std::uint64_t at) {
  std::size_t start = line.find_first_of("=,");
  while (start != std::string_view::npos && NameCount() < kMaxHistoryNames) {
    const std::size_t end = line.find_first_of("=,", start + 1);
    if (end == std::string_view::npos) {
      return;
    }
    if (line[end] == ',' && end > start + 1) {
      Add(HistoryHash(line.substr(start + 1, end - start - 1)), at);
    }
    start = end;
  }
}

std::int64_t HistoryIndex::FindEntry(std::string_view romname) const {
  if (romname.empty() || romname.find_first_of("=,") != std::string_view::npos) {
    return -1;
  }
  const std::int64_t at = Find(HistoryHash(romname));
  std::string line;
  if (at < 0 || !ReadLine(static_cast<std::uint64_t>(at), line)) {
    return -1;
  }
  // Two names of one hash: the entry noted is the other name's.
  const std::string named = std::string(romname) + ",";
  return line.find("=" + named) != std::string::npos || line.find("," + named) != std::string::npos ? at : -1;
}

MameInfoIndex::MameInfoIndex(std::filesystem::path file) : DatFileIndex(std::move(file)) {
  platform::FileLines lines;
  if (!lines.Open(file_, &error_)) {
    return;
  }
  std::string storage;
  std::string_view line;
  for (std::uint64_t at = 0; NameCount() < kMaxHistoryNames && lines.NextHolding("$", line, at);) {
    if (StartsWithFolded(line, "$info=")) {
      Add(MameInfoHash(TrimRight(Decoded(line, storage))), at);
    }
  }
  if (lines.Failed()) {
    error_ = lines.Error();
  }
}

std::int64_t MameInfoIndex::FindGameEntry(std::string_view name) const {
  if (name.empty()) {
    return -1;
  }
  const std::string infoLine = "$info=" + std::string(name);
  const std::int64_t at = Find(MameInfoHash(infoLine));
  std::string line;
  if (at < 0 || !ReadLine(static_cast<std::uint64_t>(at), line)) {
    return -1;
  }
  return platform::EqualsIgnoreAsciiCase(TrimRight(line), infoLine) ? at : -1;
}

std::int64_t MameInfoIndex::FindDriverEntry(std::string_view driver) const {
  if (driver.empty()) {
    return -1;
  }
  const std::size_t slash = driver.find_last_of('/');
  const std::string whole = "=" + std::string(driver);
  const std::string fileName = slash == std::string_view::npos ? std::string() : "=" + std::string(driver.substr(slash + 1));
  std::int64_t last = -1;
  std::int64_t lastOfFileName = -1;
  platform::FileLines lines;
  if (!lines.Open(file_, nullptr)) {
    return -1;
  }
  std::string storage;
  std::string_view raw;
  for (std::uint64_t at = 0; lines.NextHolding("$info", raw, at);) {
    const std::string_view line = Decoded(raw, storage);
    if (line.find(whole) != std::string_view::npos) {
      last = static_cast<std::int64_t>(at);
    } else if (!fileName.empty() && line.find(fileName) != std::string_view::npos) {
      lastOfFileName = static_cast<std::int64_t>(at);
    }
  }
  return last >= 0 ? last : lastOfFileName;
}

HistoryText BuildHistoryText(const HistoryIndex* history, const MameInfoIndex* mameinfo, std::string_view romname,
                             std::string_view cloneof) {
  HistoryText out;
  if (history != nullptr) {
    AppendHistory(*history, romname, out);
  }
  if (mameinfo != nullptr) {
    AppendMameInfo(*mameinfo, romname, cloneof, out.text);
  }
  return out;
}

std::string HistoryLinkAddress(std::string_view line) {
  constexpr std::string_view kHref = "href=\"";
  const std::size_t href = line.find(kHref);
  if (href == std::string_view::npos) {
    return {};
  }
  const std::size_t start = href + kHref.size();
  const std::size_t end = line.find('"', start);
  if (end == std::string_view::npos) {
    return {};
  }
  const std::string address(line.substr(start, end - start));
  // Only addresses a browser or mail program opens are links; anything else is left as no link.
  for (std::string_view scheme : {"http://", "https://", "mailto:"}) {
    if (StartsWithFolded(address, scheme) && address.size() > scheme.size()) {
      return address;
    }
  }
  return {};
}

std::string LinkHost(std::string_view address) {
  std::size_t start = address.find("://");
  if (start != std::string_view::npos) {
    start += 3;
  } else if (const std::size_t at = address.find('@');
             StartsWithFolded(address, "mailto:") && at != std::string_view::npos) {
    start = at + 1;
  } else {
    return {};
  }
  const std::size_t end = address.find_first_of("/?#:", start);
  return std::string(address.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string DriverInfoText(const MameInfoIndex* mameinfo, std::string_view driver) {
  std::string text = "Driver : " + std::string(driver) + "\n";
  const std::int64_t entry = mameinfo == nullptr ? -1 : mameinfo->FindDriverEntry(driver);
  if (entry < 0) {
    return text;
  }
  text += '\n';
  AppendEntryBody(mameinfo->File(), entry, text);
  return text;
}

}  // namespace kestrune::catalogue
