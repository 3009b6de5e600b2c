#include "platform/output_copier.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::platform {
namespace {

// Writes as a program would, into the pipe's end it was given; false once the pipe is closed.
bool WriteAsProgram(const OutputCopier& copier, const std::string& text) {
  return ::write(copier.ProgramEnd(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

TEST(OutputCopier, PutsAllTheProgramWroteIntoTheFileByItsEnd) {
  test::TempDir dir;
  OutputCopier copier;
  std::string error;
  ASSERT_TRUE(copier.Open(dir.path() / "roms.dat", &error)) << error;
  const std::string text(200000, 'x');  // more than a pipe holds at once
  ASSERT_TRUE(WriteAsProgram(copier, text));
  copier.Finish();
  EXPECT_EQ(copier.WriteError(), "");
  EXPECT_EQ(test::ReadFileBytes(dir.path() / "roms.dat"), text);
}

// /dev/full fails every write as a full disk does.
TEST(OutputCopier, NamesAFullDiskAsTheReasonAndStopsTheProgramWritingIntoNothing) {
  OutputCopier copier;
  std::string error;
  ASSERT_TRUE(copier.Open("/dev/full", &error)) << error;
  ASSERT_TRUE(WriteAsProgram(copier, "<mame>\n"));
  // The copy has closed the pipe once it could not write: the program is told so.
  void (*oldPipeSignal)(int) = std::signal(SIGPIPE, SIG_IGN);
  bool told = false;
  for (int i = 0; i < 1000 && !told; ++i) told = !WriteAsProgram(copier, std::string(4096, 'x')) && errno == EPIPE;
  std::signal(SIGPIPE, oldPipeSignal);
  EXPECT_TRUE(told);
  copier.Finish();
  EXPECT_EQ(copier.WriteError(), std::strerror(ENOSPC));
}

TEST(OutputCopier, CannotOpenAFileInAMissingFolderAndSaysWhich) {
  test::TempDir dir;
  OutputCopier copier;
  std::string error;
  EXPECT_FALSE(copier.Open(dir.path() / "gone" / "roms.dat", &error));
  EXPECT_EQ(error, "Cannot write \"" + (dir.path() / "gone" / "roms.dat").string() + "\": " + std::strerror(ENOENT));
}

}  // namespace
}  // namespace kestrune::platform
