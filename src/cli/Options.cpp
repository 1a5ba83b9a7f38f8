#include "Options.h"

#include <algorithm>

namespace tavrel {

namespace {

struct OptionRow {
    std::string_view name; // after "--"
    char shortName; // after "-"; 0 for none
    std::string_view value; // the value's name in the help; empty for a switch
    std::string_view help;
    bool Options::*flag; // a switch sets this
    std::optional<std::string> Options::*text; // an option with a value sets this
};

constexpr OptionRow kOptions[] = {
    { "help", 'h', "", "Shows this help.", &Options::help, nullptr },
    { "version", 'v', "", "Shows the version.", &Options::version, nullptr },
    { "info", 0, "", "Prints each adapter's Info and clocks, and the presets; writes nothing.", &Options::info,
        nullptr },
    { "preset", 0, "N|NAME", "Writes the clocks of preset N (1 to 4) or of the preset named NAME.", nullptr,
        &Options::preset },
    { "memory-clock", 0, "N", "Writes the memory clock N (100 to 600).", nullptr, &Options::memoryClock },
    { "core-clock", 0, "N", "Writes the core clock N (100 to 300).", nullptr, &Options::coreClock },
    { "adapter", 0, "KEY",
        "The adapter by its display key (for example 0002); writing needs it when there are several.", nullptr,
        &Options::adapter },
#ifndef _WIN32
    { "registry", 0, "FILE", "The registry file, instead of $TAVREL_REGISTRY or ~/.local/share/tavrel/registry.reg.",
        nullptr, &Options::registry },
#endif
};

const OptionRow* findLong(std::string_view name)
{
    const auto it
        = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const auto& o) { return o.name == name; });
    return it == std::end(kOptions) ? nullptr : &*it;
}

const OptionRow* findShort(char c)
{
    const auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
        [&](const auto& o) { return o.shortName != 0 && o.shortName == c; });
    return it == std::end(kOptions) ? nullptr : &*it;
}

std::string spelling(const OptionRow& o)
{
    std::string s = o.shortName ? std::string("-") + o.shortName + ", " : std::string();
    s += "--" + std::string(o.name);
    if (!o.value.empty())
        s += " <" + std::string(o.value) + ">";
    return s;
}

} // namespace

std::string parseOptions(std::span<const std::string> args, Options& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
#ifdef _WIN32
        if (arg == "/?") {
            options.help = true;
            continue;
        }
#endif
        if (arg == "--")
            return i + 1 < args.size() ? "unexpected argument \"" + args[i + 1] + "\"" : std::string();
        if (arg.size() < 2 || arg[0] != '-')
            return "unexpected argument \"" + arg + "\"";
        const bool isLong = arg[1] == '-';
        const std::size_t equals = isLong ? arg.find('=') : std::string::npos;
        const std::string word = arg.substr(0, equals);
        // A single-dash word is an option only as "-h" or "-v"; any other is unknown whole.
        const OptionRow* row = isLong ? findLong(std::string_view(word).substr(2))
            : arg.size() == 2           ? findShort(arg[1])
                                        : nullptr;
        if (!row)
            return "unknown option " + word;
        if (row->flag) {
            if (equals != std::string::npos)
                return word + " takes no value";
            options.*(row->flag) = true;
        } else if (equals != std::string::npos) {
            options.*(row->text) = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            options.*(row->text) = args[++i];
        } else {
            return "missing value after " + word;
        }
    }
    return {};
}

std::string helpText()
{
    std::size_t width = 0;
    for (const OptionRow& o : kOptions)
        width = std::max(width, spelling(o).size());
    std::string text = "Usage: tavrel [options]\n"
                       "Shows and changes the memory and core clocks of a Creative Labs graphics card.\n"
                       "Without an option it opens its window.\n\nOptions:\n";
    for (const OptionRow& o : kOptions) {
        const std::string s = spelling(o);
        text += "  " + s + std::string(width - s.size() + 2, ' ') + std::string(o.help) + "\n";
    }
#ifdef _WIN32
    text += "  /?" + std::string(width, ' ') + "Shows this help.\n";
#endif
    return text;
}

} // namespace tavrel
