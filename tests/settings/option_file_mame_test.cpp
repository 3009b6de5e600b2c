#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "settings/option_file_writer.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

// Debian installs MAME outside the usual PATH.
std::string FindMame() {
  if (access("/usr/games/mame", X_OK) == 0) {
    return "/usr/games/mame";
  }
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = folder + "/mame";
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

// Runs a command through the shell; returns its exit status and standard output.
int RunCommand(const std::string& command, std::string& output) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return -1;
  }
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    output.append(buffer.data(), got);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OptionFileMameTest, MameReadsTheDefaultMameIni) {
  const std::string mame = FindMame();
  if (mame.empty()) {
    GTEST_SKIP() << "MAME is not installed";
  }
  test::TempDir dir;
  std::filesystem::create_directory(dir / "ini");
  std::filesystem::create_directory(dir / "home");
  MameOptions options;
  ResetMameOptions(options);
  MameFolders folders;
  folders.FrontDir = dir.folder();
  folders.RomPath = dir.folder() + "my roms;" + dir.folder() + "more";
  std::string error;
  ASSERT_TRUE(WriteMameIni(OptionsMode::DefaultOptions, options, folders, "", &error)) << error;

  // A private HOME keeps MAME away from the user's own configuration.
  std::string output;
  const std::string command = "cd '" + dir.path().string() + "' && HOME='" + (dir / "home").string() + "' '" + mame +
                              "' -inipath '" + dir.path().string() + "' -showconfig 2>&1";
  ASSERT_EQ(RunCommand(command, output), 0) << output;
  std::istringstream lines(output);
  bool found = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("rompath ")) {
      found = line.find(folders.RomPath) != std::string::npos;
      EXPECT_TRUE(found) << line;
    }
  }
  EXPECT_TRUE(found) << output;
  EXPECT_EQ(output.find("rror"), std::string::npos) << output;
}

}  // namespace
}  // namespace kestrune::settings
