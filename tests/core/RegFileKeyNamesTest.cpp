// Key names in the .reg file store's header index: found in either letter
// case outside ASCII too (such headers are not hashed but read), up to the
// last ']' of the header line, and never with an empty name.

#include <gtest/gtest.h>

#include <string>

#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"
#include "values/Ansi.h"

using namespace tavrel;

TEST(RegFileKeyNames, FoundInEitherCaseUpToTheLastBracket)
{
    // Windows-1252: \xE9 e acute, \x8C/\x9C OE ligature, \x9F/\xFF y diaeresis.
    const std::string body = "[HKEY_LOCAL_MACHINE\\Software\\Caf\xE9]\r\n\"v\"=dword:00000001\r\n\r\n"
                             "[hkey_local_machine\\SOFTWARE\\\x9Cuvre\\\xFF\\Leaf]\r\n\"v\"=dword:00000002\r\n\r\n"
                             "[HKLM\\Software\\Plain] ; after the header\r\n\"v\"=dword:00000003\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Odd]Name]\r\n\"v\"=dword:00000004\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Gone\\]\r\n\"v\"=dword:00000005\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\\xFF]\r\n\"v\"=dword:00000006\r\n\r\n";
    const struct {
        const char* key;
        std::int32_t status; // of opening the key
        std::uint32_t v = 0; // its value "v", where it has one
    } cases[] = {
        { "Software\\CAF\xC9", kStatusSuccess, 1 },
        { "software\\caf\xE9", kStatusSuccess, 1 },
        { "Software\\Caf", kStatusNotFound },
        { "Software\\\x8Cuvre", kStatusSuccess },         // only implied, by a key below it
        { "Software\\\x8Cuvre\\\x9F", kStatusSuccess },    // likewise
        { "Software\\\x9Cuvre\\\xFF\\LEAF", kStatusSuccess, 2 },
        { "Software\\Plain", kStatusSuccess, 3 },
        { "Software\\Odd]Name", kStatusSuccess, 4 },
        { "Software\\Odd", kStatusNotFound },
        { "Software\\Gone", kStatusNotFound },
        { "Software\\\x9F", kStatusSuccess, 6 }, // a capital outside Windows-1252's upper half
    };
    for (const bool utf16 : { false, true }) {
        SCOPED_TRACE(utf16 ? "version 5, UTF-16" : "REGEDIT4");
        std::string bytes = utf16 ? "\xFF\xFEWindows Registry Editor Version 5.00\r\n\r\n" : "REGEDIT4\r\n\r\n";
        if (utf16) {
            std::string wide = "\xFF\xFE";
            for (const char16_t u : ansiToUtf16(bytes.substr(2) + body))
                wide += { static_cast<char>(u & 0xFF), static_cast<char>(u >> 8) };
            bytes = wide;
        } else {
            bytes += body;
        }
        test::TempDir dir;
        test::writeBytes(dir / "r.reg", bytes);
        RegFileStore store(dir / "r.reg");
        ASSERT_TRUE(store.load()) << store.loadError().message();
        for (const auto& c : cases) {
            RegHandle h = 0;
            EXPECT_EQ(store.RegOpenKeyExA(kHKeyLocalMachine, c.key, 0, kKeyAccessMask, &h), c.status) << c.key;
            store.RegCloseKey(h);
            std::int32_t status = 0;
            const test::StoredValue v = test::getRaw(store, c.key, "v", status);
            EXPECT_EQ(v.data.size() == 4 ? static_cast<unsigned char>(v.data[0]) : 0u, c.v) << c.key;
        }
    }
}
