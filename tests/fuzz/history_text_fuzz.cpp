// Reads any bytes as history.dat and as mameinfo.dat, indexes both and builds the panes' text and the
// driver window's text for every name the file holds. Checks that the index finds each set's entry
// whenever a plain substring search of the file's "$info" lines finds one, that the line it points at
// names the set, and that no text grows past what one entry may show.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/history_text.h"
#include "fuzz_input_file.h"
#include "platform/code_pages.h"
#include "platform/text_file.h"

namespace {

namespace cat = kestrune::catalogue;

void Check(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

// Whether a "$info" line holds "=<name>," or ",<name>,".
bool NamesEntry(const std::string& line, const std::string& name) {
  return line.find("$info") != std::string::npos &&
         (line.find("=" + name + ",") != std::string::npos || line.find("," + name + ",") != std::string::npos);
}

bool AnyEntryBySearch(const std::vector<std::string>& lines, const std::string& name) {
  return std::any_of(lines.begin(), lines.end(), [&name](const std::string& line) { return NamesEntry(line, name); });
}

// The line that starts at an offset the index gave: it must start a line of the file.
bool LineAt(std::string_view bytes, std::int64_t offset, std::string& line) {
  const auto at = static_cast<std::size_t>(offset);
  if (at > bytes.size() || (at > 0 && bytes[at - 1] != '\n' && bytes[at - 1] != '\r')) {
    return false;
  }
  kestrune::platform::TextLines reader(bytes.substr(at));
  std::string_view raw;
  line = reader.Next(raw) ? kestrune::platform::DecodeTextLine(raw) : std::string();
  return true;
}

// Every run of characters between the "=" and "," of the input's lines, and a name found nowhere.
std::set<std::string> Names(const std::vector<std::string>& lines) {
  std::set<std::string> names{"absent"};
  for (const std::string& line : lines) {
    std::size_t start = 0;
    while (start <= line.size()) {
      const std::size_t end = std::min(line.find_first_of("=,", start), line.size());
      names.insert(line.substr(start, end - start));
      start = end + 1;
    }
  }
  return names;
}

// Two entries, each cut at its bounds, with the few lines around them.
bool WithinBounds(const std::string& text) { return text.size() <= 2 * (cat::kMaxEntryBytes + 1024); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  kestrune::platform::TextLines reader(bytes);
  for (std::string_view line; reader.Next(line);) lines.push_back(kestrune::platform::DecodeTextLine(line));

  static const FuzzInputFile input("history_text_fuzz");
  if (!input.Write(data, size)) {
    return 0;
  }
  const cat::HistoryIndex history(input.path());
  const cat::MameInfoIndex mameinfo(input.path());
  for (const std::string& name : Names(lines)) {
    const std::int64_t entry = history.FindEntry(name);
    std::string line;
    if (entry >= 0) {
      Check(LineAt(bytes, entry, line) && NamesEntry(line, name));
    } else {
      Check(name.empty() || !AnyEntryBySearch(lines, name));
    }
    const std::int64_t game = mameinfo.FindGameEntry(name);
    Check(game == -1 ||
          (LineAt(bytes, game, line) && kestrune::platform::EqualsIgnoreAsciiCase(
                                            std::string_view(line).substr(0, 6 + name.size()), "$info=" + name)));
    const cat::HistoryText text = cat::BuildHistoryText(&history, &mameinfo, name, "");
    Check(WithinBounds(text.text));
    Check(text.link.empty() == text.linkLine.empty());
    Check(WithinBounds(cat::DriverInfoText(&mameinfo, name)));
  }
  return 0;
}
