// Ends the real program the way a logout or Ctrl+C does, while it is in the middle of something.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../catalogue/game_lines.h"
#include "support/file_util.h"

namespace {

namespace fs = std::filesystem;
using kestrune::test::GameLine;
using kestrune::test::ReadFileBytes;
using kestrune::test::WriteFileBytes;

constexpr int kReadyMs = 20000;
// A logout waits a few seconds before it kills what is left.
constexpr int kEndMs = 10000;

template <typename Done>
bool WaitUntil(Done done, int milliseconds) {
  QElapsedTimer waited;
  waited.start();
  while (!done() && waited.elapsed() < milliseconds) QThread::msleep(20);
  return done();
}

// A field of /proc/<pid>/status ("SigCgt", "State"); empty when the process is gone.
std::string StatusField(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(name + ":")) return line.substr(line.find_first_not_of(" \t", name.size() + 1));
  }
  return {};
}

// The program has put its own handler on SIGTERM, so a signal sent now is its to handle.
bool CatchesSigterm(pid_t pid) {
  const std::string caught = StatusField(pid, "SigCgt");
  return !caught.empty() && (std::stoull(caught, nullptr, 16) & (1ULL << (SIGTERM - 1))) != 0;
}

// A zombie has ended; it only waits for a parent to collect it.
bool Alive(pid_t pid) { return ::kill(pid, 0) == 0 && !StatusField(pid, "State").starts_with("Z"); }

// Tells when a file has been read through: opened for reading and closed again.
class ReadWatch {
 public:
  explicit ReadWatch(const fs::path& file) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) ::inotify_add_watch(fd_, file.c_str(), IN_CLOSE_NOWRITE);
  }
  ~ReadWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadWatch(const ReadWatch&) = delete;
  ReadWatch& operator=(const ReadWatch&) = delete;

  bool Seen() {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        seen_ = seen_ || (event->mask & IN_CLOSE_NOWRITE) != 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return seen_;
  }

 private:
  int fd_;
  bool seen_ = false;
};

class Termination : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(runtime_.isValid());
  }

  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished(5000);
    }
    // A failed end can leave the stand-ins for MAME behind.
    for (const pid_t pid : FakeMamePids()) {
      if (Alive(pid)) ::kill(pid, SIGKILL);
    }
  }

  fs::path Path(const std::string& name) const { return fs::path(folder_.path().toStdString()) / name; }
  void Write(const std::string& name, const std::string& bytes) const {
    fs::create_directories(Path(name).parent_path());
    WriteFileBytes(Path(name), bytes);
  }

  void Start(bool unattendedSetup = false) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.remove("KESTRUNE_SETUP");
    if (unattendedSetup) env.insert("KESTRUNE_SETUP", "unattended");
    program_.setProcessEnvironment(env);
    program_.setWorkingDirectory(folder_.path());
    program_.start(QStringLiteral(KESTRUNE_EXE), {});
    ASSERT_TRUE(program_.waitForStarted(5000));
  }
  pid_t Pid() const { return static_cast<pid_t>(program_.processId()); }

  // A stand-in for MAME that never answers; each start notes "<pid> <first argument>" and then waits.
  void WriteFakeMame() const {
    Write("mame", "#!/bin/sh\necho \"$$ $1\" >> '" + Path(kFakeStarts).string() + "'\nexec sleep 300\n");
    fs::permissions(Path("mame"), fs::perms(0755));
  }
  std::string FakeMameStarts() const {
    return fs::exists(Path(kFakeStarts)) ? ReadFileBytes(Path(kFakeStarts)) : std::string();
  }
  std::vector<pid_t> FakeMamePids() const {
    std::vector<pid_t> pids;
    std::istringstream lines(FakeMameStarts());
    for (std::string pid, arguments; lines >> pid && std::getline(lines, arguments);) pids.push_back(std::stoi(pid));
    return pids;
  }

  // Sends the signal and waits for the program's end; what it wrote to stderr is kept in stderr_.
  bool EndsAfter(int signal) {
    ::kill(Pid(), signal);
    const bool ended = program_.waitForFinished(kEndMs);
    stderr_ = program_.readAllStandardError().toStdString();
    return ended;
  }

  static constexpr const char* kFakeStarts = "mame-starts";
  static constexpr const char* kSettings = "[kestruneui]\r\nselected=0\r\n";

  // A program folder whose game list the user made read-only, with the program started in it and
  // done reading that list.
  void StartWithReadOnlyGameList() {
    Write("ini/kestrune.ini", kSettings);
    Write("ini/kestrune.dat", GameLine("galaga") + "\r\n");
    fs::permissions(Path("ini/kestrune.dat"), fs::perms(0444));
    ReadWatch listRead(Path("ini/kestrune.dat"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitUntil([&] { return CatchesSigterm(Pid()) && listRead.Seen(); }, kReadyMs));
  }

  QTemporaryDir folder_;
  QTemporaryDir runtime_;
  QProcess program_;
  std::string stderr_;
};

// A close would ask whether to quit without the game list; a termination asks nothing, and its exit
// status says that the list was not saved.
TEST_F(Termination, WithAReadOnlyGameListSavesTheSettingsLeavesTheListAsItIsAndEnds) {
  ASSERT_NO_FATAL_FAILURE(StartWithReadOnlyGameList());
  ASSERT_TRUE(EndsAfter(SIGTERM)) << stderr_;
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 1) << stderr_;
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.dat")), GameLine("galaga") + "\r\n");
  const std::string settings = ReadFileBytes(Path("ini/kestrune.ini"));
  EXPECT_NE(settings, kSettings);
  EXPECT_THAT(settings, ::testing::HasSubstr("winwidth="));
  EXPECT_THAT(stderr_, ::testing::HasSubstr("game list could not be saved"));
  EXPECT_THAT(stderr_, ::testing::HasSubstr(Path("ini/kestrune.dat").string()));
}

// Settings that cannot be saved (their file read-only) end the program with a failure too.
TEST_F(Termination, SettingsThatCannotBeSavedEndTheProgramWithAFailure) {
  Write("ini/kestrune.ini", kSettings);
  Write("ini/kestrune.dat", GameLine("galaga") + "\r\n");
  fs::permissions(Path("ini/kestrune.ini"), fs::perms(0444));
  ReadWatch listRead(Path("ini/kestrune.dat"));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(WaitUntil([&] { return CatchesSigterm(Pid()) && listRead.Seen(); }, kReadyMs));
  ASSERT_TRUE(EndsAfter(SIGTERM)) << stderr_;
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 1) << stderr_;
  EXPECT_EQ(ReadFileBytes(Path("ini/kestrune.ini")), kSettings);
}

// The first run's wizard scans with a MAME that never answers, the window's question for MAME's own
// paths included.
TEST_F(Termination, DuringTheFirstRunScanEndsSavesTheSettingsAndLeavesNoMameRunning) {
  WriteFakeMame();
  ASSERT_NO_FATAL_FAILURE(Start(true));
  ASSERT_TRUE(WaitUntil(
      [&] { return CatchesSigterm(Pid()) && FakeMameStarts().find(" -listxml\n") != std::string::npos; }, kReadyMs));
  ASSERT_TRUE(EndsAfter(SIGTERM)) << stderr_;
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program_.exitCode(), 0) << stderr_;
  ASSERT_TRUE(fs::exists(Path("ini/kestrune.ini")));
  EXPECT_THAT(ReadFileBytes(Path("ini/kestrune.ini")), ::testing::HasSubstr("mamefile=mame"));
  // As Cancel leaves it: the list MAME was writing is gone.
  EXPECT_FALSE(fs::exists(Path("roms.dat")));
  for (const pid_t pid : FakeMamePids()) {
    EXPECT_TRUE(WaitUntil([&] { return !Alive(pid); }, 5000)) << "MAME is left running: " << FakeMameStarts();
  }
}

// Killed, the program runs nothing of its own any more: the MAME it started to list its games, and what
// that MAME started in turn, must still not go on writing after it. The child writes into a file of its
// own, so that it is not simply stopped by the list's pipe closing with the program.
TEST_F(Termination, KilledDuringTheFirstRunScanLeavesNoMameWriting) {
  const std::string note = "echo \"$$ $1\" >> '" + Path(kFakeStarts).string() + "'\n";
  Write("mame", "#!/bin/sh\n" + note + "[ \"$1\" = -listxml ] || exec sleep 300\necho '<mame build=\"0.251\">'\n" +
                    "sh -c '" + "echo \"$$ child\" >> " + Path(kFakeStarts).string() +
                    "; while :; do echo more >> " + Path("child-output").string() + "; sleep 0.05; done' &\n" +
                    "while :; do echo '<!-- -->'; sleep 0.05; done\n");
  fs::permissions(Path("mame"), fs::perms(0755));
  ASSERT_NO_FATAL_FAILURE(Start(true));
  ASSERT_TRUE(WaitUntil([&] { return FakeMameStarts().find(" child\n") != std::string::npos; }, kReadyMs));
  std::vector<pid_t> pids;  // the listing MAME and its child, not MAME asked for its paths
  std::istringstream lines(FakeMameStarts());
  for (std::string pid, what; lines >> pid >> what;) {
    if (what == "-listxml" || what == "child") pids.push_back(std::stoi(pid));
  }
  ASSERT_EQ(pids.size(), 2u) << FakeMameStarts();
  for (const pid_t pid : pids) ASSERT_TRUE(Alive(pid)) << FakeMameStarts();
  ASSERT_TRUE(EndsAfter(SIGKILL));
  for (const pid_t pid : pids) {
    EXPECT_TRUE(WaitUntil([&] { return !Alive(pid); }, kEndMs)) << "left running: " << pid << "\n" << FakeMameStarts();
  }
}

// Held stopped while both requests arrive, so the first cannot be acted on before the second comes.
TEST_F(Termination, ASecondRequestEndsTheProgramAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartWithReadOnlyGameList());
  ::kill(Pid(), SIGSTOP);
  ASSERT_TRUE(WaitUntil([&] { return StatusField(Pid(), "State").starts_with("T"); }, kReadyMs));
  ::kill(Pid(), SIGTERM);
  ::kill(Pid(), SIGINT);
  ASSERT_TRUE(EndsAfter(SIGCONT)) << stderr_;
  EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  EXPECT_THAT(program_.exitCode(), ::testing::AnyOf(128 + SIGTERM, 128 + SIGINT)) << stderr_;
  EXPECT_THAT(stderr_, ::testing::HasSubstr("asked again to end"));
}

}  // namespace
