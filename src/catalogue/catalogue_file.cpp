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
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec) {
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
  std::string token;
  token.reserve(record.romname.size() + 2);
  token += kFieldSeparator;
  token += record.romname;
  token += kFieldSeparator;
  for (int i = 0; i < catalogue.Count(); ++i) {
    const std::string& old = catalogue[i];
    if (GetRomToken(old).find(token) == std::string_view::npos) {
      continue;
    }
    std::string line;
    line.reserve(old.size() + 16);
    // The flag stays as the line had it; a line not shaped "flag|" takes the record's flag instead,
    // so the rebuilt line always has exactly its 24 separators.
    if (old.size() >= 2 && old[1] == kFieldSeparator) {
      line.append(old, 0, 2);
    } else {
      line += record.availflag;
      line += kFieldSeparator;
    }
    AppendLineFields(record, LineField::description, line);
    catalogue.Replace(i, std::move(line));
    return true;
  }
  return false;
}

}  // namespace kestrune::catalogue
