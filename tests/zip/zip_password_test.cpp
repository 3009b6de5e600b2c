#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"
#include "support/zip_writer.h"
#include "zip/zip_archiver.h"
#include "zip/zip_listing.h"

namespace kestrune::zip {
namespace {

namespace fs = std::filesystem;

// Answers the password question from a list of typed passwords (none left: Cancel); `during` runs
// while the question is open, as a timer would in a dialog's event loop.
class TypingPrompter : public TZipPrompter {
 public:
  bool InputQuery(const WideString& caption, const WideString& prompt, AnsiString& value) override {
    asked.push_back(WideToUtf8(caption) + "|" + WideToUtf8(prompt) + "|" + value);
    if (during) {
      during();
    }
    if (typed.empty()) {
      return false;
    }
    value = typed.front();
    typed.erase(typed.begin());
    return true;
  }
  std::vector<std::string> typed;
  std::vector<std::string> asked;
  std::function<void()> during;
};

// The prompter the program would install, installed for one test.
class ZipPasswordTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallZipPrompter(&prompter_); }
  void TearDown() override { InstallZipPrompter(nullptr); }

  void Open() {
    kestrune::test::WriteFileBytes(path_, kestrune::test::StoredZip({{"snap/a.png", "picture a", {}, "sesame"},
                                                                     {"snap/b.png", "picture b", {}, "sesame"},
                                                                     {"plain.txt", "not secret", {}, {}}}));
    zip_.FileName = Utf8ToWide(path_.string());
    zip_.OpenZip(kOpenReadOnly);
  }
  // The bytes extracted, or "error N".
  std::string Extract(int index) {
    TMemoryStream out;
    try {
      zip_.ExtractEntryByIndex(index, out);
    } catch (const EZipException& e) {
      return "error " + std::to_string(e.ErrorCode());
    }
    return std::string(out.Data().begin(), out.Data().end());
  }

  kestrune::test::TempDir dir_;
  fs::path path_ = dir_ / "snap.zip";
  TypingPrompter prompter_;
  TZipArchiver zip_;
};

TEST_F(ZipPasswordTest, TheRightPasswordOpensTheEntryAndTheNextOneWithoutAskingAgain) {
  Open();
  prompter_.typed = {"wrong", "sesame"};
  EXPECT_EQ(Extract(0), "picture a");
  // Asked again while wrong, with what was typed before.
  EXPECT_EQ(prompter_.asked, (std::vector<std::string>{"Password for \"snap/a.png\"|Enter password: |",
                                                       "Password for \"snap/a.png\"|Enter password: |wrong"}));
  EXPECT_EQ(Extract(1), "picture b");
  EXPECT_EQ(prompter_.asked.size(), 2u);
  EXPECT_FALSE(zip_.SkipFile);
}

TEST_F(ZipPasswordTest, CancelSkipsQuietlyAndTheArchiveIsNotAskedAgainUntilReopened) {
  Open();
  EXPECT_EQ(Extract(0), "");
  EXPECT_TRUE(zip_.SkipFile);
  EXPECT_EQ(Extract(1), "");
  EXPECT_EQ(Extract(0), "");
  EXPECT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(Extract(2), "not secret");
  EXPECT_FALSE(zip_.SkipFile);

  const ZipEntryData skipped = ReadZipEntry(zip_, 0);
  EXPECT_FALSE(skipped.ok);
  EXPECT_TRUE(skipped.skipped);
  EXPECT_TRUE(skipped.bytes.empty());

  zip_.OpenZip(kOpenReadOnly);
  prompter_.typed = {"sesame"};
  const ZipEntryData read = ReadZipEntry(zip_, "snap/b.png");
  EXPECT_TRUE(read.ok) << read.error;
  EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "picture b");
  EXPECT_EQ(prompter_.asked.size(), 2u);
}

// A timer in the dialog's event loop reads other entries of the same archive meanwhile: an encrypted
// one is skipped without a second dialog (and without counting as declined), a plain one is read, and
// the entry asked about still comes out whole.
TEST_F(ZipPasswordTest, ReadsWhileTheQuestionIsOpenNeitherAskNorDisturbIt) {
  Open();
  std::vector<std::string> meanwhile;
  prompter_.during = [&] {
    prompter_.during = nullptr;
    meanwhile = {Extract(1), Extract(2)};
  };
  prompter_.typed = {"sesame"};
  EXPECT_EQ(Extract(0), "picture a");
  EXPECT_EQ(meanwhile, (std::vector<std::string>{"", "not secret"}));
  EXPECT_FALSE(zip_.SkipFile);
  EXPECT_EQ(prompter_.asked.size(), 1u);
}

TEST_F(ZipPasswordTest, AComponentsOwnPrompterComesBeforeTheInstalledOne) {
  Open();
  TypingPrompter own;
  own.typed = {"sesame"};
  zip_.SetPrompter(&own);
  EXPECT_EQ(Extract(0), "picture a");
  EXPECT_EQ(own.asked.size(), 1u);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(ZipPasswordTest, ASkippedFileIsNotWrittenNorReplaced) {
  Open();
  const fs::path out = dir_ / "out";
  fs::create_directories(out / "snap");
  kestrune::test::WriteFileBytes(out / "snap" / "a.png", "old picture");
  zip_.BaseDir = Utf8ToWide(out.string());
  EXPECT_EQ(zip_.ExtractFiles(u"*.*"), 1);
  EXPECT_EQ(kestrune::test::ReadFileBytes(out / "snap" / "a.png"), "old picture");
  EXPECT_FALSE(fs::exists(out / "snap" / "b.png"));
  EXPECT_EQ(kestrune::test::ReadFileBytes(out / "plain.txt"), "not secret");
  EXPECT_EQ(std::distance(fs::directory_iterator(out / "snap"), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace kestrune::zip
