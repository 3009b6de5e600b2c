#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zip/wide_string.h"
#include "zip/wide_string_list.h"
#include "zip/zip_directory.h"
#include "zip/zip_exception.h"
#include "zip/zip_search.h"
#include "zip/zip_stream.h"

struct stat;

// The archiver component: its properties and options, its events with their dispatchers, and opening
// and closing archives.
namespace kestrune::zip {

enum class TZipCompressionLevel { clNone, clFastest, clNormal, clMax };
enum class TZipSpanningMode { smNone, smSpanning, smSplitting };
enum class TZip64Mode { zmDisabled, zmAuto, zmAlways };
enum class TZipStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum class TZipFileShareMode { smShareCompat, smShareExclusive, smShareDenyWrite, smShareDenyRead, smShareDenyNone };
enum class TZipOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum class TZipVolumeSize {
  vsAutoDetect,
  vsCustom,
  vs1_44MB,
  vs100MB,
  vs200MB,
  vs250MB,
  vs600MB,
  vs650MB,
  vs700MB,
  vs4700MB
};
enum class TZipProgressPhase { ppStart, ppProcess, ppEnd };
enum class TZipAction { fxaRetry, fxaIgnore, fxaAbort };

// Mode words of OpenZip: open read-only, and create a new archive.
inline constexpr unsigned kOpenReadOnly = 0;
inline constexpr unsigned kOpenReadWriteDenyWrite = 34;
inline constexpr unsigned kOpenReadShared = 64;
inline constexpr unsigned kOpenCreate = 65535;

struct TZipOptions {
  bool Recurse = true;
  TZipStorePathMode StorePath = TZipStorePathMode::spRelativePath;
  TZipFileShareMode ShareMode = TZipFileShareMode::smShareDenyNone;
  TZipOverwriteMode OverwriteMode = TZipOverwriteMode::omAlways;
  bool CreateDirs = true;
  bool ReplaceReadOnly = true;
  bool SetAttributes = true;
  int SearchAttr = 10431;
  bool FlushBuffers = true;
  bool OEMFileNames = true;
  void Assign(const TZipOptions& source) { *this = source; }
};

class TZipSpanningOptions {
 public:
  bool AdvancedNaming = true;
  std::int64_t FirstVolumeSize = 0;  // 0: as the others
  TZipVolumeSize VolumeSize = TZipVolumeSize::vsAutoDetect;
  std::int64_t CustomVolumeSize() const { return customVolumeSize_; }
  // Values below 65,536 are stored as 65,536.
  void SetCustomVolumeSize(std::int64_t size);
  void Assign(const TZipSpanningOptions& source) { *this = source; }

 private:
  std::int64_t customVolumeSize_ = 0;
};

// The bytes a fixed volume size stands for (0 for vsAutoDetect, CustomVolumeSize for vsCustom).
std::int64_t VolumeSizeBytes(const TZipSpanningOptions& options);

class TZipBaseArchiver;

using TZipFileProgressEvent =
    std::function<void(TZipBaseArchiver& sender, const WideString& fileName, double progress,
                       TZipProcessOperation operation, TZipProgressPhase phase, bool& cancel)>;
using TZipOverallProgressEvent = std::function<void(
    TZipBaseArchiver& sender, double progress, TZipProcessOperation operation, TZipProgressPhase phase, bool& cancel)>;
using TZipCopyTempFileProgressEvent =
    std::function<void(TZipBaseArchiver& sender, double progress, TZipProgressPhase phase, bool& cancel)>;
using TZipConfirmOverwriteEvent = std::function<void(TZipBaseArchiver& sender, const WideString& sourceFileName,
                                                     WideString& destFileName, bool& confirm)>;
using TZipConfirmProcessFileEvent = std::function<void(TZipBaseArchiver& sender, const WideString& fileName,
                                                       TZipProcessOperation operation, bool& confirm)>;
using TZipNotifyEvent = std::function<void(TZipBaseArchiver& sender)>;
using TZipPasswordEvent =
    std::function<void(TZipBaseArchiver& sender, const WideString& fileName, AnsiString& newPassword, bool& skipFile)>;
using TZipProcessFileFailureEvent =
    std::function<void(TZipBaseArchiver& sender, const WideString& fileName, TZipProcessOperation operation,
                       int nativeError, int errorCode, const WideString& errorMessage, TZipAction& action)>;
using TZipRequestVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, int volumeNumber, WideString& volumeFileName, bool& cancel)>;
using TZipRequestEndVolumeEvent =
    std::function<void(TZipBaseArchiver& sender, WideString& volumeFileName, bool& cancel)>;
using TZipDiskFullEvent =
    std::function<void(TZipBaseArchiver& sender, int volumeNumber, const WideString& volumeFileName, bool& cancel)>;
using TZipStoreFileEvent = std::function<void(TZipBaseArchiver& sender, WideString& fileName, std::uint32_t& fileAttr,
                                              AnsiString& comment, const WideString& originalFileName)>;
using TZipExtractFileEvent = std::function<void(TZipBaseArchiver& sender, WideString& fileName, std::uint32_t& fileAttr,
                                                const AnsiString& comment)>;

// How a prompt was answered.
enum class TZipPromptResult { None, Ok, Cancel, Yes, No, YesToAll, NoToAll, Abort, Retry, Ignore };

// How a password question went.
enum class TZipPasswordReply {
  Given,     // answered at once: the value holds the password
  Declined,  // cancelled at once
  Later,     // to be asked once the read has returned; the request hears the answer
  NotNow,    // not asked, another question being open: the entry is skipped this time only
};

// A password question asked after the read that needed it. The archive that asked may be closed or
// destroyed before the question is shown or answered; the request then is no longer wanted.
struct TZipPasswordRequest {
  std::weak_ptr<const void> asker;
  std::function<void(bool given, const AnsiString& password)> answered;
  bool Wanted() const { return !asker.expired(); }
};

// The questions the archiver asks when no event handler is assigned. The default answers at once, as
// if the dialog had been closed; the program installs one that shows real dialogs.
class TZipPrompter {
 public:
  virtual ~TZipPrompter() = default;
  virtual TZipPromptResult Ask(const WideString& text, const std::vector<TZipPromptResult>& buttons);
  // true with the text entered, false when cancelled.
  virtual bool InputQuery(const WideString& caption, const WideString& prompt, AnsiString& value);
  // The password question of an entry being read, pre-filled with `value`. The default asks InputQuery
  // at once. A prompter whose dialogs run an event loop answers Later instead and asks from the event
  // loop: anything may happen in that loop, also to the archive and to what its reader holds.
  virtual TZipPasswordReply AskPassword(const WideString& caption, const WideString& prompt, AnsiString& value,
                                        TZipPasswordRequest request);
};

// The prompter of every component that has none of its own (nullptr: the default, which shows nothing).
// The program installs its dialogs once at start; the prompter must outlive its installation.
void InstallZipPrompter(TZipPrompter* prompter);

class TZipBaseArchiver : public TComponent {
 public:
  TZipBaseArchiver();
  ~TZipBaseArchiver() override;
  TZipBaseArchiver(const TZipBaseArchiver&) = delete;
  TZipBaseArchiver& operator=(const TZipBaseArchiver&) = delete;

  // Properties.
  bool ExtractCorruptedFiles = false;
  TZipCompressionLevel CompressionLevel() const { return compressionLevel_; }
  void SetCompressionLevel(TZipCompressionLevel level);
  int CompressionMode() const { return compressionMode_; }
  void SetCompressionMode(int mode);  // error 5 from 10 on
  WideString CurrentVersion() const { return u"3.03 "; }
  void SetCurrentVersion(const WideString&) {}
  AnsiString Password;
  WideString FileName;
  WideString BaseDir;
  WideString TempDir;
  TZipSpanningMode SpanningMode() const { return spanningMode_; }
  void SetSpanningMode(TZipSpanningMode mode);  // not while an archive is open
  TZipSpanningOptions SpanningOptions;
  WideString SFXStub;
  TZipOptions Options;
  TWStringList FileMasks;
  TWStringList ExclusionMasks;
  TWStringList NoCompressionMasks;
  bool InMemory() const { return inMemory_; }
  void SetInMemory(bool value);
  TZip64Mode Zip64Mode = TZip64Mode::zmAuto;

  // Events.
  TZipFileProgressEvent OnFileProgress;
  TZipOverallProgressEvent OnOverallProgress;
  TZipCopyTempFileProgressEvent OnCopyTempFileProgress;
  TZipConfirmOverwriteEvent OnConfirmOverwrite;
  TZipConfirmProcessFileEvent OnConfirmProcessFile;
  TZipNotifyEvent AfterOpen;
  TZipPasswordEvent OnPassword;
  TZipProcessFileFailureEvent OnProcessFileFailure;
  TZipRequestVolumeEvent OnRequestBlankVolume;
  TZipRequestEndVolumeEvent OnRequestFirstVolume;
  TZipRequestEndVolumeEvent OnRequestLastVolume;
  TZipRequestVolumeEvent OnRequestMiddleVolume;
  TZipDiskFullEvent OnDiskFull;
  TZipStoreFileEvent OnStoreFile;
  TZipExtractFileEvent OnExtractFile;

  // Other state.
  bool RebuildDamagedDirectory = true;
  bool Active() const { return active_; }
  unsigned OpenMode() const { return openMode_; }
  std::uint16_t CompressionMethod() const { return compressionMethod_; }
  bool Aborted = false;
  bool SkipFile = false;
  bool ProgressEnabled = true;
  // Where this component's prompts go when no handler is assigned; nullptr: the installed prompter.
  void SetPrompter(TZipPrompter* prompter);
  // Called when a password asked for after a read has been given (and kept as Password).
  std::function<void(TZipBaseArchiver&)> PasswordGiven;

  // Opens the archive named by FileName: modes below 65535 open an existing file with that access word
  // (0: read-only), 65535 creates a new archive. A failure leaves the component closed. A split archive
  // is opened by its last volume (or its self-extracting first one): the other volumes are asked for
  // through the volume events, found by the naming table, and read as one archive (read-only);
  // error 45 when one is refused or cannot be opened.
  void OpenZip(unsigned mode);
  // Opens with the mode the file allows: create when it is missing or in memory.
  void OpenArchive();
  // Commits an open update (a new archive gets at least its end record), then frees the directory and
  // the file. Writes nothing to an archive opened read-only. A commit that fails here is raised after the
  // archive is closed: the archive stays as it was, and a new archive that could not be written is not
  // left behind as an empty file.
  void CloseZip();

  // Updating. Changes are queued on the entries and written by a commit: at once outside an update, or
  // when the outermost EndUpdate ends one opened by BeginUpdate. A commit writes the whole new archive to
  // a temporary file in TempDir (the system's temporary folder when empty) and puts it in place of the
  // old one (through a link, the file it leads to) only when it is complete: renamed over it, or first
  // copied beside it when TempDir is on another file system. A failed or cancelled commit leaves the old
  // archive byte for byte as it was; the pending changes are then dropped. Errors: 13 (no archive), 32
  // (opened read-only), 63 (a name that would leave its folder), 61 (a name too long), 33 (a source that
  // is not a regular file or folder), 65 (a comment that would hide the archive's end record), and those
  // of the commit: 33 (a source cannot be opened), 34 (a source is shorter than when it was added), 41
  // and 43 (ZIP64 needed while Zip64Mode is zmDisabled), 46 (writing failed; OnDiskFull is asked first
  // and may have the write retried), 6 and 7 (an old entry cannot be read, or lies outside the archive),
  // 66 (another program replaced or changed the archive since it was opened), 23 and 36 (the new
  // archive cannot be put in place), 27 (a temporary file cannot be deleted after a cancelled commit).
  void BeginUpdate();
  void EndUpdate();     // error 22 when no update is open
  void CancelUpdate();  // drops the pending changes; error 25 when no update is open
  int UpdateCount() const { return updateCount_; }
  // Adds a file, or a folder entry for a folder, replacing an entry of the same name (in any letter
  // case). An empty storedName is made from the path by Options.StorePath and BaseDir.
  void AddFile(const WideString& sourceFile, const WideString& storedName = {});
  // As AddFile, and deletes the file once the commit has put it in the archive. A folder is moved with
  // its files (and, with Options.Recurse, its folders) and removed once empty. A source whose folder
  // does not let it be removed is error 27 (a file) or 60 (a folder) before the commit; one that still
  // cannot be removed after the commit is told to OnProcessFileFailure and left where it is.
  void MoveFile(const WideString& sourceFile, const WideString& storedName = {});
  // An entry whose bytes come from memory (a name ending in "/" makes a folder entry); dosDateTime 0
  // stands for now.
  void AddFromBuffer(const WideString& storedName, std::string_view data, std::uint32_t dosDateTime = 0);
  // The entries a mask matches (as FindFirstEntry with every attribute); each returns how many.
  int DeleteFiles(const WideString& fileMask);
  int ChangeFilesAttr(const WideString& fileMask, std::uint32_t attributes);
  int ChangeFilesComment(const WideString& fileMask, const AnsiString& comment);
  // Error 15 when oldName is not in the archive, 19 when newName already is.
  void RenameFile(const WideString& oldName, const WideString& newName);
  void SetArchiveComment(const AnsiString& comment);

  // Extracts the entries a mask matches into BaseDir (the current folder when empty), with their
  // folders unless Options.StorePath is spNoPath, by Options.OverwriteMode, CreateDirs, ReplaceReadOnly
  // and SetAttributes. A name that would leave BaseDir ("..", an absolute path, a drive, a link out of
  // it) is refused with error 63 before anything is written; each file is written beside its place and
  // renamed into it when whole. Returns the number of files and folders written.
  int ExtractFiles(const WideString& fileMask);

  // The directory of the open archive, or nullptr.
  const TZipDirManager* DirManager() const { return dirManager_.get(); }
  TZipDirManager* DirManager() { return dirManager_.get(); }
  const TStream* ArchiveStream() const { return stream_.get(); }

  // Searching the open archive's entries (error 13 when none is open). Each search keeps its state in
  // its record, so several may run side by side. "*.*" with attributes 63 visits every entry once, in
  // directory order; a non-empty exclusion mask leaves out the entries it matches.
  bool FindFirstEntry(const WideString& fileMask, TZipArchiveItem& f, int searchAttr,
                      const WideString& exclusionMask = {});
  bool FindNextEntry(TZipArchiveItem& f);
  // The entry with this stored name in any letter case, or else the first one the name matches as a mask.
  bool FindEntryByName(const WideString& fileName, int& index);

  // Extraction writes the entry's bytes at the stream's position and leaves the stream after them. It
  // delivers the whole entry with its size and CRC-32 checked, or raises EZipException: 13 (no archive),
  // 15 (no such name), 16 (index), 55 (Deflate64), 8 (anything else: a damaged or unsupported entry, a
  // cancelled extraction, a wrong password, a short write). Only a size or CRC-32 mismatch is let through
  // when ExtractCorruptedFiles is set. An entry skipped at the password question writes nothing and
  // raises nothing: SkipFile then tells the caller.
  //
  // Without an OnPassword handler the installed prompter asks for the password, again while it is
  // wrong. Once the user has declined it, no entry of the archive is asked for again until the archive
  // is opened anew: the program reads artwork at every selection and from timers, and would otherwise
  // ask without end. A question that would open while another prompt is open (a timer firing in that
  // dialog's event loop) is not shown; its entry is skipped this time only. A prompter that asks later
  // has the entry skipped now; the archive's other encrypted entries are skipped while the question
  // waits, and a password given then is kept and told to PasswordGiven, so that the reader reads again.
  void ExtractEntryToStream(const WideString& fileName, TStream& stream);
  void ExtractEntryByIndex(int index, TStream& stream);

  // The name of volume `volume` (from 0) of a multi-volume archive, or of its last volume.
  WideString VolumeFileName(int volume, bool last) const;
  // The same name for a volume that must exist: when it does not, the other naming (with and without
  // AdvancedNaming), a self-extracting first volume, and the names in another letter case are tried;
  // the table's name stays when none exists.
  WideString ExistingVolumeName(int volume, bool last) const;

  // Event dispatchers, in slot order.
  virtual void UpdateCompressionMethod();
  virtual void DoOnOverallProgress(double progress, TZipProcessOperation operation, TZipProgressPhase phase,
                                   bool& cancel);
  virtual void DoOnFileProgress(const WideString& fileName, double progress, TZipProcessOperation operation,
                                TZipProgressPhase phase, bool& cancel);
  virtual void DoOnCopyTempFileProgress(double progress, TZipProgressPhase phase, bool& cancel);
  virtual void DoOnConfirmOverwrite(const WideString& sourceFileName, WideString& destFileName, bool& confirm);
  virtual void DoOnConfirmProcessFile(const WideString& fileName, TZipProcessOperation operation, bool& confirm);
  virtual void DoOnPassword(const WideString& fileName, AnsiString& newPassword, bool& skipFile);
  virtual void DoOnProcessFileFailure(const WideString& fileName, TZipProcessOperation operation, int nativeError,
                                      int errorCode, const WideString& errorMessage, TZipAction& action);
  virtual void DoOnRequestBlankVolume(int volumeNumber, WideString& volumeFileName, bool& cancel);
  virtual void DoOnRequestFirstVolume(WideString& volumeFileName, bool& cancel);
  virtual void DoOnRequestLastVolume(WideString& volumeFileName, bool& cancel);
  virtual void DoOnRequestMiddleVolume(int volumeNumber, WideString& volumeFileName, bool& cancel);
  virtual void DoOnDiskFull(int volumeNumber, const WideString& volumeFileName, bool& cancel);
  virtual void DoOnReservedEvent();
  virtual void DoOnStoreFile(WideString& fileName, std::uint32_t& fileAttr, AnsiString& comment,
                             const WideString& originalFileName);
  virtual void DoOnExtractFile(WideString& fileName, std::uint32_t& fileAttr, const AnsiString& comment);

  std::function<void(TZipBaseArchiver&)> OnReservedEvent;

 protected:
  // Whether new and renamed entries get the archiver's own UTF-16 name block.
  virtual bool WritesUnicodeNames() const { return false; }
  void SetCompressionMethod(std::uint16_t method) { compressionMethod_ = method; }
  // The signatures this archiver recognises: the base component's own, the standard ones in TZipArchiver.
  virtual TZipReadOptions ReadOptions() const;
  // Whether entries of methods other than 0, 8 and 9 are read as the archiver's own block format.
  virtual bool ReadsBlockFormat() const { return true; }

 private:
  friend class TEntryExtractor;
  friend class TZipUpdater;
  void CheckActive() const;
  bool FindNextMatch(TZipArchiveItem& f) const;
  bool MatchEntry(const TDirItem& entry, const TInternalSearchRec& search) const;
  bool MatchesMaskLists(const WideString& storedName) const;

  void CheckFileNamePart(int errorCode) const;
  void OpenExisting(unsigned mode);
  WideString VolumeName(const WideString& fileName, int volume, bool last, bool advanced) const;
  std::unique_ptr<TStream> OpenVolume(const WideString& name, unsigned mode);
  void OpenVolumes(unsigned mode, std::unique_ptr<TStream> first);
  void CreateNew();
  void AttachStream(std::unique_ptr<TStream> stream, bool creating);
  void LoadFromStream();
  bool Writable() const;
  TZipPrompter& Prompter();
  // The installed prompter's answers, or "closed" while another prompt of this thread is open.
  TZipPromptResult AskUser(const WideString& text, const std::vector<TZipPromptResult>& buttons);
  void ReleaseArchive() noexcept;
  void PasswordAnswered(bool given, const AnsiString& password);
  // The archive file as this component last opened or wrote it; a commit refuses to replace another.
  void RememberArchiveFile();
  void CheckArchiveUnchanged() const;
  // Removes a file that creating made and no commit has written to.
  void RemoveUnwrittenNewFile() noexcept;
  void WriteEmptyDirectory();
  void MoveMemoryArchiveToFile();
  void MoveFileArchiveToMemory();

  void CheckUpdatable() const;
  void CheckNoUpdate() const;
  // Runs op inside an update: its own one, committed at once, when none is open.
  void Queue(const std::function<void()>& op);
  WideString StoredNameFor(const WideString& sourceFile) const;
  void QueueFile(const WideString& sourceFile, const WideString& storedName, TZipProcessOperation operation);
  void QueueFolderMove(const WideString& folder, const WideString& storedName);
  void CheckRemovable(const std::string& path, int errorCode) const;
  void RemoveMovedSources(const std::vector<WideString>& moved);
  void ReportUnremoved(const WideString& source, int errorCode);
  void QueueNewData(WideString storedName, TZipPendingChange change, AnsiString comment,
                    const WideString& originalName);
  // The entries (not deleted) a mask matches, in directory order.
  std::vector<int> MatchingEntries(const WideString& fileMask);
  void CommitUpdate();
  // Forgets the pending changes: the directory as the archive holds it.
  void DropPendingChanges() noexcept;
  // One entry of ExtractFiles into its place; false when it was left as it was.
  bool ExtractJob(int index, std::string target, bool folder, std::uint32_t attributes);
  bool ConfirmOverwrite(const TDirItem& entry, std::string& target);
  // After a commit: the archive is the new stream (in memory) or the file renamed into place.
  void ReopenAfterCommit(std::unique_ptr<TStream> memory);

  TZipCompressionLevel compressionLevel_ = TZipCompressionLevel::clFastest;
  int compressionMode_ = 1;
  std::uint16_t compressionMethod_ = 0xFFFF;
  TZipSpanningMode spanningMode_ = TZipSpanningMode::smNone;
  bool inMemory_ = false;
  bool active_ = false;
  unsigned openMode_ = 0;
  std::unique_ptr<TStream> stream_;
  std::unique_ptr<TZipDirManager> dirManager_;
  int updateCount_ = 0;
  bool commentChanged_ = false;
  struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    bool operator==(const FileIdentity&) const = default;
  };
  static FileIdentity IdentityOf(const struct stat& info);
  std::optional<FileIdentity> openedFile_;
  bool createdFile_ = false;  // opening made the archive's file
  TZipPrompter defaultPrompter_;
  TZipPrompter* prompter_ = nullptr;
  bool passwordDeclined_ = false;  // since the archive was opened
  // The password question asked for later, while it waits; reset when the archive is closed, so that
  // an answer that comes after does not reach the archive.
  std::shared_ptr<const void> passwordQuestion_;
};

class TZipArchiver : public TZipBaseArchiver {
 public:
  TZipArchiver();
  // Closes while this class's signatures and name blocks still apply to what closing writes.
  ~TZipArchiver() override;
  bool UnicodeFilenames = true;
  void UpdateCompressionMethod() override;

 protected:
  TZipReadOptions ReadOptions() const override;
  bool ReadsBlockFormat() const override { return false; }
  bool WritesUnicodeNames() const override { return UnicodeFilenames; }
};

}  // namespace kestrune::zip
