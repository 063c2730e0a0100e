#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lexfray {

// A file of fixed-length records numbered from 1, opened for one pass and closed when the
// object goes. The record count is the file length divided by the record size, so a
// partial record at the end is ignored and overwritten by the next append. Each record is
// written with one positioned write, so a process killed at any moment never leaves a
// half-written record behind.
class RecordFile {
 public:
  // Opens for reading and writing, creating the file empty when it is missing; a file that
  // may only be read is opened read-only, and its writes then fail as "PATH is read-only".
  // Nothing on failure, with the reason in *error.
  static std::optional<RecordFile> Open(const std::string& path, std::size_t recordSize,
                                        std::string* error = nullptr);

  RecordFile(RecordFile&& other) noexcept;
  RecordFile& operator=(RecordFile&& other) noexcept;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile();

  std::int64_t Count() const;
  // Record n (from 1) into record, which must hold the record size; false when it is not
  // all there.
  bool Read(std::int64_t n, std::span<std::uint8_t> record);
  // Records first .. first + count - 1 in one read; fewer when the file ends earlier.
  std::int64_t ReadMany(std::int64_t first, std::int64_t count, std::span<std::uint8_t> out);
  // A write that fails while it lengthens the file cuts it back to its old length.
  bool Write(std::int64_t n, std::span<const std::uint8_t> record);
  const std::string& LastError() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  RecordFile(int fd, std::string path, std::size_t recordSize, bool readOnly);
  void Fail(const char* what);

  int fd_ = -1;
  std::string path_;
  std::size_t recordSize_ = 0;
  bool readOnly_ = false;
  std::string error_;
};

}  // namespace lexfray
