#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace tavrel {

// The file operations that can fail, in the order a save makes them.
enum class FileStep { Open, Read, Lock, CreateTemp, Write, Flush, Rename };

const char* fileStepName(FileStep step);

// Lets tests make one step fail: return a non-zero error to fail that step
// with it, or an empty error_code to let it run. Root ignores permissions,
// so this is how every failure path gets exercised.
using FaultHook = std::function<std::error_code(FileStep, const std::filesystem::path&)>;

// A failed file operation: which file, which step, and the system's reason.
struct FileError {
    std::filesystem::path path;
    FileStep step = FileStep::Open;
    std::error_code code;

    explicit operator bool() const { return static_cast<bool>(code); }
    bool isMissingFile() const { return code == std::errc::no_such_file_or_directory; }
    // For the user: "Cannot write "/home/a/TAVRL.CFG": No space left on device"
    std::string message() const;
};

// Reads the whole file into out. A missing file gives an error with
// isMissingFile() true; out is left untouched on any failure.
FileError readWholeFile(const std::filesystem::path& path, std::string& out, const FaultHook& hook = {});

// Identifies one version of a file: a rewrite by any program changes it
// (a new inode after a rename, or a new size or time after writing in place).
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;  // nanoseconds, 0 where the system has no such time

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file as it is now; exists is false when it cannot be seen.
FileStamp fileStamp(const std::filesystem::path& path);

// A whole file's bytes, read-only, with the stamp of the version they came
// from. Mapped into memory where the system allows it, so a large file costs
// neither a copy nor fresh memory; our own writers replace files by renaming,
// so a mapped version never changes under us.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::string_view view() const { return mapped_ ? std::string_view(mapped_, size_) : std::string_view(owned_); }
    const FileStamp& stamp() const { return stamp_; }
    bool mapped() const { return mapped_ != nullptr; }

    // Copies up to `size` bytes from `offset` on, as read() does, and returns
    // how many. One pass over a large file goes faster this way than through
    // the mapping when the page cache holds the file in small pages.
    std::size_t readAt(std::size_t offset, char* into, std::size_t size, std::error_code& error) const;

private:
    friend FileError mapWholeFile(const std::filesystem::path&, FileBytes&, const FaultHook&);
    friend struct FileCopier;
    void release();
    const char* mapped_ = nullptr;
    std::size_t size_ = 0;
    int fd_ = -1; // of the mapped version, for readAt
    std::string owned_;
    FileStamp stamp_;
};

// Reads the whole file as readWholeFile does (same steps, same errors), into
// a mapping where possible. out is left untouched on any failure.
FileError mapWholeFile(const std::filesystem::path& path, FileBytes& out, const FaultHook& hook = {});

// Replaces the file with exactly these bytes, or leaves it as it was: the
// bytes go to a temporary file in the same folder, which is flushed to disk
// and then renamed over the old one. Where there was an old file, the new
// one keeps its mode bits (POSIX) or its attributes and security (Windows,
// where the system can carry them over); otherwise it gets the usual mode.
FileError writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                              const FaultHook& hook = {});

// A piece of a file to write: bytes, or a range of a file read before.
struct FilePiece {
    FilePiece(std::string_view text) : bytes(text) {}
    FilePiece(const FileBytes& file, std::size_t offset, std::size_t size)
        : bytes(file.view().substr(offset, size)), source(&file), sourceOffset(offset)
    {
    }

    std::string_view bytes;
    const FileBytes* source = nullptr;
    std::size_t sourceOffset = 0;
};

// The same for a file made of pieces written one after another. Ranges of a
// file read before are copied inside the system where it can (as cp does),
// so that a small change to a large file costs little more than a copy.
FileError writeFileAtomically(const std::filesystem::path& path, std::span<const FilePiece> pieces,
                              const FaultHook& hook = {});

// An exclusive lock between processes, held on "<path>.lock" beside the file
// for as long as the object lives. Blocks until the lock is granted.
class FileLock {
public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    static FileLock acquire(const std::filesystem::path& path, FileError& error, const FaultHook& hook = {});
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
