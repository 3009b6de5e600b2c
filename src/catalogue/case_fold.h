#pragma once

#include <string>
#include <string_view>

// Text compared without regard to case, as the quick search and the type-ahead compare what the user
// typed with the titles, companies and names of the games.
namespace kestrune::catalogue {

// The text with every character folded by Unicode's simple case mapping: the lower case of its upper
// case, so "É" and "é", "Σ", "σ" and "ς", "ẞ" and "ß" fold alike. One character folds to one: "ß" does
// not become "ss". Characters beyond U+FFFF keep their case. A byte that is not part of a UTF-8
// sequence becomes a three-byte mark of its own (as a lone low surrogate would be written), so it
// matches only the same byte and never the half of a character.
std::string FoldCase(std::string_view text);
void FoldCaseInto(std::string_view text, std::string& out);

// What the user typed, folded once and then compared with many fields. Fields in plain ASCII, nearly
// all of a catalogue, are compared byte by byte without being copied.
class CaseFoldedText {
 public:
  explicit CaseFoldedText(std::string_view typed);

  // The field contains the text (the empty text is in every field).
  bool FoundIn(std::string_view field) const;
  // The field begins with the text.
  bool Begins(std::string_view field) const;
  const std::string& Folded() const { return folded_; }

 private:
  // The field folded into a buffer kept across calls, so the comparisons of one search allocate once;
  // an object is therefore used by one thread at a time.
  std::string_view FoldedField(std::string_view field) const;

  std::string folded_;
  bool asciiOnly_;
  mutable std::string buffer_;
};

}  // namespace kestrune::catalogue
