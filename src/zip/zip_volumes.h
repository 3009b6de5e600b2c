#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/zip_stream.h"

// The output of a split archive: one stream whose bytes are spread over volume files of a set size.
// Every volume is written to a temporary file beside the archive; they get their names together, once
// the whole archive is written, so a failure leaves no volume behind.
namespace kestrune::zip {

// A temporary file of the archiver's own naming ("FC", the process id, "-" and six characters, ".tmp"), created empty
// and held locked while it is in use, so that a later commit can tell the leftover of a killed one from a file that
// another commit is writing. Removed when destroyed unless Release() came first.
class TLockedTempFile {
 public:
  // Error: EFCreateError naming the file it could not create.
  explicit TLockedTempFile(const std::string& folder);
  ~TLockedTempFile();
  TLockedTempFile(const TLockedTempFile&) = delete;
  TLockedTempFile& operator=(const TLockedTempFile&) = delete;

  const std::string& Path() const { return path_; }
  // The file was renamed away or deleted: forget it. Deletes it first when remove is true; false when
  // that failed.
  bool Release(bool remove);

 private:
  std::string path_;
  int lock_ = -1;
};

// Removes the leftovers of killed commits from a folder: files of the archiver's temporary naming,
// owned by this user and locked by no process, that are not empty or whose process no longer runs. In
// a folder shared with every other program (the system's temporary folder), only those whose process
// no longer runs: a file there that merely looks like ours is left alone.
void RemoveStaleTempFiles(const std::string& folder, bool shared = false);

// The volumes of a split archive read as the one stream they were cut from; positions in it are the
// start of a record's volume plus the offset the record gives within that volume.
class TJoinedVolumes : public TStream {
 public:
  explicit TJoinedVolumes(std::vector<std::unique_ptr<TStream>> volumes);
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  void SetSize(std::int64_t) override { throw EWriteError(); }
  // Where each volume starts in the joined stream.
  const std::vector<std::int64_t>& Starts() const { return starts_; }

 private:
  std::vector<std::unique_ptr<TStream>> volumes_;
  std::vector<std::int64_t> starts_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

class TVolumeStream : public TStream {
 public:
  struct Location {
    std::uint32_t volume = 0;
    std::uint64_t offset = 0;  // from the start of that volume
  };
  // Asked before each volume after the first (its number from 0); false stops the writing.
  using NextVolumeFunction = std::function<bool(int volume)>;

  // folder: where the temporary files go; sizes: the first volume's and the others' in bytes.
  TVolumeStream(std::string folder, std::uint64_t firstSize, std::uint64_t size, NextVolumeFunction next);
  ~TVolumeStream() override;
  TVolumeStream(const TVolumeStream&) = delete;
  TVolumeStream& operator=(const TVolumeStream&) = delete;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return size_; }
  // Cuts the output back to size; volumes after it are dropped.
  void SetSize(std::int64_t size) override;

  // Starts a new volume when fewer than count bytes are left in the last one, so that a record of
  // count bytes is never split; false when that is impossible or a new volume was refused.
  bool KeepTogether(std::size_t count);
  Location Locate(std::int64_t position) const;
  int VolumeCount() const { return static_cast<int>(volumes_.size()); }
  // Gives the volumes their permission bits, flushes them and renames them (name(i) for volume i);
  // true when all were renamed.
  bool Publish(const std::function<std::string(int volume, bool last)>& name, unsigned mode);
  // Why the last write stopped short: a new volume was refused.
  bool Refused() const { return refused_; }

 private:
  struct Volume {
    std::unique_ptr<TLockedTempFile> temp;
    std::unique_ptr<TWFileStream> file;
    std::int64_t start = 0;
    std::int64_t size = 0;
    std::uint64_t capacity = 0;
  };
  bool AddVolume();
  Volume* At(std::int64_t position);

  std::string folder_;
  std::uint64_t firstSize_;
  std::uint64_t size_each_;
  NextVolumeFunction next_;
  std::vector<Volume> volumes_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  bool refused_ = false;
};

}  // namespace kestrune::zip
