#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <variant>

#include "zip/wide_string.h"

namespace kestrune::zip {

// What the archiver's errors name: a component has a name, empty unless the program gave it one.
class TComponent {
 public:
  virtual ~TComponent() = default;
  std::string Name;
};

// A stored name that would leave the folder its archive is written from or extracted into.
inline constexpr int kErrorUnsafeName = 63;
// Writing with SpanningMode smSpanning.
inline constexpr int kErrorSpanningUnsupported = 64;
// An archive comment holding the end record's signature, which would hide the real end record.
inline constexpr int kErrorCommentHidesEnd = 65;
// The archive file was replaced or changed by another program after it was opened.
inline constexpr int kErrorArchiveChanged = 66;
// A source to add that is neither a regular file nor a folder (a pipe, a device).
inline constexpr int kErrorNotRegularFile = 67;

// One argument of a message with "%s" or "%d".
using TZipFormatArg = std::variant<std::string, WideString, std::int64_t>;

// Every failure of the archiver: the numeric code (0 to 67) and the message "[Name: ]text - Native error:
// 00015", the text taken from the code's row of the message table.
class EZipException : public std::runtime_error {
 public:
  explicit EZipException(int errorCode, const TComponent* component = nullptr);
  EZipException(int errorCode, const TComponent* component, std::initializer_list<TZipFormatArg> args);

  int ErrorCode() const { return errorCode_; }
  int TextIndex() const { return textIndex_; }
  int NativeError() const { return errorCode_; }

  // The table's text for a code (text index 0, "Unknown error", for codes not in it).
  static int TextIndexOf(int errorCode);
  static const char* TextOf(int errorCode);

 private:
  int textIndex_;
  int errorCode_;
};

// The message as the constructors build it.
std::string FormatZipMessage(int errorCode, const TComponent* component, std::initializer_list<TZipFormatArg> args);
// Delphi-style formatting of "%s" and "%d" (also "%5d", "%.3u" and the like) with the arguments in order.
std::string FormatText(std::string_view format, std::initializer_list<TZipFormatArg> args);

}  // namespace kestrune::zip
