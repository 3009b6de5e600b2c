#include "translation/program_strings.h"

namespace kestrune::translation {

namespace {

const ResourceStringTable& FilledProgramTable() {
  static const bool filled = [] {
    for (const ProgramStringEntry& entry : kProgramStrings) ProgramStringTable().Add(entry.identifier, entry.text);
    return true;
  }();
  (void)filled;
  return ProgramStringTable();
}

}  // namespace

std::string ProgramText(ProgramStringId identifier) {
  const ResStringRec record{&FilledProgramTable(), identifier, nullptr};
  return LoadResString(&record);
}

std::string ProgramTextOf(std::string_view english) {
  for (const ProgramStringEntry& entry : kProgramStrings) {
    if (english == entry.text) return ProgramText(entry.identifier);
  }
  return std::string(english);
}

}  // namespace kestrune::translation
