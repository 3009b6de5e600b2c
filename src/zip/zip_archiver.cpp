#include "zip/zip_archiver.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <exception>
#include <filesystem>
#include <iostream>

#include "zip/wide_file.h"
#include "zip/zip_volumes.h"

namespace kestrune::zip {
namespace {

using Button = TZipPromptResult;

// The texts of the built-in prompts.
constexpr const char* kOverwritePrompt = "Overwrite file \"%s\" with \"%s\"";
constexpr const char* kPasswordCaption = "Password for \"%s\"";
constexpr const char* kPasswordPrompt = "Enter password: ";
constexpr const char* kFailurePrompt = "%s. File processing error, possibly disk is full";
constexpr const char* kBlankDiskPrompt = "Please insert a blank disk #%d";
constexpr const char* kFirstDiskPrompt = "Please insert the first disk";
constexpr const char* kLastDiskPrompt = "Please insert the last disk";
constexpr const char* kLastDiskFilePrompt =
    "File '%s' not found on inserted disk. Please insert last disk with required file";
constexpr const char* kMiddleDiskPrompt = "Please insert disk #%d";
constexpr const char* kDiskFullPrompt =
    "Disk is full. Required free space: %d bytes, but available only: %d bytes. Clean the disk or find another "
    "blank disk";

struct VolumeSizeRow {
  TZipVolumeSize size;
  std::int64_t bytes;
};
constexpr VolumeSizeRow kVolumeSizes[] = {
    {TZipVolumeSize::vs1_44MB, 1457664},  {TZipVolumeSize::vs100MB, 104857600},   {TZipVolumeSize::vs200MB, 209715200},
    {TZipVolumeSize::vs250MB, 262144000}, {TZipVolumeSize::vs600MB, 629145600},   {TZipVolumeSize::vs650MB, 681574400},
    {TZipVolumeSize::vs700MB, 734003200}, {TZipVolumeSize::vs4700MB, 4928307200},
};

WideString Format(const char* format, std::initializer_list<TZipFormatArg> args) {
  return Utf8ToWide(FormatText(format, args));
}

WideString SlashesToBackslashes(WideString name) {
  std::replace(name.begin(), name.end(), u'/', u'\\');
  return name;
}

WideString BackslashesToSlashes(WideString name) {
  std::replace(name.begin(), name.end(), u'\\', u'/');
  return name;
}

std::int64_t FreeSpaceOf(const WideString& fileName) {
  WideString folder = WideExtractFilePath(fileName);
  struct statvfs info {};
  const std::string native = folder.empty() ? std::string(".") : NativeFileName(folder);
  if (::statvfs(native.c_str(), &info) != 0) {
    return 0;
  }
  return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

// The file of the folder whose name equals the name's in any letter case, or empty.
WideString FileInAnyCase(const WideString& name) {
  namespace fs = std::filesystem;
  const fs::path path = NativeFileName(name);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const WideString wanted = WideExtractFileName(name);
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const WideString candidate = Utf8ToWide(it->path().filename().string());
    if (WideSameText(candidate, wanted) && it->is_regular_file(error)) {
      return Utf8ToWide(it->path().string());
    }
  }
  return {};
}

WideString NumberText(const char* format, int value) { return Utf8ToWide(FormatText(format, {std::int64_t{value}})); }

std::atomic<TZipPrompter*> installedPrompter{nullptr};

// Prompts open on this thread. A modal dialog runs an event loop, in which timers may read other
// entries: their questions wait for the next read instead of piling dialogs on top of each other.
thread_local int openPrompts = 0;

class TOpenPrompt {
 public:
  TOpenPrompt() { ++openPrompts; }
  ~TOpenPrompt() { --openPrompts; }
  TOpenPrompt(const TOpenPrompt&) = delete;
  TOpenPrompt& operator=(const TOpenPrompt&) = delete;
};

// Destruction cannot raise: a commit that fails while an archive is destroyed is only logged.
void CloseQuietly(TZipBaseArchiver& zip) noexcept {
  try {
    zip.CloseZip();
  } catch (const std::exception& e) {
    std::cerr << "zip: " << WideToUtf8(zip.FileName) << ": changes not saved: " << e.what() << "\n";
  }
}

}  // namespace

TZipPromptResult TZipPrompter::Ask(const WideString&, const std::vector<TZipPromptResult>&) {
  return TZipPromptResult::None;
}

bool TZipPrompter::InputQuery(const WideString&, const WideString&, AnsiString&) { return false; }

TZipPasswordReply TZipPrompter::AskPassword(const WideString& caption, const WideString& prompt, AnsiString& value,
                                            TZipPasswordRequest) {
  return InputQuery(caption, prompt, value) ? TZipPasswordReply::Given : TZipPasswordReply::Declined;
}

void InstallZipPrompter(TZipPrompter* prompter) { installedPrompter.store(prompter); }

void TZipSpanningOptions::SetCustomVolumeSize(std::int64_t size) {
  customVolumeSize_ = std::max<std::int64_t>(size, 65536);
}

std::int64_t VolumeSizeBytes(const TZipSpanningOptions& options) {
  if (options.VolumeSize == TZipVolumeSize::vsCustom) {
    return options.CustomVolumeSize();
  }
  for (const auto& row : kVolumeSizes) {
    if (row.size == options.VolumeSize) {
      return row.bytes;
    }
  }
  return 0;
}

TZipBaseArchiver::TZipBaseArchiver() { UpdateCompressionMethod(); }

TZipBaseArchiver::~TZipBaseArchiver() { CloseQuietly(*this); }

void TZipBaseArchiver::SetCompressionLevel(TZipCompressionLevel level) {
  static constexpr int kModes[] = {0, 1, 6, 9};
  compressionLevel_ = level;
  compressionMode_ = kModes[static_cast<int>(level)];
  UpdateCompressionMethod();
}

void TZipBaseArchiver::SetCompressionMode(int mode) {
  if (mode < 0 || mode > 9) {
    throw EZipException(5, this);
  }
  compressionMode_ = mode;
  if (mode == 0) {
    compressionLevel_ = TZipCompressionLevel::clNone;
  } else if (mode <= 3) {
    compressionLevel_ = TZipCompressionLevel::clFastest;
  } else if (mode <= 6) {
    compressionLevel_ = TZipCompressionLevel::clNormal;
  } else {
    compressionLevel_ = TZipCompressionLevel::clMax;
  }
  UpdateCompressionMethod();
}

void TZipBaseArchiver::SetSpanningMode(TZipSpanningMode mode) {
  if (active_) {
    throw std::runtime_error("Cannot set spanning mode on open archive");
  }
  spanningMode_ = mode;
}

void TZipBaseArchiver::SetPrompter(TZipPrompter* prompter) { prompter_ = prompter; }

TZipPrompter& TZipBaseArchiver::Prompter() {
  if (prompter_ != nullptr) {
    return *prompter_;
  }
  TZipPrompter* installed = installedPrompter.load();
  return installed != nullptr ? *installed : defaultPrompter_;
}

TZipPromptResult TZipBaseArchiver::AskUser(const WideString& text, const std::vector<TZipPromptResult>& buttons) {
  if (openPrompts > 0) {
    return TZipPromptResult::None;
  }
  const TOpenPrompt open;
  return Prompter().Ask(text, buttons);
}

void TZipBaseArchiver::UpdateCompressionMethod() { compressionMethod_ = 0xFFFF; }

TZipReadOptions TZipBaseArchiver::ReadOptions() const {
  TZipReadOptions options;
  options.EndRecordSignatures = {kAltEndRecordSignature, kEndRecordSignature};
  options.LocalHeaderSignature = kAltLocalHeaderSignature;
  options.RebuildDamagedDirectory = RebuildDamagedDirectory;
  options.OEMFileNames = Options.OEMFileNames;
  return options;
}

void TZipBaseArchiver::CheckFileNamePart(int errorCode) const {
  if (FileName.empty() || FileName.back() == u'\\' || FileName.back() == u'/' || FileName.back() == u':') {
    throw EZipException(errorCode, this);
  }
}

void TZipBaseArchiver::OpenZip(unsigned mode) {
  if (!inMemory_) {
    CheckFileNamePart(10);
  }
  if (mode < kOpenCreate) {
    if (inMemory_) {
      throw EZipException(28, this);
    }
    // Every file here lies on a fixed drive: nothing waits for a disk to be inserted. With no archive
    // open the open itself tells that the file is missing (one system call less per archive listed).
    if (active_ && !WideFileExists(FileName) && spanningMode_ != TZipSpanningMode::smSpanning) {
      throw EZipException(12, this, {FileName});
    }
  }
  CloseZip();
  openMode_ = mode;
  try {
    if (mode < kOpenCreate && !inMemory_) {
      OpenExisting(mode);
      dirManager_->ForgetTail();
    } else {
      CreateNew();
    }
  } catch (const EFOpenError& e) {
    ReleaseArchive();
    if (e.ErrorNumber() == ENOENT && spanningMode_ != TZipSpanningMode::smSpanning) {
      throw EZipException(12, this, {FileName});
    }
    throw EZipException(33, this, {FileName});
  } catch (const EFCreateError&) {
    ReleaseArchive();
    throw EZipException(19, this, {FileName});
  } catch (const EStreamError&) {
    // A file that ends inside its own directory or records.
    ReleaseArchive();
    throw EZipException(48, this);
  } catch (...) {
    ReleaseArchive();
    throw;
  }
  active_ = true;
  passwordDeclined_ = false;
  if (AfterOpen) {
    AfterOpen(*this);
  }
}

void TZipBaseArchiver::OpenExisting(unsigned mode) {
  spanningMode_ = TZipSpanningMode::smNone;
  AttachStream(std::make_unique<TWFileStream>(FileName, mode), false);
  const std::int64_t endRecord = dirManager_->FindEndRecord();
  if (endRecord >= 0 && dirManager_->EndRecord.DiskNumber != 0) {
    OpenVolumes(mode, nullptr);
  } else if (endRecord < 0 && WideSameText(WideExtractFileExt(FileName), u".exe")) {
    // A self-extractor without an end record of its own: the first volume of a split archive.
    spanningMode_ = TZipSpanningMode::smSplitting;
    WideString lastName;
    bool cancel = false;
    DoOnRequestLastVolume(lastName, cancel);
    if (cancel) {
      throw EZipException(45, this);
    }
    std::unique_ptr<TStream> first = std::move(stream_);
    dirManager_.reset();
    AttachStream(OpenVolume(lastName, mode), false);
    if (dirManager_->FindEndRecord() < 0) {
      throw EZipException(44, this);
    }
    OpenVolumes(mode, std::move(first));
  }
  LoadFromStream();
}

std::unique_ptr<TStream> TZipBaseArchiver::OpenVolume(const WideString& name, unsigned mode) {
  try {
    return std::make_unique<TWFileStream>(name, mode);
  } catch (const EStreamError&) {
    throw EZipException(45, this);
  }
}

// The open stream is the last volume, whose end record tells how many there are; the others are
// asked for by their events in order, and all of them are read as one stream.
void TZipBaseArchiver::OpenVolumes(unsigned mode, std::unique_ptr<TStream> first) {
  spanningMode_ = TZipSpanningMode::smSplitting;
  const int last = dirManager_->EndRecord.DiskNumber;
  std::vector<std::unique_ptr<TStream>> volumes;
  for (int volume = 0; volume < last; ++volume) {
    if (volume == 0 && first) {
      volumes.push_back(std::move(first));
      continue;
    }
    WideString name;
    bool cancel = false;
    if (volume == 0) {
      DoOnRequestFirstVolume(name, cancel);
    } else {
      DoOnRequestMiddleVolume(volume, name, cancel);
    }
    if (cancel) {
      throw EZipException(45, this);
    }
    volumes.push_back(OpenVolume(name, mode));
  }
  dirManager_.reset();
  volumes.push_back(std::move(stream_));
  auto joined = std::make_unique<TJoinedVolumes>(std::move(volumes));
  std::vector<std::int64_t> starts = joined->Starts();
  AttachStream(std::move(joined), false);
  dirManager_->SetVolumeStarts(std::move(starts));
}

WideString TZipBaseArchiver::ExistingVolumeName(int volume, bool last) const {
  const WideString name = WideExtractFileName(FileName);
  const WideString stem = WideExtractFilePath(FileName) + name.substr(0, name.size() - WideExtractFileExt(name).size());
  std::vector<WideString> names;
  // Opened by a self-extracting first volume, the others were named after the archive's ".zip" name.
  for (const WideString& fileName : {FileName, stem + u".zip"}) {
    for (const bool advanced : {SpanningOptions.AdvancedNaming, !SpanningOptions.AdvancedNaming}) {
      names.push_back(VolumeName(fileName, volume, last, advanced));
    }
  }
  if (volume == 0 && !last) {
    // A self-extracting first volume, when the archive was opened by its last.
    names.push_back(stem + u".exe");
  }
  for (const WideString& name : names) {
    if (WideFileExists(name)) {
      return name;
    }
  }
  // Names differ in letter case between writers ("x.z01", "x.Z01"); the file system tells them apart.
  for (const WideString& name : names) {
    const WideString found = FileInAnyCase(name);
    if (!found.empty()) {
      return found;
    }
  }
  return names.front();
}

void TZipBaseArchiver::LoadFromStream() {
  const std::int64_t endRecord = dirManager_->FindEndRecord();
  if (endRecord >= 0 && dirManager_->EndRecord.DiskNumber != 0 && !dirManager_->MultiVolume()) {
    throw EZipException(45, this);
  }
  if (endRecord < 0 && !RebuildDamagedDirectory) {
    throw EZipException(48, this);
  }
  dirManager_->LoadDirectory();
}

void TZipBaseArchiver::CreateNew() {
  if (inMemory_) {
    AttachStream(std::make_unique<TMemoryStream>(), true);
  } else if (WideFileExists(FileName)) {
    // A file already there stays whole until the new archive's first commit replaces it.
    AttachStream(std::make_unique<TWFileStream>(FileName, kOpenReadWriteDenyWrite), true);
  } else {
    AttachStream(std::make_unique<TWFileStream>(FileName, TWFileStream::kCreateMode), true);
    createdFile_ = true;
  }
}

void TZipBaseArchiver::AttachStream(std::unique_ptr<TStream> stream, bool creating) {
  stream_ = std::move(stream);
  RememberArchiveFile();
  dirManager_ = std::make_unique<TZipDirManager>(*stream_, creating, this, ReadOptions());
  // Nothing has written to a file just opened: its size is what the open found.
  if (openedFile_ && !creating) {
    dirManager_->SetKnownSize(openedFile_->size);
  }
}

void TZipBaseArchiver::OpenArchive() {
  if (inMemory_) {
    OpenZip(kOpenCreate);
    return;
  }
  CheckFileNamePart(9);
  if (!WideFileExists(FileName)) {
    OpenZip(kOpenCreate);
  } else if (::access(NativeFileName(FileName).c_str(), R_OK | W_OK) == 0) {
    OpenZip(kOpenReadWriteDenyWrite);
  } else {
    OpenZip(kOpenReadShared);
  }
}

bool TZipBaseArchiver::Writable() const {
  if (inMemory_) {
    return true;
  }
  const auto* file = dynamic_cast<const TWFileStream*>(stream_.get());
  return file != nullptr && file->Writable();
}

void TZipBaseArchiver::WriteEmptyDirectory() {
  std::uint8_t bytes[TZipEndRecord::kSize] = {};
  TZipEndRecord record;
  record.Signature = ReadOptions().EndRecordSignatures.front();
  record.Write(bytes);
  stream_->SetPosition(0);
  stream_->WriteBuffer(bytes, sizeof bytes);
}

void TZipBaseArchiver::CloseZip() {
  std::exception_ptr failure;
  try {
    if (active_ && stream_ && dirManager_ && Writable()) {
      // A new archive that no commit has written yet gets at least its end record.
      if (updateCount_ == 0 && dirManager_->Creating()) {
        updateCount_ = 1;
      }
      CommitUpdate();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  active_ = false;
  if (failure) {
    RemoveUnwrittenNewFile();
  }
  ReleaseArchive();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

TZipBaseArchiver::FileIdentity TZipBaseArchiver::IdentityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                      static_cast<std::int64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

void TZipBaseArchiver::RememberArchiveFile() {
  openedFile_.reset();
  const auto* file = dynamic_cast<const TWFileStream*>(stream_.get());
  if (file == nullptr) {
    return;
  }
  if (const struct stat* opened = file->OpenedInfo()) {
    openedFile_ = IdentityOf(*opened);
    return;
  }
  struct stat info {};
  if (::fstat(file->Handle(), &info) == 0) {
    openedFile_ = IdentityOf(info);
  }
}

void TZipBaseArchiver::CheckArchiveUnchanged() const {
  if (!openedFile_) {
    return;
  }
  struct stat info {};
  const bool same = ::stat(NativeFileName(FileName).c_str(), &info) == 0 && IdentityOf(info) == *openedFile_;
  if (!same) {
    throw EZipException(kErrorArchiveChanged, this, {FileName});
  }
}

void TZipBaseArchiver::RemoveUnwrittenNewFile() noexcept {
  if (!createdFile_ || inMemory_ || !stream_) {
    return;
  }
  struct stat info {};
  const auto* file = dynamic_cast<const TWFileStream*>(stream_.get());
  if (file != nullptr && ::fstat(file->Handle(), &info) == 0 && info.st_size == 0) {
    try {
      CheckArchiveUnchanged();
      ::unlink(NativeFileName(FileName).c_str());
    } catch (const EZipException&) {
      // Another program put its own file there: it is not ours to remove.
    }
  }
}

void TZipBaseArchiver::ReleaseArchive() noexcept {
  dirManager_.reset();
  stream_.reset();
  openedFile_.reset();
  createdFile_ = false;
  active_ = false;
  updateCount_ = 0;
  commentChanged_ = false;
  passwordDeclined_ = false;
  passwordQuestion_.reset();
}

void TZipBaseArchiver::SetInMemory(bool value) {
  if (value == inMemory_) {
    return;
  }
  if (!active_) {
    inMemory_ = value;
  } else if (inMemory_) {
    MoveMemoryArchiveToFile();
  } else {
    MoveFileArchiveToMemory();
  }
}

void TZipBaseArchiver::MoveMemoryArchiveToFile() {
  if (FileName.empty()) {
    throw EZipException(29, this);
  }
  if (stream_->Size() == 0) {
    WriteEmptyDirectory();
  }
  {
    TWFileStream file(FileName, TWFileStream::kCreateMode);
    stream_->SetPosition(0);
    file.CopyFrom(*stream_, stream_->Size());
  }
  ReleaseArchive();
  inMemory_ = false;
  OpenArchive();
}

void TZipBaseArchiver::MoveFileArchiveToMemory() {
  // The archive as it stands on disk, now held in memory (not a new, empty one).
  auto memory = std::make_unique<TMemoryStream>();
  stream_->SetPosition(0);
  memory->CopyFrom(*stream_, stream_->Size());
  CloseZip();
  inMemory_ = true;
  openMode_ = kOpenCreate;
  try {
    AttachStream(std::move(memory), false);
    LoadFromStream();
  } catch (...) {
    ReleaseArchive();
    throw;
  }
  active_ = true;
}

WideString TZipBaseArchiver::VolumeFileName(int volume, bool last) const {
  return VolumeName(FileName, volume, last, SpanningOptions.AdvancedNaming);
}

WideString TZipBaseArchiver::VolumeName(const WideString& fileName, int volume, bool last, bool advanced) const {
  const WideString folder = WideExtractFilePath(fileName);
  const WideString name = WideExtractFileName(fileName);
  const WideString ext = WideExtractFileExt(name);
  const WideString base = name.substr(0, name.size() - ext.size());
  const bool selfExtracting =
      (dirManager_ && dirManager_->BaseOffset > 0) || !SFXStub.empty() || WideSameText(ext, u".exe");
  const bool ownMethod = compressionMethod_ >= 252;
  const WideString number3 = NumberText("%.3u", volume + 1);
  switch (spanningMode_) {
    case TZipSpanningMode::smSpanning: {
      const WideString extension = selfExtracting ? WideString(u".exe") : ext;
      return advanced ? folder + base + u"_" + number3 + extension : folder + base + extension;
    }
    case TZipSpanningMode::smSplitting:
      if (last) {
        return selfExtracting ? folder + base + (ownMethod ? u".ZF" : u".ZIP") : fileName;
      }
      if (volume == 0 && selfExtracting) {
        return folder + base + u".exe";
      }
      if (advanced) {
        return folder + base + u"_" + number3 + ext;
      }
      return folder + base + (ownMethod ? u".F" : u".Z") + NumberText("%.2d", volume + 1);
    default:
      return fileName;
  }
}

void TZipBaseArchiver::DoOnOverallProgress(double progress, TZipProcessOperation operation, TZipProgressPhase phase,
                                           bool& cancel) {
  cancel = false;
  if (OnOverallProgress) {
    OnOverallProgress(*this, progress, operation, phase, cancel);
  }
}

void TZipBaseArchiver::DoOnFileProgress(const WideString& fileName, double progress, TZipProcessOperation operation,
                                        TZipProgressPhase phase, bool& cancel) {
  cancel = false;
  if (OnFileProgress) {
    OnFileProgress(*this, SlashesToBackslashes(fileName), progress, operation, phase, cancel);
  }
}

void TZipBaseArchiver::DoOnCopyTempFileProgress(double progress, TZipProgressPhase phase, bool& cancel) {
  cancel = false;
  if (OnCopyTempFileProgress) {
    OnCopyTempFileProgress(*this, progress, phase, cancel);
  }
}

void TZipBaseArchiver::DoOnConfirmOverwrite(const WideString& sourceFileName, WideString& destFileName, bool& confirm) {
  if (OnConfirmOverwrite) {
    OnConfirmOverwrite(*this, sourceFileName, destFileName, confirm);
    return;
  }
  const auto answer = AskUser(Format(kOverwritePrompt, {destFileName, sourceFileName}),
                              {Button::Yes, Button::No, Button::NoToAll, Button::YesToAll});
  confirm = answer == Button::Yes || answer == Button::YesToAll;
  if (answer == Button::NoToAll) {
    Options.OverwriteMode = TZipOverwriteMode::omNever;
  } else if (answer == Button::YesToAll) {
    Options.OverwriteMode = TZipOverwriteMode::omAlways;
  }
}

void TZipBaseArchiver::DoOnConfirmProcessFile(const WideString& fileName, TZipProcessOperation operation,
                                              bool& confirm) {
  confirm = true;
  if (OnConfirmProcessFile) {
    OnConfirmProcessFile(*this, fileName, operation, confirm);
  }
}

void TZipBaseArchiver::DoOnPassword(const WideString& fileName, AnsiString& newPassword, bool& skipFile) {
  if (OnPassword) {
    OnPassword(*this, fileName, newPassword, skipFile);
    return;
  }
  skipFile = true;
  if (passwordDeclined_ || passwordQuestion_ || openPrompts > 0) {
    return;
  }
  const TOpenPrompt open;
  AnsiString entered = newPassword;
  auto question = std::make_shared<char>();
  TZipPasswordRequest request;
  request.asker = question;
  request.answered = [this, asker = request.asker](bool given, const AnsiString& password) {
    // Closed, reopened or destroyed since: the answer is for an archive that is no longer there.
    if (!asker.expired()) {
      PasswordAnswered(given, password);
    }
  };
  switch (Prompter().AskPassword(Format(kPasswordCaption, {fileName}), Utf8ToWide(kPasswordPrompt), entered,
                                 std::move(request))) {
    case TZipPasswordReply::Given:
      newPassword = entered;
      skipFile = false;
      break;
    case TZipPasswordReply::Declined:
      passwordDeclined_ = true;
      break;
    case TZipPasswordReply::Later:
      passwordQuestion_ = std::move(question);
      break;
    case TZipPasswordReply::NotNow:
      break;
  }
}

void TZipBaseArchiver::PasswordAnswered(bool given, const AnsiString& password) {
  passwordQuestion_.reset();
  if (!given) {
    passwordDeclined_ = true;
    return;
  }
  Password = password;
  // Last: the reader may read again at once, and be asked again when the password is wrong.
  if (PasswordGiven) {
    PasswordGiven(*this);
  }
}

void TZipBaseArchiver::DoOnProcessFileFailure(const WideString& fileName, TZipProcessOperation operation,
                                              int nativeError, int errorCode, const WideString& errorMessage,
                                              TZipAction& action) {
  if (OnProcessFileFailure) {
    action = TZipAction::fxaIgnore;
    OnProcessFileFailure(*this, fileName, operation, nativeError, errorCode, errorMessage, action);
    return;
  }
  if (errorCode == 45) {
    action = TZipAction::fxaAbort;
    return;
  }
  const auto answer =
      errorCode == 61 ? AskUser(errorMessage, {Button::Abort, Button::Ignore})
                      : AskUser(Format(kFailurePrompt, {errorMessage}), {Button::Abort, Button::Retry, Button::Ignore});
  if (answer == Button::Retry) {
    action = TZipAction::fxaRetry;
  } else if (answer == Button::Ignore) {
    action = TZipAction::fxaIgnore;
  } else {
    action = TZipAction::fxaAbort;
  }
}

void TZipBaseArchiver::DoOnRequestBlankVolume(int volumeNumber, WideString& volumeFileName, bool& cancel) {
  if (OnRequestBlankVolume) {
    volumeFileName = VolumeFileName(volumeNumber, false);
    cancel = false;
    OnRequestBlankVolume(*this, volumeNumber + 1, volumeFileName, cancel);
    return;
  }
  cancel =
      spanningMode_ == TZipSpanningMode::smSpanning &&
      AskUser(Format(kBlankDiskPrompt, {std::int64_t{volumeNumber + 1}}), {Button::Ok, Button::Cancel}) != Button::Ok;
}

void TZipBaseArchiver::DoOnRequestFirstVolume(WideString& volumeFileName, bool& cancel) {
  volumeFileName = ExistingVolumeName(0, false);
  cancel = false;
  if (OnRequestFirstVolume) {
    OnRequestFirstVolume(*this, volumeFileName, cancel);
    return;
  }
  if (spanningMode_ != TZipSpanningMode::smSpanning) {
    cancel = !WideFileExists(volumeFileName) && openMode_ < kOpenCreate;
    return;
  }
  cancel = AskUser(Utf8ToWide(kFirstDiskPrompt), {Button::Ok, Button::Cancel}) != Button::Ok;
  volumeFileName = ExistingVolumeName(0, false);
}

void TZipBaseArchiver::DoOnRequestLastVolume(WideString& volumeFileName, bool& cancel) {
  volumeFileName = ExistingVolumeName(0, true);
  cancel = false;
  if (OnRequestLastVolume) {
    OnRequestLastVolume(*this, volumeFileName, cancel);
    return;
  }
  if (spanningMode_ != TZipSpanningMode::smSpanning) {
    cancel = !WideFileExists(volumeFileName);
    return;
  }
  bool ok = AskUser(Utf8ToWide(kLastDiskPrompt), {Button::Ok, Button::Cancel}) == Button::Ok;
  while (ok && !WideFileExists(volumeFileName)) {
    ok = AskUser(Format(kLastDiskFilePrompt, {volumeFileName}), {Button::Ok, Button::Cancel}) == Button::Ok;
  }
  cancel = !ok;
}

void TZipBaseArchiver::DoOnRequestMiddleVolume(int volumeNumber, WideString& volumeFileName, bool& cancel) {
  volumeFileName = ExistingVolumeName(volumeNumber, false);
  cancel = false;
  if (OnRequestMiddleVolume) {
    OnRequestMiddleVolume(*this, volumeNumber + 1, volumeFileName, cancel);
    return;
  }
  if (spanningMode_ != TZipSpanningMode::smSpanning) {
    cancel = !WideFileExists(volumeFileName);
    return;
  }
  cancel =
      AskUser(Format(kMiddleDiskPrompt, {std::int64_t{volumeNumber + 1}}), {Button::Ok, Button::Cancel}) != Button::Ok;
  volumeFileName = ExistingVolumeName(volumeNumber, false);
}

void TZipBaseArchiver::DoOnDiskFull(int volumeNumber, const WideString& volumeFileName, bool& cancel) {
  if (OnDiskFull) {
    cancel = false;
    OnDiskFull(*this, volumeNumber + 1, volumeFileName, cancel);
    return;
  }
  if (spanningMode_ != TZipSpanningMode::smSpanning) {
    cancel = true;
    return;
  }
  const std::int64_t freeSpace = FreeSpaceOf(volumeFileName);
  std::int64_t needed = VolumeSizeBytes(SpanningOptions);
  if (needed == 0) {
    needed = freeSpace;
  }
  cancel = AskUser(Format(kDiskFullPrompt, {needed, freeSpace}), {Button::Ok, Button::Cancel}) != Button::Ok;
}

void TZipBaseArchiver::DoOnReservedEvent() {
  if (OnReservedEvent) {
    OnReservedEvent(*this);
  }
}

void TZipBaseArchiver::DoOnStoreFile(WideString& fileName, std::uint32_t& fileAttr, AnsiString& comment,
                                     const WideString& originalFileName) {
  if (!OnStoreFile) {
    return;
  }
  fileName = SlashesToBackslashes(fileName);
  OnStoreFile(*this, fileName, fileAttr, comment, originalFileName);
  fileName = BackslashesToSlashes(fileName);
}

void TZipBaseArchiver::DoOnExtractFile(WideString& fileName, std::uint32_t& fileAttr, const AnsiString& comment) {
  fileName = SlashesToBackslashes(fileName);
  if (OnExtractFile) {
    OnExtractFile(*this, fileName, fileAttr, comment);
  }
}

TZipArchiver::TZipArchiver() {
  Zip64Mode = TZip64Mode::zmDisabled;
  UpdateCompressionMethod();
}

TZipArchiver::~TZipArchiver() { CloseQuietly(*this); }

void TZipArchiver::UpdateCompressionMethod() { SetCompressionMethod(CompressionMode() != 0 ? 8 : 0); }

TZipReadOptions TZipArchiver::ReadOptions() const {
  TZipReadOptions options;
  options.RebuildDamagedDirectory = RebuildDamagedDirectory;
  options.OEMFileNames = Options.OEMFileNames;
  return options;
}

}  // namespace kestrune::zip
