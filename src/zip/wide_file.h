#pragma once

#include <cstdint>
#include <string>

#include "zip/wide_string.h"

// File-system operations on wide names. Both "\" and "/" separate folders; names reach the system with
// "/" and as UTF-8.
struct stat;

namespace kestrune::zip {

// Attribute bits as the zip format and the archiver know them.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

// The name as the operating system takes it: UTF-8 with "/" separators.
std::string NativeFileName(WideStringView name);

bool WideFileExists(WideStringView name);
bool WideDirectoryExists(WideStringView name);
// Attributes of a file or folder (hidden: a name starting with "."; read-only: not writable by us), or -1.
int WideFileGetAttr(WideStringView name);
// Only the read-only bit has an effect here: it clears or restores the write permissions.
bool WideFileSetAttr(WideStringView name, int attr);
// Renames or moves; never replaces an existing target (false, errno EEXIST). Across file systems the
// file is copied and the original removed.
bool WideRenameFile(WideStringView oldName, WideStringView newName);
// Deletes a file (never a folder).
bool WideDeleteFile(WideStringView name);

// The absolute form of a name, with "." and ".." resolved as text, "/" separated.
WideString WideExpandFileName(WideStringView name);
// Parts split at the last "\", "/" or ":": the path keeps its delimiter; the extension starts at the
// last "." after it, empty when there is none.
WideString WideExtractFilePath(WideStringView name);
WideString WideExtractFileName(WideStringView name);
WideString WideExtractFileExt(WideStringView name);

// Low-level handles: create (read and write, truncating) and open (access by the mode's low two bits;
// sharing bits 4 to 7 are not enforced, as POSIX has no mandatory sharing). -1 with errno on failure.
int WideFileCreate(WideStringView name);
int WideFileOpen(WideStringView name, unsigned mode);
// The same, also giving what fstat says of the file opened (the open already asks it).
int WideFileOpen(WideStringView name, unsigned mode, struct stat& info);

// A file search over one folder with a wildcard mask.
struct TWSearchRec {
  std::uint32_t Time = 0;  // DOS date and time of the last write, local time
  std::int64_t Size = 0;
  int Attr = 0;
  WideString Name;
  int ExcludeAttr = 0;
  void* FindHandle = nullptr;
  WideString Mask;
  std::string Folder;
};

// 0 on success, else an errno value (ENOENT when nothing matches).
int WideFindFirst(WideStringView path, int attr, TWSearchRec& rec);
int WideFindNext(TWSearchRec& rec);
void WideFindClose(TWSearchRec& rec);

// The system's text for an error code; "Unspecified error (%d) from system." when it has none.
std::string SysErrorMessage(int code);

// DOS date (high word) and time (low word) of a time stamp, in local time.
std::uint32_t DateTimeToDos(std::int64_t unixSeconds);

}  // namespace kestrune::zip
