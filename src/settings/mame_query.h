#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/mame_options.h"

// Asking the installed MAME about itself: its own configuration as it uses it without the front-end's
// mame.ini, and the BIOS sets of the machines that have BIOS files.
namespace kestrune::settings {

// How long a question to MAME may take before MAME is stopped. MAME answers in well under a second;
// the question is asked while windows wait for it, so a MAME that hangs holds them a few seconds only.
inline constexpr std::chrono::milliseconds kMameQueryTimeout{4000};

// The most output taken from MAME; -showconfig writes about 10 KB, -listxml of the BIOS machines 100 KB.
inline constexpr std::size_t kMaxMameQueryBytes = std::size_t{8} << 20;

// Runs the program with the arguments (no shell), in the current folder and environment, and returns
// its standard output; standard input and error go to the null device. Returns false, with *error
// naming the program, when it cannot be started, does not finish within the timeout (it is then
// killed), writes more than maxBytes, or ends with a non-zero exit code or a signal.
bool RunForOutput(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string& output,
                  std::string* error, std::chrono::milliseconds timeout = kMameQueryTimeout,
                  std::size_t maxBytes = kMaxMameQueryBytes);

// Whether the output so far holds all that is wanted.
using OutputCheck = std::function<bool(std::string_view output)>;

// Runs the program as RunForOutput does, but ends it (it and what it started are killed) as soon as
// `enough` says its output holds what is wanted, so a MAME asked about a game never goes on to run it.
// The output of a program that ends by itself is taken whatever its exit code. Returns false, with
// *error, when it cannot be started, writes more than maxBytes, or neither has enough nor ends within
// the timeout.
bool RunUntilEnough(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                    std::string& output, const OutputCheck& enough, std::string* error,
                    std::chrono::milliseconds timeout = kMameQueryTimeout, std::size_t maxBytes = kMaxMameQueryBytes);

// The installation's own path options (kMameOwnPathKeys) out of MAME's -showconfig output: lines
// "key  value", the value's enclosing quotes dropped. Keys without a value are left out.
std::vector<MamePathOption> MameOwnPathsFromConfig(std::string_view showConfig);

// Asks the installed MAME (with its own and the system's configuration, no -inipath) for the path
// options that the front-end's mame.ini must keep. On failure `paths` is left as it is.
bool AskMameOwnPaths(const std::filesystem::path& mame, std::vector<MamePathOption>& paths, std::string* error);

}  // namespace kestrune::settings
