#pragma once

#include <cstdint>
#include <string>

#include "translation/resource_strings.h"

// The program's own resource strings, with the numbers language files translate them by
// ("1001_SListedGames='Listed : %1'" in section ResourceStrings). "%1" stands for a value put in.
namespace kestrune::translation {

enum ProgramStringId : std::uint32_t {
  kSListedGames = 1001,
  kSRomsPanel = 1002,
  kSIniFound = 1003,
  kSIniMissing = 1004,
  kSInpFound = 1005,
  kSInpMissing = 1006,
};

struct ProgramStringEntry {
  ProgramStringId identifier;
  const char* name;  // the name language files write after the number
  const char* text;  // the English text
};

inline constexpr ProgramStringEntry kProgramStrings[] = {
    {kSListedGames, "SListedGames", "Listed : %1"}, {kSRomsPanel, "SRomsPanel", "Roms : "},
    {kSIniFound, "SIniFound", "INI : Yes"},         {kSIniMissing, "SIniMissing", "INI : N/A"},
    {kSInpFound, "SInpFound", "INP : Yes"},         {kSInpMissing, "SInpMissing", "INP : N/A"},
};

// The text of one of the program's strings in the current language (through LoadResString).
std::string ProgramText(ProgramStringId identifier);

}  // namespace kestrune::translation
