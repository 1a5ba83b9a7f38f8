// Maps the system's file errors to the Win32 codes a registry call returns.
#include "registry/regfile/StoreStatus.h"

#include <cerrno>
#include <system_error>

#include "registry/RegistryApi.h"

namespace tavrel::regfile {

std::int32_t win32Status(const FileError& e)
{
#ifdef _WIN32
    if (e.code.category() == std::system_category())
        return e.code.value();
#endif
    const std::error_code& c = e.code;
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted
        || c == std::errc::read_only_file_system)
        return kStatusAccessDenied;
    if (c == std::errc::no_space_on_device || c == std::errc::file_too_large)
        return kStatusDiskFull;
#ifdef EDQUOT
    if (c.default_error_condition() == std::error_condition(EDQUOT, std::generic_category()))
        return kStatusDiskFull;
#endif
    if (c == std::errc::no_such_file_or_directory || c == std::errc::not_a_directory)
        return kStatusPathNotFound;
    if (c == std::errc::not_enough_memory)
        return kStatusNotEnoughMemory;
    if (c == std::errc::device_or_resource_busy || c == std::errc::text_file_busy)
        return kStatusSharingViolation;
    if (c == std::errc::no_lock_available || c == std::errc::resource_unavailable_try_again)
        return kStatusLockViolation;
    switch (e.step) {
    case FileStep::Open:
    case FileStep::Read: return kStatusReadFault;
    case FileStep::Lock: return kStatusLockViolation;
    default: return kStatusWriteFault;
    }
}

bool isMissing(const FileError& e)
{
    return e.isMissingFile() || e.code == std::errc::not_a_directory;
}

} // namespace tavrel::regfile
