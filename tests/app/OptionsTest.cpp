// The command line's parser, in process, so that it also runs where the program cannot (under Wine).
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "Options.h"

using namespace tavrel;

namespace {

// What was read, in a few words, or the error.
std::string read(const std::vector<std::string>& args)
{
    Options o;
    if (std::string error = parseOptions(args, o); !error.empty())
        return "error: " + error;
    std::string s = std::string(o.help ? "help " : "") + (o.version ? "version " : "") + (o.info ? "info " : "");
    for (const auto& [name, value] : { std::pair { "preset", &o.preset }, { "memory", &o.memoryClock },
             { "core", &o.coreClock }, { "adapter", &o.adapter }, { "registry", &o.registry } })
        if (*value)
            s += std::string(name) + "=" + **value + " ";
    return s;
}

} // namespace

TEST(CommandLineOptions, ReadAsTheTableSaysAndRefusedWhole)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        { { "--info", "--adapter=0002" }, "info adapter=0002 " },
        { { "--preset", "-1", "--preset=a=b" }, "preset=a=b " },
        { { "-h", "-v", "--memory-clock", " 300", "--core-clock", "" }, "help version memory= 300 core= " },
        { { "-hv" }, "error: unknown option -hv" }, { { "-style", "fusion" }, "error: unknown option -style" },
        { { "--fast=1" }, "error: unknown option --fast" }, { { "--info=1" }, "error: --info takes no value" },
        { { "--info", "--preset" }, "error: missing value after --preset" },
        { { "--info", "stray" }, "error: unexpected argument \"stray\"" },
        { { "-" }, "error: unexpected argument \"-\"" },
        { { "--info", "--", "--preset" }, "error: unexpected argument \"--preset\"" },
#ifdef _WIN32
        { { "/?" }, "help " }, { { "--registry", "x.reg" }, "error: unknown option --registry" },
#else
        { { "--registry", "caf\xe9.reg" }, "registry=caf\xe9.reg " },
        { { "/?" }, "error: unexpected argument \"/?\"" },
#endif
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(read(args), expected) << args[0];
}

TEST(CommandLineOptions, OnlyARegistryFileLeavesTheWindow)
{
#ifdef _WIN32
    const bool window = false; // there is no --registry
#else
    const bool window = true;
    EXPECT_EQ(registryOption(std::vector<std::string> { "--registry=a.reg", "--registry", "b" }), "b");
#endif
    const std::pair<std::vector<std::string>, bool> cases[] = { { {}, true }, { { "--registry", "a.reg" }, window },
        { { "--registry=a.reg", "--registry", "b" }, window }, { { "--registry", "" }, false },
        { { "--registry=" }, false }, { { "--registry" }, false }, { { "--registry", "a", "-v" }, false } };
    for (const auto& [args, opensWindow] : cases)
        EXPECT_NE(wantsCommandLine(args), opensWindow) << args.size();
}
