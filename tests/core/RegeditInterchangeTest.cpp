// Round trip with regedit, step by step from tests/wine/regedit-interchange.cmake, which runs regedit between
// the steps in the folder TAVREL_INTERCHANGE_DIR names: regedit's export loads in the .reg store with the
// registry's values, and a file the store rewrote imports back with exactly the values written.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/WinRegistryApi.h"
#include "registry/regdecl.h"

using namespace tavrel;
using namespace tavrel::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

const std::string kRoot = "Software\\TavrelTest\\Interchange";
using Values = std::map<std::pair<std::string, std::string>, StoredValue>; // (key path, name) -> value

// The clock values in both forms, and characters the format escapes or re-encodes (in Wine's Windows-1252).
const Values kSeeded = {
    {{kRoot, ""}, {kRegSz, "the default value\0"s}}, {{kRoot, "Say \"hi\""}, {kRegSz, "C:\\d\\\"nv4\"\\\0"s}},
    {{kRoot, "Empty"}, {kRegSz, "\0"s}}, {{kRoot, "Accent"}, {kRegSz, "Caf\xE9 \xA9\0"s}},
    {{kRoot, "MemClock"}, dword(300)}, {{kRoot, "AllBits"}, dword(0xFFFFFFFF)},
    {{kRoot, "Blob"}, {kRegBinary, "\x00\x01\xFE\xFF"s}}, {{kRoot, "Expand"}, {kRegExpandSz, "%SystemRoot%\\t\0"s}},
    {{kRoot, "Multi"}, {kRegMultiSz, "one\0two words\0\0"s}}, {{kRoot + "\\DEFAULT", "GrfxClock"}, {kRegSz, "135\0"s}}};

const char* const kFolder = std::getenv("TAVREL_INTERCHANGE_DIR");

TEST(RegeditInterchange, SeedRegistry) // then `regedit /E exported.reg`
{
    ASSERT_TRUE(kFolder) << "a step of wine_regedit_interchange, which runs regedit between the steps";
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot.c_str());
    WinRegistryApi api;
    for (const auto& [at, value] : kSeeded)
        EXPECT_EQ(putRaw(api, at.first, at.second, value), 0) << at.second;
}

// What the store writes over the export: the apply step's writes, a text that needs escapes, a new key.
const struct { std::string key, name; LooseValue value; std::uint32_t type; StoredValue stored; } kWrites[] = {
    {kRoot, "MemClock", LooseValue(std::int32_t{302}), kRegDword, dword(302)},
    {kRoot + "\\DEFAULT", "GrfxClock", LooseValue(std::int32_t{140}), kRegDword, dword(140)},
    {kRoot, "Added", LooseValue("new \"quoted\" \\ value"), kRegSz, {kRegSz, "new \"quoted\" \\ value\0"s}},
    {kRoot + "\\New key", "MemClock", LooseValue(std::int32_t{450}), kRegDword, dword(450)},
};

// The export reads in the store as the registry holds it; the store rewrites a copy, and the key goes, so
// that only the import brings it back.
TEST(RegeditInterchange, ExportLoadsInStoreThenStoreWrites) // then `regedit /S rewritten.reg`
{
    ASSERT_TRUE(kFolder);
    RegFileStore exported(fs::path(kFolder) / "exported.reg");
    ASSERT_TRUE(exported.load()) << exported.loadError().message();
    for (const auto& [at, value] : kSeeded)
        EXPECT_EQ(get(exported, at.first, at.second.c_str()), std::pair(0, value)) << at.second;
    fs::copy_file(fs::path(kFolder) / "exported.reg", fs::path(kFolder) / "rewritten.reg", fs::copy_options::overwrite_existing);
    RegFileStore store(fs::path(kFolder) / "rewritten.reg");
    ASSERT_TRUE(store.load()) << store.loadError().message();
    for (const auto& w : kWrites) {
        CreateNewKey(store, w.key, kHKeyLocalMachine);
        EXPECT_EQ(SetKeyValue(store, w.key, w.name, w.value, w.type), 0) << w.name;
    }
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot.c_str());
}

TEST(RegeditInterchange, ImportGivesBackValuesWritten)
{
    ASSERT_TRUE(kFolder);
    Values expected = kSeeded;
    for (const auto& w : kWrites)
        expected[{w.key, w.name}] = w.stored;
    WinRegistryApi api;
    for (const auto& [at, value] : expected)
        EXPECT_EQ(get(api, at.first, at.second.c_str()), std::pair(0, value)) << at.second;
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRoot.c_str());
}

#endif
