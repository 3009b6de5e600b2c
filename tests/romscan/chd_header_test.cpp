#include "romscan/chd_header.h"

#include <gtest/gtest.h>

#include <string>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace kestrune::romscan {
namespace {

std::string Header(std::uint32_t version, std::size_t offset, std::string bytes, std::size_t size = 124) {
  std::string header(size, '\0');
  header.replace(0, 8, "MComprHD");
  header[15] = static_cast<char>(version);
  if (offset + bytes.size() <= size) header.replace(offset, bytes.size(), bytes);
  return header;
}

TEST(ByteToHex, GivesTwoUpperCaseDigits) {
  EXPECT_EQ(ByteToHex(0x00), "00");
  EXPECT_EQ(ByteToHex(0x0F), "0F");
  EXPECT_EQ(ByteToHex(0xA5), "A5");
  EXPECT_EQ(ByteToHex(0xFF), "FF");
}

TEST(ChdHeader, ReadsTheHashWhereTheVersionKeepsIt) {
  const std::string md5Bytes = "\x01\x23\x45\x67\x89\xab\xcd\xef\x01\x23\x45\x67\x89\xab\xcd\xef";
  const std::string md5 = "0123456789abcdef0123456789abcdef";
  const std::string sha1Bytes = md5Bytes + "\xfe\xdc\xba\x98";
  const std::string sha1 = md5 + "fedcba98";
  struct Case {
    const char* what;
    std::string file;
    bool md5Good;
    bool sha1Good;
  } cases[] = {
      {"v3 md5 and sha1", Header(3, 44, md5Bytes).replace(80, 20, sha1Bytes), true, true},
      {"v4 sha1 at 48", Header(4, 48, sha1Bytes), false, true},
      {"v5 sha1 at 84", Header(5, 84, sha1Bytes), false, true},
      {"v5 sha1 at the v4 place", Header(5, 48, sha1Bytes), false, false},
      {"v6 unknown", Header(6, 84, sha1Bytes), false, false},
      {"cut before the md5 ends", Header(2, 44, md5Bytes, 50), false, false},
      {"cut before the sha1 ends", Header(5, 84, "", 90), false, false},
      {"empty", "", false, false},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    test::WriteFileBytes(dir / "disk.chd", c.file);
    EXPECT_EQ(CheckChdMd5(dir / "disk.chd", md5), c.md5Good) << c.what;
    EXPECT_EQ(CheckChdSha1(dir / "disk.chd", sha1), c.sha1Good) << c.what;
  }
  EXPECT_FALSE(CheckChdMd5(dir / "missing.chd", md5));
  EXPECT_FALSE(CheckChdHash(dir / "missing.chd", "", ""));
  EXPECT_TRUE(CheckChdHash(dir / "disk.chd", "", ""));  // no hash known: any image will do
  test::WriteFileBytes(dir / "disk.chd", Header(3, 44, md5Bytes));
  EXPECT_FALSE(CheckChdMd5(dir / "disk.chd", "0123456789ABCDEF0123456789ABCDEF"));  // compared exactly
}

}  // namespace
}  // namespace kestrune::romscan
