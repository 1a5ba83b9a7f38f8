// The file operations on Windows: files are read into memory, and a save
// goes through a temporary file that then takes the old one's place.
#include "io/FileIo.h"
#include "io/PlatformFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>

namespace tavrel {

namespace fs = std::filesystem;

namespace {

using platform::injected;

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

std::error_code winError(DWORD code)
{
    return {static_cast<int>(code), std::system_category()};
}

std::error_code lastWinError()
{
    return winError(::GetLastError());
}

} // namespace

namespace platform {

int openForReading(const fs::path& path)
{
    return ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}

long readSome(int fd, char* into, unsigned size)
{
    return static_cast<long>(::_read(fd, into, size));
}

void closeFile(int fd)
{
    ::_close(fd);
}

} // namespace platform

FileError writeFileAtomically(const fs::path& path, std::span<const FilePiece> pieces, const FaultHook& hook)
{
    FileError err{path, FileStep::CreateTemp, injected(hook, FileStep::CreateTemp, path)};
    if (err)
        return err;
    fs::path tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path;
        tmp += L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(attempt);
        fd = ::_wopen(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        err.code = lastError();
        return err;
    }
    auto fail = [&](FileStep step, std::error_code code) {
        if (fd >= 0)
            ::_close(fd);
        ::_wunlink(tmp.c_str());
        return FileError{path, step, code};
    };
    if (auto ec = injected(hook, FileStep::Write, path))
        return fail(FileStep::Write, ec);
    for (const FilePiece& piece : pieces) {
        const std::string_view bytes = piece.bytes;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            const int n = ::_write(fd, bytes.data() + done, chunk);
            if (n <= 0)
                return fail(FileStep::Write,
                            n < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device));
            done += static_cast<std::size_t>(n);
        }
    }
    if (auto ec = injected(hook, FileStep::Flush, path))
        return fail(FileStep::Flush, ec);
    if (::_commit(fd) != 0)
        return fail(FileStep::Flush, lastError());
    if (::_close(fd) != 0) {
        fd = -1;
        return fail(FileStep::Flush, lastError());
    }
    fd = -1;
    if (auto ec = injected(hook, FileStep::Rename, path))
        return fail(FileStep::Rename, ec);

    // ReplaceFileW gives the new file the old one's attributes, security and
    // creation time, where a rename would leave it the temporary file's. A
    // failure to carry them over does not stop the save. With no old file
    // it fails, and a rename does instead.
    if (::ReplaceFileW(path.c_str(), tmp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return {};
    DWORD why = ::GetLastError();
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file is gone already, but
    // the new one kept its temporary name; a rename may still finish it.
    if (why == ERROR_FILE_NOT_FOUND || why == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
        const DWORD first = why;
        if (::MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        why = ::GetLastError();
        // With the old file gone the temporary file is the only copy: keep it.
        const bool gone = ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (first == ERROR_UNABLE_TO_MOVE_REPLACEMENT && gone)
            return FileError{path, FileStep::Rename, winError(why)};
    }
    return fail(FileStep::Rename, winError(why));
}

FileLock FileLock::acquire(const fs::path& path, FileError& error, const FaultHook& hook)
{
    FileLock lock;
    fs::path lockPath = path;
    lockPath += L".lock";
    error = FileError{path, FileStep::Lock, injected(hook, FileStep::Lock, path)};
    if (error)
        return lock;
    HANDLE h = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error.code = lastWinError();
        return lock;
    }
    OVERLAPPED ov{};
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov)) {
        error.code = lastWinError();
        ::CloseHandle(h);
        return lock;
    }
    lock.handle_ = h;
    return lock;
}

void FileLock::release()
{
    if (handle_ != invalid) {
        OVERLAPPED ov{};
        ::UnlockFileEx(handle_, 0, 1, 0, &ov);
        ::CloseHandle(handle_);
        handle_ = invalid;
    }
}

FileStamp fileStamp(const fs::path& path)
{
    FileStamp s;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        s.exists = true;
        s.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const std::uint64_t ticks =
            (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        s.modified = static_cast<std::int64_t>(ticks) * 100;
    }
    return s;
}

// A file mapped, or only held open, here cannot be replaced by the next
// save, so its bytes are read into memory.
FileError mapWholeFile(const fs::path& path, FileBytes& out, const FaultHook& hook)
{
    FileBytes bytes;
    bytes.stamp_ = fileStamp(path);
    FileError err = readWholeFile(path, bytes.owned_, hook);
    if (!err)
        out = std::move(bytes);
    return err;
}

std::size_t FileBytes::readAt(std::size_t offset, char* into, std::size_t size, std::error_code&) const
{
    const std::size_t n = offset < owned_.size() ? std::min(size, owned_.size() - offset) : 0;
    std::copy_n(owned_.data() + offset, n, into);
    return n;
}

void FileBytes::release()
{
    mapped_ = nullptr;
    size_ = 0;
}

} // namespace tavrel
