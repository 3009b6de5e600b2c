#include "zip/zip_volumes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace kestrune::zip {
namespace {

constexpr char kTempPrefix[] = "FC";
constexpr char kTempSuffix[] = ".tmp";
constexpr char kPidSeparator = '-';
constexpr std::size_t kTempUniqueLength = 6;

// What a name of the archiver's temporary naming tells: "FC" + the process id + "-" + six characters
// + ".tmp", or, as older commits named them, "FC" + six characters + ".tmp" (pid 0).
struct TempName {
  bool own = false;
  long pid = 0;
};

TempName ParseTempName(const std::string& name) {
  const std::size_t prefix = sizeof kTempPrefix - 1;
  const std::size_t suffix = sizeof kTempSuffix - 1;
  if (name.size() < prefix + kTempUniqueLength + suffix || name.compare(0, prefix, kTempPrefix) != 0 ||
      name.compare(name.size() - suffix, suffix, kTempSuffix) != 0) {
    return {};
  }
  const std::string middle = name.substr(prefix, name.size() - prefix - suffix);
  const std::string unique = middle.substr(middle.size() - kTempUniqueLength);
  if (!std::all_of(unique.begin(), unique.end(),
                   [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
    return {};
  }
  if (middle.size() == kTempUniqueLength) {
    return {true, 0};
  }
  const std::string pid = middle.substr(0, middle.size() - kTempUniqueLength);
  if (pid.size() < 2 || pid.size() > 11 || pid.back() != kPidSeparator ||
      !std::all_of(pid.begin(), pid.end() - 1, [](char c) { return c >= '0' && c <= '9'; })) {
    return {};
  }
  return {true, std::stol(pid.substr(0, pid.size() - 1))};
}

// Whether the process that named a file is gone: no process of that id runs any more.
bool ProcessGone(long pid) {
  return pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

TLockedTempFile::TLockedTempFile(const std::string& folder) {
  std::string pattern = folder + "/" + kTempPrefix + std::to_string(::getpid()) + kPidSeparator +
                        std::string(kTempUniqueLength, 'X') + kTempSuffix;
  lock_ = ::mkstemps(pattern.data(), static_cast<int>(sizeof kTempSuffix - 1));
  if (lock_ < 0) {
    throw EFCreateError("Cannot create file \"" + pattern + "\"");
  }
  // Held until the file is renamed away or deleted; a killed process lets it go.
  ::flock(lock_, LOCK_EX);
  path_ = pattern;
}

TLockedTempFile::~TLockedTempFile() { Release(true); }

bool TLockedTempFile::Release(bool remove) {
  bool removed = true;
  if (remove && !path_.empty() && ::unlink(path_.c_str()) != 0 && errno != ENOENT) {
    removed = false;
  }
  if (lock_ >= 0) {
    ::close(lock_);
    lock_ = -1;
  }
  path_.clear();
  return removed;
}

void RemoveStaleTempFiles(const std::string& folder, bool shared) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const TempName name = ParseTempName(it->path().filename().string());
    const bool gone = name.own && ProcessGone(name.pid);
    if (!name.own || (shared && !gone)) {
      continue;
    }
    const std::string path = it->path().string();
    const int handle = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
      continue;
    }
    struct stat info {};
    // An empty one may be one that another commit has just made and not locked yet, unless its maker is gone.
    if (::fstat(handle, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_size > 0 || gone) && ::flock(handle, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());
    }
    ::close(handle);
  }
}

TJoinedVolumes::TJoinedVolumes(std::vector<std::unique_ptr<TStream>> volumes) : volumes_(std::move(volumes)) {
  for (const auto& volume : volumes_) {
    starts_.push_back(size_);
    size_ += volume->Size();
  }
}

std::size_t TJoinedVolumes::Read(void* buffer, std::size_t count) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count && position_ < size_) {
    // The last volume that starts at or before the position (an empty volume holds nothing).
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), position_);
    const auto index = static_cast<std::size_t>(after - starts_.begin() - 1);
    TStream& volume = *volumes_[index];
    const std::int64_t end = starts_[index] + volume.Size();
    const auto n =
        static_cast<std::size_t>(std::min<std::int64_t>(end - position_, static_cast<std::int64_t>(count - done)));
    volume.SetPosition(position_ - starts_[index]);
    const std::size_t got = volume.Read(bytes + done, n);
    done += got;
    position_ += static_cast<std::int64_t>(got);
    if (got < n) {
      break;
    }
  }
  return done;
}

std::int64_t TJoinedVolumes::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, size_, offset, origin);
  return position_;
}

TVolumeStream::TVolumeStream(std::string folder, std::uint64_t firstSize, std::uint64_t size, NextVolumeFunction next)
    : folder_(std::move(folder)), firstSize_(firstSize), size_each_(size), next_(std::move(next)) {
  AddVolume();
}

TVolumeStream::~TVolumeStream() {
  for (Volume& volume : volumes_) {
    volume.file.reset();
  }
}

bool TVolumeStream::AddVolume() {
  const auto index = static_cast<int>(volumes_.size());
  if (index > 0 && next_ && !next_(index)) {
    refused_ = true;
    return false;
  }
  Volume volume;
  volume.temp = std::make_unique<TLockedTempFile>(folder_);
  volume.file = std::make_unique<TWFileStream>(Utf8ToWide(volume.temp->Path()), 2);
  volume.start = size_;
  volume.capacity = index == 0 && firstSize_ > 0 ? firstSize_ : size_each_;
  volumes_.push_back(std::move(volume));
  return true;
}

TVolumeStream::Volume* TVolumeStream::At(std::int64_t position) {
  for (auto v = volumes_.rbegin(); v != volumes_.rend(); ++v) {
    if (v->start <= position) {
      return &*v;
    }
  }
  return &volumes_.front();
}

std::size_t TVolumeStream::Read(void*, std::size_t) { return 0; }

std::size_t TVolumeStream::Write(const void* buffer, std::size_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    Volume* volume = At(position_);
    const bool last = volume == &volumes_.back();
    // Only the last volume grows; the others are rewritten in place (a header patched after its data).
    const std::int64_t end =
        last ? volume->start + static_cast<std::int64_t>(volume->capacity) : volume->start + volume->size;
    if (position_ >= end) {
      if (!last || !AddVolume()) {
        break;
      }
      continue;
    }
    const auto n =
        static_cast<std::size_t>(std::min<std::int64_t>(end - position_, static_cast<std::int64_t>(count - done)));
    volume->file->SetPosition(position_ - volume->start);
    const std::size_t written = volume->file->Write(bytes + done, n);
    position_ += static_cast<std::int64_t>(written);
    done += written;
    volume->size = std::max(volume->size, position_ - volume->start);
    size_ = std::max(size_, position_);
    if (written < n) {
      break;
    }
  }
  return done;
}

std::int64_t TVolumeStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  position_ = std::min(SeekTarget(position_, size_, offset, origin), size_);
  return position_;
}

void TVolumeStream::SetSize(std::int64_t size) {
  while (volumes_.size() > 1 && volumes_.back().start >= size) {
    volumes_.back().file.reset();
    volumes_.pop_back();
  }
  Volume& last = volumes_.back();
  last.size = std::max<std::int64_t>(0, size - last.start);
  last.file->SetSize(last.size);
  size_ = last.start + last.size;
  position_ = std::min(position_, size_);
}

bool TVolumeStream::KeepTogether(std::size_t count) {
  const Volume& last = volumes_.back();
  if (last.capacity - static_cast<std::uint64_t>(last.size) >= count) {
    return true;
  }
  if (last.size == 0 || last.capacity < count) {
    return false;  // no volume can hold it
  }
  return AddVolume() && volumes_.back().capacity >= count;
}

TVolumeStream::Location TVolumeStream::Locate(std::int64_t position) const {
  for (auto v = volumes_.rbegin(); v != volumes_.rend(); ++v) {
    if (v->start <= position) {
      return {static_cast<std::uint32_t>(volumes_.rend() - v - 1), static_cast<std::uint64_t>(position - v->start)};
    }
  }
  return {};
}

bool TVolumeStream::Publish(const std::function<std::string(int volume, bool last)>& name, unsigned mode) {
  for (std::size_t i = 0; i < volumes_.size(); ++i) {
    Volume& volume = volumes_[i];
    if (::fchmod(volume.file->Handle(), static_cast<mode_t>(mode)) != 0 || ::fsync(volume.file->Handle()) != 0) {
      return false;
    }
    volume.file.reset();
    if (::rename(volume.temp->Path().c_str(), name(static_cast<int>(i), i + 1 == volumes_.size()).c_str()) != 0) {
      return false;
    }
    volume.temp->Release(false);
  }
  return true;
}

}  // namespace kestrune::zip
