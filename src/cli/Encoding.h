#pragma once

#include <string>
#include <string_view>

// The command line's texts travel in the system's narrow encoding (UTF-8 on
// POSIX, the ANSI code page on Windows); the registry and the preset file
// hold Windows-1252, and the core's messages are UTF-8.
namespace tavrel {

// A registry or preset text, for the console.
std::string consoleFromAnsi(std::string_view ansi);
// A core message, for the console.
std::string consoleFromUtf8(std::string_view utf8);
// An argument as given, for comparing with preset names.
std::string ansiFromArgument(std::string_view arg);

} // namespace tavrel
