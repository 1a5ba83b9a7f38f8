#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "io/FilePath.h"

namespace tavrel {

// The file operations that can fail, in the order a save makes them. Backup
// and RemoveBackup are the save's steps on Windows 95/98/ME only (see
// SaveRoad).
enum class FileStep { Open, Read, Lock, CreateTemp, Write, Flush, Rename, Backup, RemoveBackup };

const char* fileStepName(FileStep step);

// Lets tests make one step fail: return a non-zero error to fail that step
// with it, or an empty error_code to let it run. Root ignores permissions,
// so this is how every failure path gets exercised.
using FaultHook = std::function<std::error_code(FileStep, const FilePath&)>;

// Reasons of the file layer's own, beside the system's.
enum class FileErrc {
    NotRegularFile = 1, // a FIFO, a device, a folder: never read, so never waited on
    TooLarge, // more than kMaxFileSize bytes
    LockedByAnother, // another program held the lock for the whole wait
};
const std::error_category& fileCategory();
std::error_code make_error_code(FileErrc e);

// No file this program reads comes near it; a larger one is refused rather
// than read until memory runs out.
inline constexpr std::uint64_t kMaxFileSize = std::uint64_t { 1 } << 30;

// A failed file operation: which file, which step, and the system's reason.
struct FileError {
    FilePath path;
    FileStep step = FileStep::Open;
    std::error_code code;

    explicit operator bool() const { return static_cast<bool>(code); }
    bool isMissingFile() const { return code == std::errc::no_such_file_or_directory; }
    // For the user: "Cannot write "/home/a/TAVRL.CFG": No space left on device",
    // or for the reasons above ""/tmp/fifo" is not a regular file".
    std::string message() const;
};

// Identifies one version of a file: a rewrite by any program changes it
// (a new inode after a rename, or a new size or time after writing in place).
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0; // nanoseconds, 0 where the system has no such time

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file as it is now; exists is false when it cannot be seen.
FileStamp fileStamp(const FilePath& path);

// A whole file's bytes, read into memory, with the stamp of the version they
// came from. Nothing is mapped: another program shortening the file cannot
// take bytes from under the reader.
class FileBytes {
public:
    std::string_view view() const { return { data_.get(), size_ }; }
    const FileStamp& stamp() const { return stamp_; }

    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    using Memory = std::unique_ptr<char, Free>;

private:
    friend FileError readWholeFile(const FilePath&, FileBytes&, const FaultHook&);
    Memory data_;
    std::size_t size_ = 0;
    FileStamp stamp_;
};

// Reads the whole file, in one pass. A missing file gives an error with
// isMissingFile() true, unless a save cut short left its backup (see
// SaveRoad), which is then read. Anything but a regular file is refused at
// once (FileErrc::NotRegularFile), without waiting for a writer; so is a
// file over kMaxFileSize. out is left untouched on any failure.
FileError readWholeFile(const FilePath& path, std::string& out, const FaultHook& hook = {});
FileError readWholeFile(const FilePath& path, FileBytes& out, const FaultHook& hook = {});

// Whether the file is there to read: no error, or the reason it is not
// (missing: no_such_file_or_directory). Opens it as a read would, without
// waiting on a FIFO.
std::error_code probeFile(const FilePath& path);

// Makes the folder and the missing folders above it.
std::error_code createFolders(const FilePath& folder);

// A piece of a file to write.
struct FilePiece {
    FilePiece(std::string_view text)
        : bytes(text)
    {
    }
    FilePiece(const FileBytes& file, std::size_t offset, std::size_t size)
        : bytes(file.view().substr(offset, size))
    {
    }

    std::string_view bytes;
};

// How a save puts the new file in place.
//  Replacing: one rename over the old file (POSIX rename, ReplaceFileA or
//    MoveFileExA on Windows NT): the name always holds the old or the new file.
//  KeepingBackup: for Windows 95/98/ME, where no call replaces a file: the
//    old file is moved to "<name>.tavrel-old", the new one to the name, and
//    the backup removed. A reader that finds the name missing reads the
//    backup (readWholeFile does), so the old or the new file is always there.
//  Native: what the system allows, the first where it can.
enum class SaveRoad { Native, Replacing, KeepingBackup };

// Where KeepingBackup keeps the old file while the new one moves in.
FilePath backupPath(const FilePath& file);

// Replaces the file with exactly these bytes, or leaves it as it was: the
// bytes go to a temporary file beside it, which is flushed to disk and then
// takes the old one's place. A symbolic link is written through: the file
// it leads to (through any chain of links; a missing one is created) is
// replaced and the link stays. Where there was an old file, the new one
// keeps its mode bits, owner and group where the saver may set them (POSIX),
// or its attributes and security (Windows NT); otherwise it gets the usual
// mode. Any replace by rename splits a hard link: the other names keep the
// old file.
FileError writeFileAtomically(const FilePath& path, std::string_view bytes, const FaultHook& hook = {});
FileError writeFileAtomically(const FilePath& path, std::span<const FilePiece> pieces, const FaultHook& hook = {},
    SaveRoad road = SaveRoad::Native);

// An exclusive lock between processes, held on "<file>.lock" beside the file
// (beside the file a symbolic link leads to) for as long as the object lives.
class FileLock {
public:
    // How long acquire waits for another program to let go of the lock.
    static constexpr std::chrono::milliseconds kWait { 10000 };

    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Fails with FileErrc::LockedByAnother when the lock is still held by
    // another after `wait`.
    static FileLock acquire(
        const FilePath& path, FileError& error, const FaultHook& hook = {}, std::chrono::milliseconds wait = kWait);
    bool locked() const { return handle_ != invalid; }

private:
#ifdef _WIN32
    using Handle = void*;
    static constexpr Handle invalid = nullptr;
#else
    using Handle = int;
    static constexpr Handle invalid = -1;
#endif
    void release();
    Handle handle_ = invalid;
};

} // namespace tavrel

template <> struct std::is_error_code_enum<tavrel::FileErrc> : std::true_type {
};
