#pragma once

// The few calls that differ between the systems, for the file code that does
// not: each platform's source file defines them. The steps of reading and
// saving are written once, in FileIo.cpp, over these.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "io/FileIo.h"

namespace tavrel::platform {

using Handle = std::intptr_t; // a file descriptor, or a Windows HANDLE
inline constexpr Handle kNoHandle = -1;

// Opens an existing file for reading, without waiting for a FIFO's writer.
std::error_code openForReading(const std::filesystem::path& path, Handle& out);
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
std::filesystem::path finalTarget(const std::filesystem::path& path);
// A new file "<target>.<something>" for writing, with the target's mode,
// owner and group where it exists and the saver may give them.
std::error_code createTemp(const std::filesystem::path& target, Handle& out, std::filesystem::path& tmp);
std::error_code writeAll(Handle h, std::string_view bytes);
// Flushes the file to disk and closes it (also on failure).
std::error_code flushAndClose(Handle h);
// Whether replaceFile can put a file over another in one step.
bool replacesAtomically();
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames a file to a name that does not exist.
std::error_code moveFile(const std::filesystem::path& from, const std::filesystem::path& to);
std::error_code removeFile(const std::filesystem::path& path);
bool fileExists(const std::filesystem::path& path);
// Makes a finished rename durable where the system asks for that.
void syncFolder(const std::filesystem::path& file);
// Makes one folder; no error when it is there already.
std::error_code makeFolder(const std::filesystem::path& folder);

inline std::error_code injected(const FaultHook& hook, FileStep step, const std::filesystem::path& path)
{
    return hook ? hook(step, path) : std::error_code {};
}

} // namespace tavrel::platform
