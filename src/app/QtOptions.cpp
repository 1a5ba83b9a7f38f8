#include "QtOptions.h"

#include <string_view>

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

} // namespace tavrel
