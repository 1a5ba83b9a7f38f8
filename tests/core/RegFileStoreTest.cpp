// The .reg file store: regedit's syntax in every form, rewrites that change
// only the value written, refused files, the five calls' statuses, two writers.

#include <gtest/gtest.h>

#include <optional>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/RegistryContract.h"
#include "registry/regdecl.h"
#include "support/FakeRegistry.h"
#include "support/RegistryFixture.h"

using namespace tavrel;
using namespace tavrel::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kDefault = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";
const RegForm kVersion5Lf{"version 5, 8-bit, LF", kVersion5.header, false, "\n"};
const RegForm kVersion5Cr{"version 5, UTF-16, CR", kVersion5.header, true, "\r"};

std::unique_ptr<RegFileStore> loaded(const fs::path& file, const std::string& bytes = "", const RegForm* form = {})
{
    if (form)
        writeBytes(file, regFile(bytes, *form));
    auto store = std::make_unique<RegFileStore>(file);
    EXPECT_TRUE(store->load()) << store->loadError().message();
    return store;
}

StoredValue dword(std::uint32_t n)
{
    return {kRegDword, dwordBytes(n)};
}

// The value, and the status of its read (of the key's open when name is null).
std::pair<std::int32_t, StoredValue> get(RegistryApi& api, const std::string& key, const char* name)
{
    std::int32_t status = 0;
    RegHandle h = 7;
    if (name) {
        StoredValue v = getRaw(api, key, name, status);
        return {status, v};
    }
    status = api.RegOpenKeyExA(kHKeyLocalMachine, key.c_str(), 0, kKeyAccessMask, &h);
    EXPECT_EQ(h == 0, status != 0) << key;
    api.RegCloseKey(h);
    return {status, {}};
}

} // namespace

TEST(RegFileStore, ReadsEverySyntaxFormInEveryEncoding)
{
    const char* const syntax = R"(; exported for the tests
[HKEY_LOCAL_MACHINE\Software\Syntax]
@="default"
"Plain"="C:\\path \"quoted\" é"
"Dword"=dword:0000012c
  "Indented" = dword:00000001 ; a comment after the data
"Binary"=hex:01,02,\
  03,04
"Empty"=hex:
"Qword"=hex(b):01,00,00,00,00,00,00,00
"Gone"="x"
"Gone"=-
"Bad"=dword:123456789
"Lazy"="first"
"Multi8"=hex(7):61,00,62,00,00
"NoEnd16"=hex(1):61,00,62,00
"Multi16"=hex(7):61,00,00,00,62,00,00,00,00,00
"Café"="Snow ☃ for 5€"
"☃"=dword:00000001
[HKLM\SOFTWARE\syntax]
"lazy"="second"
[HKEY_LOCAL_MACHINE\Software\Syntax\Deep\Deeper]
"x"=dword:00000002
[HKEY_NOWHERE\Bar]
"y"="not in Deeper"
[HKEY_LOCAL_MACHINE\Software\Doomed\Child]
[-HKEY_LOCAL_MACHINE\Software\Doomed]
)";
    const std::string s = "Software\\Syntax";
    enum { Regedit4 = 1, Version5 = 2, Utf16 = 4, Any = 7 }; // the forms a row holds for
    const struct {
        int forms;
        std::string key;
        const char* name; // null: the key is only opened
        std::int32_t status;
        StoredValue value;
    } cases[] = {
        {Any, s, "", 0, {kRegSz, "default\0"s}},
        {Any, s, "Plain", 0, {kRegSz, "C:\\path \"quoted\" \xE9\0"s}},
        {Any, s, "Dword", 0, dword(300)},
        {Any, s, "Indented", 0, dword(1)},
        {Any, s, "Binary", 0, {kRegBinary, "\x01\x02\x03\x04"}},
        {Any, s, "Empty", 0, {kRegBinary, ""}},
        {Any, s, "Qword", 0, {kRegQword, "\x01\0\0\0\0\0\0\0"s}},
        {Any, s, "Gone", kStatusNotFound, {}},
        {Any, s, "Bad", kStatusNotFound, {}},
        {Any, s, "LAZY", 0, {kRegSz, "second\0"s}},
        {Regedit4, s, "Multi8", 0, {kRegMultiSz, "a\0b\0\0"s}},
        // As the A calls give them: Windows-1252, '?' for what it cannot hold.
        {Version5, s, "NoEnd16", 0, {kRegSz, "ab"}},
        {Version5, s, "Multi16", 0, {kRegMultiSz, "a\0b\0\0"s}},
        {Utf16, s, "CAF\xC9", 0, {kRegSz, "Snow ? for 5\x80\0"s}},
        {Utf16, s, "?", kStatusNotFound, {}},
        {Any, s + "\\Deep", nullptr, 0, {}},
        {Any, s + "\\Deep\\Deeper", "x", 0, dword(2)},
        {Any, s + "\\Deep\\Deeper", "y", kStatusNotFound, {}},
        {Any, "Software\\Doomed\\Child", nullptr, kStatusNotFound, {}},
    };
    for (const RegForm& form : {kRegedit4, kVersion5, kVersion5Lf, kVersion5Cr}) {
        TempDir dir;
        auto store = loaded(dir / "r.reg", syntax, &form);
        for (const auto& c : cases) {
            if (!(c.forms & (form.header == kRegedit4.header ? Regedit4 : form.utf16 ? Version5 | Utf16 : Version5)))
                continue;
            EXPECT_EQ(get(*store, c.key, c.name), std::pair(c.status, c.value)) << form.name << ": " << c.key;
        }
    }
    // Found by fuzz_reg_file: a missing key of a registry with no file, or an
    // empty one, was looked up outside the key index.
    for (const char* bytes : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
        TempDir dir;
        if (bytes)
            writeBytes(dir / "r.reg", bytes);
        EXPECT_EQ(get(*loaded(dir / "r.reg"), "Software\\Missing", nullptr).first, kStatusNotFound);
    }
}

// Every other byte of the file stays: comments, order, encoding, line ends,
// and values no plain form could hold.
TEST(RegFileStore, RewriteChangesOnlyTheLinesOfTheValueWritten)
{
    const std::string body = "; keep me\n[HKEY_LOCAL_MACHINE\\" + kDefault
        + "]\n\"NoEnd\"=hex(1):61,62\n\"Long\"=hex(4):2c,01,00,00,00,00,00,00\n"
          "\"MemClock\"=dword:0000012c ; stock\n\"None\"=hex(0):\n\"GrfxClock\"=\"120\"\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"x\"=dword:00000001\n\n";
    auto with = [&](std::string_view from, std::string_view to) {
        return std::string(body).replace(body.find(from), from.size(), to);
    };
    const struct {
        std::string key;
        const char* name; // null: the key is only made
        StoredValue stored;
        std::string expected;
    } cases[] = {
        {kDefault, "memclock", dword(350), with("dword:0000012c ; stock", "dword:0000015e ; stock")},
        {kDefault, "GrfxClock", dword(135), with("\"GrfxClock\"=\"120\"", "\"GrfxClock\"=dword:00000087")},
        {kDefault, "Added", dword(7), with("\"120\"\n", "\"120\"\n\"Added\"=dword:00000007\n")},
        {"Software", "v", {kRegSz, "1\0"s}, body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\n"},
        {"Software\\New", nullptr, {}, body + "[HKEY_LOCAL_MACHINE\\Software\\New]\n\n"},
    };
    for (const RegForm& form : {kRegedit4, kVersion5, kVersion5Lf}) {
        for (const auto& c : cases) {
            TempDir dir;
            auto store = loaded(dir / "r.reg", body, &form);
            if (c.name)
                EXPECT_EQ(putRaw(*store, c.key, c.name, c.stored), 0);
            else
                CreateNewKey(*store, c.key, kHKeyLocalMachine);
            EXPECT_EQ(readBytes(dir / "r.reg"), regFile(c.expected, form)) << form.name << ": " << c.key;
        }
    }
    TempDir dir; // a registry without a file gets a regedit version 5 export
    ASSERT_EQ(putRaw(*loaded(dir / "new.reg"), "Software\\T", "MemClock", dword(300)), 0);
    EXPECT_EQ(readBytes(dir / "new.reg"), regFile("[HKEY_LOCAL_MACHINE\\Software\\T]\n\"MemClock\"=dword:0000012c\n\n", kVersion5));
}

TEST(RegFileStore, EveryValueReadsBackExactlyAsWritten)
{
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back(static_cast<char>(i * 7));
    const StoredValue values[] = {{kRegSz, "ab"}, {kRegSz, ""}, {kRegSz, "a\0b\0"s}, {kRegSz, "two\r\nlines\0"s},
        {kRegSz, "C:\\\"q\"\0"s}, {kRegSz, "\xE9\x80\x81\0"s}, dword(7), {kRegDword, dwordBytes(7) + dwordBytes(0)},
        {kRegBinary, ""}, {kRegBinary, hundred}, {kRegExpandSz, "%x%\0"s}, {kRegMultiSz, "a\0b\0\0"s},
        {kRegNone, ""}, {0x12345, "\x01"}};
    for (const RegForm& form : {kRegedit4, kVersion5}) {
        TempDir dir;
        auto writer = loaded(dir / "r.reg", "", &form);
        for (std::size_t i = 0; i < std::size(values); ++i)
            ASSERT_EQ(putRaw(*writer, "Software\\Values", "V" + std::to_string(i), values[i]), 0);
        auto reader = loaded(dir / "r.reg");
        for (std::size_t i = 0; i < std::size(values); ++i)
            for (RegFileStore* store : {writer.get(), reader.get()})
                EXPECT_EQ(get(*store, "Software\\Values", ("V" + std::to_string(i)).c_str()), std::pair(0, values[i]))
                    << form.name << " " << i;
    }
}

TEST(RegFileStore, RefusesWhatIsNoRegistryFileAndLeavesItAlone)
{
    const struct {
        std::string bytes;
        int line;
        const char* reason;
    } cases[] = {
        {"REGEDIT5\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", 1,
         "not a registry file (the first line must be \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\")"},
        {"\r\nREGEDIT4\r\n", 1, "not a registry file"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", 1, "UTF-8"},
        {regFile("[HKEY_LOCAL_MACHINE\\X]\n", kVersion5) + "[", 4, "middle of a UTF-16 character"},
        {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"b\"=hex:01,\\\r\n\r\n; end\r\n", 4,
         "runs on to the end of the file"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeBytes(dir / "r.reg", c.bytes);
        RegFileStore store(dir / "r.reg");
        EXPECT_FALSE(store.load());
        const std::string message = store.loadError().message();
        EXPECT_EQ(message.find("\"" + (dir / "r.reg").string() + "\", line " + std::to_string(c.line) + ": "), 0u);
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        // Every call is refused, and nothing is written.
        RegHandle h = 7;
        std::uint32_t size = 4;
        std::uint8_t data[4] = {};
        EXPECT_EQ(get(store, "X", nullptr).first, kStatusBadDb);
        EXPECT_EQ(store.RegCreateKeyExA(kHKeyLocalMachine, "Y", 0, nullptr, 0, 0, nullptr, &h, nullptr), kStatusBadDb);
        EXPECT_EQ(store.RegSetValueExA(kHKeyLocalMachine, "v", 0, kRegBinary, data, 4), kStatusBadDb);
        EXPECT_EQ(store.RegQueryValueExA(kHKeyLocalMachine, "v", nullptr, nullptr, data, &size), kStatusBadDb);
        EXPECT_EQ(store.RegCloseKey(kHKeyLocalMachine), kStatusBadDb);
        EXPECT_EQ(readBytes(dir / "r.reg"), c.bytes);
    }
}

TEST(RegFileStore, StatusesAndHandlesAsWindowsGivesThem)
{
    TempDir dir;
    fs::copy_file(samplePath("one-adapter.reg"), dir / "r.reg");
    auto store = loaded(dir / "r.reg");
    RegFileStore& s = *store;
    RegHandle h = 0, h2 = 0, other = 0;
    ASSERT_EQ(s.RegOpenKeyExA(kHKeyLocalMachine, kDefault.substr(0, kDefault.size() - 8).c_str(), 0, 0, &h), 0);
    ASSERT_EQ(s.RegOpenKeyExA(h, "default", 0, kKeyAccessMask, &h2), 0);
    EXPECT_NE(h, h2);
    EXPECT_LT(h | h2, 0x80000000u);
    std::uint32_t type = 0, size = 0, zero = 0, disposition = 0;
    std::uint8_t buf[32] = {};
    auto query = [&](RegHandle key, const char* name, std::uint32_t* reserved, std::uint8_t* data, std::uint32_t* n) {
        return [=, &s, &type] { return s.RegQueryValueExA(key, name, reserved, &type, data, n); };
    };
    auto create = [&](const char* path) {
        return [=, &s, &other, &disposition] {
            return s.RegCreateKeyExA(h2, path, 0, nullptr, 0, kKeyAccessMask, nullptr, &other, &disposition);
        };
    };
    const struct {
        const char* call;
        std::uint32_t offered; // *lpcbData before the call
        std::function<std::int32_t()> run;
        std::int32_t status;
        std::uint32_t size; // and after it
        std::uint32_t disposition = 0;
        bool zeroHandle = false; // a failed open or create gives the 0 handle
    } cases[] = {
        {"open a missing key", 0, [&] { return s.RegOpenKeyExA(h, "Missing", 0, 0, &other); }, 2, 0, 0, true},
        {"probe", 0, query(h, "ProviderName", nullptr, nullptr, &size), 0, 14},
        {"buffer too small", 4, query(h, "ProviderName", nullptr, buf, &size), kStatusMoreData, 14},
        {"read", 32, query(h, "providername", nullptr, buf, &size), 0, 14},
        {"reserved set", 0, query(h, "ProviderName", &zero, nullptr, &size), 87, 0},
        {"data without its size", 0, query(h, "ProviderName", nullptr, buf, nullptr), 87, 0},
        {"set on 0", 0, [&] { return s.RegSetValueExA(0, "v", 0, kRegDword, buf, 4); }, 6, 0},
        {"set without data", 0, [&] { return s.RegSetValueExA(h2, "v", 0, kRegDword, nullptr, 4); }, 87, 0},
        {"open on an unknown handle", 0, [&] { return s.RegOpenKeyExA(12345, "x", 0, 0, &other); }, 6, 0, 0, true},
        {"create an existing key", 0, create(""), 0, 0, 2},
        {"create a key and its parent", 0, create("New\\Deeper"), 0, 0, 1},
        // Found by fuzz_reg_file: a path ending in an empty name was made, and
        // written under, but could never be opened again.
        {"create a path ending in an empty name", 0, create("Lost\\\\"), 87, 0, 0, true},
        {"open a path ending in an empty name", 0, [&] { return s.RegOpenKeyExA(h2, "New\\\\", 0, 0, &other); }, 87, 0, 0, true},
        {"one trailing backslash names the key", 0, create("Kept\\"), 0, 0, 1},
        {"close 0", 0, [&] { return s.RegCloseKey(0); }, 6, 0},
        {"close", 0, [&] { return s.RegCloseKey(h); }, 0, 0},
        {"close again", 0, [&] { return s.RegCloseKey(h); }, 6, 0},
        {"query a closed handle", 0, query(h, "ProviderName", nullptr, nullptr, &size), 6, 0},
    };
    for (const auto& c : cases) {
        size = c.offered;
        other = 77;
        disposition = 0;
        EXPECT_EQ(c.run(), c.status) << c.call;
        EXPECT_EQ(std::tuple(size, disposition, other == 0), std::tuple(c.size, c.disposition, c.zeroHandle)) << c.call;
    }
    EXPECT_EQ(std::pair(type, std::string(reinterpret_cast<char*>(buf), 14)), std::pair(kRegSz, "Creative Labs\0"s));
    auto later = loaded(dir / "r.reg");
    for (const auto& [key, status] : {std::pair("New\\Deeper", 0), {"Kept", 0}, {"Lost", kStatusNotFound}})
        EXPECT_EQ(get(*later, kDefault + "\\" + key, nullptr).first, status) << key;
}

#ifndef _WIN32
// Another program that rewrites the file in place and shortens it must not
// leave the store reading a mapping with nothing behind it.
TEST(RegFileStore, FileShortenedInPlaceIsReadAgain)
{
    TempDir dir;
    fs::copy_file(samplePath("one-adapter.reg"), dir / "r.reg");
    auto store = loaded(dir / "r.reg");
    writeBytes(dir / "r.reg", regedit4("[HKEY_LOCAL_MACHINE\\" + kDefault + "]\n\"MemClock\"=dword:00000001\n"));
    EXPECT_EQ(get(*store, kDefault, "MemClock"), std::pair(0, dword(1)));
    EXPECT_EQ(get(*store, kDefault, "GrfxClock").first, kStatusNotFound);
}

TEST(RegFileStore, TwoProcessesWritingAtOnceLoseNothing)
{
    TempDir dir;
    fs::copy_file(samplePath("one-adapter.reg"), dir / "r.reg");
    auto writeAll = [&](const char* prefix) {
        RegFileStore store(dir / "r.reg");
        int failures = store.load() ? 0 : 1;
        for (std::uint32_t i = 0; i < 15; ++i)
            failures += putRaw(store, kDefault, prefix + std::to_string(i), dword(i)) != 0;
        return failures;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(writeAll("Child"));
    EXPECT_EQ(writeAll("Parent"), 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto fresh = loaded(dir / "r.reg");
    for (const char* prefix : {"Child", "Parent"})
        for (std::uint32_t i = 0; i < 15; ++i)
            EXPECT_EQ(get(*fresh, kDefault, (prefix + std::to_string(i)).c_str()), std::pair(0, dword(i)));
}

TEST(RegFileStore, DefaultPathFollowsTheEnvironment)
{
    // TAVREL_REGISTRY, XDG_DATA_HOME (null: unset) and the path they give with HOME=/h.
    const char* const cases[][3] = {{"/r/my.reg", "/x", "/r/my.reg"}, {nullptr, "/x", "/x/tavrel/registry.reg"},
        {"", "", "/h/.local/share/tavrel/registry.reg"}, {nullptr, "rel", "/h/.local/share/tavrel/registry.reg"}};
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/h", 1);
    for (const auto& c : cases) {
        c[0] ? ::setenv("TAVREL_REGISTRY", c[0], 1) : ::unsetenv("TAVREL_REGISTRY");
        c[1] ? ::setenv("XDG_DATA_HOME", c[1], 1) : ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(defaultRegistryPath(), fs::path(c[2]));
    }
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("TAVREL_REGISTRY");
    ::unsetenv("XDG_DATA_HOME");
}
#endif
