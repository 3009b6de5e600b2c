// Writes a -listxml of the real size and shape (45,000 machines, about 5.9 million lines and 270 MB,
// one element per line, devices at the end) and a rom folder of generated archives for it.
//   rom_scan_generate OUTDIR [ARCHIVES]
// gives OUTDIR/roms.dat and OUTDIR/roms/*.zip (ARCHIVES game archives, 6,000 by default, plus the
// BIOS and device archives).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "rom_scan/bench_zip.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBiosSets = 60;
constexpr int kGames = 39'200;
constexpr int kDevices = 5'740;
constexpr int kDevicesWithRoms = 950;

struct Machine {
  std::string name;
  std::string cloneof;
  std::string romof;
  bool isbios = false;
  bool isdevice = false;
  std::vector<std::uint32_t> ownCrcs;     // roms stored in the machine's own archive
  std::vector<std::uint32_t> mergedCrcs;  // roms listed with merge=, found in the parent's or BIOS's
  std::vector<int> deviceRefs;
  bool disk = false;
};

class Writer {
public:
  explicit Writer(const fs::path& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~Writer() {
    Flush();
    if (file_ != nullptr) std::fclose(file_);
  }
  bool ok() const { return file_ != nullptr; }
  void Line(const std::string& text) {
    buffer_ += text;
    buffer_ += '\n';
    ++lines_;
    if (buffer_.size() > (1u << 22)) Flush();
  }
  long long lines() const { return lines_; }

private:
  void Flush() {
    if (file_ != nullptr) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    bytes_ += static_cast<long long>(buffer_.size());
    buffer_.clear();
  }
  std::FILE* file_;
  std::string buffer_;
  long long lines_ = 0;
  long long bytes_ = 0;
};

std::string Hex(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

std::string Sha1(std::mt19937& random) {
  std::string text;
  for (int i = 0; i < 5; ++i) text += Hex(random());
  return text;
}

std::vector<Machine> MakeMachines(std::mt19937& random) {
  std::vector<Machine> machines;
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int i = 0; i < kBiosSets; ++i) {
    Machine& bios = machines.emplace_back();
    bios.name = "bios" + std::to_string(i);
    bios.isbios = true;
    for (int r = 0; r < 4; ++r) bios.ownCrcs.push_back(random());
  }
  const int firstDevice = kBiosSets + kGames;
  int parent = -1;
  for (int i = 0; i < kGames; ++i) {
    Machine& game = machines.emplace_back();
    game.name = "game" + std::to_string(i);
    const bool clone = parent >= 0 && pick(0, 9) < 3;
    if (clone) {
      game.cloneof = game.romof = machines[static_cast<std::size_t>(parent)].name;
      const Machine& p = machines[static_cast<std::size_t>(parent)];
      for (std::size_t r = 0; r < p.ownCrcs.size() / 2; ++r) game.mergedCrcs.push_back(p.ownCrcs[r]);
    } else {
      parent = static_cast<int>(machines.size()) - 1;
      if (pick(0, 99) < 8) {
        const Machine& bios = machines[static_cast<std::size_t>(pick(0, kBiosSets - 1))];
        game.romof = bios.name;
        game.mergedCrcs = bios.ownCrcs;
      }
    }
    const int own = clone ? pick(1, 8) : pick(3, 20);
    for (int r = 0; r < own; ++r) game.ownCrcs.push_back(random());
    const int refs = pick(4, 30);
    for (int r = 0; r < refs; ++r) game.deviceRefs.push_back(firstDevice + pick(0, kDevices - 1));
    game.disk = pick(0, 99) < 3;
  }
  for (int i = 0; i < kDevices; ++i) {
    Machine& device = machines.emplace_back();
    device.name = "dev" + std::to_string(i);
    device.isdevice = true;
    if (i < kDevicesWithRoms) {
      const int roms = pick(1, 3);
      for (int r = 0; r < roms; ++r) device.ownCrcs.push_back(random());
    }
  }
  return machines;
}

void WriteHeader(Writer& out) {
  out.Line("<?xml version=\"1.0\"?>");
  out.Line("<!DOCTYPE mame [");
  for (int i = 0; i < 160; ++i) out.Line("\t\t<!ATTLIST machine attribute" + std::to_string(i) + " CDATA #IMPLIED>");
  out.Line("]>");
  out.Line("");
  out.Line("<mame build=\"0.251 (generated)\" debug=\"no\" mameconfig=\"10\">");
}

void WriteRom(Writer& out, std::mt19937& random, const std::string& name, std::uint32_t crc, bool merged) {
  out.Line("\t\t<rom name=\"" + name + "\"" + (merged ? " merge=\"" + name + "\"" : std::string()) +
           " size=\"4096\" crc=\"" + Hex(crc) + "\" sha1=\"" + Sha1(random) + "\" region=\"maincpu\" offset=\"0\"/>");
}

void WriteFiller(Writer& out, int dipBlocks, int portBlocks) {
  for (int d = 0; d < dipBlocks; ++d) {
    out.Line("\t\t<dipswitch name=\"Coinage\" tag=\"DSW\" mask=\"15\">");
    out.Line("\t\t\t<diplocation name=\"SW1\" number=\"1\"/>");
    for (int v = 0; v < 6; ++v) {
      out.Line("\t\t\t<dipvalue name=\"" + std::to_string(v + 1) + " Coins/1 Credit\" value=\"" + std::to_string(v) + "\"/>");
    }
    out.Line("\t\t</dipswitch>");
  }
  for (int p = 0; p < portBlocks; ++p) {
    out.Line("\t\t<port tag=\":IN" + std::to_string(p) + "\">");
    out.Line("\t\t\t<analog mask=\"16\"/>");
    out.Line("\t\t</port>");
  }
}

void WriteMachine(Writer& out, std::mt19937& random, const std::vector<Machine>& machines, const Machine& m,
                  int index) {
  std::string head = "\t<machine name=\"" + m.name + "\" sourcefile=\"gen/drv" + std::to_string(index % 900) + ".cpp\"";
  if (m.isbios) head += " isbios=\"yes\"";
  if (m.isdevice) head += " isdevice=\"yes\" runnable=\"no\"";
  if (!m.cloneof.empty()) head += " cloneof=\"" + m.cloneof + "\"";
  if (!m.romof.empty()) head += " romof=\"" + m.romof + "\"";
  out.Line(head + ">");
  out.Line("\t\t<description>" + m.name + (index % 17 == 0 ? " &amp; Friends" : " (World, rev. A)") + "</description>");
  if (m.isdevice) {
    for (std::size_t r = 0; r < m.ownCrcs.size(); ++r) WriteRom(out, random, m.name + ".bin" + std::to_string(r), m.ownCrcs[r], false);
    out.Line("\t\t<chip type=\"cpu\" tag=\"mcu\" name=\"MB8843\" clock=\"1536000\"/>");
    out.Line("\t</machine>");
    return;
  }
  out.Line("\t\t<year>199" + std::to_string(index % 10) + "</year>");
  out.Line("\t\t<manufacturer>Generated Games Co.</manufacturer>");
  for (std::size_t r = 0; r < m.ownCrcs.size(); ++r) WriteRom(out, random, "own" + std::to_string(r) + ".u1", m.ownCrcs[r], false);
  for (std::size_t r = 0; r < m.mergedCrcs.size(); ++r) WriteRom(out, random, "m" + std::to_string(r) + ".u1", m.mergedCrcs[r], true);
  if (m.disk) out.Line("\t\t<disk name=\"" + m.name + "\" sha1=\"" + Sha1(random) + "\" region=\"ide:0:hdd\" index=\"0\" writable=\"no\"/>");
  for (int ref : m.deviceRefs) out.Line("\t\t<device_ref name=\"" + machines[static_cast<std::size_t>(ref)].name + "\"/>");
  for (int c = 0; c < 3; ++c) out.Line("\t\t<chip type=\"cpu\" tag=\"maincpu\" name=\"Zilog Z80\" clock=\"3072000\"/>");
  out.Line("\t\t<display tag=\"screen\" type=\"raster\" rotate=\"90\" width=\"288\" height=\"224\" refresh=\"60.606061\"/>");
  out.Line("\t\t<sound channels=\"1\"/>");
  out.Line("\t\t<input players=\"2\" coins=\"2\">");
  out.Line("\t\t\t<control type=\"joy\" player=\"1\" buttons=\"1\" ways=\"8\"/>");
  out.Line("\t\t\t<control type=\"joy\" player=\"2\" buttons=\"1\" ways=\"8\"/>");
  out.Line("\t\t</input>");
  WriteFiller(out, 9, 8);
  out.Line("\t\t<driver status=\"good\" emulation=\"good\" savestate=\"supported\"/>");
  out.Line("\t\t<feature type=\"sound\" status=\"imperfect\"/>");
  out.Line("\t\t<feature type=\"graphics\" status=\"imperfect\"/>");
  out.Line("\t</machine>");
}

bool WriteArchives(const fs::path& folder, const std::vector<Machine>& machines, int gameArchives, int& written) {
  fs::create_directories(folder);
  int games = 0;
  for (std::size_t i = 0; i < machines.size(); ++i) {
    const Machine& m = machines[i];
    if (m.ownCrcs.empty()) continue;
    const bool game = !m.isbios && !m.isdevice;
    if (game && games++ >= gameArchives) continue;
    std::vector<std::uint32_t> crcs = m.ownCrcs;
    if (game && i % 20 == 0) crcs.pop_back();  // an incomplete set now and then
    std::string bytes = i % 97 == 0 ? std::string("not a zip") : kestrune::bench::StoredZip(crcs);
    std::string error;
    if (!kestrune::platform::WriteFileAtomic(folder / (m.name + ".zip"), bytes, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    ++written;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: rom_scan_generate OUTDIR [ARCHIVES]\n");
    return 2;
  }
  const fs::path out = argv[1];
  const int gameArchives = argc > 2 ? std::stoi(argv[2]) : 6000;
  fs::create_directories(out);
  std::mt19937 random(251);
  const std::vector<Machine> machines = MakeMachines(random);
  long long lines = 0;
  {
    Writer writer(out / "roms.dat");
    if (!writer.ok()) {
      std::fprintf(stderr, "cannot write %s\n", (out / "roms.dat").c_str());
      return 1;
    }
    WriteHeader(writer);
    for (std::size_t i = 0; i < machines.size(); ++i) WriteMachine(writer, random, machines, machines[i], static_cast<int>(i));
    writer.Line("</mame>");
    lines = writer.lines();
  }
  int archives = 0;
  if (!WriteArchives(out / "roms", machines, gameArchives, archives)) return 1;
  std::printf("machines: %zu count\n", machines.size());
  std::printf("listxml-lines: %lld count\n", lines);
  std::printf("listxml-size: %.1f MB\n", static_cast<double>(fs::file_size(out / "roms.dat")) / 1e6);
  std::printf("archives: %d count\n", archives);
  return 0;
}
