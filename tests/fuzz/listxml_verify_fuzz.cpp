// Reads any bytes as MAME's game list (roms.dat) and runs the whole ROM scan on them, against two rom
// folders made once at start-up: archives with chosen CRCs (a BIOS, a device, a clone's parent), a
// damaged archive and two CHD images. Checks that a failed scan leaves sets.dat as it was, that
// sets.dat holds one "name=verdict" line per judged set of the list and nothing else, that only the
// names a set may have get that far, that no verdict depends on the order the sets are judged in,
// and that the catalogue built from it has one whole 25-field line per game, whatever its texts hold.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "catalogue/game_record.h"
#include "fuzz_input_file.h"
#include "platform/text_file.h"
#include "romscan/catalogue_build.h"
#include "romscan/listxml_reader.h"
#include "romscan/rom_scan.h"
#include "romscan/rom_verifier.h"

namespace {

namespace fs = std::filesystem;
using namespace kestrune::romscan;

void Check(bool holds) {
  if (!holds) {
    __builtin_trap();
  }
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

// A zip archive of one-byte stored entries whose directory gives `crcs`: the scan reads only the
// directory, so the data need not match.
std::string StoredZip(const std::vector<std::uint32_t>& crcs) {
  std::string local;
  std::string central;
  for (std::size_t i = 0; i < crcs.size(); ++i) {
    const std::string name = "rom" + std::to_string(i);
    const auto offset = static_cast<std::uint32_t>(local.size());
    auto common = [&](std::string& out) {
      PutLe(out, 20, 2);  // version needed
      PutLe(out, 0, 4);   // flags, method stored
      PutLe(out, 0, 4);   // time and date
      PutLe(out, crcs[i], 4);
      PutLe(out, 1, 4);
      PutLe(out, 1, 4);
      PutLe(out, static_cast<std::uint32_t>(name.size()), 2);
      PutLe(out, 0, 2);  // extra length
    };
    PutLe(local, 0x04034b50, 4);
    common(local);
    local += name + "x";
    PutLe(central, 0x02014b50, 4);
    PutLe(central, 20, 2);  // version made by
    common(central);
    PutLe(central, 0, 2);  // comment length
    PutLe(central, 0, 4);  // disk, internal attributes
    PutLe(central, 0, 4);  // external attributes
    PutLe(central, offset, 4);
    central += name;
  }
  std::string zip = local + central;
  PutLe(zip, 0x06054b50, 4);
  PutLe(zip, 0, 4);
  PutLe(zip, static_cast<std::uint32_t>(crcs.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(crcs.size()), 2);
  PutLe(zip, static_cast<std::uint32_t>(central.size()), 4);
  PutLe(zip, static_cast<std::uint32_t>(local.size()), 4);
  PutLe(zip, 0, 2);
  return zip;
}

// A CHD header of `version` with the hash bytes `hash` at `offset`.
std::string ChdHeader(std::uint8_t version, std::size_t offset, const std::string& hash) {
  std::string header(124, '\0');
  header.replace(0, 8, "MComprHD");
  header[15] = static_cast<char>(version);
  header.replace(offset, hash.size(), hash);
  return header;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::string> ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The program folder and rom folders of every run, removed when the process ends. On a memory file
// system where there is one: every scan writes its work files with fsync.
class ScanFolders {
 public:
  ScanFolders() {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    root_ = base / ("kestrune-listxml-verify-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(root_ / "front");
    const fs::path a = root_ / "romsA";
    const fs::path b = root_ / "romsB";
    WriteBytes(a / "pacman.zip", StoredZip({0xC1E6AB10, 0x1A6FB2D4}));
    WriteBytes(b / "pacmanf.zip", StoredZip({0x3591B89D}));
    WriteBytes(a / "neogeo.zip", StoredZip({0x9036D879, 0x94416D67}));
    WriteBytes(b / "mslug.zip", StoredZip({0x08D8DAA5}));
    WriteBytes(a / "galaga.zip", StoredZip({0xAB036C9F}));
    WriteBytes(b / "namco51.zip", StoredZip({0xC2F57EF8}));
    WriteBytes(a / "broken.zip", "PK\x05\x06 not an archive");
    WriteBytes(a / "crusnexo" / "exotica.chd", ChdHeader(5, 84, std::string(20, '\x11')));
    WriteBytes(b / "kinst" / "kinst.chd", ChdHeader(3, 44, std::string(16, '\x22')));
    folders_ = {a.string() + "/", b.string() + "/"};
  }
  ~ScanFolders() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  ScanFolders(const ScanFolders&) = delete;
  ScanFolders& operator=(const ScanFolders&) = delete;

  std::string front() const { return (root_ / "front").string() + "/"; }
  const std::vector<std::string>& folders() const { return folders_; }

 private:
  fs::path root_;
  std::vector<std::string> folders_;
};

// sets.dat: "[roms]", then one line per judged set in list order, each a set of the list.
void CheckSetsFile(const std::string& text, const RomScanState& state, const std::vector<char>& verdicts) {
  const std::vector<std::string_view> lines = kestrune::platform::SplitTextLines(text);
  Check(!lines.empty() && lines[0] == "[roms]");
  std::size_t line = 1;
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    if (verdicts[i] == 0) {
      continue;
    }
    Check(line < lines.size());
    Check(lines[line++] == state.list.sets[i].name + "=" + verdicts[i]);
  }
  Check(line == lines.size());
}

// The verdicts of every set, judged in list order or backwards by a fresh judge; 0 for no verdict.
std::vector<char> Verdicts(const RomScanState& state, bool backwards) {
  const SetJudge judge(state);
  const std::size_t count = state.list.sets.size();
  std::vector<char> verdicts(count, 0);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = backwards ? count - 1 - k : k;
    const std::optional<SetVerdict> verdict = judge.Judge(i);
    verdicts[i] = verdict ? static_cast<char>(*verdict) : 0;
  }
  return verdicts;
}

// Every game gets one line of exactly 25 fields, in list order, naming it; its flag follows its verdict.
void CheckCatalogue(const RomScanState& state, const std::string& setsText) {
  kestrune::settings::IniFile setsDat;
  setsDat.LoadFromText(setsText);
  const CatalogueBuild build = BuildGameDatabase(state.list, setsDat, SupportFiles{});
  std::size_t line = 0;
  kestrune::catalogue::LineFields fields;
  for (const ListXmlSet& set : state.list.sets) {
    if (!set.IsGame()) continue;
    Check(line < build.lines.size());
    const std::string& text = build.lines[line++];
    Check(kestrune::catalogue::SplitCatalogueLine(text, fields));
    Check(text.find_first_of("\r\n") == std::string::npos);
    Check(static_cast<std::size_t>(std::count(text.begin(), text.end(), '|')) == 24);
    Check(fields[kestrune::catalogue::LineField::romname] == set.name);
    const std::string_view status = fields[kestrune::catalogue::LineField::romstatus];
    Check(fields[kestrune::catalogue::LineField::availflag] == (status == "0" || status == "1" ? "0" : "1"));
  }
  Check(line == build.lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const FuzzInputFile input("listxml-verify-fuzz");
  static const ScanFolders folders;
  if (!input.Write(data, size)) {
    return 0;
  }
  const fs::path setsFile = fs::path(folders.front()) / kSetsFile;
  const std::optional<std::string> before = ReadBytes(setsFile);

  RomScanParams params;
  params.listXml = input.path();
  params.frontDir = folders.front();
  params.romFolders = folders.folders();
  params.verify.threads = 1;
  RomScanState state;
  std::string error;
  if (!RunRomScan(params, state, &error)) {
    Check(!error.empty());
    Check(ReadBytes(setsFile) == before);
    return 0;
  }
  for (const ListXmlSet& set : state.list.sets) {
    Check(IsSetName(set.name));
  }
  const std::vector<char> verdicts = Verdicts(state, false);
  Check(Verdicts(state, true) == verdicts);
  const std::optional<std::string> sets = ReadBytes(setsFile);
  Check(sets.has_value());
  CheckSetsFile(*sets, state, verdicts);
  for (std::string_view name : {kCrcFile, kBiosCrcFile, kFileCrcFile, kChdListFile}) {
    Check(!fs::exists(fs::path(folders.front()) / name));
  }
  CheckCatalogue(state, *sets);
  return 0;
}
