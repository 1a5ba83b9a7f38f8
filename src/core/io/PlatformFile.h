#pragma once

// The few calls that differ between the systems, for the file code that does
// not: each platform's source file defines them.
#include <filesystem>
#include <system_error>

#include "io/FileIo.h"

namespace tavrel::platform {

// A file descriptor for reading, or -1 with errno set.
int openForReading(const std::filesystem::path& path);
// As read(): bytes read, 0 at the end, -1 with errno set.
long readSome(int fd, char* into, unsigned size);
void closeFile(int fd);

inline std::error_code injected(const FaultHook& hook, FileStep step, const std::filesystem::path& path)
{
    return hook ? hook(step, path) : std::error_code{};
}

} // namespace tavrel::platform
