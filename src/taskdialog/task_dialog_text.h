#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Text handling of the task dialog. Texts are UTF-16, as the system's dialog takes them.
namespace kestrune::taskdialog {

// Every two-character sequence backslash, "n" becomes a line feed, so a text kept on one line of a
// language or settings file can still ask for a line break.
std::u16string ExpandBackslashN(std::u16string_view text);

// CR LF, a lone CR and a lone LF each become one LF: texts set by the program use CR, text from files LF.
std::u16string NormaliseLineBreaks(std::u16string_view text);

// A content or instruction text as the dialog shows it: backslash-n expanded and every line break an LF.
std::u16string DisplayText(std::u16string_view text);

// The most characters the system's dialog takes per text, the terminating zero not counted.
inline constexpr std::size_t kSystemTextLimit = 1023;

// The text cut to kSystemTextLimit UTF-16 units; a surrogate pair at the cut is dropped whole, never halved.
std::u16string CutForSystemDialog(std::u16string_view text);

std::u16string WithoutAmpersands(std::u16string_view text);

// The lines of a command link's caption (the first is its heading), split at backslash-n and line ends.
std::vector<std::u16string> CaptionLines(std::u16string_view caption);

// The accelerator a caption marks with "&" (lower case for ASCII letters), or 0; "&&" marks none.
char16_t AcceleratorOf(std::u16string_view caption);

// The text Ctrl+C puts on the clipboard: dashed lines around the caption, the instruction and the push
// buttons' captions (each without "&" and followed by three blanks), every line ending in CR LF.
std::u16string BuildClipboardText(std::u16string_view caption, std::u16string_view instruction,
                                  const std::vector<std::u16string>& buttonCaptions);

}  // namespace kestrune::taskdialog
