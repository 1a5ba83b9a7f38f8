#pragma once

// The few calls that differ between the systems, for the file code that does
// not: each platform's source file defines them. The steps of reading and
// saving are written once, in FileIo.cpp, over these.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "io/FileIo.h"

namespace tavrel::platform {

using Handle = std::intptr_t; // a file descriptor, or a Windows HANDLE
inline constexpr Handle kNoHandle = -1;

// Opens an existing file for reading, without waiting for a FIFO's writer.
std::error_code openForReading(const FilePath& path, Handle& out);
// Whether the open file is a regular file, and its stamp.
std::error_code describe(Handle h, bool& regular, FileStamp& stamp);
// As read(): got is 0 at the end.
std::error_code readSome(Handle h, char* into, std::size_t size, std::size_t& got);
void closeFile(Handle h);
// Memory for a file's bytes, freed with std::free. Large blocks come in
// huge pages where the system has them: where a page fault is dear, one per
// 4 KiB costs more than reading the file.
char* allocateBytes(std::size_t size);

// The file a path leads to through symbolic links (itself when none).
FilePath finalTarget(const FilePath& path);
// A new file "<target>.<something>" for writing, with the target's mode,
// owner and group where it exists and the saver may give them.
std::error_code createTemp(const FilePath& target, Handle& out, FilePath& tmp);
std::error_code writeAll(Handle h, std::string_view bytes);
// Flushes the file to disk and closes it (also on failure).
std::error_code flushAndClose(Handle h);
// Whether replaceFile can put a file over another in one step.
bool replacesAtomically();
std::error_code replaceFile(const FilePath& from, const FilePath& to);
// Renames a file to a name that does not exist.
std::error_code moveFile(const FilePath& from, const FilePath& to);
std::error_code removeFile(const FilePath& path);
bool fileExists(const FilePath& path);
bool isFolder(const FilePath& path);
// Makes a finished rename durable where the system asks for that.
void syncFolder(const FilePath& file);
// Makes one folder; no error when it is there already.
std::error_code makeFolder(const FilePath& folder);

inline std::error_code injected(const FaultHook& hook, FileStep step, const FilePath& path)
{
    return hook ? hook(step, path) : std::error_code {};
}

} // namespace tavrel::platform
