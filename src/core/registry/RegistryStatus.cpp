#include "registry/RegistryApi.h"

namespace tavrel {

const char* registryStatusText(std::int32_t status)
{
    // The texts Windows gives for these codes, so that a message reads the
    // same whichever registry the program runs on.
    switch (status) {
    case 0: return "The operation completed successfully.";
    case 1: return "Incorrect function.";
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 5: return "Access is denied.";
    case 6: return "The handle is invalid.";
    case 8: return "Not enough memory resources are available to process this command.";
    case 13: return "The data is invalid.";
    case 29: return "The system cannot write to the specified device.";
    case 30: return "The system cannot read from the specified device.";
    case 32: return "The process cannot access the file because it is being used by another process.";
    case 33: return "The process cannot access the file because another process has locked a portion of the file.";
    case 87: return "The parameter is incorrect.";
    case 112: return "There is not enough space on the disk.";
    case 234: return "More data is available.";
    case 1009: return "The configuration registry database is corrupt.";
    case 1010: return "The configuration registry key is invalid.";
    case 1015: return "The registry is corrupted.";
    case -1: return "The value has a type other than text or number.";
    default: return "Unknown registry error.";
    }
}

} // namespace tavrel
