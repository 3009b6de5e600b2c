#include "zip/zip_commit.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <iostream>

#include "zip/wide_file.h"

namespace kestrune::zip {
namespace {

constexpr std::uint32_t kEscape32 = 0xFFFFFFFF;
constexpr std::uint16_t kEscape16 = 0xFFFF;
constexpr std::size_t kMaxFieldLength = 0xFFFF;
constexpr std::uint16_t kVersionOemNames = 20;
constexpr std::uint16_t kVersionAnsiNames = 0x0B14;  // made on NTFS: names in the ANSI page
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint16_t kHostNtfs = 0x0B00;
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

// A handler asked to stop; the commit unwinds and leaves the old archive as it was.
struct TCommitCancelled {};

bool HasNewData(const TZipPendingChange& change) { return !change.SourceFile.empty() || change.SourceData != nullptr; }

bool IsDeleted(const TZipPendingChange& change) {
  return change.Process && change.Operation == TZipProcessOperation::poDelete;
}

// An upper bound of what the data of `size` bytes can take in the archive (deflate's worst case, the
// block format's lengths, the encryption header).
std::uint64_t WorstStoredSize(std::uint64_t size) { return size + size / 1000 + 4096; }

std::string Zip64Value(std::uint64_t value) {
  std::string bytes(8, '\0');
  PutLE64(reinterpret_cast<std::uint8_t*>(bytes.data()), value);
  return bytes;
}

std::string ExtraBlocksText(const std::vector<TZipExtraBlock>& blocks) {
  std::string extra;
  for (const auto& block : blocks) {
    extra += ExtraBlock(block.HeaderId,
                        std::string_view(reinterpret_cast<const char*>(block.Data.data()), block.Data.size()));
  }
  return extra;
}

// "Made on DOS" tells readers that names are in the OEM page; any other name is declared as made on
// NTFS (Info-ZIP's unzip otherwise turns even a UTF-8 flagged name into OEM characters).
std::uint16_t MadeBy(bool oemName, bool zip64) {
  return static_cast<std::uint16_t>((oemName ? 0 : kHostNtfs) | (zip64 ? kVersionZip64 : kVersionOemNames));
}

std::uint32_t FileDosTime(const WideString& file) {
  struct stat info {};
  if (::stat(NativeFileName(file).c_str(), &info) != 0) {
    return 0;
  }
  return DateTimeToDos(static_cast<std::int64_t>(info.st_mtime));
}

// Whether an extra field has a ZIP64 block.
bool HasZip64Block(std::string_view extra) {
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(extra.data() + at);
    if (GetLE16(p) == kZip64ExtraId) {
      return true;
    }
    at += 4 + GetLE16(p + 2);
  }
  return false;
}

// A source file read no further than the size it had when it was added: a file that keeps growing is
// taken as it was then.
class TLimitedStream : public TStream {
 public:
  TLimitedStream(std::unique_ptr<TStream> inner, std::int64_t limit) : inner_(std::move(inner)), limit_(limit) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    const std::int64_t left = std::max<std::int64_t>(limit_ - inner_->Position(), 0);
    return inner_->Read(buffer,
                        static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(count))));
  }
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    if (origin == TSeekOrigin::soEnd) {
      return inner_->Seek(Size() + offset, TSeekOrigin::soBeginning);
    }
    return inner_->Seek(offset, origin);
  }
  std::int64_t Size() override { return std::min(inner_->Size(), limit_); }
  void SetSize(std::int64_t) override { throw EWriteError(); }

 private:
  std::unique_ptr<TStream> inner_;
  std::int64_t limit_;
};

}  // namespace

// The new archive's file, made in the temporary folder and put in place of the old one when complete:
// renamed over it, or first copied beside it from another file system, so that the archive is only
// ever replaced whole. Removed unless it was put in place.
class TReplacementFile {
 public:
  TReplacementFile(const WideString& archive, const WideString& tempDir, const TComponent* owner) : owner_(owner) {
    namespace fs = std::filesystem;
    fs::path target = NativeFileName(archive);
    std::error_code error;
    // Through a link, the file it leads to is replaced and the link stays.
    if (fs::is_symlink(target, error)) {
      const fs::path resolved = fs::weakly_canonical(target, error);
      if (!error) {
        target = resolved;
      }
    }
    target_ = target.string();
    archiveFolder_ = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const std::string tempFolder = TempFolder(tempDir);
    RemoveStaleTempFiles(tempFolder, tempDir.empty());
    if (tempFolder != archiveFolder_) {
      RemoveStaleTempFiles(archiveFolder_);
    }
    try {
      temp_ = std::make_unique<TLockedTempFile>(tempFolder);
    } catch (const EFCreateError&) {
      throw EZipException(23, owner_, {tempFolder + "/FC*.tmp"});
    }
    stream_ = std::make_unique<TWFileStream>(Utf8ToWide(temp_->Path()), 2);
  }

  ~TReplacementFile() {
    stream_.reset();
    if (temp_) {
      const std::string path = temp_->Path();
      if (!temp_->Release(true)) {
        std::cerr << "zip: " << FormatZipMessage(27, owner_, {path}) << "\n";
      }
    }
  }

  TReplacementFile(const TReplacementFile&) = delete;
  TReplacementFile& operator=(const TReplacementFile&) = delete;

  TStream& Stream() { return *stream_; }

  // Puts the new archive in place. The temporary file of another file system stays until Discard().
  void Replace(bool flush, const std::function<void(TZipOutput&)>& prepare) {
    struct stat old {};
    const mode_t mode = ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (SameFileSystem(temp_->Path(), archiveFolder_)) {
      Publish(*stream_, *temp_, mode, flush);
      stream_.reset();
      temp_.reset();
      return;
    }
    std::unique_ptr<TLockedTempFile> copy;
    try {
      copy = std::make_unique<TLockedTempFile>(archiveFolder_);
    } catch (const EFCreateError&) {
      throw EZipException(23, owner_, {archiveFolder_ + "/FC*.tmp"});
    }
    TWFileStream beside(Utf8ToWide(copy->Path()), 2);
    TZipOutput out(beside, owner_);
    prepare(out);
    stream_->SetPosition(0);
    std::vector<std::uint8_t> buffer(kCopyChunk);
    for (std::size_t n = stream_->Read(buffer.data(), buffer.size()); n != 0;
         n = stream_->Read(buffer.data(), buffer.size())) {
      out.Write(buffer.data(), n);
    }
    Publish(beside, *copy, mode, flush);
  }

  // Deletes the temporary file: error 27 when it cannot be.
  void Discard() {
    stream_.reset();
    if (!temp_) {
      return;
    }
    const std::string path = temp_->Path();
    const bool removed = temp_->Release(true);
    temp_.reset();
    if (!removed) {
      throw EZipException(27, owner_, {path});
    }
  }

 private:
  static std::string TempFolder(const WideString& tempDir) {
    if (!tempDir.empty()) {
      return NativeFileName(tempDir);
    }
    const char* system = std::getenv("TMPDIR");
    return system != nullptr && *system != '\0' ? std::string(system) : std::string("/tmp");
  }

  static bool SameFileSystem(const std::string& file, const std::string& folder) {
    struct stat a {};
    struct stat b {};
    return ::stat(file.c_str(), &a) == 0 && ::stat(folder.c_str(), &b) == 0 && a.st_dev == b.st_dev;
  }

  void Publish(TWFileStream& file, TLockedTempFile& temp, mode_t mode, bool flush) {
    if (::fchmod(file.Handle(), mode) != 0 || (flush && ::fsync(file.Handle()) != 0)) {
      throw EZipException(46, owner_);
    }
    if (::rename(temp.Path().c_str(), target_.c_str()) != 0) {
      throw EZipException(36, owner_, {target_});
    }
    temp.Release(false);
  }

  const TComponent* owner_;
  std::string target_;
  std::string archiveFolder_;
  std::unique_ptr<TLockedTempFile> temp_;
  std::unique_ptr<TWFileStream> stream_;
};

TZipUpdater::TZipUpdater(TZipBaseArchiver& zip) : zip_(zip), dir_(*zip.dirManager_), old_(*zip.stream_) {}

TZipUpdater::~TZipUpdater() = default;

bool TZipUpdater::Zip64Mode(TZip64Mode mode) const { return zip_.Zip64Mode == mode; }

bool TZipUpdater::HasChanges() const {
  if (dir_.Creating() || zip_.commentChanged_) {
    return true;
  }
  for (int i = 0; i < dir_.Items.Count(); ++i) {
    if (dir_.Items.Item(i).Pending.Process) {
      return true;
    }
  }
  return false;
}

// Whether an old entry leaves its place: its local header or its data change, or it goes.
bool TZipUpdater::Moves(const TDirItem& item) const {
  const TZipPendingChange& change = item.Pending;
  return !change.IsNew && change.Process && (IsDeleted(change) || change.NameChanged || HasNewData(change));
}

// Everything in front of the first old entry that changes stays where it is.
std::int64_t TZipUpdater::CutPosition() const {
  if (dir_.Creating()) {
    return 0;
  }
  std::int64_t cut = std::max<std::int64_t>(dir_.DirectoryStart, 0);
  for (int i = 0; i < dir_.Items.Count(); ++i) {
    const TDirItem& item = dir_.Items.Item(i);
    if (Moves(item)) {
      cut = std::min(cut, static_cast<std::int64_t>(item.LocalHeaderOffset));
    }
  }
  return cut;
}

bool TZipUpdater::Run() {
  if (!HasChanges()) {
    return true;
  }
  if (!zip_.InMemory()) {
    zip_.CheckArchiveUnchanged();
  }
  for (int i = 0; i < dir_.Items.Count(); ++i) {
    const TDirItem& item = dir_.Items.Item(i);
    if (!IsDeleted(item.Pending)) {
      total_ += ProgressWeight(item);
    }
  }
  try {
    OverallProgress(TZipProcessOperation::poAdd, TZipProgressPhase::ppStart);
    OpenOutput();
    const std::int64_t cut = CutPosition();
    CopyPrefix(cut);
    ProcessEntries(cut);
    WriteDirectory();
    OverallProgress(TZipProcessOperation::poAdd, TZipProgressPhase::ppEnd);
    Finish();
  } catch (const TCommitCancelled&) {
    if (file_) {
      file_->Discard();
    }
    return false;
  } catch (const EStreamError&) {
    throw EZipException(46, &zip_);
  } catch (const EZipException&) {
    if (volumes_ && volumes_->Refused()) {
      return false;  // a new volume was refused: as cancelled
    }
    throw;
  }
  return true;
}

void TZipUpdater::OverallProgress(TZipProcessOperation operation, TZipProgressPhase phase) {
  if (!zip_.ProgressEnabled) {
    return;
  }
  double percent = static_cast<double>(done_) * 100.0 / static_cast<double>(std::max<std::uint64_t>(total_, 1));
  if (phase == TZipProgressPhase::ppEnd) {
    percent = 100.0;
  }
  bool cancel = false;
  zip_.DoOnOverallProgress(std::min(percent, 100.0), operation, phase, cancel);
  if (cancel) {
    throw TCommitCancelled{};
  }
}

void TZipUpdater::OpenOutput() {
  if (zip_.SpanningMode() != TZipSpanningMode::smNone) {
    OpenVolumes();
  } else if (zip_.InMemory()) {
    memory_ = std::make_unique<TMemoryStream>();
    out_ = std::make_unique<TZipOutput>(*memory_, &zip_);
  } else {
    file_ = std::make_unique<TReplacementFile>(zip_.FileName, zip_.TempDir, &zip_);
    out_ = std::make_unique<TZipOutput>(file_->Stream(), &zip_);
  }
  WatchDiskFull(*out_);
}

// A write that finds the disk full asks the handler, which may free space and have it retried.
void TZipUpdater::WatchDiskFull(TZipOutput& out) {
  out.SetDiskFullHandler([this] {
    const int error = errno;
    if ((volumes_ && volumes_->Refused()) || (error != ENOSPC && error != EFBIG && error != EDQUOT)) {
      return false;
    }
    const int volume = volumes_ ? volumes_->VolumeCount() - 1 : 0;
    const WideString name = volumes_ ? zip_.VolumeFileName(volume, false) : zip_.FileName;
    bool cancel = true;
    zip_.DoOnDiskFull(volume, name, cancel);
    return !cancel;
  });
}

// How much of the commit's work an entry is: its new data, or the old data copied.
std::uint64_t TZipUpdater::ProgressWeight(const TDirItem& item) const {
  const TZipPendingChange& change = item.Pending;
  if (change.SourceData) {
    return change.SourceData->size();
  }
  if (!change.SourceFile.empty()) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(change.SourceSize, 0));
  }
  return item.CompressedSize;
}

void TZipUpdater::OpenVolumes() {
  if (zip_.InMemory()) {
    throw EZipException(51, &zip_);
  }
  if (zip_.SpanningMode() == TZipSpanningMode::smSpanning) {
    throw EZipException(kErrorSpanningUnsupported, &zip_);
  }
  const std::filesystem::path archive = NativeFileName(zip_.FileName);
  const std::string folder = archive.has_parent_path() ? archive.parent_path().string() : std::string(".");
  RemoveStaleTempFiles(folder);
  auto size = static_cast<std::uint64_t>(VolumeSizeBytes(zip_.SpanningOptions));
  if (size == 0) {
    struct statvfs disk {};
    size = ::statvfs(folder.c_str(), &disk) == 0 ? std::uint64_t{disk.f_bavail} * disk.f_frsize : 0;
  }
  const auto first = zip_.SpanningOptions.FirstVolumeSize > 0
                         ? static_cast<std::uint64_t>(zip_.SpanningOptions.FirstVolumeSize)
                         : size;
  volumes_ = std::make_unique<TVolumeStream>(folder, first, size, [this](int volume) {
    WideString name;
    bool cancel = false;
    zip_.DoOnRequestBlankVolume(volume, name, cancel);
    if (!name.empty()) {
      volumeNames_[volume] = name;
    }
    return !cancel;
  });
  out_ = std::make_unique<TZipOutput>(*volumes_, &zip_);
  bool empty = true;
  for (int i = 0; i < dir_.Items.Count(); ++i) {
    empty = empty && IsDeleted(dir_.Items.Item(i).Pending);
  }
  // An archive of no entry is its end record alone, as any other empty archive.
  if (zip_.SFXStub.empty() && !empty) {
    // Split archives begin with this mark, so that readers know the first volume.
    std::uint8_t mark[4];
    PutLE32(mark, kDataDescriptorSignature);
    out_->Write(mark, sizeof mark);
  }
}

void TZipUpdater::KeepTogether(std::size_t count) {
  if (volumes_ && !volumes_->KeepTogether(count)) {
    if (volumes_->Refused()) {
      throw TCommitCancelled{};
    }
    throw EZipException(46, &zip_);
  }
}

TVolumeStream::Location TZipUpdater::Locate(std::int64_t position) const {
  if (volumes_) {
    return volumes_->Locate(position);
  }
  return {0, static_cast<std::uint64_t>(position - bias_)};
}

void TZipUpdater::CopyPrefix(std::int64_t cut) {
  if (dir_.Creating()) {
    bias_ = 0;
    if (zip_.SFXStub.empty()) {
      return;
    }
    // A self-extractor in front of a new archive; offsets then count from the start of the file, as
    // self-extractors expect.
    std::unique_ptr<TWFileStream> stub;
    try {
      stub = std::make_unique<TWFileStream>(zip_.SFXStub, 0);
    } catch (const EStreamError&) {
      throw EZipException(33, &zip_, {zip_.SFXStub});
    }
    if (volumes_ && !volumes_->KeepTogether(static_cast<std::size_t>(stub->Size()))) {
      throw EZipException(47, &zip_);
    }
    std::vector<std::uint8_t> buffer(kCopyChunk);
    for (std::size_t n = stub->Read(buffer.data(), buffer.size()); n != 0;
         n = stub->Read(buffer.data(), buffer.size())) {
      out_->Write(buffer.data(), n);
    }
    return;
  }
  bias_ = dir_.BaseOffset;
  try {
    old_.SetPosition(0);
    std::vector<std::uint8_t> buffer(kCopyChunk);
    for (std::int64_t left = cut; left > 0;) {
      const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, kCopyChunk));
      old_.ReadBuffer(buffer.data(), n);
      out_->Write(buffer.data(), n);
      left -= static_cast<std::int64_t>(n);
    }
  } catch (const EStreamError&) {
    throw EZipException(6, &zip_);  // the old archive can no longer be read
  }
}

void TZipUpdater::ProcessEntries(std::int64_t cut) {
  for (int i = 0; i < dir_.Items.Count(); ++i) {
    const TDirItem& item = dir_.Items.Item(i);
    const TZipPendingChange& change = item.Pending;
    if (IsDeleted(change)) {
      continue;
    }
    OverallProgress(change.Process ? change.Operation : TZipProcessOperation::poAdd, TZipProgressPhase::ppProcess);
    if (HasNewData(change)) {
      WriteNew(item);
    } else if (!Moves(item) && !change.IsNew && static_cast<std::int64_t>(item.LocalHeaderOffset) < cut) {
      written_.push_back(item);
    } else {
      CopyEntry(item);
    }
    done_ += ProgressWeight(item);
  }
}

// An old entry moved to its new place: its local header (with a new name when renamed) and its data,
// data descriptor included, byte for byte.
void TZipUpdater::CopyEntry(const TDirItem& item) {
  // Where the entry's data ends is not known: it cannot be told apart from what follows it.
  if (item.SizesUnknown) {
    throw EZipException(7, &zip_);
  }
  TDirItem moved = item;
  moved.LocalHeaderOffset = static_cast<std::uint64_t>(out_->Position());
  if (item.Pending.NameChanged) {
    const TEncodedName name = EncodeEntryName(item.FileName, zip_.Options.OEMFileNames);
    moved.StoredName = name.bytes;
    moved.CentralDir.Flags =
        static_cast<std::uint16_t>((item.CentralDir.Flags & ~kFlagUtf8) | (name.utf8 ? kFlagUtf8 : 0));
    if (name.utf8 && (moved.CentralDir.VersionMadeBy & 0xFF00) == 0) {
      moved.CentralDir.VersionMadeBy |= kHostNtfs;
    }
  }
  try {
    const auto offset = static_cast<std::int64_t>(item.LocalHeaderOffset);
    const std::int64_t archiveSize = old_.Size();
    const auto headerBytes = old_.ReadAt(offset, TLocalHeader::kSize);
    TLocalHeader local = TLocalHeader::Parse(headerBytes.data());
    const auto variable = old_.ReadAt(offset + static_cast<std::int64_t>(TLocalHeader::kSize),
                                      std::size_t{local.NameLength} + local.ExtraLength);
    const std::string_view localExtra(reinterpret_cast<const char*>(variable.data()) + local.NameLength,
                                      local.ExtraLength);
    const std::int64_t dataStart = offset + static_cast<std::int64_t>(TLocalHeader::kSize + variable.size());
    std::uint64_t length = item.CompressedSize;
    if (static_cast<std::uint64_t>(archiveSize - dataStart) < length) {
      throw EZipException(7, &zip_);
    }
    if ((item.CentralDir.Flags & kFlagDataDescriptor) != 0) {
      const auto at = dataStart + static_cast<std::int64_t>(length);
      const bool signature = archiveSize - at >= 4 && GetLE32(old_.ReadAt(at, 4).data()) == kDataDescriptorSignature;
      // The descriptor's sizes are 8 bytes when the local header (not the central one) has a ZIP64 block.
      length += (signature ? 4 : 0) + (HasZip64Block(localExtra) ? 20 : 12);
    }
    if (item.Pending.NameChanged) {
      std::string extra = KeptExtraBlocks(localExtra, true);
      if (zip_.WritesUnicodeNames()) {
        extra += UnicodeNameBlock(item.FileName);
      }
      if (extra.size() > kMaxFieldLength) {
        throw EZipException(61, &zip_, {item.FileName});
      }
      local.Flags = static_cast<std::uint16_t>((local.Flags & ~kFlagUtf8) | (moved.CentralDir.Flags & kFlagUtf8));
      local.NameLength = static_cast<std::uint16_t>(moved.StoredName.size());
      local.ExtraLength = static_cast<std::uint16_t>(extra.size());
      std::uint8_t header[TLocalHeader::kSize];
      local.Write(header);
      out_->Write(header, sizeof header);
      out_->Write(moved.StoredName);
      out_->Write(extra);
    } else {
      out_->Write(headerBytes.data(), headerBytes.size());
      out_->Write(variable.data(), variable.size());
    }
    old_.SetPosition(dataStart);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyChunk)));
    for (std::uint64_t left = length; left > 0;) {
      const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kCopyChunk));
      old_.ReadBuffer(buffer.data(), n);
      out_->Write(buffer.data(), n);
      left -= n;
    }
  } catch (const EReadError&) {
    // The old entry does not fit the archive it is in.
    throw EZipException(7, &zip_);
  } catch (const EStreamError&) {
    throw EZipException(6, &zip_);
  }
  written_.push_back(std::move(moved));
}

// A new or replaced entry, with the failure handler's choice when it cannot be written: retry it,
// leave it out (an old entry keeps its old data), or stop the commit.
void TZipUpdater::WriteNew(const TDirItem& item) {
  const std::int64_t start = out_->Position();
  while (true) {
    std::exception_ptr failure;
    int code = 0;
    WideString message;
    try {
      written_.push_back(WriteNewEntry(item));
      if (item.Pending.Operation == TZipProcessOperation::poMove && !item.Pending.SourceFile.empty()) {
        moved_.push_back(item.Pending.SourceFile);
      }
      return;
    } catch (const TCommitCancelled&) {
      throw;
    } catch (const EZipException& e) {
      failure = std::current_exception();
      code = e.ErrorCode();
      message = Utf8ToWide(e.what());
    } catch (const EStreamError& e) {
      failure = std::current_exception();
      code = 46;
      message = Utf8ToWide(e.what());
    }
    if (volumes_ && volumes_->Refused()) {
      throw TCommitCancelled{};
    }
    out_->CutAt(start);
    TZipAction action = TZipAction::fxaAbort;
    zip_.DoOnProcessFileFailure(item.FileName, item.Pending.Operation, code, code, message, action);
    if (action == TZipAction::fxaRetry) {
      continue;
    }
    if (action == TZipAction::fxaIgnore) {
      if (!item.Pending.IsNew) {
        TDirItem old = item;
        old.Pending = {};
        old.Pending.NameChanged = item.Pending.NameChanged;
        CopyEntry(old);
      }
      return;
    }
    std::rethrow_exception(failure);
  }
}

std::unique_ptr<TStream> TZipUpdater::OpenSource(const TZipPendingChange& change) {
  struct stat info {};
  const std::string path = NativeFileName(change.SourceFile);
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    throw EZipException(kErrorNotRegularFile, &zip_, {change.SourceFile});
  }
  std::unique_ptr<TWFileStream> file;
  try {
    file = std::make_unique<TWFileStream>(change.SourceFile, 0);
  } catch (const EStreamError&) {
    throw EZipException(33, &zip_, {change.SourceFile});
  }
  if (::fstat(file->Handle(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw EZipException(kErrorNotRegularFile, &zip_, {change.SourceFile});
  }
  if (change.SourceSize < 0) {
    return file;
  }
  return std::make_unique<TLimitedStream>(std::move(file), change.SourceSize);
}

TDirItem TZipUpdater::WriteNewEntry(const TDirItem& item) {
  const TZipPendingChange& change = item.Pending;
  const bool folder = (change.ExternalAttributes & faDirectory) != 0;
  std::unique_ptr<TStream> source;
  std::uint32_t dosTime = change.DosDateTime;
  if (!change.SourceFile.empty()) {
    dosTime = FileDosTime(change.SourceFile);
    if (!folder) {
      source = OpenSource(change);
    }
  } else if (!folder) {
    source = std::make_unique<TBytesStream>(*change.SourceData);
  }
  if (dosTime == 0) {
    dosTime = DateTimeToDos(static_cast<std::int64_t>(std::time(nullptr)));
  }
  const std::uint64_t size = source ? static_cast<std::uint64_t>(source->Size()) : 0;
  const std::uint64_t expected =
      change.SourceSize >= 0 && !change.SourceFile.empty() ? static_cast<std::uint64_t>(change.SourceSize) : size;
  if (size >= kEscape32 && Zip64Mode(TZip64Mode::zmDisabled)) {
    throw EZipException(41, &zip_, {item.FileName});
  }
  const bool oemNames = zip_.Options.OEMFileNames;
  const TEncodedName name = EncodeEntryName(item.FileName, oemNames);
  std::uint16_t method = size == 0 ? 0 : zip_.CompressionMethod();
  for (int i = 0; i < zip_.NoCompressionMasks.Count(); ++i) {
    if (MatchesMask(item.FileName, zip_.NoCompressionMasks.Get(i))) {
      method = 0;
    }
  }
  const bool encrypt = !zip_.Password.empty() && !folder;
  if (encrypt && method == kBlockFormatMethod) {
    method = 8;  // the block format's own cipher is not part of this archiver
  }
  const bool zip64 =
      Zip64Mode(TZip64Mode::zmAlways) || (Zip64Mode(TZip64Mode::zmAuto) && WorstStoredSize(size) >= kEscape32);
  const bool ownSignatures = zip_.ReadOptions().LocalHeaderSignature != kLocalHeaderSignature;
  std::uint16_t version = zip64 ? kVersionZip64 : (oemNames ? kVersionOemNames : kVersionAnsiNames);
  if (ownSignatures && !encrypt) {
    version = kOwnNameSchemeVersion;
  }
  std::string extra = zip64 ? ExtraBlock(kZip64ExtraId, std::string(16, '\0')) : std::string();
  if (zip_.WritesUnicodeNames()) {
    extra += UnicodeNameBlock(item.FileName);
  }
  if (name.bytes.size() > kMaxFieldLength || extra.size() > kMaxFieldLength) {
    throw EZipException(61, &zip_, {item.FileName});
  }
  KeepTogether(TLocalHeader::kSize + name.bytes.size() + extra.size());
  const std::int64_t headerAt = out_->Position();
  if (Locate(headerAt).offset >= kEscape32 && Zip64Mode(TZip64Mode::zmDisabled)) {
    throw EZipException(43, &zip_, {item.FileName});
  }

  TLocalHeader local;
  local.Signature = zip_.ReadOptions().LocalHeaderSignature;
  local.VersionNeeded = version;
  local.Flags = static_cast<std::uint16_t>((encrypt ? kFlagEncrypted : 0) | (name.utf8 ? kFlagUtf8 : 0));
  local.Method = method;
  local.Time = static_cast<std::uint16_t>(dosTime);
  local.Date = static_cast<std::uint16_t>(dosTime >> 16);
  local.CompressedSize = zip64 ? kEscape32 : 0;
  local.UncompressedSize = zip64 ? kEscape32 : 0;
  local.NameLength = static_cast<std::uint16_t>(name.bytes.size());
  local.ExtraLength = static_cast<std::uint16_t>(extra.size());
  std::uint8_t header[TLocalHeader::kSize];
  local.Write(header);
  out_->Write(header, sizeof header);
  out_->Write(name.bytes);
  out_->Write(extra);

  TCompressedData data;
  if (source) {
    TCompressSettings settings;
    settings.method = method;
    settings.level = zip_.CompressionMode();
    settings.blockSize = CompressionBlockSize(zip_.CompressionMode());
    if (encrypt) {
      settings.password = &zip_.Password;
      settings.crcForPassword = SourceCrc32(*source);
    }
    if (zip_.ProgressEnabled) {
      settings.progress = [&](std::uint64_t read) {
        bool cancel = false;
        const double percent = size == 0 ? 100.0 : static_cast<double>(read) * 100.0 / static_cast<double>(size);
        zip_.DoOnFileProgress(item.FileName, std::min(percent, 100.0), change.Operation, TZipProgressPhase::ppProcess,
                              cancel);
        if (cancel) {
          throw TCommitCancelled{};
        }
      };
    }
    data = CompressEntryData(*source, *out_, settings);
  }
  if (data.read != size || (source && data.read != expected)) {
    throw EZipException(34, &zip_, {static_cast<std::int64_t>(expected), static_cast<std::int64_t>(data.read)});
  }
  if (!zip64 && (data.written >= kEscape32 || data.read >= kEscape32)) {
    throw EZipException(Zip64Mode(TZip64Mode::zmDisabled) ? 41 : 34, &zip_,
                        {static_cast<std::int64_t>(size), static_cast<std::int64_t>(data.written)});
  }

  // The CRC-32 and sizes, known now, go into the header written before the data.
  const std::int64_t end = out_->Position();
  local.Crc32 = data.crc;
  if (!zip64) {
    local.CompressedSize = static_cast<std::uint32_t>(data.written);
    local.UncompressedSize = static_cast<std::uint32_t>(data.read);
  }
  local.Write(header);
  out_->SetPosition(headerAt);
  out_->Write(header, sizeof header);
  if (zip64) {
    out_->SetPosition(headerAt + static_cast<std::int64_t>(TLocalHeader::kSize + name.bytes.size() + 4));
    out_->Write(Zip64Value(data.read) + Zip64Value(data.written));
  }
  out_->SetPosition(end);

  TDirItem entry;
  entry.FileName = item.FileName;
  entry.Comment = item.Comment;
  entry.StoredName = name.bytes;
  entry.Zip64 = zip64;
  entry.UncompressedSize = data.read;
  entry.CompressedSize = data.written;
  entry.LocalHeaderOffset = static_cast<std::uint64_t>(headerAt);
  TCentralHeader& central = entry.CentralDir;
  central.Signature = kCentralHeaderSignature;
  central.VersionMadeBy = ownSignatures ? version : MadeBy(oemNames && !name.utf8, zip64);
  central.VersionNeeded = version;
  central.Flags = local.Flags;
  central.Method = method;
  central.Time = local.Time;
  central.Date = local.Date;
  central.Crc32 = data.crc;
  central.CompressedSize = zip64 ? kEscape32 : static_cast<std::uint32_t>(data.written);
  central.UncompressedSize = zip64 ? kEscape32 : static_cast<std::uint32_t>(data.read);
  central.ExternalAttributes = change.ExternalAttributes;
  return entry;
}

std::string TZipUpdater::CentralHeader(const TDirItem& item) {
  TCentralHeader h = item.CentralDir;
  h.Signature = kCentralHeaderSignature;
  const TVolumeStream::Location location = Locate(static_cast<std::int64_t>(item.LocalHeaderOffset));
  const bool always = Zip64Mode(TZip64Mode::zmAlways);
  // A size escaped in the local header stays escaped here, so that both headers agree.
  const bool escapeUncompressed =
      always || item.UncompressedSize >= kEscape32 || (item.Zip64 && h.UncompressedSize == kEscape32);
  const bool escapeCompressed =
      always || item.CompressedSize >= kEscape32 || (item.Zip64 && h.CompressedSize == kEscape32);
  const bool escapeOffset = always || location.offset >= kEscape32;
  const bool escapeDisk = location.volume >= kEscape16;
  if ((escapeOffset || escapeDisk) && Zip64Mode(TZip64Mode::zmDisabled)) {
    throw EZipException(43, &zip_, {item.FileName});
  }
  std::string zip64;
  if (escapeUncompressed) {
    zip64 += Zip64Value(item.UncompressedSize);
  }
  if (escapeCompressed) {
    zip64 += Zip64Value(item.CompressedSize);
  }
  if (escapeOffset) {
    zip64 += Zip64Value(location.offset);
  }
  if (escapeDisk) {
    zip64 += Zip64Value(location.volume).substr(0, 4);
  }
  h.UncompressedSize = escapeUncompressed ? kEscape32 : static_cast<std::uint32_t>(item.UncompressedSize);
  h.CompressedSize = escapeCompressed ? kEscape32 : static_cast<std::uint32_t>(item.CompressedSize);
  h.LocalHeaderOffset = escapeOffset ? kEscape32 : static_cast<std::uint32_t>(location.offset);
  h.DiskNumberStart = escapeDisk ? kEscape16 : static_cast<std::uint16_t>(location.volume);
  if (!zip64.empty() && h.VersionNeeded != kOwnNameSchemeVersion && (h.VersionNeeded & 0xFF) < kVersionZip64) {
    h.VersionNeeded = static_cast<std::uint16_t>((h.VersionNeeded & 0xFF00) | kVersionZip64);
  }
  std::string extra = zip64.empty() ? std::string() : ExtraBlock(kZip64ExtraId, zip64);
  extra += KeptExtraBlocks(ExtraBlocksText(item.ExtraFields), false);
  if (zip_.WritesUnicodeNames() && !item.FileName.empty()) {
    extra += UnicodeNameBlock(item.FileName);
  }
  if (extra.size() > kMaxFieldLength || item.StoredName.size() > kMaxFieldLength) {
    throw EZipException(61, &zip_, {item.FileName});
  }
  const std::string_view comment = std::string_view(item.Comment).substr(0, kMaxFieldLength);
  h.NameLength = static_cast<std::uint16_t>(item.StoredName.size());
  h.ExtraLength = static_cast<std::uint16_t>(extra.size());
  h.CommentLength = static_cast<std::uint16_t>(comment.size());
  std::string bytes(TCentralHeader::kSize, '\0');
  h.Write(reinterpret_cast<std::uint8_t*>(bytes.data()));
  return bytes + item.StoredName + extra + std::string(comment);
}

void TZipUpdater::WriteDirectory() {
  std::int64_t start = -1;
  std::vector<std::uint32_t> headerVolumes;
  headerVolumes.reserve(written_.size());
  for (const TDirItem& item : written_) {
    const std::string header = CentralHeader(item);
    KeepTogether(header.size());
    const std::int64_t at = out_->Position();
    if (start < 0) {
      start = at;
    }
    headerVolumes.push_back(Locate(at).volume);
    out_->Write(header);
  }
  const std::int64_t end = out_->Position();
  if (start < 0) {
    start = end;
  }
  const std::uint64_t count = written_.size();
  const auto size = static_cast<std::uint64_t>(end - start);
  const TVolumeStream::Location directory = Locate(start);
  const std::string_view comment = std::string_view(dir_.Comment).substr(0, kMaxFieldLength);
  // The plain end record cannot hold 65,535 entries or more, nor positions from 4 GiB on.
  const bool zip64 = Zip64Mode(TZip64Mode::zmAlways) || count >= kEscape16 ||
                     static_cast<std::uint64_t>(end) >= kEscape32 || directory.offset >= kEscape32 ||
                     directory.volume >= kEscape16;
  KeepTogether((zip64 ? TZip64EndRecord::kSize + TZip64Locator::kSize : 0) + TZipEndRecord::kSize + comment.size());
  const std::int64_t endsAt = out_->Position();
  const std::uint32_t lastVolume = Locate(endsAt).volume;
  const auto onLast = static_cast<std::uint64_t>(std::count(headerVolumes.begin(), headerVolumes.end(), lastVolume));
  if (zip64) {
    TZip64EndRecord record;
    record.Signature = kZip64EndRecordSignature;
    record.RecordSize = TZip64EndRecord::kSize - 12;
    record.VersionMadeBy = kVersionZip64;
    record.VersionNeeded = kVersionZip64;
    record.DiskNumber = lastVolume;
    record.StartDiskNumber = directory.volume;
    record.EntriesOnDisk = onLast;
    record.TotalEntries = count;
    record.DirectorySize = size;
    record.DirectoryOffset = directory.offset;
    TZip64Locator locator;
    locator.Signature = kZip64LocatorSignature;
    locator.EndRecordDisk = lastVolume;
    locator.EndRecordOffset = Locate(endsAt).offset;
    locator.TotalDisks = lastVolume + 1;
    std::uint8_t bytes[TZip64EndRecord::kSize + TZip64Locator::kSize];
    record.Write(bytes);
    locator.Write(bytes + TZip64EndRecord::kSize);
    out_->Write(bytes, sizeof bytes);
  }
  TZipEndRecord record;
  record.Signature = zip_.ReadOptions().EndRecordSignatures.front();
  record.DiskNumber = static_cast<std::uint16_t>(std::min<std::uint32_t>(lastVolume, kEscape16));
  record.StartDiskNumber = static_cast<std::uint16_t>(std::min<std::uint32_t>(directory.volume, kEscape16));
  record.EntriesOnDisk = static_cast<std::uint16_t>(std::min<std::uint64_t>(onLast, kEscape16));
  record.TotalEntries = static_cast<std::uint16_t>(std::min<std::uint64_t>(count, kEscape16));
  record.DirectorySize = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, kEscape32));
  record.DirectoryOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(directory.offset, kEscape32));
  record.CommentLength = static_cast<std::uint16_t>(comment.size());
  std::uint8_t bytes[TZipEndRecord::kSize];
  record.Write(bytes);
  out_->Write(bytes, sizeof bytes);
  out_->Write(comment);
}

void TZipUpdater::Finish() {
  if (volumes_) {
    PublishVolumes();
    return;
  }
  if (memory_) {
    zip_.ReopenAfterCommit(std::move(memory_));
    return;
  }
  file_->Replace(zip_.Options.FlushBuffers, [this](TZipOutput& out) { WatchDiskFull(out); });
  zip_.ReopenAfterCommit(nullptr);
  file_->Discard();
}

// The volumes get their names (the last one the archive's), and the archive is closed: a multi-volume
// archive is not read here.
void TZipUpdater::PublishVolumes() {
  const std::string archive = NativeFileName(zip_.FileName);
  // The bits of the file opening made for the archive (the user's file-creation mask applied).
  struct stat made {};
  const unsigned mode = ::stat(archive.c_str(), &made) == 0 ? (made.st_mode & 07777) : 0644;
  std::vector<std::string> names;
  const bool published = volumes_->Publish(
      [&](int volume, bool last) {
        const auto chosen = volumeNames_.find(volume);
        const WideString name =
            !last && chosen != volumeNames_.end() ? chosen->second : zip_.VolumeFileName(volume, last);
        names.push_back(NativeFileName(name));
        return names.back();
      },
      mode);
  if (!published) {
    throw EZipException(36, &zip_, {names.empty() ? zip_.FileName : Utf8ToWide(names.back())});
  }
  // The empty file that opening made for the archive, when no volume took its name.
  std::error_code error;
  if (std::find(names.begin(), names.end(), archive) == names.end() &&
      std::filesystem::file_size(archive, error) == 0 && !error) {
    std::filesystem::remove(archive, error);
  }
  zip_.ReleaseArchive();
}

}  // namespace kestrune::zip
