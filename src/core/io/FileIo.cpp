// The parts of the file operations that every system shares: the names of
// the steps, the messages, and moving the owning objects about.
// FileIoPosix.cpp and FileIoWindows.cpp hold the system calls.
#include "io/FileIo.h"

#include <cerrno>
#include <utility>

#include "io/PlatformFile.h"

namespace tavrel {

namespace fs = std::filesystem;

FileError readWholeFile(const fs::path& path, std::string& out, const FaultHook& hook)
{
    FileError err{path, FileStep::Open, platform::injected(hook, FileStep::Open, path)};
    if (err)
        return err;
    const int fd = platform::openForReading(path);
    if (fd < 0) {
        err.code = {errno, std::generic_category()};
        return err;
    }
    std::string data;
    err.step = FileStep::Read;
    err.code = platform::injected(hook, FileStep::Read, path);
    char buf[1 << 16];
    while (!err) {
        const long n = platform::readSome(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err.code = {errno, std::generic_category()};
        } else if (n == 0) {
            break;
        } else {
            data.append(buf, static_cast<std::size_t>(n));
        }
    }
    platform::closeFile(fd);
    if (!err)
        out = std::move(data);
    return err;
}

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
