// Listing every entry's CRC-32 of thousands of small ROM archives, against the floor of the same machine:
// open each file, read its last 64 KiB, close it. Both run in this process over the same files, which the
// first pass brings into the page cache.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "zip/zip_listing.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultArchives = 4000;
constexpr int kRounds = 5;
constexpr std::size_t kTail = 64 * 1024;

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

struct Random {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

std::string Deflate(const std::string& data) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::string zlib(length, '\0');
  compress2(reinterpret_cast<Bytef*>(zlib.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), 1);
  // Raw deflate: without the two-byte zlib header and the four-byte Adler-32.
  return zlib.substr(2, length - 6);
}

// A ROM set as MAME collectors keep them: a handful of deflated ROM images of a few KiB.
std::string RomArchive(int set, Random& random) {
  std::string local;
  std::string central;
  const int entries = 2 + static_cast<int>(random.Next() % 12);
  for (int e = 0; e < entries; ++e) {
    std::string rom(1024u << (random.Next() % 5), '\0');
    for (auto& byte : rom) {
      byte = static_cast<char>(random.Next() % 24);
    }
    const std::string packed = Deflate(rom);
    const std::string name = "set" + std::to_string(set) + ".r" + std::to_string(e);
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(rom.data()), static_cast<uInt>(rom.size())));
    const auto offset = static_cast<std::uint32_t>(local.size());
    for (std::string* header : {&local, &central}) {
      const bool isCentral = header == &central;
      Put32(*header, isCentral ? 0x02014B50 : 0x04034B50);
      if (isCentral) {
        Put16(*header, 20);
      }
      Put16(*header, 20);
      Put16(*header, 0);
      Put16(*header, 8);
      Put16(*header, 0x6000);
      Put16(*header, 0x5A21);
      Put32(*header, crc);
      Put32(*header, static_cast<std::uint32_t>(packed.size()));
      Put32(*header, static_cast<std::uint32_t>(rom.size()));
      Put16(*header, static_cast<std::uint32_t>(name.size()));
      Put16(*header, 0);
      if (isCentral) {
        Put16(*header, 0);
        Put16(*header, 0);
        Put16(*header, 0);
        Put32(*header, 0x20);
        Put32(*header, offset);
      }
      *header += name;
    }
    local += packed;
  }
  std::string end;
  Put32(end, 0x06054B50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<std::uint32_t>(entries));
  Put16(end, static_cast<std::uint32_t>(entries));
  Put32(end, static_cast<std::uint32_t>(central.size()));
  Put32(end, static_cast<std::uint32_t>(local.size()));
  Put16(end, 0);
  return local + central + end;
}

std::vector<fs::path> Generate(const fs::path& folder, int count) {
  fs::create_directories(folder);
  Random random{20240601};
  std::vector<fs::path> files;
  for (int i = 0; i < count; ++i) {
    files.push_back(folder / ("set" + std::to_string(i) + ".zip"));
    std::ofstream(files.back(), std::ios::binary) << RomArchive(i, random);
  }
  return files;
}

// Open, read the last 64 KiB, close: what any reader of a zip directory has to do at least.
std::size_t ReadTails(const std::vector<fs::path>& files) {
  std::vector<char> buffer(kTail);
  std::size_t bytes = 0;
  for (const auto& file : files) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      continue;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
      const auto size = static_cast<std::size_t>(info.st_size);
      const std::size_t length = std::min(size, kTail);
      const ssize_t n = ::pread(fd, buffer.data(), length, static_cast<off_t>(size - length));
      bytes += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ::close(fd);
  }
  return bytes;
}

std::size_t ListCrcs(const std::vector<fs::path>& files) {
  std::vector<std::uint32_t> crcs;
  std::size_t listed = 0;
  for (const auto& file : files) {
    crcs.clear();
    if (kestrune::zip::ListZipCrcs(file, crcs)) {
      listed += crcs.size();
    }
  }
  return listed;
}

std::size_t ListEntries(const std::vector<fs::path>& files) {
  std::size_t listed = 0;
  for (const auto& file : files) {
    listed += kestrune::zip::ListZipEntries(file).entries.size();
  }
  return listed;
}

// The best of several rounds, in archives per second; `result` receives what the last round counted.
double Rate(const std::vector<fs::path>& files, const std::function<std::size_t()>& round, std::size_t& result) {
  double best = 0;
  for (int r = 0; r < kRounds; ++r) {
    const auto start = Clock::now();
    result = round();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::max(best, static_cast<double>(files.size()) / seconds);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const bool ownFolder = argc < 2;
  fs::path folder;
  if (ownFolder) {
    std::string pattern = (fs::temp_directory_path() / "kestrune-zip-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    folder = pattern;
  } else {
    folder = argv[1];
  }
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultArchives;
  const std::vector<fs::path> files = Generate(folder, count);
  std::size_t tailBytes = 0;
  std::size_t crcCount = 0;
  std::size_t entryCount = 0;
  ReadTails(files);  // into the page cache
  const double floor = Rate(
      files, [&] { return ReadTails(files); }, tailBytes);
  const double crcs = Rate(
      files, [&] { return ListCrcs(files); }, crcCount);
  const double entries = Rate(
      files, [&] { return ListEntries(files); }, entryCount);
  std::printf("zip-archives: %d archives\n", count);
  std::printf("zip-entries: %zu entries\n", crcCount);
  std::printf("zip-floor-open-read-tail-close: %.0f archives/s\n", floor);
  std::printf("zip-list-crcs: %.0f archives/s\n", crcs);
  std::printf("zip-list-entries: %.0f archives/s\n", entries);
  std::printf("zip-list-crcs-of-floor: %.0f %%\n", 100.0 * crcs / floor);
  if (ownFolder) {
    fs::remove_all(folder);
  }
  return crcCount == entryCount && crcCount > 0 ? 0 : 1;
}
