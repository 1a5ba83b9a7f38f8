// Interchange with regedit: a file regedit exported loads in the .reg store
// with the values of the registry it came from, and a file the store
// rewrote imports back with exactly the values written. The steps run one
// by one from tests/wine/regedit-interchange.cmake, which calls regedit in
// between; TAVREL_INTERCHANGE_DIR names the folder of the files.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/WinRegistryApi.h"
#include "registry/regdecl.h"
#include "support/NativeRegistry.h"

using namespace tavrel;
using namespace tavrel::test;

namespace {

const std::string kRoot = "Software\\TavrelTest\\Interchange";

StoredValue sz(std::string_view text)
{
    return { kRegSz, std::string(text) + '\0' };
}

StoredValue dword(std::uint32_t n)
{
    return { kRegDword,
        { static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24) } };
}

// What the registry holds before the export: the clock values in both
// forms, the characters the file format has to escape or re-encode, and a
// key without values, which is exported and imported too.
RegistrySnapshot seeded()
{
    RegistrySnapshot s;
    s[""] = {
        { "", sz("the default value") },
        { "ProviderName", sz("Creative Labs") },
        { "Say \"hi\"", sz("C:\\drivers\\\"nv4\"\\") },
        { "Empty", sz("") },
        { "Accent", sz("Caf\xE9 \xA9") }, // Windows-1252, the code page Wine runs with here
        { "MemClock", dword(300) },
        { "AllBits", dword(0xFFFFFFFF) },
        { "Blob", { kRegBinary, std::string("\x00\x01\xFE\xFF", 4) } },
        { "Expand", { kRegExpandSz, std::string("%SystemRoot%\\tavrel") + '\0' } },
        { "Multi", { kRegMultiSz, std::string("one\0two words\0\0", 15) } },
    };
    s["DEFAULT"]["GrfxClock"] = sz("135");
    s["Empty key"];
    return s;
}

std::string fullPath(const std::string& key)
{
    return key.empty() ? kRoot : kRoot + "\\" + key;
}

class RegeditInterchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("TAVREL_INTERCHANGE_DIR");
        if (!dir || !*dir)
            GTEST_SKIP() << "a step of wine_regedit_interchange, which runs regedit between the steps";
        dir_ = dir;
    }

    std::filesystem::path dir_;
};

} // namespace

// Step 1: the registry gets the values, written through the advapi32 backend.
TEST_F(RegeditInterchange, SeedRegistry)
{
    deleteLocalMachineTree(kRoot);
    WinRegistryApi api;
    for (const auto& [key, values] : seeded()) {
        CreateNewKey(api, fullPath(key), kHKeyLocalMachine);
        for (const auto& [name, value] : values)
            EXPECT_EQ(putRaw(api, fullPath(key), name, value), kStatusSuccess) << name;
    }
    EXPECT_EQ(snapshotLocalMachine(kRoot), seeded());
}

// Step 2 (after `regedit /E exported.reg`): the export loads in the store and
// reads back as the registry holds it. Then the store rewrites a copy, and
// the registry key goes, so that only the import can bring it back.
TEST_F(RegeditInterchange, ExportLoadsInStoreThenStoreWrites)
{
    const auto live = snapshotLocalMachine(kRoot);
    ASSERT_EQ(live, seeded()) << "step 1 did not run";

    RegFileStore exported(dir_ / "exported.reg");
    ASSERT_TRUE(exported.load()) << exported.loadError().message();
    for (const auto& [key, values] : live) {
        RegHandle h = 0;
        EXPECT_EQ(
            exported.RegOpenKeyExA(kHKeyLocalMachine, fullPath(key).c_str(), 0, kKeyAccessMask, &h), kStatusSuccess)
            << "key " << key;
        exported.RegCloseKey(h);
        for (const auto& [name, value] : values) {
            std::int32_t status = 0;
            EXPECT_EQ(getRaw(exported, fullPath(key), name, status), value) << key << " / " << name;
            EXPECT_EQ(status, kStatusSuccess) << key << " / " << name;
        }
    }

    std::filesystem::copy_file(
        dir_ / "exported.reg", dir_ / "rewritten.reg", std::filesystem::copy_options::overwrite_existing);
    RegFileStore store(dir_ / "rewritten.reg");
    ASSERT_TRUE(store.load()) << store.loadError().message();
    ProgramState state(store, PresetFile({}));
    // The apply step's writes, a text that needs escaping, and a new key.
    EXPECT_EQ(SetKeyValue(state, kRoot, "MemClock", LooseValue(301.5), kRegDword), kStatusSuccess);
    EXPECT_EQ(SetKeyValue(state, fullPath("DEFAULT"), "GrfxClock", LooseValue(140), kRegDword), kStatusSuccess);
    EXPECT_EQ(SetKeyValue(state, kRoot, "Added", LooseValue(std::string("new \"quoted\" \\ value")), kRegSz),
        kStatusSuccess);
    CreateNewKey(store, fullPath("New key"), kHKeyLocalMachine);
    EXPECT_EQ(SetKeyValue(state, fullPath("New key"), "MemClock", LooseValue(450), kRegDword), kStatusSuccess);
    EXPECT_FALSE(store.lastWriteError()) << store.lastWriteError().message();

    deleteLocalMachineTree(kRoot);
    EXPECT_TRUE(snapshotLocalMachine(kRoot).empty());
}

// Step 3 (after `regedit /S rewritten.reg`): the registry holds exactly the
// exported values with the store's writes on top.
TEST_F(RegeditInterchange, ImportGivesBackValuesWritten)
{
    auto expected = seeded();
    expected[""]["MemClock"] = dword(302);
    expected["DEFAULT"]["GrfxClock"] = dword(140);
    expected[""]["Added"] = sz("new \"quoted\" \\ value");
    expected["New key"]["MemClock"] = dword(450);
    EXPECT_EQ(snapshotLocalMachine(kRoot), expected);
    deleteLocalMachineTree(kRoot);
}

#endif
