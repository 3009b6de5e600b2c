// Reads any bytes as history.dat and as mameinfo.dat, indexes both and builds the panes' text and the
// driver window's text for every name the file holds. Checks that the index finds each set's entry
// where a plain substring search of the file's "$info" lines finds it, and that no text grows past
// what one entry may show.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/history_text.h"
#include "platform/code_pages.h"
#include "platform/text_file.h"

namespace {

namespace cat = kestrune::catalogue;

void Check(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

// The first "$info" line holding "=<name>," or ",<name>,", found the slow way.
int FirstEntryBySearch(const std::vector<std::string>& lines, const std::string& name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.find("$info") != std::string::npos &&
        (line.find("=" + name + ",") != std::string::npos || line.find("," + name + ",") != std::string::npos)) {
      return static_cast<int>(i);
    }
  }
  return -1;
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

  const cat::HistoryIndex history(lines);
  const cat::MameInfoIndex mameinfo(lines);
  for (const std::string& name : Names(lines)) {
    const int entry = history.FindEntry(name);
    Check(entry == (name.empty() ? -1 : FirstEntryBySearch(lines, name)));
    const int game = mameinfo.FindGameEntry(name);
    Check(game == -1 ||
          kestrune::platform::EqualsIgnoreAsciiCase(
              std::string_view(lines[static_cast<std::size_t>(game)]).substr(0, 6 + name.size()), "$info=" + name));
    const cat::HistoryText text = cat::BuildHistoryText(&history, &mameinfo, name, "");
    Check(WithinBounds(text.text));
    Check(text.link.empty() == text.linkLine.empty());
    Check(WithinBounds(cat::DriverInfoText(&mameinfo, name)));
  }
  return 0;
}
