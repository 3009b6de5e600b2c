#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zip/zip_archiver.h"
#include "zip/zip_volumes.h"
#include "zip/zip_writer.h"

// The commit of an update: the new archive written entry by entry, then put in place of the old one.
namespace kestrune::zip {

class TReplacementFile;

class TZipUpdater {
 public:
  explicit TZipUpdater(TZipBaseArchiver& zip);
  ~TZipUpdater();
  TZipUpdater(const TZipUpdater&) = delete;
  TZipUpdater& operator=(const TZipUpdater&) = delete;

  // Writes the new archive and puts it in place of the old one, which it leaves untouched until then.
  // False when a handler cancelled: nothing has changed. Failures raise EZipException.
  bool Run();
  // The sources of moved entries, now in the archive.
  const std::vector<WideString>& MovedFiles() const { return moved_; }

 private:
  bool HasChanges() const;
  bool Moves(const TDirItem& item) const;
  std::int64_t CutPosition() const;
  void OpenOutput();
  void CopyPrefix(std::int64_t cut);
  void ProcessEntries(std::int64_t cut);
  void CopyEntry(const TDirItem& item);
  void WriteNew(const TDirItem& item);
  std::unique_ptr<TStream> OpenSource(const TZipPendingChange& change);
  void WatchDiskFull(TZipOutput& out);
  std::uint64_t ProgressWeight(const TDirItem& item) const;
  TDirItem WriteNewEntry(const TDirItem& item);
  void WriteDirectory();
  std::string CentralHeader(const TDirItem& item);
  // Where a position of the output lies: its volume and the offset a header records for it.
  TVolumeStream::Location Locate(std::int64_t position) const;
  // A record of count bytes is never split between volumes.
  void KeepTogether(std::size_t count);
  void OpenVolumes();
  void Finish();
  void PublishVolumes();
  void OverallProgress(TZipProcessOperation operation, TZipProgressPhase phase);
  bool Zip64Mode(TZip64Mode mode) const;

  TZipBaseArchiver& zip_;
  TZipDirManager& dir_;
  TStream& old_;
  std::unique_ptr<TMemoryStream> memory_;
  std::unique_ptr<TReplacementFile> file_;
  std::unique_ptr<TVolumeStream> volumes_;
  std::map<int, WideString> volumeNames_;  // names a blank-volume handler chose
  std::unique_ptr<TZipOutput> out_;
  std::vector<TDirItem> written_;
  std::vector<WideString> moved_;
  std::int64_t bias_ = 0;  // stored offsets count from here (data in front of an old archive)
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
};

}  // namespace kestrune::zip
