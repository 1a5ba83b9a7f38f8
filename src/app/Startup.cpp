#include "Startup.h"

#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavrel {

namespace {

// Qt's documented options of QGuiApplication and QApplication. Each may be
// written with one dash or two, and "=value" joined to it; one that takes a
// value otherwise takes the next argument.
struct QtOption {
    std::string_view name;
    bool takesValue;
};

constexpr QtOption kQtOptions[] = {
    { "style", true },
    { "stylesheet", true },
    { "widgetcount", false },
    { "reverse", false },
    { "qmljsdebugger", false },
    { "platform", true },
    { "platformpluginpath", true },
    { "platformtheme", true },
    { "plugin", true },
    { "qwindowgeometry", true },
    { "qwindowicon", true },
    { "qwindowtitle", true },
    { "session", true },
    { "display", true },
    { "geometry", true },
    { "dialogs", false },
    { "fontengine", false },
};

const QtOption* qtOption(std::string_view arg, bool& joined)
{
    if (!arg.starts_with('-'))
        return nullptr;
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    const std::size_t equals = arg.find('=');
    joined = equals != std::string_view::npos;
    const std::string_view name = arg.substr(0, equals);
    for (const QtOption& option : kQtOptions)
        if (option.name == name)
            return &option;
    return nullptr;
}

} // namespace

std::vector<std::string> argumentsWithoutQtOptions(int argc, char* argv[])
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        bool joined = false;
        const QtOption* option = qtOption(argv[i], joined);
        if (!option)
            args.emplace_back(argv[i]);
        else if (option->takesValue && !joined && i + 1 < argc)
            ++i;
    }
    return args;
}

std::filesystem::path programFolder([[maybe_unused]] const char* argv0)
{
    std::error_code ec;
#ifdef _WIN32
    std::wstring file(32768, L'\0');
    const DWORD size = GetModuleFileNameW(nullptr, file.data(), static_cast<DWORD>(file.size()));
    if (size > 0 && size < file.size()) {
        file.resize(size);
        return std::filesystem::path(file).parent_path();
    }
#elif defined(__linux__)
    if (const auto self = std::filesystem::read_symlink("/proc/self/exe", ec); !ec)
        return self.parent_path();
#endif
    return std::filesystem::absolute(std::filesystem::path(argv0 ? argv0 : ""), ec).parent_path();
}

} // namespace tavrel
