// The parts of the file operations that every system shares: the names of
// the steps, the messages, and moving the owning objects about.
// FileIoPosix.cpp and FileIoWindows.cpp hold the system calls.
#include "io/FileIo.h"

#include <utility>

namespace tavrel {

namespace fs = std::filesystem;

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
