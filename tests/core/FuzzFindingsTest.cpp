// Faults the fuzz targets in fuzz/ found in the registry store, kept here so
// that they stay mended in every build, not only the fuzz build.

#include <gtest/gtest.h>

#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;

// Opening a key that does not exist in a registry without a file (or with an
// empty one) read outside the store's key index.
TEST(FuzzFindings, MissingKeyOfARegistryWithoutAFileIsJustMissing)
{
    for (const bool emptyFile : { false, true }) {
        SCOPED_TRACE(emptyFile ? "empty file" : "no file");
        test::TempDir dir;
        if (emptyFile)
            test::writeBytes(dir / "registry.reg", "");
        RegFileStore store(dir / "registry.reg");
        ASSERT_TRUE(store.load());
        RegHandle h = 1;
        EXPECT_EQ(
            store.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Missing", 0, kKeyAccessMask, &h), kStatusNotFound);
        EXPECT_EQ(h, 0u);
    }
}

// A key path ending in two backslashes was created (and a value written
// under it, with success) but could never be opened again, in the same run
// or the next: the value was as good as lost. Such a path is refused.
TEST(FuzzFindings, KeyPathEndingInAnEmptyNameIsRefusedAlike)
{
    test::TempDir dir;
    const auto file = dir / "registry.reg";
    test::writeBytes(file, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n");
    RegFileStore store(file);
    ASSERT_TRUE(store.load());
    const char* path = "Software\\Tavrel\\\\";
    RegHandle h = 1;
    EXPECT_EQ(store.RegCreateKeyExA(
                  kHKeyLocalMachine, path, 0, nullptr, kRegOptionNonVolatile, kKeyAccessMask, nullptr, &h, nullptr),
        kStatusInvalidParameter);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(store.RegOpenKeyExA(kHKeyLocalMachine, path, 0, kKeyAccessMask, &h), kStatusInvalidParameter);
    EXPECT_EQ(test::readBytes(file), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\r\n");

    // One trailing backslash still names the key itself.
    ASSERT_EQ(store.RegCreateKeyExA(kHKeyLocalMachine, "Software\\Tavrel\\", 0, nullptr, kRegOptionNonVolatile,
                  kKeyAccessMask, nullptr, &h, nullptr),
        kStatusSuccess);
    EXPECT_EQ(SetTypedValue(store, h, "MemClock", kRegDword, LooseValue(std::int32_t { 300 })), kStatusSuccess);
    store.RegCloseKey(h);
    RegFileStore again(file);
    ASSERT_TRUE(again.load());
    ASSERT_EQ(again.RegOpenKeyExA(kHKeyLocalMachine, "Software\\Tavrel", 0, kKeyAccessMask, &h), kStatusSuccess);
    LooseValue v;
    EXPECT_EQ(QueryTypedValue(again, h, "MemClock", v), kStatusSuccess);
    EXPECT_EQ(v, LooseValue(std::int32_t { 300 }));
}
