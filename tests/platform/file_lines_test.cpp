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

// Every line, or with `holding` only the lines holding that text.
LinesAt ReadFrom(const std::filesystem::path& path, std::uint64_t offset = 0, std::string_view holding = {}) {
  FileLines lines;
  std::string error;
  EXPECT_TRUE(lines.Open(path, &error, offset)) << error;
  LinesAt out;
  std::string_view line;
  for (std::uint64_t at = 0; holding.empty() ? lines.Next(line, at) : lines.NextHolding(holding, line, at);) {
    out.emplace_back(std::string(line), at);
  }
  EXPECT_FALSE(lines.Failed()) << lines.Error();
  return out;
}

// The lines TextLines finds in the whole text (those holding `holding`), with where each starts.
LinesAt Expected(std::string_view text, std::string_view holding = {}) {
  LinesAt out;
  TextLines lines(text);
  for (std::string_view line; lines.Next(line);) {
    if (line.find(holding) == std::string_view::npos) continue;
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
    for (std::string_view holding : {"e", "b", "ne"}) {
      EXPECT_EQ(ReadFrom(dir / "text", 0, holding), Expected(text, holding)) << text.size() << holding;
    }
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
  EXPECT_EQ(ReadFrom(dir / "text", 0, "x"), (LinesAt{{cut, third}, {cut, fourth + 7}}));
  test::WriteFileBytes(dir / "text", overlong + "y\r\nxy\r\n");
  EXPECT_EQ(ReadFrom(dir / "text", 0, "y"), (LinesAt{{"xy", overlong.size() + 3}}));
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
