#include "platform/executable.h"

#include <system_error>

namespace kestrune::platform {

bool IsRunnableFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  return (std::filesystem::status(path, error).permissions() & std::filesystem::perms::owner_exec) !=
         std::filesystem::perms::none;
}

}  // namespace kestrune::platform
