// The file operations on Linux and other POSIX systems: the calls that
// FileIo.cpp's steps of reading and saving are made of, and the lock.
#include "io/FileIo.h"
#include "io/PlatformFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {

namespace {

std::error_code lastError()
{
    return { errno, std::generic_category() };
}

int fdOf(platform::Handle h)
{
    return static_cast<int>(h);
}

// Six characters for a temporary name, as mkstemp picks them. The process,
// a count and the clock go in, so that neither two threads nor a child made
// by fork pick the same name.
std::string tempSuffix()
{
    static std::atomic<std::uint64_t> count { 0 };
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

std::error_code openForReading(const FilePath& path, Handle& out)
{
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer. It is
    // refused as soon as fstat shows what it is; a regular file ignores the flag.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    out = fd;
    return {};
}

std::error_code describe(Handle h, bool& regular, FileStamp& stamp)
{
    struct stat st { };
    if (::fstat(fdOf(h), &st) != 0)
        return lastError();
    regular = S_ISREG(st.st_mode);
    stamp = stampOf(st);
    return {};
}

std::error_code readSome(Handle h, char* into, std::size_t size, std::size_t& got)
{
    for (;;) {
        const ssize_t n = ::read(fdOf(h), into, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return {};
        }
        if (errno != EINTR)
            return lastError();
    }
}

void closeFile(Handle h)
{
    ::close(fdOf(h));
}

char* allocateBytes(std::size_t size)
{
    constexpr std::size_t kHuge = std::size_t { 2 } << 20;
    if (size < kHuge) {
        if (void* p = std::malloc(size))
            return static_cast<char*>(p);
        throw std::bad_alloc();
    }
    const std::size_t whole = (size + kHuge - 1) / kHuge * kHuge;
    void* p = std::aligned_alloc(kHuge, whole);
    if (!p)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, whole, MADV_HUGEPAGE); // a hint: without it the pages are small
#endif
    return static_cast<char*>(p);
}

// Follows the links one by one, each relative one from its own folder, as
// the kernel would; past 40 (a loop) the path is left for the system to refuse.
FilePath finalTarget(const FilePath& path)
{
    FilePath p = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st { };
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        std::string to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(p.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size())
            return p;
        to.resize(static_cast<std::size_t>(n));
        const FilePath next(to);
        p = next.isAbsolute() ? next : p.parent() / next;
    }
    return p;
}

// Creates "<target>.XXXXXX", a file no one else has. Not mkstemp: it makes
// the file private, and the usual mode of a new file (what the process's
// creation mask lets through, and any default ACL of the folder) is best
// left to the kernel, which applies it to the mode a file is created with;
// reading the mask means setting it, for every thread at once. Over an old
// file the new one is made with no more than the old one's mode, so that no
// one can open it with rights the old file did not give, then given its
// owner, group and exactly its mode.
std::error_code createTemp(const FilePath& target, Handle& out, FilePath& tmp)
{
    struct stat st { };
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = target + ("." + tempSuffix());
        fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? (st.st_mode & 0777) : 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            break;
    }
    if (fd < 0)
        return lastError();
    // Not checked: only root may give a file away (EPERM otherwise), a file
    // system without owners or modes (FAT) refuses, and the save matters
    // more. The owner first: changing it clears the set-id bits.
    if (replacing) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno == EPERM) {
            // A group of the saver's may still be kept.
            [[maybe_unused]] int ignored = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        }
        ::fchmod(fd, st.st_mode & 07777);
    }
    out = fd;
    return {};
}

std::error_code writeAll(Handle h, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fdOf(h), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code flushAndClose(Handle h)
{
    std::error_code ec;
    if (::fsync(fdOf(h)) != 0)
        ec = lastError();
    if (::close(fdOf(h)) != 0 && !ec)
        ec = lastError();
    return ec;
}

bool replacesAtomically()
{
    return true;
}

std::error_code replaceFile(const FilePath& from, const FilePath& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code {} : lastError();
}

std::error_code moveFile(const FilePath& from, const FilePath& to)
{
    // As MoveFileA: never over an existing file.
    if (::link(from.c_str(), to.c_str()) != 0)
        return lastError();
    return ::unlink(from.c_str()) == 0 ? std::error_code {} : lastError();
}

std::error_code removeFile(const FilePath& path)
{
    return ::unlink(path.c_str()) == 0 ? std::error_code {} : lastError();
}

bool fileExists(const FilePath& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0;
}

bool isFolder(const FilePath& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void syncFolder(const FilePath& file)
{
    FilePath dir = file.parent();
    if (dir.empty())
        dir = ".";
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::error_code makeFolder(const FilePath& folder)
{
    if (::mkdir(folder.c_str(), 0777) == 0)
        return {};
    const std::error_code ec = lastError();
    struct stat st { };
    if (ec == std::errc::file_exists)
        return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
            ? std::error_code {}
            : std::make_error_code(std::errc::not_a_directory);
    return ec;
}

} // namespace platform

FileStamp fileStamp(const FilePath& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 ? stampOf(st) : FileStamp {};
}

FileLock FileLock::acquire(
    const FilePath& path, FileError& error, const FaultHook& hook, std::chrono::milliseconds wait)
{
    FileLock lock;
    error = FileError { path, FileStep::Lock, platform::injected(hook, FileStep::Lock, path) };
    if (error)
        return lock;
    const FilePath lockPath = platform::finalTarget(path) + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error.code = lastError();
        return lock;
    }
    // Polled rather than blocking, so that a program that never lets go
    // costs a bounded wait and a message rather than a hang.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            error.code = errno == EWOULDBLOCK ? make_error_code(FileErrc::LockedByAnother) : lastError();
            ::close(fd);
            return lock;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
