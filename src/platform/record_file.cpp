#include "platform/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/files.h"
#include "platform/game_group.h"

namespace lexfray {

namespace {

std::string Reason(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, off_t offset) {
  while (size > 0) {
    ssize_t done = ::pwrite(fd, data, size, offset);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    size -= static_cast<std::size_t>(done);
    offset += done;
  }
  return true;
}

std::int64_t ReadAll(int fd, std::uint8_t* data, std::size_t size, off_t offset) {
  std::size_t got = 0;
  while (got < size) {
    ssize_t done = ::pread(fd, data + got, size - got, offset + static_cast<off_t>(got));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) break;
    got += static_cast<std::size_t>(done);
  }
  return static_cast<std::int64_t>(got);
}

}  // namespace

std::optional<RecordFile> RecordFile::Open(const std::string& path, std::size_t recordSize,
                                           std::string* error) {
  struct stat info {};
  bool readOnly = WithGameGroup([&] { return ::stat(path.c_str(), &info); }) == 0 &&
                  (info.st_mode & 0222) == 0;
  int fd = readOnly ? -1 : OpenOrCreate(path, O_RDWR);
  if (fd >= 0) return RecordFile(fd, path, recordSize, false);
  int refused = errno;
  if (readOnly || errno == EACCES || errno == EROFS || errno == EPERM) {
    fd = WithGameGroup([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); });
    if (fd >= 0) return RecordFile(fd, path, recordSize, true);
    // A file that is missing in a folder we may not write: the folder is the reason.
    if (!readOnly) errno = refused;
  }
  if (error) *error = Reason("cannot open", path);
  return std::nullopt;
}

RecordFile::RecordFile(int fd, std::string path, std::size_t recordSize, bool readOnly)
    : fd_(fd), path_(std::move(path)), recordSize_(recordSize), readOnly_(readOnly) {}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      recordSize_(other.recordSize_),
      readOnly_(other.readOnly_),
      error_(std::move(other.error_)) {}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    recordSize_ = other.recordSize_;
    readOnly_ = other.readOnly_;
    error_ = std::move(other.error_);
  }
  return *this;
}

// Don't retry close on EINTR: the descriptor is gone either way.
RecordFile::~RecordFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RecordFile::Fail(const char* what) { error_ = Reason(what, path_); }

std::int64_t RecordFile::Count() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
  return static_cast<std::int64_t>(info.st_size) / static_cast<std::int64_t>(recordSize_);
}

bool RecordFile::Read(std::int64_t n, std::span<std::uint8_t> record) {
  if (n < 1 || record.size() < recordSize_) return false;
  off_t offset = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(recordSize_));
  if (ReadAll(fd_, record.data(), recordSize_, offset) == static_cast<std::int64_t>(recordSize_))
    return true;
  Fail("cannot read");
  return false;
}

std::int64_t RecordFile::ReadMany(std::int64_t first, std::int64_t count,
                                  std::span<std::uint8_t> out) {
  if (first < 1 || count <= 0) return 0;
  std::size_t bytes = std::min(out.size(), static_cast<std::size_t>(count) * recordSize_);
  off_t offset = static_cast<off_t>((first - 1) * static_cast<std::int64_t>(recordSize_));
  return ReadAll(fd_, out.data(), bytes, offset) / static_cast<std::int64_t>(recordSize_);
}

bool RecordFile::Write(std::int64_t n, std::span<const std::uint8_t> record) {
  if (n < 1 || record.size() < recordSize_) return false;
  if (readOnly_) {
    error_ = path_ + " is read-only";
    return false;
  }
  off_t offset = static_cast<off_t>((n - 1) * static_cast<std::int64_t>(recordSize_));
  struct stat before {};
  bool appending = ::fstat(fd_, &before) == 0 && offset + static_cast<off_t>(recordSize_) > before.st_size;
  if (WriteAll(fd_, record.data(), recordSize_, offset)) return true;
  Fail("cannot write");
  // A full disk or a file-size limit may take part of the record: the file goes back to its
  // old length rather than keep a torn tail that the next reader takes for a record.
  if (appending) {
    int reason = errno;
    static_cast<void>(::ftruncate(fd_, before.st_size));
    errno = reason;
  }
  return false;
}

}  // namespace lexfray
