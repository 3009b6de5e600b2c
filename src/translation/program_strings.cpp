#include "translation/program_strings.h"

#include <optional>
#include <vector>

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

// Where "%1" … "%9" stands in a text, and which number it has.
struct Placeholder {
  std::size_t at;
  int number;
};

std::vector<Placeholder> Placeholders(std::string_view text) {
  std::vector<Placeholder> found;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.push_back({i, text[i + 1] - '0'});
  }
  return found;
}

// The values a text puts where the English template has its placeholders, by number; nothing when the
// text is not the template filled in. A value reaches up to the first place where the template's
// next fixed part follows (the last part ends the text).
std::optional<std::vector<std::string>> FilledValues(std::string_view format, std::string_view text) {
  const std::vector<Placeholder> holes = Placeholders(format);
  if (holes.empty() || !text.starts_with(format.substr(0, holes.front().at))) return std::nullopt;
  std::vector<std::string> values(10);
  std::size_t pos = holes.front().at;
  for (std::size_t k = 0; k < holes.size(); ++k) {
    const std::size_t partStart = holes[k].at + 2;
    const bool last = k + 1 == holes.size();
    const std::string_view part = format.substr(partStart, (last ? format.size() : holes[k + 1].at) - partStart);
    std::size_t end = std::string_view::npos;
    if (last) {
      if (text.size() >= pos + part.size() && text.ends_with(part)) end = text.size() - part.size();
    } else {
      end = text.find(part, pos);
    }
    if (end == std::string_view::npos) return std::nullopt;
    values[static_cast<std::size_t>(holes[k].number)] = std::string(text.substr(pos, end - pos));
    pos = end + part.size();
  }
  return values;
}

// The text with its placeholders replaced by the values, in one pass (a value's own "%2" stays).
std::string Fill(std::string_view format, const std::vector<std::string>& values) {
  std::string text;
  std::size_t from = 0;
  for (const Placeholder& hole : Placeholders(format)) {
    text.append(format.substr(from, hole.at - from));
    text += values[static_cast<std::size_t>(hole.number)];
    from = hole.at + 2;
  }
  text.append(format.substr(from));
  return text;
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
  for (const ProgramStringEntry& entry : kProgramStrings) {
    if (auto values = FilledValues(entry.text, english)) {
      // A value may itself be one of the program's texts (a lower layer's reason inside a message).
      for (std::string& value : *values) {
        if (!value.empty()) value = ProgramTextOf(value);
      }
      return Fill(ProgramText(entry.identifier), *values);
    }
  }
  return std::string(english);
}

}  // namespace kestrune::translation
