#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace lexfray {

// Whole-file operations. Each names the file and the reason in *error when it fails.

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path, std::string* error = nullptr);

// The first bytes of a file, and whether it held more than those.
struct FilePrefix {
  std::string bytes;
  bool cut = false;
};

// At most limit bytes of the file, creating it empty when it is missing (a viewer of a
// missing document leaves the empty file behind). Never waits: a pipe without a writer
// reads as empty.
FilePrefix ReadOrCreateFile(const std::string& path, std::size_t limit);

// Opens path with the open(2) flags given, creating it when it is missing, but only as a new
// file of its own folder: a link whose target is missing fails rather than create a file
// elsewhere, and one that WritableTarget refuses fails to open for writing (EPERM). A
// descriptor, or -1 with errno set.
int OpenOrCreate(const std::string& path, int flags);

// Makes an empty file at path when nothing is there (see OpenOrCreate); false when it can
// be neither made nor opened.
bool CreateIfMissing(const std::string& path);

// At most limit bytes of an existing file, and whether it held more; nothing when it cannot
// be opened or read, with the reason in *error and errno kept (ENOENT for a missing file).
// Reads no more than limit + 1 bytes, so a device or a huge file costs nothing.
std::optional<FilePrefix> ReadFilePrefix(const std::string& path, std::size_t limit,
                                         std::string* error = nullptr);

// The file's bytes when there are at most limit of them; nothing otherwise, with the reason
// in *error.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit,
                                         std::string* error = nullptr);


// Creates or truncates the file and writes bytes into it.
bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The file that a write of path writes: path itself, or the existing file that the link in
// its place leads to. Nothing, with the reason, for a link to a missing file (a write never
// creates one elsewhere), and for a link any step of which lies in a folder that accounts
// other than root, the owner of path's folder and the games group can write (a
// world-writable sticky folder such as /tmp too): another account could point it anywhere.
std::optional<std::string> WritableTarget(const std::string& path, std::string* error = nullptr);

// Replaces the file whole: the bytes go into a temporary file in its folder, which takes over
// the old file's owner, group and mode, is flushed, and is renamed over it, so that the file is
// either its old self or wholly new, whatever happens meanwhile. A link stays a link: the
// existing file it leads to (see WritableTarget) is replaced the same way, in its own folder.
// A read-only file is left alone ("PATH is read-only").
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Writes bytes into a new file named prefix and six random characters (prefix holds its
// folder), with the owner, group and mode of likeFile where it exists (else 0664), flushed to
// disk. Its path, or nothing with the reason.
std::optional<std::string> WriteTemporaryFile(const std::string& prefix, std::string_view bytes,
                                              const std::string& likeFile,
                                              std::string* error = nullptr);

// rename(2), naming the target in *error.
bool RenameFile(const std::string& from, const std::string& to, std::string* error = nullptr);

// A rename or a removal is on disk only once its folder is.
void SyncFolder(const std::string& folder);

// ReplaceFile of to with the bytes of from.
bool CopyFileReplacing(const std::string& from, const std::string& to,
                       std::string* error = nullptr);

bool RemoveFile(const std::string& path);

// The folder part of path, ending in '/'; empty for a bare file name.
std::string FolderOf(const std::string& path);

// The size of a regular file; nothing for a folder, a device or a missing path.
std::optional<std::uint64_t> RegularFileSize(const std::string& path);

// True when path names a regular file (not a folder, not a missing path).
bool FileExists(const std::string& path);

// The file as a stdio stream opened with fopen's mode, or nullptr.
std::FILE* OpenStream(const std::string& path, const char* mode);

// True for an existing file without any write permission bit, or one this process may not
// write: such a file is never replaced or written.
bool IsReadOnly(const std::string& path);

// A write beyond the file-size limit (ulimit -f) then fails with EFBIG, which the file layer
// reports and cleans up after, instead of killing the process in the middle of a change.
void FailWritesBeyondSizeLimit();

}  // namespace lexfray
