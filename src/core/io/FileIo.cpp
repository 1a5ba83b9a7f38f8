#include "io/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavrel {

namespace fs = std::filesystem;

namespace {

std::error_code injected(const FaultHook& hook, FileStep step, const fs::path& path)
{
    return hook ? hook(step, path) : std::error_code{};
}

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

#ifdef _WIN32
std::error_code lastWinError()
{
    return {static_cast<int>(::GetLastError()), std::system_category()};
}
#endif

} // namespace

const char* fileStepName(FileStep step)
{
    switch (step) {
    case FileStep::Open: return "open";
    case FileStep::Read: return "read";
    case FileStep::Lock: return "lock";
    case FileStep::CreateTemp: return "create a temporary file beside";
    case FileStep::Write: return "write";
    case FileStep::Flush: return "flush";
    case FileStep::Rename: return "replace";
    }
    return "use";
}

std::string FileError::message() const
{
    return "Cannot " + std::string(fileStepName(step)) + " \"" + path.string() + "\": " + code.message();
}

FileError readWholeFile(const fs::path& path, std::string& out, const FaultHook& hook)
{
    FileError err{path, FileStep::Open, injected(hook, FileStep::Open, path)};
    if (err)
        return err;
#ifdef _WIN32
    const int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0) {
        err.code = lastError();
        return err;
    }
    std::string data;
    err.step = FileStep::Read;
    err.code = injected(hook, FileStep::Read, path);
    char buf[1 << 16];
    while (!err) {
#ifdef _WIN32
        const int n = ::_read(fd, buf, sizeof buf);
#else
        const ssize_t n = ::read(fd, buf, sizeof buf);
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err.code = lastError();
        } else if (n == 0) {
            break;
        } else {
            data.append(buf, static_cast<std::size_t>(n));
        }
    }
#ifdef _WIN32
    ::_close(fd);
#else
    ::close(fd);
#endif
    if (!err)
        out = std::move(data);
    return err;
}

#ifdef _WIN32

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
    if (!::MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(FileStep::Rename, lastWinError());
    return {};
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

void FileLock::release()
{
    if (handle_ != invalid) {
        OVERLAPPED ov{};
        ::UnlockFileEx(handle_, 0, 1, 0, &ov);
        ::CloseHandle(handle_);
        handle_ = invalid;
    }
}

#else

// Copies a piece that is a range of a file read before inside the kernel,
// as cp does. False when the system cannot (nothing was copied then, and
// the caller writes the bytes); true when done or failed (error set).
struct FileCopier {
    static bool copy(const FilePiece& piece, int to, std::error_code& error)
    {
#ifdef __linux__
        if (!piece.source || piece.source->fd_ < 0)
            return false;
        auto from = static_cast<loff_t>(piece.sourceOffset);
        std::size_t left = piece.bytes.size();
        while (left > 0) {
            const ssize_t n = ::copy_file_range(piece.source->fd_, &from, to, nullptr, left, 0);
            if (n > 0) {
                left -= static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            const bool unsupported =
                n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP);
            if (unsupported && left == piece.bytes.size())
                return false;
            // n == 0: the file is shorter than when it was read.
            error = n < 0 ? lastError() : std::make_error_code(std::errc::io_error);
            return true;
        }
        return true;
#else
        (void)piece;
        (void)to;
        (void)error;
        return false;
#endif
    }
};

FileError writeFileAtomically(const fs::path& path, std::span<const FilePiece> pieces, const FaultHook& hook)
{
    FileError err{path, FileStep::CreateTemp, injected(hook, FileStep::CreateTemp, path)};
    if (err)
        return err;
    std::string tmpl = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        err.code = lastError();
        return err;
    }
    const fs::path tmp = tmpl;
    auto fail = [&](FileStep step, std::error_code code, bool open) {
        if (open)
            ::close(fd);
        ::unlink(tmp.c_str());
        return FileError{path, step, code};
    };

    // mkstemp makes the file private; keep the old file's mode, or the usual one.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    if (auto ec = injected(hook, FileStep::Write, path))
        return fail(FileStep::Write, ec, true);
    for (const FilePiece& piece : pieces) {
        std::error_code copyError;
        if (FileCopier::copy(piece, fd, copyError)) {
            if (copyError)
                return fail(FileStep::Write, copyError, true);
            continue;
        }
        const std::string_view bytes = piece.bytes;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return fail(FileStep::Write, lastError(), true);
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (auto ec = injected(hook, FileStep::Flush, path))
        return fail(FileStep::Flush, ec, true);
    if (::fsync(fd) != 0)
        return fail(FileStep::Flush, lastError(), true);
    if (::close(fd) != 0)
        return fail(FileStep::Flush, lastError(), false);
    if (auto ec = injected(hook, FileStep::Rename, path))
        return fail(FileStep::Rename, ec, false);
    if (::rename(tmp.c_str(), path.c_str()) != 0)
        return fail(FileStep::Rename, lastError(), false);

    // Make the rename itself durable; a failure here no longer risks the data.
    fs::path dir = path.parent_path();
    if (dir.empty())
        dir = ".";
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

namespace {

FileStamp stampOf(const struct stat& st)
{
    FileStamp s;
    s.exists = true;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changed = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

} // namespace

FileStamp fileStamp(const fs::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? stampOf(st) : FileStamp{};
}

FileError mapWholeFile(const fs::path& path, FileBytes& out, const FaultHook& hook)
{
    FileError err{path, FileStep::Open, injected(hook, FileStep::Open, path)};
    if (err)
        return err;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err.code = lastError();
        return err;
    }
    FileBytes bytes;
    err.step = FileStep::Read;
    err.code = injected(hook, FileStep::Read, path);
    struct stat st {};
    if (!err && ::fstat(fd, &st) != 0)
        err.code = lastError();
    if (!err) {
        bytes.stamp_ = stampOf(st);
        const auto size = static_cast<std::size_t>(st.st_size);
        if (S_ISREG(st.st_mode) && size > 0) {
            void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (p != MAP_FAILED) {
                bytes.mapped_ = static_cast<const char*>(p);
                bytes.size_ = size;
                bytes.fd_ = fd;
            }
        }
        // Files that cannot be mapped (pipes, some file systems) are read.
        if (!bytes.mapped_ && !(S_ISREG(st.st_mode) && size == 0))
            err = readWholeFile(path, bytes.owned_);
    }
    if (bytes.fd_ != fd)
        ::close(fd);
    if (!err)
        out = std::move(bytes);
    return err;
}

std::size_t FileBytes::readAt(std::size_t offset, char* into, std::size_t size, std::error_code& error) const
{
    if (!mapped_) {
        const std::size_t n = offset < owned_.size() ? std::min(size, owned_.size() - offset) : 0;
        std::copy_n(owned_.data() + offset, n, into);
        return n;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            break;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void FileBytes::release()
{
    if (mapped_)
        ::munmap(const_cast<char*>(mapped_), size_);
    if (fd_ >= 0)
        ::close(fd_);
    mapped_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

FileLock FileLock::acquire(const fs::path& path, FileError& error, const FaultHook& hook)
{
    FileLock lock;
    error = FileError{path, FileStep::Lock, injected(hook, FileStep::Lock, path)};
    if (error)
        return lock;
    const std::string lockPath = path.string() + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error.code = lastError();
        return lock;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error.code = lastError();
            ::close(fd);
            return lock;
        }
    }
    lock.handle_ = fd;
    return lock;
}

void FileLock::release()
{
    if (handle_ != invalid) {
        ::flock(handle_, LOCK_UN);
        ::close(handle_);
        handle_ = invalid;
    }
}

#endif

FileError writeFileAtomically(const fs::path& path, std::string_view bytes, const FaultHook& hook)
{
    const FilePiece piece(bytes);
    return writeFileAtomically(path, std::span<const FilePiece>(&piece, 1), hook);
}

FileBytes::FileBytes(FileBytes&& other) noexcept
    : mapped_(std::exchange(other.mapped_, nullptr)), size_(std::exchange(other.size_, 0)),
      fd_(std::exchange(other.fd_, -1)), owned_(std::move(other.owned_)), stamp_(other.stamp_)
{
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        release();
        mapped_ = std::exchange(other.mapped_, nullptr);
        size_ = std::exchange(other.size_, 0);
        fd_ = std::exchange(other.fd_, -1);
        owned_ = std::move(other.owned_);
        stamp_ = other.stamp_;
    }
    return *this;
}

FileBytes::~FileBytes() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, invalid);
    }
    return *this;
}

FileLock::~FileLock() { release(); }

} // namespace tavrel
