// Interchange with regedit: a file regedit exported loads in the .reg store
// with the values of the registry it came from, and a file the store
// rewrote imports back with exactly the values written. The steps run one
// by one from tests/wine/regedit-interchange.cmake, which calls regedit in
// between; TAVREL_INTERCHANGE_DIR names the folder of the files.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>

#include "registry/RegFileStore.h"
#include "registry/WinRegistryApi.h"
#include "registry/regdecl.h"
#include "support/FakeRegistry.h"
#include "support/NativeRegistry.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const std::string kRoot = "Software\\TavrelTest\\Interchange";

StoredValue sz(std::string_view text)
{
    return {kRegSz, std::string(text) + '\0'};
}

// What the registry holds before the export: the clock values in both forms,
// characters the file format has to escape or re-encode, and a key without values.
RegistrySnapshot seeded()
{
    RegistrySnapshot s;
    s[""] = {
        {"", sz("the default value")}, {"ProviderName", sz("Creative Labs")},
        {"Say \"hi\"", sz("C:\\drivers\\\"nv4\"\\")}, {"Empty", sz("")},
        {"Accent", sz("Caf\xE9 \xA9")}, // Windows-1252, the code page Wine runs with here
        {"MemClock", {kRegDword, dwordBytes(300)}}, {"AllBits", {kRegDword, dwordBytes(0xFFFFFFFF)}},
        {"Blob", {kRegBinary, std::string("\x00\x01\xFE\xFF", 4)}},
        {"Expand", {kRegExpandSz, std::string("%SystemRoot%\\tavrel") + '\0'}},
        {"Multi", {kRegMultiSz, std::string("one\0two words\0\0", 15)}},
    };
    s["DEFAULT"]["GrfxClock"] = sz("135");
    s["Empty key"];
    return s;
}

std::string fullPath(const std::string& key)
{
    return key.empty() ? kRoot : kRoot + "\\" + key;
}

std::filesystem::path interchangeDir()
{
    const char* dir = std::getenv("TAVREL_INTERCHANGE_DIR");
    return dir ? dir : "";
}

} // namespace

// Step 1: the registry gets the values, written through the advapi32 backend.
TEST(RegeditInterchange, SeedRegistry)
{
    if (interchangeDir().empty())
        GTEST_SKIP() << "a step of wine_regedit_interchange, which runs regedit between the steps";
    deleteLocalMachineTree(kRoot);
    WinRegistryApi api;
    for (const auto& [key, values] : seeded()) {
        CreateNewKey(api, fullPath(key), kHKeyLocalMachine);
        for (const auto& [name, value] : values)
            EXPECT_EQ(putRaw(api, fullPath(key), name, value), kStatusSuccess) << name;
    }
    EXPECT_EQ(snapshotLocalMachine(kRoot), seeded());
}

// Step 2 (after `regedit /E exported.reg`): the export reads in the store as
// the registry holds it. Then the store rewrites a copy, and the registry key
// goes, so that only the import can bring it back.
TEST(RegeditInterchange, ExportLoadsInStoreThenStoreWrites)
{
    const std::filesystem::path dir = interchangeDir();
    if (dir.empty())
        GTEST_SKIP() << "a step of wine_regedit_interchange";
    ASSERT_EQ(snapshotLocalMachine(kRoot), seeded()) << "step 1 did not run";
    RegFileStore exported(dir / "exported.reg");
    ASSERT_TRUE(exported.load()) << exported.loadError().message();
    for (const auto& [key, values] : seeded()) {
        RegHandle h = 0;
        EXPECT_EQ(exported.RegOpenKeyExA(kHKeyLocalMachine, fullPath(key).c_str(), 0, kKeyAccessMask, &h), 0) << key;
        exported.RegCloseKey(h);
        for (const auto& [name, value] : values) {
            std::int32_t status = 0;
            EXPECT_EQ(getRaw(exported, fullPath(key), name, status), value) << key << " / " << name;
        }
    }
    std::filesystem::copy_file(dir / "exported.reg", dir / "rewritten.reg",
                               std::filesystem::copy_options::overwrite_existing);
    RegFileStore store(dir / "rewritten.reg");
    ASSERT_TRUE(store.load()) << store.loadError().message();
    RegistryAccess access(store);
    // The apply step's writes, a text that needs escaping, and a new key.
    EXPECT_EQ(SetKeyValue(access, kRoot, "MemClock", LooseValue(std::int32_t{302}), kRegDword), 0);
    EXPECT_EQ(SetKeyValue(access, fullPath("DEFAULT"), "GrfxClock", LooseValue(std::int32_t{140}), kRegDword), 0);
    EXPECT_EQ(SetKeyValue(access, kRoot, "Added", LooseValue("new \"quoted\" \\ value"), kRegSz), 0);
    CreateNewKey(store, fullPath("New key"), kHKeyLocalMachine);
    EXPECT_EQ(SetKeyValue(access, fullPath("New key"), "MemClock", LooseValue(std::int32_t{450}), kRegDword), 0);
    deleteLocalMachineTree(kRoot);
}

// Step 3 (after `regedit /S rewritten.reg`): the registry holds exactly the
// exported values with the store's writes on top.
TEST(RegeditInterchange, ImportGivesBackValuesWritten)
{
    if (interchangeDir().empty())
        GTEST_SKIP() << "a step of wine_regedit_interchange";
    auto expected = seeded();
    expected[""]["MemClock"] = {kRegDword, dwordBytes(302)};
    expected["DEFAULT"]["GrfxClock"] = {kRegDword, dwordBytes(140)};
    expected[""]["Added"] = sz("new \"quoted\" \\ value");
    expected["New key"]["MemClock"] = {kRegDword, dwordBytes(450)};
    EXPECT_EQ(snapshotLocalMachine(kRoot), expected);
    deleteLocalMachineTree(kRoot);
}

#endif
