#pragma once

#include <filesystem>
#include <string>

namespace kestrune::test {

// A fresh folder under the system's temporary folder, removed with everything in it when destroyed.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as text with a trailing "/", the form the program keeps its folders in.
  std::string folder() const;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

}  // namespace kestrune::test
