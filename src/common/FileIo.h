#pragma once

#include <filesystem>
#include <functional>
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

// Replaces the file with exactly these bytes, or leaves it as it was: the
// bytes go to a temporary file in the same folder, which is flushed to disk
// and then renamed over the old one. A new file gets the old one's
// permissions where there was one.
FileError writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
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
