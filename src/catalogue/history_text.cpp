#include "catalogue/history_text.h"

#include "platform/code_pages.h"

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

// Appends the lines from `first` up to the "$end" line (or the end of the file), each ending in "\n";
// an entry longer than the bounds is cut after its last whole line within them.
void AppendBody(const std::vector<std::string>& lines, std::size_t first, std::string& text) {
  std::size_t bytes = 0;
  for (std::size_t i = first; i < lines.size() && !IsEndLine(lines[i]); ++i) {
    bytes += lines[i].size() + 1;
    if (bytes > kMaxEntryBytes || i - first == kMaxEntryLines) {
      text += kEntryCutText;
      text += '\n';
      return;
    }
    text += lines[i];
    text += '\n';
  }
}

void AppendHistory(const HistoryIndex& history, std::string_view romname, HistoryText& out) {
  const int entry = history.FindEntry(romname);
  if (entry < 0) {
    return;
  }
  const std::vector<std::string>& lines = history.Lines();
  const auto at = static_cast<std::size_t>(entry);
  if (at + 1 < lines.size()) {
    out.link = HistoryLinkAddress(lines[at + 1]);
  }
  if (!out.link.empty()) {
    const std::string host = LinkHost(out.link);
    out.linkLine = std::string(kEditEntryText) + (host.empty() ? out.link : host);
    out.text += '\n' + out.linkLine;
  }
  out.text += '\n';
  // The tag line after the link line is not shown; an empty line stands for it.
  out.text += '\n';
  AppendBody(lines, at + 3, out.text);
}

void AppendMameInfo(const MameInfoIndex& mameinfo, std::string_view romname, std::string_view cloneof,
                    std::string& text) {
  text += '\n';
  // A clone shows its parent's entry.
  const std::string_view name = cloneof.empty() ? romname : cloneof;
  const int entry = name.empty() ? -1 : mameinfo.FindGameEntry(name);
  if (entry < 0) {
    return;
  }
  text += '\n';
  AppendBody(mameinfo.Lines(), static_cast<std::size_t>(entry) + 2, text);
}

}  // namespace

HistoryIndex::HistoryIndex(const std::vector<std::string>& lines) : lines_(lines) {
  for (std::size_t i = 0; i < lines.size() && entries_.size() < kMaxHistoryNames; ++i) {
    if (lines[i].find("$info") != std::string::npos) {
      AddNames(lines[i], static_cast<int>(i));
    }
  }
}

// Every name between a "=" or a "," and the next ",": what a substring test of "=<set>," or ",<set>,"
// would find on this line for a set name without those characters. One pass over the line, as a line
// may be long.
void HistoryIndex::AddNames(std::string_view line, int at) {
  std::size_t start = line.find_first_of("=,");
  while (start != std::string_view::npos && entries_.size() < kMaxHistoryNames) {
    const std::size_t end = line.find_first_of("=,", start + 1);
    if (end == std::string_view::npos) {
      return;
    }
    if (line[end] == ',' && end > start + 1) {
      entries_.try_emplace(line.substr(start + 1, end - start - 1), at);
    }
    start = end;
  }
}

int HistoryIndex::FindEntry(std::string_view romname) const {
  if (romname.empty()) {
    return -1;
  }
  const auto found = entries_.find(romname);
  return found == entries_.end() ? -1 : found->second;
}

MameInfoIndex::MameInfoIndex(const std::vector<std::string>& lines) : lines_(lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = TrimRight(lines[i]);
    if (StartsWithFolded(line, "$info=")) {
      games_.try_emplace(line, static_cast<int>(i));
    }
  }
}

int MameInfoIndex::FindGameEntry(std::string_view name) const {
  if (name.empty()) {
    return -1;
  }
  const auto found = games_.find("$info=" + std::string(name));
  return found == games_.end() ? -1 : found->second;
}

int MameInfoIndex::FindDriverLine(std::string_view driver) const {
  if (driver.empty()) {
    return -1;
  }
  const std::string needle = "=" + std::string(driver);
  for (std::size_t i = lines_.size(); i-- > 0;) {
    const std::string& line = lines_[i];
    if (line.find("$info") != std::string::npos && line.find(needle) != std::string::npos) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int MameInfoIndex::FindDriverEntry(std::string_view driver) const {
  const int entry = FindDriverLine(driver);
  const std::size_t slash = driver.find_last_of('/');
  if (entry >= 0 || slash == std::string_view::npos) {
    return entry;
  }
  return FindDriverLine(driver.substr(slash + 1));
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
  const int entry = mameinfo == nullptr ? -1 : mameinfo->FindDriverEntry(driver);
  if (entry < 0) {
    return text;
  }
  text += '\n';
  AppendBody(mameinfo->Lines(), static_cast<std::size_t>(entry) + 2, text);
  return text;
}

}  // namespace kestrune::catalogue
