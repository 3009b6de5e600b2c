#include "romscan/first_run_setup.h"

#include "platform/executable.h"

#include <array>
#include <system_error>

namespace kestrune::romscan {
namespace {

namespace fs = std::filesystem;

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsMame32(const std::string& fileName) {
  static constexpr std::array<std::string_view, 4> kNames = {"mame32", "mame32pp", "mame32.exe", "mame32pp.exe"};
  const std::string lower = AsciiLower(fileName);
  for (std::string_view name : kNames) {
    if (lower == name) return true;
  }
  return false;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const fs::path left = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path right = fs::weakly_canonical(b, ec);
  return !ec && left == right;
}

std::string InLanguage(const TextOf& textOf, std::string_view english) {
  return textOf ? textOf(english) : std::string(english);
}

std::string WithValue(std::string text, std::string_view value) {
  const std::size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// One line of the optional files: name, then "Found" or "Not found" after `blanks` blanks and a colon.
std::string FileLine(std::string_view name, bool found, std::string_view foundBlanks, const TextOf& textOf) {
  return std::string(name) +
         (found ? std::string(foundBlanks) + ": " + InLanguage(textOf, "Found")
                : " : " + InLanguage(textOf, "Not found")) +
         "\n";
}

std::string OptionalFilesText(const OptionalFiles& files, bool aligned, const TextOf& textOf) {
  std::string text = InLanguage(textOf, "Optional files:") + "\n\n";
  text += FileLine("History.dat", files.history, aligned ? "  " : " ", textOf);
  text += FileLine("Mameinfo.dat", files.mameinfo, " ", textOf);
  text += FileLine("Catver.ini", files.catver, aligned ? "   " : " ", textOf);
  text += FileLine("Nplayers.ini", files.nplayers, " ", textOf);
  return text;
}

}  // namespace

MameChoiceResult CheckMameChoice(const std::string& frontDir, const fs::path& chosen) {
  MameChoiceResult result;
  const std::string fileName = chosen.filename().string();
  if (fileName.empty() || !SameFolder(chosen.parent_path(), frontDir)) {
    result.verdict = MameChoice::otherFolder;
  } else if (IsMame32(fileName)) {
    result.verdict = MameChoice::mame32;
  } else if (!platform::IsRunnableFile(chosen)) {
    result.verdict = MameChoice::notExecutable;
  } else {
    result.verdict = MameChoice::accepted;
    result.fileName = fileName;
  }
  return result;
}

std::string_view MameChoiceMessage(MameChoice verdict) {
  switch (verdict) {
    case MameChoice::otherFolder:
      return "The mame file must be in the same folder as Kestrune !";
    case MameChoice::mame32:
      return "Kestrune does not support Mame32 binaries";
    case MameChoice::notExecutable:
      return "The chosen file is not a program that can be run.";
    case MameChoice::accepted:
      break;
  }
  return "";
}

std::string WizardWelcomeText(std::string_view mameFile, const OptionalFiles& files, const TextOf& textOf) {
  if (mameFile.empty()) {
    return InLanguage(textOf,
                      "No known Mame executable was found in the root folder.\n\n"
                      "You have to choose a valid Mame binary manually.\n\n"
                      "Note: Kestrune does not support Mame32 binaries!\n");
  }
  return WithValue(InLanguage(textOf, "A valid mamefile %1 was found."), AsciiUpper(mameFile)) + "\n\n\n\n\n" +
         OptionalFilesText(files, true, textOf);
}

std::string WizardChosenText(std::string_view mameFile, const OptionalFiles& files, const TextOf& textOf) {
  return "\n" +
         WithValue(InLanguage(textOf,
                              "You have selected %1 as a valid mame binary.\n"
                              "The next step will search for valid Roms."),
                   AsciiUpper(mameFile)) +
         "\n\n" + OptionalFilesText(files, false, textOf);
}

std::string WizardScanText(std::string_view scanContent) {
  const std::size_t scanning = scanContent.find("Scanning ");
  std::string text(scanning == std::string_view::npos ? scanContent : scanContent.substr(scanning));
  const std::string_view found = "Roms found     :";
  const std::size_t at = text.find(found);
  if (at != std::string::npos) text.replace(at, found.size(), "Roms found      :");
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace kestrune::romscan
