// The file operations on Windows, from Windows 95 on: only ANSI calls, and
// the calls of the NT family only through GetProcAddress, each with a road
// for Windows 95/98/ME beside it (there a save keeps a backup, see SaveRoad).
#include "io/FileIo.h"
#include "io/PlatformFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>

namespace tavrel {

namespace {

std::error_code winError(DWORD code)
{
    // As the other systems name it, so that a missing file is missing everywhere.
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    return { static_cast<int>(code), std::system_category() };
}

std::error_code lastError()
{
    return winError(::GetLastError());
}

HANDLE handleOf(platform::Handle h)
{
    return reinterpret_cast<HANDLE>(h);
}

// A call of the NT family, or null on Windows 95/98/ME, which lacks it.
template <class Fn> Fn kernelCall(const char* name)
{
    static const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name))) : nullptr;
}

bool isWindows9x()
{
    return (::GetVersion() & 0x80000000u) != 0;
}

FileStamp stampOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written)
{
    FileStamp s;
    s.exists = true;
    s.size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    s.modified = static_cast<std::int64_t>(ticks) * 100;
    return s;
}

} // namespace

namespace platform {

std::error_code openForReading(const FilePath& path, Handle& out)
{
    // Open only while it is read: a file held open cannot be replaced by the
    // next save (FILE_SHARE_DELETE, which would allow it, Windows 95 refuses).
    const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return lastError();
    out = reinterpret_cast<Handle>(h);
    return {};
}

std::error_code describe(Handle h, bool& regular, FileStamp& stamp)
{
    // A device (CON, NUL, a port) or a pipe is no disk file.
    regular = ::GetFileType(handleOf(h)) == FILE_TYPE_DISK;
    if (!regular)
        return {};
    BY_HANDLE_FILE_INFORMATION info {};
    if (!::GetFileInformationByHandle(handleOf(h), &info))
        return lastError();
    stamp = stampOf(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
    return {};
}

std::error_code readSome(Handle h, char* into, std::size_t size, std::size_t& got)
{
    DWORD n = 0;
    if (!::ReadFile(handleOf(h), into, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &n, nullptr))
        return lastError();
    got = n;
    return {};
}

void closeFile(Handle h)
{
    ::CloseHandle(handleOf(h));
}

char* allocateBytes(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return static_cast<char*>(p);
    throw std::bad_alloc();
}

FilePath finalTarget(const FilePath& path)
{
    return path;
}

std::error_code createTemp(const FilePath& target, Handle& out, FilePath& tmp)
{
    const std::string name = target.string() + ".tmp" + std::to_string(::GetCurrentProcessId()) + "_";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = name + std::to_string(attempt);
        const HANDLE h
            = ::CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            tmp = FilePath(candidate);
            out = reinterpret_cast<Handle>(h);
            return {};
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return lastError();
}

std::error_code writeAll(Handle h, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(handleOf(h), bytes.data(), chunk, &n, nullptr))
            return lastError();
        if (n == 0)
            return std::make_error_code(std::errc::no_space_on_device);
        bytes.remove_prefix(n);
    }
    return {};
}

std::error_code flushAndClose(Handle h)
{
    std::error_code ec;
    if (!::FlushFileBuffers(handleOf(h)))
        ec = lastError();
    if (!::CloseHandle(handleOf(h)) && !ec)
        ec = lastError();
    return ec;
}

bool replacesAtomically()
{
    return !isWindows9x();
}

// ReplaceFileA (Windows 2000 on) gives the new file the old one's
// attributes, security and creation time, where a rename would leave it the
// temporary file's; a failure to carry them over does not stop the save.
// Without an old file, or on Windows NT 4, MoveFileExA renames over it.
std::error_code replaceFile(const FilePath& from, const FilePath& to)
{
    using ReplaceFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
    using MoveFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    static const auto replace = kernelCall<ReplaceFn>("ReplaceFileA");
    static const auto move = kernelCall<MoveFn>("MoveFileExA");
    const std::string& source = from.string();
    const std::string& target = to.string();
    DWORD why = ERROR_FILE_NOT_FOUND;
    if (replace) {
        if (replace(
                target.c_str(), source.c_str(), nullptr, 0x2 /* REPLACEFILE_IGNORE_MERGE_ERRORS */, nullptr, nullptr))
            return {};
        why = ::GetLastError();
    }
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file is gone already, but
    // the new one kept its temporary name; a rename may still finish it.
    if (why != ERROR_FILE_NOT_FOUND && why != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        return winError(why);
    if (!move)
        return winError(ERROR_CALL_NOT_IMPLEMENTED);
    if (move(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return lastError();
}

std::error_code moveFile(const FilePath& from, const FilePath& to)
{
    return ::MoveFileA(from.c_str(), to.c_str()) ? std::error_code {} : lastError();
}

std::error_code removeFile(const FilePath& path)
{
    return ::DeleteFileA(path.c_str()) ? std::error_code {} : lastError();
}

bool fileExists(const FilePath& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(const FilePath& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void syncFolder(const FilePath&) { }

std::error_code makeFolder(const FilePath& folder)
{
    const std::string& name = folder.string();
    if (::CreateDirectoryA(name.c_str(), nullptr))
        return {};
    const DWORD why = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::error_code {}
                                                       : std::make_error_code(std::errc::not_a_directory);
    return winError(why);
}

} // namespace platform

// FindFirstFileA rather than GetFileAttributesExA, which Windows 95 lacks.
FileStamp fileStamp(const FilePath& path)
{
    WIN32_FIND_DATAA data {};
    const HANDLE find = ::FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return {};
    ::FindClose(find);
    return stampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
}

// LockFile, on Windows 95 as on NT, never waits: it is tried again until
// the wait is over.
FileLock FileLock::acquire(
    const FilePath& path, FileError& error, const FaultHook& hook, std::chrono::milliseconds wait)
{
    FileLock lock;
    error = FileError { path, FileStep::Lock, platform::injected(hook, FileStep::Lock, path) };
    if (error)
        return lock;
    const FilePath lockPath = path + ".lock";
    const HANDLE h = ::CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error.code = lastError();
        return lock;
    }
    const DWORD start = ::GetTickCount();
    while (!::LockFile(h, 0, 0, 1, 0)) {
        const DWORD why = ::GetLastError();
        if (why != ERROR_LOCK_VIOLATION || ::GetTickCount() - start >= static_cast<DWORD>(wait.count())) {
            error.code = why == ERROR_LOCK_VIOLATION ? make_error_code(FileErrc::LockedByAnother) : winError(why);
            ::CloseHandle(h);
            return lock;
        }
        ::Sleep(20);
    }
    lock.handle_ = h;
    return lock;
}

void FileLock::release()
{
    if (handle_ != invalid) {
        ::UnlockFile(handle_, 0, 0, 1, 0);
        ::CloseHandle(handle_);
        handle_ = invalid;
    }
}

} // namespace tavrel
