#pragma once

#include <QString>
#include <string_view>

#include "translation/program_strings.h"

// The program's strings for its windows and messages, in the current language.
inline QString ProgramQText(kestrune::translation::ProgramStringId identifier) {
  return QString::fromStdString(kestrune::translation::ProgramText(identifier));
}

// A fixed text that a library reports in English (the scan's progress texts), in the current language
// when it is one of the program's strings; any other text as it stands.
inline QString ProgramQTextOf(std::string_view english) {
  return QString::fromStdString(kestrune::translation::ProgramTextOf(english));
}
