#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and atomic writing of the program's text files.
namespace kestrune::platform {

// The first CR or LF at or after `from`, or npos. A plain loop: find_first_of calls memchr on its two
// characters once for every byte of the text.
std::size_t FindLineEnd(std::string_view text, std::size_t from = 0);

// The lines of a text one at a time, without holding them: a line ends at CR, LF or CR LF, and a
// line end at the very end of the text does not start another (empty) line. When stopAtEof is set, a
// 0x1A byte ends the text.
class TextLines {
 public:
  explicit TextLines(std::string_view text, bool stopAtEof = false);
  // Puts the next line into *line; false after the last one.
  bool Next(std::string_view& line);

 private:
  std::string_view rest_;
  bool done_ = false;
};

// Every line of a text, by the rules of TextLines.
std::vector<std::string_view> SplitTextLines(std::string_view text, bool stopAtEof = false);
std::size_t CountTextLines(std::string_view text, bool stopAtEof = false);

// The lines joined, each one followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// The most ReadWholeFile reads unless told otherwise: many times the largest catalogue or settings
// file (a catalogue of all 45,000 machines of today's MAME is about 10 MB), yet small enough that a
// wrong file cannot exhaust memory.
inline constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{256} << 20;

// Every line held in memory costs tens of bytes besides its text, so a file of empty or very short
// lines would take many times its size: up to kFreeTextLines lines are always read, more only when
// they average kMinAverageLineBytes bytes or more, which keeps what the lines cost within a small
// multiple of the file's size. The largest real files (history.dat, a catalogue of every machine)
// have well under a million lines of tens of bytes each.
inline constexpr std::uint64_t kFreeTextLines = std::uint64_t{1} << 20;
inline constexpr std::uint64_t kMinAverageLineBytes = 32;

// Whether text (read from path) has few enough lines for its size; if not, puts a message naming the
// file into *error.
bool CheckTextLineCount(const std::filesystem::path& path, std::string_view text, std::string* error,
                        bool stopAtEof = false, std::uint64_t freeLines = kFreeTextLines);

// Reads a whole regular file (a symlink is followed) of at most maxBytes bytes. A folder, a device, a
// named pipe or a socket is refused without waiting for a writer or reading a byte, and so is a larger
// file. On failure returns false and puts a message naming the file into *error.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string* error,
                   std::uint64_t maxBytes = kMaxTextFileBytes);

// Reads a text file as UTF-8 lines (lines that are not UTF-8 are taken as Windows-1252), by the rules
// of ReadWholeFile and CheckTextLineCount.
bool ReadTextFileLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error,
                       bool stopAtEof = false, std::uint64_t maxBytes = kMaxTextFileBytes,
                       std::uint64_t freeLines = kFreeTextLines);

// Reads a text file's lines with their bytes as they stand, by the rules of ReadWholeFile and
// CheckTextLineCount. For files whose values are paths or are written back (mame.ini, the settings): a
// path is bytes on Linux, and a folder named in Latin-1 must come back as the same folder, not as its
// UTF-8 spelling.
bool ReadTextFileLinesAsIs(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error,
                           std::uint64_t maxBytes = kMaxTextFileBytes, std::uint64_t freeLines = kFreeTextLines);

// Whether nothing at all stands at the path, not even a link that leads nowhere. A file that is missing
// may be created; a link to a missing file (a folder on a drive not mounted now) is the user's file,
// unreadable for the moment, and must not be replaced by a new one.
bool NothingAt(const std::filesystem::path& path);

// Replaces the file with data: written to a temporary file in the same folder, flushed, then renamed
// over the old one, so a failure at any point leaves the old file whole. A link is written through:
// the file it leads to is replaced and the link stays. The new file keeps the old one's permission
// bits. A file that is read-only is refused and left as it is: one this user cannot write with the
// system's reason ("Read-only file system"), one without a write bit for its owner as an input/output
// error. On failure returns false, removes the temporary file and puts a message naming the file into
// *error.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view data, std::string* error);

// A file written aside by StageFile, waiting to be put in place of its target.
struct StagedFile {
  std::filesystem::path target;  // the file to replace (a link already followed)
  std::filesystem::path temp;
};

// The first half of WriteFileAtomic, so that several files can be written aside first and replaced
// only when all of them were written whole: follows a link, refuses a read-only target, and writes
// data to a temporary file beside the target with the target's permission bits.
bool StageFile(const std::filesystem::path& path, std::string_view data, StagedFile& staged, std::string* error);
// Puts a staged file in place of its target; on failure removes the temporary file.
bool CommitStagedFile(const StagedFile& staged, std::string* error);
// Removes the temporary file of a file that is not to be put in place.
void DiscardStagedFile(const StagedFile& staged);

// Creates the file, or empties it when it exists (through a link). On failure returns false and puts
// the system's reason ("Read-only file system") into *reason.
bool MakeEmptyFile(const std::filesystem::path& path, std::string* reason);

// Writes all of data to fd, again after an interruption; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view data);

// Removes the temporary files that saves of the file cut off before their end (the program killed, the
// power gone) left beside it. Only for a file that no other process saves meanwhile.
void RemoveStagedLeftovers(const std::filesystem::path& path);
// The same for every file of a folder whose name ends in one of the suffixes (".ini": every game's and
// BIOS's options), in one read of the folder: the temporary files of such names in the folder, and those
// beside the file a link of such a name leads to. Nothing else in the folder is touched.
void RemoveStagedLeftoversIn(const std::filesystem::path& folder, std::initializer_list<std::string_view> suffixes);

}  // namespace kestrune::platform
