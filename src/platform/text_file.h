#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and atomic writing of the program's text files.
namespace kestrune::platform {

// Splits text into lines; a line ends at CR, LF or CR LF, and a line end at the very end of the
// text does not start another (empty) line. When stopAtEof is set, a 0x1A byte ends the text.
std::vector<std::string_view> SplitTextLines(std::string_view text, bool stopAtEof = false);

// The lines joined, each one followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Reads a whole file. On failure returns false and puts a message naming the file into *error.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out, std::string* error);

// Reads a text file as UTF-8 lines (lines that are not UTF-8 are taken as Windows-1252).
bool ReadTextFileLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::string* error,
                       bool stopAtEof = false);

// Replaces the file with data: written to a temporary file in the same folder, flushed, then renamed
// over the old one, so a failure at any point leaves the old file whole. On failure returns false,
// removes the temporary file and puts a message naming the file into *error.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view data, std::string* error);

}  // namespace kestrune::platform
