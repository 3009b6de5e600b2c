#include "catalogue/catalogue_index.h"

#include <limits>

namespace kestrune::catalogue {

void CatalogueIndex::Refresh() {
  if (indexed_ && revision_ == catalogue_.Revision() && static_cast<int>(isGame_.size()) == catalogue_.Count()) {
    return;
  }
  const auto count = static_cast<std::size_t>(catalogue_.Count());
  starts_.resize(count);
  isGame_.assign(count, 0);
  for (int i = 0; i < catalogue_.Count(); ++i) {
    Split(i);
  }
  revision_ = catalogue_.Revision();
  indexed_ = true;
}

void CatalogueIndex::Split(int line) {
  const std::string& text = catalogue_[line];
  // Offsets are 32-bit to keep the index small; a line that long is no game anyway.
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
    return;
  }
  LineFields fields;
  if (!SplitCatalogueLine(text, fields)) {
    return;
  }
  Starts& starts = starts_[static_cast<std::size_t>(line)];
  for (int n = 0; n < kLineFieldCount; ++n) {
    starts[static_cast<std::size_t>(n)] =
        static_cast<std::uint32_t>(fields[static_cast<std::size_t>(n)].data() - text.data());
  }
  starts[kLineFieldCount] = static_cast<std::uint32_t>(text.size() + 1);
  isGame_[static_cast<std::size_t>(line)] = 1;
}

std::string_view CatalogueIndex::Field(int line, int number) const {
  if (!IsGame(line) || number < 0 || number >= kLineFieldCount) {
    return {};
  }
  const Starts& starts = starts_[static_cast<std::size_t>(line)];
  const std::uint32_t begin = starts[static_cast<std::size_t>(number)];
  const std::uint32_t end = starts[static_cast<std::size_t>(number) + 1] - 1;
  return std::string_view(catalogue_[line]).substr(begin, end - begin);
}

void CatalogueIndex::Prefetch(int line, int number) const {
  if (line < Count() && IsGame(line)) {
    const Starts& starts = starts_[static_cast<std::size_t>(line)];
    __builtin_prefetch(catalogue_[line].data() + starts[static_cast<std::size_t>(number)]);
  }
}

std::string_view CatalogueIndex::ShownField(int line, int number) const {
  const std::string_view value = Field(line, number);
  return number == LineField::year ? CutYear(value) : value;
}

Tgameinfo CatalogueIndex::Record(int line) const {
  Tgameinfo record;
  for (const LineFieldInfo& info : kLineFields) {
    record.*info.member = ShownField(line, info.number);
  }
  return record;
}

std::string CatalogueIndex::RebuiltLine(int line) const {
  const std::string& text = catalogue_[line];
  if (!IsGame(line)) {
    return text;
  }
  // The rebuilt line differs from the stored one only where the year was longer than four
  // characters, so the rest is copied whole.
  const std::string_view year = Field(line, LineField::year);
  const std::string_view cut = CutYear(year);
  if (cut.size() == year.size()) {
    return text;
  }
  const auto yearBegin = static_cast<std::size_t>(year.data() - text.data());
  std::string rebuilt;
  rebuilt.reserve(text.size());
  rebuilt.append(text, 0, yearBegin);
  rebuilt.append(cut);
  rebuilt.append(text, yearBegin + year.size(), std::string::npos);
  return rebuilt;
}

}  // namespace kestrune::catalogue
