// The parts of the file operations that every system shares: the steps of
// reading and saving, the names of the steps, the messages. FileIoPosix.cpp
// and FileIoWindows.cpp hold the system calls.
#include "io/FileIo.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "io/PlatformFile.h"

namespace tavrel {

namespace {

using platform::Handle;
using platform::injected;
using platform::kNoHandle;

class FileCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "tavrel file"; }
    std::string message(int code) const override
    {
        switch (static_cast<FileErrc>(code)) {
        case FileErrc::NotRegularFile:
            return "is not a regular file";
        case FileErrc::TooLarge:
            return "is larger than 1 GiB, more than a file of this kind can be";
        case FileErrc::LockedByAnother:
            return "is being written by another program (it held the lock "
                   "all the while Tavrel waited); nothing was written";
        }
        return "cannot be used";
    }
};

// Closes a file however the function leaves, as a crash would.
struct OpenFile {
    Handle h = kNoHandle;
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { close(); }
    void close()
    {
        if (h != kNoHandle)
            platform::closeFile(std::exchange(h, kNoHandle));
    }
};

// Opens the file to read, or its backup when a save cut short left the
// name empty.
std::error_code openExisting(const FilePath& path, OpenFile& file)
{
    std::error_code ec = platform::openForReading(path, file.h);
    if (ec == std::errc::no_such_file_or_directory && !path.empty() && platform::fileExists(backupPath(path)))
        ec = platform::openForReading(backupPath(path), file.h);
    return ec;
}

// Reads a regular file in one pass into memory sized by its length (grown
// should it grow meanwhile).
FileError readFile(
    const FilePath& path, const FaultHook& hook, FileBytes::Memory& data, std::size_t& size, FileStamp& stamp)
{
    FileError err { path, FileStep::Open, injected(hook, FileStep::Open, path) };
    OpenFile file;
    if (!err)
        err.code = openExisting(path, file);
    if (err)
        return err;
    err.step = FileStep::Read;
    err.code = injected(hook, FileStep::Read, path);
    bool regular = false;
    if (!err)
        err.code = platform::describe(file.h, regular, stamp);
    if (!err && !regular)
        err.code = FileErrc::NotRegularFile;
    if (!err && stamp.size > kMaxFileSize)
        err.code = FileErrc::TooLarge;
    if (err)
        return err;
    std::size_t capacity = static_cast<std::size_t>(stamp.size) + 1; // + 1: the end is seen without growing
    data.reset(platform::allocateBytes(capacity));
    size = 0;
    for (;;) {
        if (size == capacity) {
            if (capacity > kMaxFileSize) {
                err.code = FileErrc::TooLarge;
                return err;
            }
            const std::size_t more = std::min<std::size_t>(capacity * 2, kMaxFileSize + 1);
            FileBytes::Memory bigger(platform::allocateBytes(more));
            std::memcpy(bigger.get(), data.get(), size);
            data = std::move(bigger);
            capacity = more;
        }
        std::size_t got = 0;
        if ((err.code = platform::readSome(file.h, data.get() + size, capacity - size, got)))
            return err;
        if (got == 0)
            return err;
        size += got;
    }
}

// The new bytes in a temporary file beside the target, flushed to disk.
FileError writeTemp(const FilePath& path, const FilePath& target, std::span<const FilePiece> pieces,
    const FaultHook& hook, FilePath& tmp)
{
    FileError err { path, FileStep::CreateTemp, injected(hook, FileStep::CreateTemp, path) };
    OpenFile file;
    if (!err)
        err.code = platform::createTemp(target, file.h, tmp);
    if (err)
        return err;
    auto fail = [&](FileStep step, std::error_code code) {
        file.close();
        platform::removeFile(tmp);
        return FileError { path, step, code };
    };
    if (auto ec = injected(hook, FileStep::Write, path))
        return fail(FileStep::Write, ec);
    for (const FilePiece& piece : pieces)
        if (auto ec = platform::writeAll(file.h, piece.bytes))
            return fail(FileStep::Write, ec);
    if (auto ec = injected(hook, FileStep::Flush, path))
        return fail(FileStep::Flush, ec);
    if (auto ec = platform::flushAndClose(std::exchange(file.h, kNoHandle)))
        return fail(FileStep::Flush, ec);
    return err;
}

// One rename over the old file.
FileError replaceByRename(const FilePath& path, const FilePath& target, const FilePath& tmp, const FaultHook& hook)
{
    const bool hadOld = platform::fileExists(target);
    std::error_code ec = injected(hook, FileStep::Rename, path);
    if (!ec)
        ec = platform::replaceFile(tmp, target);
    if (!ec) {
        platform::syncFolder(target);
        return {};
    }
    // Should the old file be gone already, the temporary file is the only copy left: keep it.
    if (!hadOld || platform::fileExists(target))
        platform::removeFile(tmp);
    return FileError { path, FileStep::Rename, ec };
}

// Where no call replaces a file: the old file moves aside, the new one in,
// and only then does the old one go. At every moment the name, or when it
// is missing the backup, holds a whole file.
FileError replaceKeepingBackup(
    const FilePath& path, const FilePath& target, const FilePath& tmp, const FaultHook& hook)
{
    const FilePath backup = backupPath(target);
    auto fail = [&](FileStep step, std::error_code code) {
        platform::removeFile(tmp);
        return FileError { path, step, code };
    };
    bool movedOld = false;
    if (auto ec = injected(hook, FileStep::Backup, path))
        return fail(FileStep::Backup, ec);
    if (platform::fileExists(target)) {
        // A backup beside a whole file is an earlier save's, older than the file.
        if (platform::fileExists(backup))
            if (auto ec = platform::removeFile(backup))
                return fail(FileStep::Backup, ec);
        if (auto ec = platform::moveFile(target, backup))
            return fail(FileStep::Backup, ec);
        movedOld = true;
    } // else a backup without the file is the file: it stays until the new one is in place
    std::error_code ec = injected(hook, FileStep::Rename, path);
    if (!ec)
        ec = platform::moveFile(tmp, target);
    if (ec) {
        if (movedOld) // should this fail too, readers take the backup
            platform::moveFile(backup, target);
        return fail(FileStep::Rename, ec);
    }
    platform::syncFolder(target);
    // Left behind, the backup is harmless: it is read only when the name is
    // missing, and the next save removes it.
    if (!injected(hook, FileStep::RemoveBackup, path))
        platform::removeFile(backup);
    return {};
}

} // namespace

const std::error_category& fileCategory()
{
    static const FileCategory category;
    return category;
}

std::error_code make_error_code(FileErrc e)
{
    return { static_cast<int>(e), fileCategory() };
}

FileError readWholeFile(const FilePath& path, FileBytes& out, const FaultHook& hook)
{
    FileBytes bytes;
    FileError err = readFile(path, hook, bytes.data_, bytes.size_, bytes.stamp_);
    if (!err)
        out = std::move(bytes);
    return err;
}

FileError readWholeFile(const FilePath& path, std::string& out, const FaultHook& hook)
{
    FileBytes::Memory data;
    std::size_t size = 0;
    FileStamp stamp;
    FileError err = readFile(path, hook, data, size, stamp);
    if (!err)
        out.assign(data.get(), size);
    return err;
}

FileError writeFileAtomically(const FilePath& path, std::string_view bytes, const FaultHook& hook)
{
    const FilePiece piece(bytes);
    return writeFileAtomically(path, std::span<const FilePiece>(&piece, 1), hook);
}

FileError writeFileAtomically(
    const FilePath& path, std::span<const FilePiece> pieces, const FaultHook& hook, SaveRoad road)
{
    const FilePath target = platform::finalTarget(path);
    // A folder in the file's place stays where it is: Windows would move it
    // aside on the road that keeps a backup, and Wine replaces it.
    if (platform::isFolder(target))
        return FileError { path, FileStep::Rename, std::make_error_code(std::errc::is_a_directory) };
    FilePath tmp;
    if (FileError err = writeTemp(path, target, pieces, hook, tmp))
        return err;
    if (road == SaveRoad::Native)
        road = platform::replacesAtomically() ? SaveRoad::Replacing : SaveRoad::KeepingBackup;
    return road == SaveRoad::Replacing ? replaceByRename(path, target, tmp, hook)
                                       : replaceKeepingBackup(path, target, tmp, hook);
}

std::error_code probeFile(const FilePath& path)
{
    OpenFile file;
    return openExisting(path, file);
}

std::error_code createFolders(const FilePath& folder)
{
    if (folder.empty())
        return {};
    std::error_code ec = platform::makeFolder(folder);
    if (ec != std::errc::no_such_file_or_directory)
        return ec;
    const FilePath parent = folder.parent();
    if (parent.empty() || parent == folder)
        return ec;
    if (const std::error_code up = createFolders(parent))
        return up;
    return platform::makeFolder(folder);
}

FilePath backupPath(const FilePath& file)
{
    return file + ".tavrel-old";
}

const char* fileStepName(FileStep step)
{
    switch (step) {
    case FileStep::Open:
        return "open";
    case FileStep::Read:
        return "read";
    case FileStep::Lock:
        return "lock";
    case FileStep::CreateTemp:
        return "create a temporary file beside";
    case FileStep::Write:
        return "write";
    case FileStep::Flush:
        return "flush";
    case FileStep::Rename:
        return "replace";
    case FileStep::Backup:
        return "move aside the old version of";
    case FileStep::RemoveBackup:
        return "remove the old version of";
    }
    return "use";
}

std::string FileError::message() const
{
    if (code.category() == fileCategory())
        return "\"" + path.string() + "\" " + code.message();
    return "Cannot " + std::string(fileStepName(step)) + " \"" + path.string() + "\": " + code.message();
}

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, invalid))
{
}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, invalid);
    }
    return *this;
}

FileLock::~FileLock()
{
    release();
}

} // namespace tavrel
