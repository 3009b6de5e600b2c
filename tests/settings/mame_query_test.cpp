#include "settings/mame_query.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::settings {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

std::filesystem::path Script(const TempDir& dir, const std::string& body) {
  const auto path = dir / "mame";
  test::WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms(0755));
  return path;
}

TEST(MameOwnPathsFromConfigTest, TakesThePathOptionsMameUsesByItself) {
  const std::string showConfig =
      "#\n# CORE SEARCH PATH OPTIONS\n#\n"
      "homepath                  .\n"
      "rompath                   $HOME/mame/roms;/usr/share/games/mame/roms\n"
      "hashpath                  /usr/share/games/mame/hash\n"
      "ctrlrpath                 /usr/share/games/mame/ctrlr\n"
      "cheatpath                 $HOME/mame/cheat;/usr/share/games/mame/cheat\n"
      "# pluginspath             /commented\n"
      "swpath                    \n"
      "hashpathx                 /not/a/key\n"
      "\n# BGFX POST-PROCESSING OPTIONS\n#\n"
      "bgfx_path                 \"/opt/my bgfx\"\r\n"
      "bgfx_backend              auto\n";
  EXPECT_EQ(MameOwnPathsFromConfig(showConfig),
            (std::vector<MamePathOption>{{"homepath", "."},
                                         {"hashpath", "/usr/share/games/mame/hash"},
                                         {"cheatpath", "$HOME/mame/cheat;/usr/share/games/mame/cheat"},
                                         {"bgfx_path", "/opt/my bgfx"},
                                         {"ctrlrpath", "/usr/share/games/mame/ctrlr"}}));
  EXPECT_TRUE(MameOwnPathsFromConfig("").empty());
}

// One way a program may answer, or fail to.
struct RunCase {
  const char* name;
  const char* script;  // the body of a shell script; empty: no program at all
  std::chrono::milliseconds timeout;
  std::size_t maxBytes;
  const char* output;  // null when the run fails
  const char* error;   // the end of the expected message
};

void PrintTo(const RunCase& row, std::ostream* out) { *out << row.name; }

class RunForOutputTest : public testing::TestWithParam<RunCase> {};

TEST_P(RunForOutputTest, ReturnsTheOutputOrSaysWhyNot) {
  const RunCase& row = GetParam();
  TempDir dir;
  const auto program = *row.script == '\0' ? dir / "missing" : Script(dir, row.script);
  std::string output;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  const bool ran = RunForOutput(program, {"-showconfig", "two words"}, output, &error, row.timeout, row.maxBytes);
  // A generous guard: a program that does not stop must not hold the caller.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  if (row.output != nullptr) {
    ASSERT_TRUE(ran) << error;
    EXPECT_EQ(output, row.output);
  } else {
    EXPECT_FALSE(ran);
    EXPECT_TRUE(error.ends_with(row.error)) << error;
    EXPECT_NE(error.find(program.string()), std::string::npos) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, RunForOutputTest,
    testing::Values(RunCase{"ArgumentsArriveWhole", "printf '%s|' \"$@\"", 5s, 1000, "-showconfig|two words|", ""},
                    RunCase{"NoInputAndNoErrorOutput", "cat; echo oops >&2; echo done", 5s, 1000, "done\n", ""},
                    RunCase{"ExitCodeIsAFailure", "echo half; exit 3", 5s, 1000, nullptr, "ended with exit code 3"},
                    RunCase{"SignalIsAFailure", "kill -9 $$", 5s, 1000, nullptr, "was ended by signal 9"},
                    RunCase{"HangingProgramIsStopped", "echo start; sleep 30", 300ms, 1000, nullptr,
                            "did not finish within 300 ms and was stopped"},
                    RunCase{"ClosedOutputThenHangingIsStopped", "exec >&-; sleep 30", 300ms, 1000, nullptr,
                            "did not finish within 300 ms and was stopped"},
                    RunCase{"EndlessOutputIsStopped", "while :; do echo yyyyyyyyyyyyyyyy; done", 5s, 1000, nullptr,
                            "wrote more than 1000 bytes and was stopped"},
                    RunCase{"MissingProgram", "", 5s, 1000, nullptr, "No such file or directory"}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(AskMameOwnPathsTest, AsksMameForItsOwnConfiguration) {
  TempDir dir;
  const auto mame = Script(dir,
                           "[ \"$*\" = -showconfig ] || exit 9\n"
                           "echo 'hashpath                  /usr/share/games/mame/hash'\n"
                           "echo 'ctrlrpath                 /usr/share/games/mame/ctrlr'");
  std::vector<MamePathOption> paths{{"swpath", "old"}};
  std::string error;
  ASSERT_TRUE(AskMameOwnPaths(mame, paths, &error)) << error;
  EXPECT_EQ(paths, (std::vector<MamePathOption>{{"hashpath", "/usr/share/games/mame/hash"},
                                                {"ctrlrpath", "/usr/share/games/mame/ctrlr"}}));

  const auto broken = Script(dir, "exit 1");
  EXPECT_FALSE(AskMameOwnPaths(broken, paths, &error));
  EXPECT_EQ(paths.size(), 2u);  // left as it was
}

}  // namespace
}  // namespace kestrune::settings
