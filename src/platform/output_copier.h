#pragma once

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

// Copies what a program writes to its standard output into a file, on a thread of its own. The program
// writes into a pipe rather than into the file, so that a write of the file that fails (a full disk, a
// file-size limit) is seen here with the system's reason: the program may not say, and MAME does not
// (its game list cut short on a full disk, it still ends with 0).
namespace kestrune::platform {

class OutputCopier {
 public:
  OutputCopier() = default;
  ~OutputCopier();
  OutputCopier(const OutputCopier&) = delete;
  OutputCopier& operator=(const OutputCopier&) = delete;

  // Creates or empties the file and starts copying. False, with a message naming the file, when it cannot.
  bool Open(const std::filesystem::path& file, std::string* error);
  // The pipe's end for the program's standard output (closed on exec: the child puts it in place).
  int ProgramEnd() const { return programEnd_; }
  // Once the program has started: this program's own copy of that end is closed.
  void ProgramStarted();
  // Once the program has ended: copies what it wrote that the pipe still holds, then stops and closes
  // the file. What it left running and writes on is not copied any more (and is told so by the pipe).
  void Finish();
  // After Finish: empty when everything written reached the file, else the system's reason why not.
  const std::string& WriteError() const { return writeError_; }

 private:
  void Copy();
  // False once the copying is over: the pipe ended or the file could not be written.
  bool CopyAvailable(std::size_t limit);
  void CloseAll();

  int fileFd_ = -1;
  int pipeFd_ = -1;  // the copy's end of the pipe, non-blocking
  int programEnd_ = -1;
  int wakeRead_ = -1;  // written to by Finish
  int wakeWrite_ = -1;
  std::thread thread_;
  std::string writeError_;    // the thread's until it is joined
  std::vector<char> buffer_;  // the thread's, made once by Open
};

}  // namespace kestrune::platform
