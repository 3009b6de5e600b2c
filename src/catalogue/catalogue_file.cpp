#include "catalogue/catalogue_file.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/text_file.h"

namespace kestrune::catalogue {

Catalogue& Catalogue::operator=(const Catalogue& other) {
  if (this != &other) {
    lines_ = other.lines_;
    revision_ = std::max(revision_, other.revision_) + 1;
  }
  return *this;
}

Catalogue& Catalogue::operator=(Catalogue&& other) noexcept {
  if (this != &other) {
    lines_ = std::move(other.lines_);
    revision_ = std::max(revision_, other.revision_) + 1;
    ++other.revision_;
  }
  return *this;
}

void Catalogue::Add(std::string line) {
  lines_.push_back(std::move(line));
  ++revision_;
}

void Catalogue::Replace(int index, std::string line) {
  lines_[static_cast<std::size_t>(index)] = std::move(line);
  ++revision_;
}

void Catalogue::Clear() {
  lines_.clear();
  ++revision_;
}

void Catalogue::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  ++revision_;
}

std::filesystem::path CataloguePath(const std::string& frontDir) {
  return std::filesystem::path(frontDir) / "ini" / "kestrune.dat";
}

CatalogueLoad LoadCatalogue(Catalogue& catalogue, const std::string& frontDir, std::string* error) {
  const std::filesystem::path path = CataloguePath(frontDir);
  // A link to a missing file is the user's catalogue, out of reach for now: read as failed, never replaced.
  if (platform::NothingAt(path)) {
    catalogue.Clear();
    return CatalogueLoad::Missing;
  }
  std::vector<std::string> lines;
  if (!platform::ReadTextFileLines(path, lines, error)) {
    return CatalogueLoad::Failed;
  }
  catalogue.Assign(std::move(lines));
  return CatalogueLoad::Loaded;
}

bool SaveCatalogue(const Catalogue& catalogue, const std::string& frontDir, std::string* error) {
  return platform::WriteFileAtomic(CataloguePath(frontDir), platform::JoinLinesCrLf(catalogue.Lines()), error);
}

bool WriteBackGameRecord(Catalogue& catalogue, const Tgameinfo& record) {
  LineFields fields;
  for (int i = 0; i < catalogue.Count(); ++i) {
    const std::string& old = catalogue[i];
    // Only a game line has a romname to compare, by the rule the game list uses; the romname field is
    // compared, not the text between the last two separators, which is another field when romstatus
    // holds a "|" and can be anything in a line that is no game.
    if (!SplitCatalogueLine(old, fields) || fields[LineField::romname] != record.romname) {
      continue;
    }
    std::string line;
    line.reserve(old.size() + 16);
    line.append(old, 0, 2);  // a game line starts with its flag and separator, which stay as they were
    AppendLineFields(record, LineField::description, line);
    catalogue.Replace(i, std::move(line));
    return true;
  }
  return false;
}

}  // namespace kestrune::catalogue
