// The start-up the three ways in share: the registry opened or why not, and the state over it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Startup.h"
#include "presets/PresetStore.h"
#include "support/TempDir.h"

using namespace tavrel;
using tavrel::test::TempDir;
namespace fs = std::filesystem;

TEST(Startup, ProgramFolderHoldsTheRunningProgram)
{
    const FilePath folder = programFolder(nullptr);
    EXPECT_TRUE(folder.isAbsolute()) << folder.string();
    EXPECT_TRUE(fs::exists(fs::path(folder.string()) / "tavrel_core_tests.exe")
        || fs::exists(fs::path(folder.string()) / "tavrel_core_tests"))
        << folder.string();
}

#ifndef _WIN32
TEST(Startup, OpensTheRegistryFileOrSaysWhyNot)
{
    const TempDir dir;
    test::writeBytes(dir / "bad.reg", "not a registry\r\n");
    test::writeBytes(dir / "empty.reg", "");
    test::writeBytes(dir / "other.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"a\"=\"b\"\r\n");
    fs::copy_file(test::samplePath("no-adapter.reg"), dir / "no-adapter.reg");
    const std::string none = kNoAdapterMessage + ": the registry file \"" + (dir / "").string();
    const struct {
        const char* file; // nullptr: the default, here $TAVREL_REGISTRY
        std::string error; // registryError starts so, and ends in the file's reason
        std::string noAdapter;
    } cases[] = {
        {"bad.reg", "\"" + (dir / "bad.reg").string() + "\", line 1: ", ""},
        {"missing.reg", "", none + "missing.reg\" does not exist."},
        {nullptr, "", none + "default.reg\" does not exist."},
        {"empty.reg", "", none + "empty.reg\" is empty."},
        {"other.reg", "", none + "other.reg\" holds no display keys."},
        {"no-adapter.reg", "", ""}, // display keys, no Creative one: the windows and the command line say so
    };
    ::setenv("TAVREL_REGISTRY", (dir / "default.reg").c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "default");
        const auto file = c.file ? std::optional<std::string>((dir / c.file).string()) : std::nullopt;
        const ProgramStart start = startProgram(FilePath(dir.path()), file);
        EXPECT_TRUE(start.registryError.starts_with(c.error)) << start.registryError;
        EXPECT_EQ(start.registryError.empty(), c.error.empty());
        EXPECT_EQ(start.noAdapter, c.noAdapter);
        const bool ready = c.error.empty() && c.noAdapter.empty();
        ASSERT_EQ(start.state != nullptr, ready);
        if (ready) {
            EXPECT_EQ(start.state->presetFile.path, PresetFilePath(FilePath(dir.path())));
        }
    }
    ::unsetenv("TAVREL_REGISTRY");
}
#endif
