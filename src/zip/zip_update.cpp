// Queuing changes to an open archive and the update transaction around them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "zip/wide_file.h"
#include "zip/zip_archiver.h"
#include "zip/zip_commit.h"
#include "zip/zip_writer.h"

namespace kestrune::zip {
namespace {

constexpr std::uint32_t kFolderAttributes = faDirectory;
constexpr std::uint32_t kFileAttributes = faArchive;
constexpr std::size_t kMaxFieldLength = 0xFFFF;

bool EndsWithSlash(WideStringView name) { return !name.empty() && name.back() == u'/'; }

std::uint32_t NowDos() { return DateTimeToDos(static_cast<std::int64_t>(std::time(nullptr))); }

}  // namespace

void TZipBaseArchiver::CheckUpdatable() const {
  CheckActive();
  if (!Writable()) {
    throw EZipException(32, this);
  }
}

void TZipBaseArchiver::CheckNoUpdate() const {
  if (updateCount_ > 0) {
    throw EZipException(26, this);
  }
}

void TZipBaseArchiver::BeginUpdate() {
  CheckUpdatable();
  if (updateCount_ > 0 && spanningMode_ != TZipSpanningMode::smNone) {
    throw EZipException(62, this);
  }
  ++updateCount_;
}

void TZipBaseArchiver::EndUpdate() {
  if (updateCount_ < 1) {
    throw EZipException(22, this);
  }
  if (updateCount_ > 1) {
    --updateCount_;
    return;
  }
  CommitUpdate();
}

void TZipBaseArchiver::CancelUpdate() {
  if (updateCount_ < 1) {
    throw EZipException(25, this);
  }
  updateCount_ = 0;
  DropPendingChanges();
}

void TZipBaseArchiver::Queue(const std::function<void()>& op) {
  CheckUpdatable();
  if (updateCount_ > 0) {
    op();
    return;
  }
  // A multi-volume archive is written once, by one commit of all its entries.
  if (spanningMode_ != TZipSpanningMode::smNone) {
    throw EZipException(52, this);
  }
  BeginUpdate();
  try {
    op();
  } catch (...) {
    updateCount_ = 0;
    DropPendingChanges();
    throw;
  }
  EndUpdate();
}

WideString TZipBaseArchiver::StoredNameFor(const WideString& sourceFile) const {
  namespace fs = std::filesystem;
  const fs::path source = fs::path(NativeFileName(WideExpandFileName(sourceFile))).lexically_normal();
  switch (Options.StorePath) {
    case TZipStorePathMode::spNoPath:
      break;
    case TZipStorePathMode::spRelativePath: {
      const fs::path base =
          fs::path(NativeFileName(WideExpandFileName(BaseDir.empty() ? WideString(u".") : BaseDir))).lexically_normal();
      const fs::path relative = source.lexically_relative(base);
      if (!relative.empty() && *relative.begin() != "..") {
        return Utf8ToWide(relative.generic_string());
      }
      break;
    }
    case TZipStorePathMode::spFullPath:
    case TZipStorePathMode::spFullPathWithDrive:
      // The path without its root: a stored name is never absolute.
      return Utf8ToWide(source.relative_path().generic_string());
  }
  return Utf8ToWide(source.filename().generic_string());
}

void TZipBaseArchiver::QueueNewData(WideString storedName, TZipPendingChange change, AnsiString comment,
                                    const WideString& originalName) {
  storedName = NormalizeEntryName(storedName);
  DoOnStoreFile(storedName, change.ExternalAttributes, comment, originalName);
  storedName = NormalizeEntryName(storedName);
  if ((change.ExternalAttributes & kFolderAttributes) != 0 && !EndsWithSlash(storedName)) {
    storedName += u'/';
  }
  if (IsUnsafeEntryName(storedName)) {
    throw EZipException(kErrorUnsafeName, this, {storedName});
  }
  if (EncodeEntryName(storedName, Options.OEMFileNames).bytes.size() > kMaxFieldLength ||
      (WritesUnicodeNames() && UnicodeNameBlock(storedName).size() > kMaxFieldLength)) {
    throw EZipException(61, this, {storedName});
  }
  change.Process = true;
  TZipDirArray& items = dirManager_->Items;
  const int existing = items.IndexOfName(storedName);
  if (existing < 0) {
    TDirItem item;
    item.FileName = storedName;
    item.Comment = comment.substr(0, kMaxFieldLength);
    change.IsNew = true;
    item.Pending = std::move(change);
    items.Add(std::move(item));
    return;
  }
  TDirItem& item = items.MutableItem(existing);
  change.IsNew = item.Pending.IsNew;
  if (change.Operation == TZipProcessOperation::poAdd && !change.IsNew) {
    change.Operation = TZipProcessOperation::poUpdate;
  }
  change.NameChanged = item.Pending.NameChanged || item.FileName != storedName;
  item.Comment = comment.substr(0, kMaxFieldLength);
  item.Pending = std::move(change);
  items.SetEntryName(existing, storedName);
}

void TZipBaseArchiver::QueueFile(const WideString& sourceFile, const WideString& storedName,
                                 TZipProcessOperation operation) {
  Queue([&] {
    TZipPendingChange change;
    change.Operation = operation;
    change.SourceFile = sourceFile;
    struct stat info {};
    if (::stat(NativeFileName(sourceFile).c_str(), &info) == 0) {
      // A pipe or a device has no end to read to.
      if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        throw EZipException(kErrorNotRegularFile, this, {sourceFile});
      }
      change.SourceSize = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
    }
    const int attributes = WideFileGetAttr(sourceFile);
    change.ExternalAttributes = attributes < 0 ? kFileAttributes : static_cast<std::uint32_t>(attributes);
    QueueNewData(storedName.empty() ? StoredNameFor(sourceFile) : storedName, std::move(change), {}, sourceFile);
  });
}

void TZipBaseArchiver::AddFile(const WideString& sourceFile, const WideString& storedName) {
  QueueFile(sourceFile, storedName, TZipProcessOperation::poAdd);
}

void TZipBaseArchiver::MoveFile(const WideString& sourceFile, const WideString& storedName) {
  if (!WideDirectoryExists(sourceFile)) {
    CheckRemovable(NativeFileName(sourceFile), 27);
    QueueFile(sourceFile, storedName, TZipProcessOperation::poMove);
    return;
  }
  Queue([&] { QueueFolderMove(sourceFile, storedName); });
}

// A file or folder can be removed once it is in the archive only when its folder lets this user
// change it: known before the commit, so that no commit completes and then fails.
void TZipBaseArchiver::CheckRemovable(const std::string& path, int errorCode) const {
  namespace fs = std::filesystem;
  const fs::path source(path);
  const fs::path parent = source.has_parent_path() ? source.parent_path() : fs::path(".");
  if (::faccessat(AT_FDCWD, parent.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    throw EZipException(errorCode, this, {Utf8ToWide(path)});
  }
}

// The folder's entry and, with Options.Recurse, everything in it (without, its files alone), each
// moved; the folder is removed once the commit has emptied it. A folder that would not be left empty,
// or that cannot be removed, is error 60 before anything is queued.
void TZipBaseArchiver::QueueFolderMove(const WideString& folder, const WideString& storedName) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(NativeFileName(folder)).lexically_normal();
  WideString rootName = NormalizeEntryName(storedName.empty() ? StoredNameFor(folder) : storedName);
  while (EndsWithSlash(rootName)) {
    rootName.pop_back();
  }
  std::vector<fs::path> files;
  std::vector<fs::path> folders{root};
  std::error_code error;
  const auto take = [&](const fs::directory_entry& entry) {
    std::error_code kind;
    if (entry.is_directory(kind) && !entry.is_symlink(kind)) {
      if (!Options.Recurse) {
        throw EZipException(60, this, {folder});
      }
      folders.push_back(entry.path());
    } else {
      files.push_back(entry.path());
    }
  };
  if (Options.Recurse) {
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
      take(*it);
    }
  } else {
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
      take(*it);
    }
  }
  if (error) {
    throw EZipException(60, this, {folder});
  }
  for (const fs::path& file : files) {
    CheckRemovable(file.string(), 27);
  }
  for (const fs::path& path : folders) {
    CheckRemovable(path.string(), 60);
  }
  const auto nameOf = [&](const fs::path& path) {
    const WideString relative = Utf8ToWide(path.lexically_relative(root).generic_string());
    return rootName.empty() ? relative : rootName + u'/' + relative;
  };
  if (!rootName.empty()) {
    QueueFile(Utf8ToWide(root.string()), rootName + u'/', TZipProcessOperation::poMove);
  }
  for (std::size_t i = 1; i < folders.size(); ++i) {
    QueueFile(Utf8ToWide(folders[i].string()), nameOf(folders[i]) + u'/', TZipProcessOperation::poMove);
  }
  for (const fs::path& file : files) {
    QueueFile(Utf8ToWide(file.string()), nameOf(file), TZipProcessOperation::poMove);
  }
}

void TZipBaseArchiver::AddFromBuffer(const WideString& storedName, std::string_view data, std::uint32_t dosDateTime) {
  Queue([&] {
    TZipPendingChange change;
    change.Operation = TZipProcessOperation::poAdd;
    change.SourceData = std::make_shared<const std::string>(data);
    change.DosDateTime = dosDateTime != 0 ? dosDateTime : NowDos();
    const bool folder = EndsWithSlash(NormalizeEntryName(storedName)) && data.empty();
    change.ExternalAttributes = folder ? kFolderAttributes : kFileAttributes;
    QueueNewData(storedName, std::move(change), {}, storedName);
  });
}

std::vector<int> TZipBaseArchiver::MatchingEntries(const WideString& fileMask) {
  std::vector<int> found;
  TZipArchiveItem item;
  for (bool more = FindFirstEntry(fileMask, item, faAnyFile); more; more = FindNextEntry(item)) {
    const TZipPendingChange& change = dirManager_->Items.Item(item.SearchRec.EntryIndex).Pending;
    if (!change.Process || change.Operation != TZipProcessOperation::poDelete) {
      found.push_back(item.SearchRec.EntryIndex);
    }
  }
  return found;
}

int TZipBaseArchiver::DeleteFiles(const WideString& fileMask) {
  int count = 0;
  Queue([&] {
    for (const int index : MatchingEntries(fileMask)) {
      TZipPendingChange& change = dirManager_->Items.MutableItem(index).Pending;
      change.Process = true;
      change.Operation = TZipProcessOperation::poDelete;
      change.SourceData.reset();
      change.SourceFile.clear();
      ++count;
    }
  });
  return count;
}

int TZipBaseArchiver::ChangeFilesAttr(const WideString& fileMask, std::uint32_t attributes) {
  int count = 0;
  Queue([&] {
    for (const int index : MatchingEntries(fileMask)) {
      TDirItem& item = dirManager_->Items.MutableItem(index);
      TZipPendingChange& change = item.Pending;
      if (!change.SourceFile.empty() || change.SourceData) {
        change.ExternalAttributes = attributes;  // for the data written anew
      } else {
        item.CentralDir.ExternalAttributes = attributes;
        if (!change.Process) {
          change.Process = true;
          change.Operation = TZipProcessOperation::poChangeAttr;
        }
      }
      ++count;
    }
  });
  return count;
}

int TZipBaseArchiver::ChangeFilesComment(const WideString& fileMask, const AnsiString& comment) {
  int count = 0;
  Queue([&] {
    for (const int index : MatchingEntries(fileMask)) {
      TDirItem& item = dirManager_->Items.MutableItem(index);
      item.Comment = comment.substr(0, kMaxFieldLength);
      if (!item.Pending.Process) {
        item.Pending.Process = true;
        item.Pending.Operation = TZipProcessOperation::poChangeComment;
      }
      ++count;
    }
  });
  return count;
}

void TZipBaseArchiver::RenameFile(const WideString& oldName, const WideString& newName) {
  Queue([&] {
    TZipDirArray& items = dirManager_->Items;
    const int index = items.IndexOfName(NormalizeEntryName(oldName));
    if (index < 0 ||
        (items.Item(index).Pending.Process && items.Item(index).Pending.Operation == TZipProcessOperation::poDelete)) {
      throw EZipException(15, this, {oldName});
    }
    const WideString name = NormalizeEntryName(newName);
    if (IsUnsafeEntryName(name)) {
      throw EZipException(kErrorUnsafeName, this, {name});
    }
    const int clash = items.IndexOfName(name);
    if (clash >= 0 && clash != index) {
      throw EZipException(19, this, {name});
    }
    if (EncodeEntryName(name, Options.OEMFileNames).bytes.size() > kMaxFieldLength) {
      throw EZipException(61, this, {name});
    }
    TZipPendingChange& change = items.MutableItem(index).Pending;
    if (!change.Process) {
      change.Process = true;
      change.Operation = TZipProcessOperation::poRename;
    }
    change.NameChanged = true;
    items.SetEntryName(index, name);
  });
}

void TZipBaseArchiver::SetArchiveComment(const AnsiString& comment) {
  // Readers look for the end record from the end of the file: one inside the comment would be taken
  // for the archive's own.
  for (const std::uint32_t signature : ReadOptions().EndRecordSignatures) {
    std::string bytes(4, '\0');
    PutLE32(reinterpret_cast<std::uint8_t*>(bytes.data()), signature);
    if (comment.substr(0, kMaxFieldLength).find(bytes) != AnsiString::npos) {
      throw EZipException(kErrorCommentHidesEnd, this);
    }
  }
  Queue([&] {
    dirManager_->Comment = comment.substr(0, kMaxFieldLength);
    commentChanged_ = true;
  });
}

void TZipBaseArchiver::CommitUpdate() {
  if (updateCount_ < 1) {
    return;
  }
  updateCount_ = 0;
  Aborted = false;
  ProgressEnabled = true;
  bool committed = false;
  std::vector<WideString> moved;
  try {
    TZipUpdater updater(*this);
    committed = updater.Run();
    moved = updater.MovedFiles();
  } catch (...) {
    DropPendingChanges();
    throw;
  }
  if (!committed) {
    Aborted = true;
    DropPendingChanges();
    return;
  }
  RemoveMovedSources(moved);
}

// The commit is complete: a source that cannot be removed now is told to OnProcessFileFailure and
// left, never raised as a failure of the commit. Files go first, then the folders, deepest first.
void TZipBaseArchiver::RemoveMovedSources(const std::vector<WideString>& moved) {
  std::vector<WideString> folders;
  for (const WideString& source : moved) {
    if (WideDirectoryExists(source)) {
      folders.push_back(source);
    } else if (!WideDeleteFile(source)) {
      ReportUnremoved(source, 27);
    }
  }
  std::sort(folders.begin(), folders.end(),
            [](const WideString& a, const WideString& b) { return a.size() > b.size(); });
  for (const WideString& folder : folders) {
    if (::rmdir(NativeFileName(folder).c_str()) != 0 && errno != ENOENT) {
      ReportUnremoved(folder, 60);
    }
  }
}

void TZipBaseArchiver::ReportUnremoved(const WideString& source, int errorCode) {
  const int error = errno;
  const WideString message = Utf8ToWide(FormatZipMessage(errorCode, this, {source}));
  TZipAction action = TZipAction::fxaIgnore;
  DoOnProcessFileFailure(source, TZipProcessOperation::poMove, error, errorCode, message, action);
}

void TZipBaseArchiver::DropPendingChanges() noexcept {
  commentChanged_ = false;
  if (!stream_) {
    return;
  }
  const bool creating = dirManager_ && dirManager_->Creating();
  try {
    dirManager_ = std::make_unique<TZipDirManager>(*stream_, creating, this, ReadOptions());
    if (!creating) {
      LoadFromStream();
    }
  } catch (const std::exception& e) {
    // The archive read a moment ago no longer reads: nothing of it can be trusted to stay open.
    std::cerr << "zip: " << WideToUtf8(FileName) << ": cannot read the archive again: " << e.what() << "\n";
    ReleaseArchive();
  }
}

void TZipBaseArchiver::ReopenAfterCommit(std::unique_ptr<TStream> memory) {
  dirManager_.reset();
  commentChanged_ = false;
  try {
    std::unique_ptr<TStream> stream = std::move(memory);
    if (!stream) {
      // Let go of the replaced file before opening the one the commit wrote in its place.
      stream_.reset();
      const unsigned mode = openMode_ < kOpenCreate ? openMode_ : kOpenReadWriteDenyWrite;
      stream = std::make_unique<TWFileStream>(FileName, mode);
    }
    createdFile_ = false;
    AttachStream(std::move(stream), false);
    LoadFromStream();
  } catch (...) {
    ReleaseArchive();
    throw;
  }
}

}  // namespace kestrune::zip
