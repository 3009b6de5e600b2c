// The runner's settings decide where a program's words go and whether its input is ours: shown, it
// writes to Kestrune's terminal; hidden, nothing of it is kept; redirected, it reads the line we write.
#include "platform/process_runner_qt.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <string>

#include "support/captured_terminal.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::platform {
namespace {

using test::ReadFileBytes;

struct SettingsCase {
  const char* name;
  ProcessRunner::ShowState show;
  ProcessRunner::ConsoleOptions console;
  bool outputShown;
  const char* input;  // what the program read from its standard input
};

void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }

class RunnerSettings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(RunnerSettings, DecideWhereTheProgramsWordsGoAndWhetherItReadsOurLine) {
  const SettingsCase& c = GetParam();
  test::TempDir dir;
  test::WriteFileBytes(dir / "program",
                       "#!/bin/sh\necho 'said on output'\necho 'said on error' >&2\n"
                       "IFS= read -r line; printf '%s' \"$line\" > \"$(dirname \"$0\")/input\"\n");
  std::filesystem::permissions(dir / "program", std::filesystem::perms::owner_all);
  ProcessRunner runner;
  runner.SetApplication(QString::fromStdString((dir / "program").string()));
  runner.SetShowState(c.show);
  runner.SetConsoleOptions(c.console);
  QEventLoop loop;
  bool ended = false;
  QObject::connect(&runner, &ProcessRunner::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  {
    test::CapturedTerminal terminal(dir / "terminal");
    QString error;
    ASSERT_TRUE(runner.Run(&error)) << error.toStdString();
    runner.WriteLine(QStringLiteral("our line"));
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
  }
  ASSERT_TRUE(ended);
  const std::string terminal = ReadFileBytes(dir / "terminal");
  for (const char* said : {"said on output", "said on error"}) {
    EXPECT_EQ(terminal.find(said) != std::string::npos, c.outputShown) << said << "\n" << terminal;
  }
  EXPECT_EQ(ReadFileBytes(dir / "input"), c.input);
}

using Show = ProcessRunner::ShowState;
using Console = ProcessRunner::ConsoleOptions;

INSTANTIATE_TEST_SUITE_P(
    Settings, RunnerSettings,
    ::testing::Values(SettingsCase{"HiddenAndRedirected", Show::Hidden, Console::Redirect, false, "our line\r"},
                      SettingsCase{"ShownAndRedirected", Show::Normal, Console::Redirect, true, "our line\r"},
                      SettingsCase{"ShownWithItsOwnInput", Show::Normal, Console::OwnerData, true, ""},
                      SettingsCase{"HiddenWithItsOwnInput", Show::Hidden, Console::OwnerData, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrune::platform
