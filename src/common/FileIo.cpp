#include "common/FileIo.h"

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

FileError writeFileAtomically(const fs::path& path, std::string_view bytes, const FaultHook& hook)
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
    std::size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int n = ::_write(fd, bytes.data() + done, chunk);
        if (n <= 0)
            return fail(FileStep::Write, n < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device));
        done += static_cast<std::size_t>(n);
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

FileError writeFileAtomically(const fs::path& path, std::string_view bytes, const FaultHook& hook)
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
