// Reads any bytes as a catalogue: splits them into lines, reads each line as a game record, writes
// each game's record back after a game and checks what the write-back may and may not change.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/game_record.h"
#include "platform/code_pages.h"
#include "platform/text_file.h"

namespace {

using namespace kestrune::catalogue;

void Check(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

// Every field but the flag, which a write-back takes from the line, not from the record.
bool SameFieldsAfterFlag(const Tgameinfo& a, const Tgameinfo& b) {
  for (int n = LineField::description; n < kLineFieldCount; ++n) {
    if (RecordField(a, n) != RecordField(b, n)) {
      return false;
    }
  }
  return true;
}

// The single-field reader sees the fields the whole-line split sees.
void CheckFieldReader(std::string_view line, const LineFields& fields) {
  for (int n = LineField::description; n <= LineField::romname; ++n) {
    Check(GetLineField(line, n) == fields[static_cast<std::size_t>(n)]);
  }
}

int FirstGameLine(const std::vector<std::string>& lines, std::string_view romname) {
  LineFields fields;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (SplitCatalogueLine(lines[i], fields) && fields[LineField::romname] == romname) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Writes the game of one line back as if it had just been played, then checks that only the first
// game line of that romname changed and that it reads back as the record.
void PlayAndWriteBack(Catalogue& catalogue, const Tgameinfo& game) {
  Tgameinfo played = game;
  played.timesplayed += "1";
  played.playtime = "1:00:00";
  const std::vector<std::string> before = catalogue.Lines();
  const int own = FirstGameLine(before, played.romname);
  Check(own >= 0);
  Check(WriteBackGameRecord(catalogue, played));
  Check(catalogue.Count() == static_cast<int>(before.size()));
  for (int i = 0; i < catalogue.Count(); ++i) {
    if (i != own) {
      Check(catalogue[i] == before[static_cast<std::size_t>(i)]);
    }
  }
  const std::string& written = catalogue[own];
  Check(written.substr(0, 2) == before[static_cast<std::size_t>(own)].substr(0, 2));
  const std::optional<Tgameinfo> reread = ParseGameRecord(written);
  Check(reread.has_value() && SameFieldsAfterFlag(*reread, played));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  for (const std::string_view line : kestrune::platform::SplitTextLines(bytes)) {
    lines.push_back(kestrune::platform::DecodeTextLine(line));
  }
  Catalogue catalogue;
  catalogue.Assign(lines);

  LineFields fields;
  for (const std::string& line : lines) {
    if (!SplitCatalogueLine(line, fields)) {
      continue;
    }
    CheckFieldReader(line, fields);
    Tgameinfo game;
    FillGameRecord(fields, game);
    // A record rebuilt into a line reads back as itself.
    const std::optional<Tgameinfo> rebuilt = ParseGameRecord(BuildCatalogueLine(game));
    Check(rebuilt.has_value() && rebuilt->availflag == game.availflag && SameFieldsAfterFlag(*rebuilt, game));
    PlayAndWriteBack(catalogue, game);
  }

  // A game that is not in the catalogue changes nothing.
  Tgameinfo absent;
  absent.romname = "|";
  const std::vector<std::string> before = catalogue.Lines();
  Check(!WriteBackGameRecord(catalogue, absent) && catalogue.Lines() == before);

  // The saved text reads back as the same lines.
  const std::string saved = kestrune::platform::JoinLinesCrLf(catalogue.Lines());
  const std::vector<std::string_view> reread = kestrune::platform::SplitTextLines(saved);
  Check(reread.size() == before.size());
  for (std::size_t i = 0; i < reread.size(); ++i) {
    Check(reread[i] == before[i]);
  }
  return 0;
}
