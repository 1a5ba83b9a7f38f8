// The Win32 status codes the .reg file store gives for a failed file step,
// so that callers see what RegSetValueExA would return on Windows.
#pragma once

#include <cstdint>

#include "io/FileIo.h"

namespace tavrel::regfile {

inline constexpr std::int32_t kStatusPathNotFound = 3;
inline constexpr std::int32_t kStatusSharingViolation = 32;

// The Win32 code nearest to a failed file step.
std::int32_t win32Status(const FileError& e);

// A file under a path that cannot exist is as missing as one that does not.
bool isMissing(const FileError& e);

} // namespace tavrel::regfile
