#include "zip/zip_exception.h"

#include <array>
#include <cstdio>

namespace kestrune::zip {
namespace {

// The message texts, by text index.
constexpr std::array<const char*, 43> kTexts = {
    "Unknown error",                                                                            // 0
    "Index out of bounds",                                                                      // 1
    "Invalid compression mode. Mode must be in [0-9] range",                                    // 2
    "Unexpected nil pointer",                                                                   // 3
    "Invalid size or check sum of file or unsupported compression format",                      // 4
    "File name is blank. Specify appropriate file name",                                        // 5
    "File \"%s\" not found",                                                                    // 6
    "Archive is not open",                                                                      // 7
    "SFXStub property is not specified",                                                        // 8
    "Cannot create file \"%s\"",                                                                // 9
    "Cannot create directory \"%s\"",                                                           // 10
    "Internal error. Update is not started",                                                    // 11
    "Cannot proceed when update is not ended. Preceding EndUpdate call is required.",           // 12
    "Cannot delete file \"%s\"",                                                                // 13
    "In-memory archive can be created only",                                                    // 14
    "File is open in read-only mode",                                                           // 15
    "Cannot open file \"%s\"",                                                                  // 16
    "Invalid compressed size, rfs.size = %d, count = %d",                                       // 17
    "Invalid archive file.",                                                                    // 18
    "Cannot create output file. Probably file is locked by another process. FileName = '%s'.",  // 19
    "Archive is open. You should close it beore performing this operation.",                    // 20
    "Unable to create directory",                                                               // 21
    "Cannot find Zip64 directory end record",                                                   // 22
    "Cannot compress file '%s'. Zip64 mode is not enabled",                                     // 23
    "Cannot open archive file. Opening aborted or invalid file",                                // 24
    "Write to stream error",                                                                    // 25
    "Cannot place SFX stub on volume. Volume size limit is too small",                          // 26
    "Archive is damaged. Open failed",                                                          // 27
    "MakeSFX is not allowed for splitted or spanned archives. Set SFXStub before archive creation instead of "
    "MakeSFX",                                                // 28
    "Archive already has SFX stub",                           // 29
    "Multi-volume archive is not allowed for custom stream",  // 30
    "Multi-spanned archive is not allowed for modification. Use BeginUpdate/EndUpdate methods to add files "
    "several times",                                                                                // 31
    "Deflate64 compression method is not supported",                                                // 32
    "MakeSFX error",                                                                                // 33
    "Hashed list of file names is invalid",                                                         // 34
    "Cannot delete folder \"%s\"",                                                                  // 35
    "File name is too long: \r\n\"%s\"",                                                            // 36
    "Multiple transactions are not supported for multi-volume archives",                            // 37
    "Entry name \"%s\" would leave the folder it belongs in",                                       // 38
    "Spanning over removable disks is not supported; split the archive into volume files instead",  // 39
    "Archive comment cannot hold the end of central directory signature \"PK\\5\\6\"",              // 40
    "Archive \"%s\" was replaced or changed by another program since it was opened",                // 41
    "\"%s\" is not a regular file",                                                                 // 42
};

struct CodeText {
  int code;
  int textIndex;
};

// Every error code with its text index, searched in order. 63 refuses a name such as "../x" or "/etc/x"
// that would put a file outside the archive's folder or the extraction folder; 64 refuses to write
// across removable disks, whose volume labels and disk changes this platform does not offer; 65 to 67
// keep an update from hiding or losing entries (a comment that reads as an end record, an archive that
// another program changed meanwhile, a pipe or device that would be read for ever).
constexpr std::array<CodeText, 68> kCodeTable = {{
    {0, 0},   {1, 1},   {2, 1},   {3, 1},   {4, 1},   {5, 2},   {6, 3},   {7, 1},   {8, 4},   {9, 5},
    {10, 5},  {11, 6},  {12, 6},  {13, 7},  {14, 7},  {15, 6},  {16, 1},  {17, 8},  {18, 6},  {19, 9},
    {20, 10}, {21, 1},  {22, 11}, {23, 9},  {24, 1},  {25, 11}, {26, 12}, {27, 13}, {28, 14}, {29, 5},
    {30, 6},  {31, 6},  {32, 15}, {33, 16}, {34, 17}, {35, 18}, {36, 19}, {37, 20}, {38, 6},  {39, 21},
    {40, 22}, {41, 23}, {42, 6},  {43, 23}, {44, 24}, {45, 24}, {46, 25}, {47, 26}, {48, 27}, {49, 28},
    {50, 29}, {51, 30}, {52, 31}, {53, 6},  {54, 6},  {55, 32}, {56, 33}, {57, 27}, {58, 34}, {59, 34},
    {60, 35}, {61, 36}, {62, 37}, {63, 38}, {64, 39}, {65, 40}, {66, 41}, {67, 42},
}};

std::string ArgText(const TZipFormatArg& arg) {
  if (const auto* text = std::get_if<std::string>(&arg)) {
    return *text;
  }
  if (const auto* wide = std::get_if<WideString>(&arg)) {
    return WideToUtf8(*wide);
  }
  return std::to_string(std::get<std::int64_t>(arg));
}

std::string FormatNumber(std::string_view spec, const TZipFormatArg& arg) {
  const std::int64_t* value = std::get_if<std::int64_t>(&arg);
  if (value == nullptr) {
    return ArgText(arg);
  }
  std::string format = "%" + std::string(spec.substr(0, spec.size() - 1)) + "lld";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<long long>(*value));
  return buffer;
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<TZipFormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out.push_back(format[i]);
      continue;
    }
    if (format[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    const auto end = format.find_first_of("sdu", i + 1);
    if (end == std::string_view::npos ||
        format.substr(i + 1, end - i - 1).find_first_not_of("0123456789.-") != std::string_view::npos) {
      out.push_back(format[i]);
      continue;
    }
    if (next != args.end()) {
      out += format[end] == 's' ? ArgText(*next) : FormatNumber(format.substr(i + 1, end - i), *next);
      ++next;
    }
    i = end;
  }
  return out;
}

int EZipException::TextIndexOf(int errorCode) {
  for (const auto& row : kCodeTable) {
    if (row.code == errorCode) {
      return row.textIndex;
    }
  }
  return 0;
}

const char* EZipException::TextOf(int errorCode) { return kTexts[static_cast<std::size_t>(TextIndexOf(errorCode))]; }

std::string FormatZipMessage(int errorCode, const TComponent* component, std::initializer_list<TZipFormatArg> args) {
  std::string text = FormatText(EZipException::TextOf(errorCode), args);
  if (component != nullptr && !component->Name.empty()) {
    text = component->Name + ": " + text;
  }
  std::string native = FormatText("%5d", {std::int64_t{errorCode}});
  for (char& c : native) {
    if (c == ' ') {
      c = '0';
    }
  }
  return text + " - Native error: " + native;
}

EZipException::EZipException(int errorCode, const TComponent* component) : EZipException(errorCode, component, {}) {}

EZipException::EZipException(int errorCode, const TComponent* component, std::initializer_list<TZipFormatArg> args)
    : std::runtime_error(FormatZipMessage(errorCode, component, args)),
      textIndex_(TextIndexOf(errorCode)),
      errorCode_(errorCode) {}

}  // namespace kestrune::zip
