#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support/file_util.h"
#include "support/program_folder_fixture.h"

namespace kestrune::test {

// The language files shipped with the program, beside the tests' data folder.
inline std::filesystem::path ShippedLangDir() { return TestDataDir() / ".." / ".." / "lang"; }

// A program folder whose lang folder holds the shipped english.lng and dutch.lng.
class ShippedLanguagesTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    const std::filesystem::path shipped = std::filesystem::absolute(ShippedLangDir());
    ASSERT_NO_FATAL_FAILURE(ProgramFolderTest::SetUp());
    std::filesystem::create_directories(folder_ + "lang");
    for (const char* file : {"english.lng", "dutch.lng"}) {
      std::filesystem::copy_file(shipped / file, folder_ + "lang/" + file);
    }
  }
};

}  // namespace kestrune::test
