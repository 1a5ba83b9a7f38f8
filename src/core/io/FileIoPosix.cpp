// The file operations on Linux and other POSIX systems: reads through a
// mapping, saves through a temporary file renamed over the old one.
#include "io/FileIo.h"
#include "io/PlatformFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {

namespace fs = std::filesystem;

namespace {

using platform::injected;

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// Six characters for a temporary name, as mkstemp picks them. The process,
// a count and the clock go in, so that neither two threads nor a child made
// by fork pick the same name.
std::string tempSuffix()
{
    static std::atomic<std::uint64_t> count{0};
    std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (static_cast<std::uint64_t>(::getpid()) << 40) ^ count.fetch_add(1, std::memory_order_relaxed);
    // splitmix64's mixing, so that names made close together differ in every character.
    x += 0x9e3779b97f4a7c15u;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
    x ^= x >> 31;
    static constexpr char digits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s(6, '\0');
    for (char& c : s) {
        c = digits[x % 62];
        x /= 62;
    }
    return s;
}

// Creates "<path>.XXXXXX", a file no one else has. Not mkstemp: it makes
// the file private, and the usual mode of a new file (what the process's
// creation mask lets through, and any default ACL of the folder) is best
// left to the kernel, which applies it to the mode a file is created with;
// reading the mask means setting it, for every thread at once.
int createTemp(const fs::path& path, mode_t mode, fs::path& tmp)
{
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = path;
        tmp += "." + tempSuffix();
        fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            break;
    }
    return fd;
}

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

namespace platform {

int openForReading(const fs::path& path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

long readSome(int fd, char* into, unsigned size)
{
    return static_cast<long>(::read(fd, into, size));
}

void closeFile(int fd)
{
    ::close(fd);
}

} // namespace platform

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
    // Over an old file the new one gets the old one's mode. The temporary
    // file is made with no more than that, so that no one can open it
    // with rights the old file did not give, and is then given exactly that.
    struct stat st {};
    const bool replacing = ::stat(path.c_str(), &st) == 0;
    fs::path tmp;
    const int fd = createTemp(path, replacing ? (st.st_mode & 0777) : 0666, tmp);
    if (fd < 0) {
        err.code = lastError();
        return err;
    }
    auto fail = [&](FileStep step, std::error_code code, bool open) {
        if (open)
            ::close(fd);
        ::unlink(tmp.c_str());
        return FileError{path, step, code};
    };
    // Not checked: a file system without modes (FAT) refuses, and the save
    // matters more than the mode.
    if (replacing)
        ::fchmod(fd, st.st_mode & 07777);

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

} // namespace tavrel
