#include "platform/file_lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::platform {
namespace {

using LinesAt = std::vector<std::pair<std::string, std::uint64_t>>;

LinesAt ReadFrom(const std::filesystem::path& path, std::uint64_t offset = 0) {
  FileLines lines;
  std::string error;
  EXPECT_TRUE(lines.Open(path, &error, offset)) << error;
  LinesAt out;
  std::string_view line;
  for (std::uint64_t at = 0; lines.Next(line, at);) out.emplace_back(std::string(line), at);
  EXPECT_FALSE(lines.Failed()) << lines.Error();
  return out;
}

// The lines TextLines finds in the whole text, with where each starts.
LinesAt Expected(std::string_view text) {
  LinesAt out;
  TextLines lines(text);
  for (std::string_view line; lines.Next(line);) {
    out.emplace_back(std::string(line), static_cast<std::uint64_t>(line.data() - text.data()));
  }
  return out;
}

// Line ends of every kind, also where a block ends between the CR and the LF of one.
TEST(FileLines, FindsTheLinesTextLinesFindsWithTheirOffsets) {
  const std::string block(256 << 10, 'b');
  for (const std::string& text :
       {std::string(), std::string("one"), std::string("one\r\n"), std::string("a\rb\nc\r\n\r\nd\n\n"),
        std::string("\n"), std::string("\r\r\n"), block.substr(1) + "\r\nnext\r", block.substr(2) + "\r\nnext\n",
        block + block + "\nlast", "x\r" + block.substr(2) + "\r\n" + block}) {
    const test::TempDir dir;
    test::WriteFileBytes(dir / "text", text);
    EXPECT_EQ(ReadFrom(dir / "text"), Expected(text)) << text.size();
  }
}

TEST(FileLines, StartsAtAnOffsetAndCutsOverlongLines) {
  const test::TempDir dir;
  const std::string overlong(FileLines::kMaxLineBytes + 5, 'x');
  test::WriteFileBytes(dir / "text", "first\r\nsecond\r\n" + overlong + "\r\nafter\r\n" + overlong);
  const std::uint64_t third = 15;
  const std::uint64_t fourth = third + overlong.size() + 2;
  const std::string cut(FileLines::kMaxLineBytes, 'x');
  EXPECT_EQ(ReadFrom(dir / "text", 7),
            (LinesAt{{"second", 7}, {cut, third}, {"after", fourth}, {cut, fourth + 7}}));
}

TEST(FileLines, RefusesWhatIsNoFileOrTooLarge) {
  const test::TempDir dir;
  test::WriteFileBytes(dir / "text", "0123456789");
  FileLines lines;
  std::string error;
  EXPECT_FALSE(lines.Open(dir.path(), &error));
  EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(lines.Open(dir / "missing", &error));
  EXPECT_FALSE(lines.Open(dir / "text", &error, 0, 9));
  EXPECT_TRUE(lines.Open(dir / "text", &error, 0, 10));
}

}  // namespace
}  // namespace kestrune::platform
