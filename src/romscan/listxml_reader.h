#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/ini_file.h"
#include "settings/mame_options.h"

// Reading MAME's -listxml output (roms.dat): a streaming source of decoded lines, and the one pass
// that takes from it what the ROM scan needs. Both MAME's old form (<game>) and today's (<machine>,
// with device ROMs reached through <device_ref>) are read by the same rules.
namespace kestrune::romscan {

// The longest line the game list may hold. MAME writes one element per line (0.251's longest is 249
// bytes); a file with a far longer line is not a game list, and reading it whole could exhaust memory.
inline constexpr std::size_t kMaxListXmlLineBytes = std::size_t{64} << 20;

// The lines of a -listxml file, read in large blocks and handed out one at a time, each decoded by
// DecodeXmlEntities; a line that is not valid UTF-8 is taken as Windows-1252. No line is copied
// unless it has to be decoded. A line longer than `maxLineBytes` (its LF not counted) ends the reading
// as a failure.
class ListXmlLineSource {
 public:
  explicit ListXmlLineSource(std::size_t maxLineBytes = kMaxListXmlLineBytes) : maxLineBytes_(maxLineBytes) {}
  ~ListXmlLineSource();
  ListXmlLineSource(const ListXmlLineSource&) = delete;
  ListXmlLineSource& operator=(const ListXmlLineSource&) = delete;

  // False, with *error naming the file, when it cannot be opened.
  bool Open(const std::filesystem::path& path, std::string* error);
  // Keeps reading past the end of the file until the writer is done (see ListXmlReadOptions).
  void Follow(std::function<bool()> writerDone, std::function<bool()> cancelled);
  // The next decoded line; false at the end of the file, after a read error or at a line that is
  // too long (see Failed). The view is valid until the next call.
  bool Next(std::string_view& line);
  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  // Bytes of the file consumed so far, and the index of the line last handed out.
  std::uint64_t BytesRead() const { return bytesRead_; }
  std::int64_t LineIndex() const { return lineIndex_; }

 private:
  bool Refill();
  void FailLineTooLong();

  std::size_t ReadMore();

  std::size_t maxLineBytes_;
  std::function<bool()> writerDone_;
  std::function<bool()> cancelled_;
  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // start of the unread part of buffer_
  std::size_t end_ = 0;    // end of the valid bytes of buffer_
  bool eof_ = false;
  bool failed_ = false;
  std::string error_;
  std::string decoded_;
  std::string converted_;
  std::uint64_t bytesRead_ = 0;
  std::int64_t lineIndex_ = -1;
};

// Whether `name` can name a set (or device): letters, digits, "_" and "-". MAME writes only lower-case
// letters, digits and "_" (0.251's 45,294 names). A separator, dot, blank or control character could
// reach out of the rom folders or split a line of the work files, so a set named so is skipped.
bool IsSetName(std::string_view name);

// Whether `name` can name a disk image file (".chd" appended) inside a set's folder: not empty, no "/",
// "\\", "..", NUL or other control character. Today's names use letters, digits, "_", "-", ".", ","
// and blanks.
bool IsDiskName(std::string_view name);

// The name as a log line shows it: control characters as "\xNN".
std::string PrintableName(std::string_view name);

// A CRC-32 as text: MAME's expected values (8 hex digits, any case) are compared with the archive
// directory's numbers; any other text never matches.
bool ParseCrcText(std::string_view text, std::uint32_t& crc);

// One <rom> line of a set.
struct ListXmlRom {
  std::string crc;  // as written by MAME; "" when the line has no crc attribute
  std::uint32_t value = 0;
  bool valid = false;     // crc is a CRC-32 (ParseCrcText), held in value
  bool optional = false;  // optional="yes": MAME runs without it
};

// One <disk> line of a set.
struct ListXmlDisk {
  std::string name;
  std::string merge;  // the parent's name for the same image, when the clone shares it
  std::string md5;    // older MAME
  std::string sha1;   // today's MAME
  // MAME runs without the image when it is optional or no good dump of it is known.
  bool required = true;
};

// What the catalogue shows of a game, as the lines of its element give it; of lines of one kind the
// last counts. Attribute values are kept as written; the catalogue build derives its fields from them.
struct ListXmlGameInfo {
  std::string sourcefile;
  std::string description;
  std::string year;
  std::string manufacturer;
  bool hasDisplay = false;  // a <display> line with a type
  std::string displayType;
  std::string rotate;
  std::string width;
  std::string height;
  std::string refresh;
  std::optional<std::string> soundChannels;  // the <sound> line, when there is one
  std::string players;                       // of the <input> line
  std::string controlType;
  std::string driverStatus;
  std::string emulation;
  // Older MAME gives these on the <driver> line; today's MAME as <feature> lines.
  std::optional<std::string> driverColor;
  std::optional<std::string> driverSound;
  std::optional<std::string> driverGraphic;
  std::optional<std::string> featurePalette;
  std::optional<std::string> featureSound;
  std::optional<std::string> featureGraphics;
};

// One <game> or <machine> element.
struct ListXmlSet {
  std::string name;
  std::string cloneof;
  std::string romof;
  bool isbios = false;
  bool isdevice = false;
  bool runnable = true;
  bool noGoodDump = false;  // a <rom> (or <disk>) line carries a status attribute
  std::vector<ListXmlRom> roms;
  std::vector<ListXmlDisk> disks;
  std::vector<std::string> deviceRefs;
  ListXmlGameInfo info;                     // filled for games only
  std::vector<settings::BiosSet> biosSets;  // its <biosset> lines, in MAME's order

  // A set that stands in the game list (BIOS sets, devices and sets MAME cannot run do not).
  bool IsGame() const { return !isbios && !isdevice && runnable; }
};

using SetIndex =
    std::unordered_map<std::string, std::size_t, settings::CaseInsensitiveHash, settings::CaseInsensitiveEqual>;

// What the ROM scan takes from the game list.
struct ListXmlData {
  std::vector<ListXmlSet> sets;          // in file order
  SetIndex index;                        // set name (any letter case) -> position
  std::optional<std::string> mameBuild;  // the build attribute of the <mame> line, when there is one
  // Today's form (<machine> elements): a clone names every disk it needs, shared ones with "merge".
  bool machineForm = false;
  std::uint64_t bytes = 0;
  std::int64_t lines = 0;

  const ListXmlSet* Find(std::string_view name) const;
};

// How the game list is read while MAME may still be writing it.
struct ListXmlReadOptions {
  // When set, the end of the file is the end of the list only once this returns true (the writer has
  // ended); until then the reader waits for more. A list the writer left unfinished is still refused.
  std::function<bool()> writerDone;
  // Polled while waiting; true ends the reading as a failure.
  std::function<bool()> cancelled;
};

// Reads the game list in one streaming pass. A set element ends at its closing line or, when that
// is missing, at the next set's line or the end of the file. A set whose name fails IsSetName is
// skipped, and a cloneof, romof or device_ref name that fails it is dropped; each is logged to stderr.
// Returns false, with *error, when the file cannot be read, has a line longer than
// kMaxListXmlLineBytes, lacks the list's closing </mame> (or old </datafile>) line, has anything but
// blank lines after it, or names one set twice (in any letter case): a list MAME did not finish, or
// that is not one run of MAME's, is never taken for the list of the installed MAME.
bool ReadListXml(const std::filesystem::path& path, ListXmlData& data, std::string* error,
                 const ListXmlReadOptions& options = {});

// Feeds one decoded line (its index in the file) to the pass; exposed so that tests and the
// catalogue build can drive it from lines held elsewhere.
class ListXmlParser {
 public:
  explicit ListXmlParser(ListXmlData& data) : data_(data) {}
  void Line(std::string_view line, std::int64_t index);
  // Ends the last element; call once after the last line.
  void Finish();
  // Whether the list's closing line has been seen.
  bool Ended() const { return ended_; }
  // Why the list cannot be used as it stands (a set named twice, anything after the closing line);
  // empty while it can.
  const std::string& Failure() const { return failure_; }

 private:
  void StartSet(std::string_view line, std::string_view nameAttribute, std::int64_t index);
  void EndSet();
  void RomLine(std::string_view line);
  void DiskLine(std::string_view line);
  void DeviceRefLine(std::string_view line, std::int64_t index);
  void BiosSetLine(std::string_view line);
  void GameInfoLine(std::string_view line);
  void FailAfterListEnd(std::int64_t index);

  ListXmlData& data_;
  bool inSet_ = false;  // the last set of data_.sets is open
  bool ended_ = false;
  std::string failure_;
};

}  // namespace kestrune::romscan
