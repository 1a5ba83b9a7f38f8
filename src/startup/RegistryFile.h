#pragma once

#include <string>
#include <string_view>

// Why there is no adapter, when the registry file is the cause.
namespace tavrel {

class RegFileStore;

// "the registry file "..." does not exist" (a dangling link included), "...
// is empty" or "... holds no display keys"; the empty text when the file
// holds a display key. For a loaded store; not on Windows, whose registry is
// the system's (and the program for Windows 95/98/ME has no room for the
// file store).
std::string registryFileShortfall(RegFileStore& store);

// The message for a missing adapter, with the shortfall when there is one.
std::string noAdapterMessage(std::string_view shortfall);

} // namespace tavrel
