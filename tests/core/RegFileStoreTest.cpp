// The .reg file store: regedit's syntax in both encodings, rewrites that
// change only the value written, writes that fail without a trace, two
// writers on one file, refused files and the statuses of the five calls.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "ProgramState.h"
#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/RegistryFixture.h"
#include "support/TempDir.h"

using namespace tavrel;
using namespace std::string_literals;
using test::getRaw;
using test::putRaw;
using test::StoredValue;

namespace {

namespace fs = std::filesystem;

const std::string kDefault = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";

// A file form: first line, UTF-16 or 8-bit Windows-1252 text, line end.
struct Form {
    const char* name;
    const char* header;
    bool utf16;
    const char* eol;
};

const Form kRegedit4 { "REGEDIT4, CR LF", "REGEDIT4", false, "\r\n" };
const Form kVersion5 { "version 5, UTF-16, CR LF", "Windows Registry Editor Version 5.00", true, "\r\n" };
const Form kVersion5Lf { "version 5, 8-bit, LF", "Windows Registry Editor Version 5.00", false, "\n" };
const Form kVersion5Cr { "version 5, UTF-16, CR", "Windows Registry Editor Version 5.00", true, "\r" };

// The bytes of a file whose text is given in UTF-8 with "\n" line ends.
std::string encode(std::string_view utf8, bool utf16, std::string_view eol)
{
    std::string out = utf16 ? "\xFF\xFE" : "";
    auto put = [&](char32_t u) {
        if (utf16)
            out += { static_cast<char>(u & 0xFF), static_cast<char>(u >> 8) };
        else
            out += u == U'€' ? '\x80' : static_cast<char>(u);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i++]);
        const int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t u = extra ? c & (0x3F >> extra) : c;
        for (int k = 0; k < extra; ++k)
            u = u << 6 | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
        if (u != '\n') {
            put(u);
            continue;
        }
        for (const char e : eol)
            put(static_cast<unsigned char>(e));
    }
    return out;
}

std::string fileOf(const Form& f, std::string_view body)
{
    return encode(std::string(f.header) + "\n\n" + std::string(body), f.utf16, f.eol);
}

std::string le32(std::uint32_t n)
{
    return { static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
        static_cast<char>(n >> 24) };
}

std::unique_ptr<RegFileStore> loaded(const fs::path& file, FaultHook hook = {})
{
    auto store = std::make_unique<RegFileStore>(file, std::move(hook));
    EXPECT_TRUE(store->load()) << store->loadError().message();
    return store;
}

// A copy of the one-adapter sample (MemClock 300) in the folder.
fs::path sampleIn(const test::TempDir& dir)
{
    fs::copy_file(test::samplePath("one-adapter.reg"), dir / "registry.reg");
    return dir / "registry.reg";
}

StoredValue dword(std::uint32_t n)
{
    return { kRegDword, le32(n) };
}

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

const char* const kSyntax = R"(; exported for the tests
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
"Later"="first"

[HKLM\SOFTWARE\syntax]
"later"="second"

[HKEY_LOCAL_MACHINE\Software\Syntax\Deep\Deeper]
"x"=dword:00000002
[HKEY_NOWHERE\Bar]
"y"="not in Deeper"

[HKEY_LOCAL_MACHINE\Software\Doomed\Child]
"x"="y"

[-HKEY_LOCAL_MACHINE\Software\Doomed]
)";

} // namespace

TEST(RegFileStore, ReadsEverySyntaxFormInEveryEncoding)
{
    const std::string syntax = "Software\\Syntax";
    const struct {
        std::string key;
        const char* name; // null: the key is only opened
        std::int32_t status;
        StoredValue value;
    } cases[] = {
        { syntax, "", 0, { kRegSz, "default\0"s } },
        { syntax, "Plain", 0, { kRegSz, "C:\\path \"quoted\" \xE9\0"s } },
        { syntax, "Dword", 0, dword(300) },
        { syntax, "Indented", 0, dword(1) },
        { syntax, "Binary", 0, { kRegBinary, "\x01\x02\x03\x04" } },
        { syntax, "Empty", 0, { kRegBinary, "" } },
        { syntax, "Qword", 0, { kRegQword, "\x01\0\0\0\0\0\0\0"s } },
        { syntax, "Gone", kStatusNotFound, {} },
        { syntax, "Bad", kStatusNotFound, {} },
        { syntax, "LATER", 0, { kRegSz, "second\0"s } },
        { syntax + "\\Deep", nullptr, 0, {} },
        { syntax + "\\Deep\\Deeper", "x", 0, dword(2) },
        { syntax + "\\Deep\\Deeper", "y", kStatusNotFound, {} },
        { "Software\\Doomed", nullptr, kStatusNotFound, {} },
        { "Software\\Doomed\\Child", nullptr, kStatusNotFound, {} },
    };
    for (const Form& form : { kRegedit4, kVersion5, kVersion5Lf, kVersion5Cr }) {
        SCOPED_TRACE(form.name);
        test::TempDir dir;
        test::writeBytes(dir / "r.reg", fileOf(form, kSyntax));
        auto store = loaded(dir / "r.reg");
        for (const auto& c : cases) {
            std::int32_t status = 0;
            if (c.name) {
                EXPECT_EQ(getRaw(*store, c.key, c.name, status), c.value) << c.key << " / " << c.name;
            } else {
                RegHandle h = 0;
                status = store->RegOpenKeyExA(kHKeyLocalMachine, c.key.c_str(), 0, kKeyAccessMask, &h);
                store->RegCloseKey(h);
            }
            EXPECT_EQ(status, c.status) << c.key << " / " << (c.name ? c.name : "(open)");
        }
    }
}

// Names and text come as the A functions give them: Windows-1252, '?' for
// what it cannot hold; string types stored as UTF-16 come converted.
TEST(RegFileStore, GivesTheAnsiViewOfWideText)
{
    const char* const wide = "[HKEY_LOCAL_MACHINE\\Software\\Wide]\n\"Café\"=\"Snow ☃ for 5€\"\n"
                             "\"NoEnd\"=hex(1):61,00,62,00\n\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                             "\"☃\"=dword:00000001\n";
    const struct {
        const Form& form;
        const char* body;
        const char* name;
        StoredValue value; // none: not found
    } cases[] = {
        { kVersion5, wide, "Caf\xE9", { kRegSz, "Snow ? for 5\x80\0"s } },
        { kVersion5, wide, "NoEnd", { kRegSz, "ab" } },
        { kVersion5, wide, "Multi", { kRegMultiSz, "a\0b\0\0"s } },
        { kVersion5, wide, "?", {} },
        { kRegedit4, "[HKEY_LOCAL_MACHINE\\Software\\Wide]\n\"Multi\"=hex(7):61,00,62,00,00\n", "Multi",
            { kRegMultiSz, "a\0b\0\0"s } },
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::writeBytes(dir / "r.reg", fileOf(c.form, c.body));
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*loaded(dir / "r.reg"), "Software\\Wide", c.name, status), c.value) << c.name;
        EXPECT_EQ(status, c.value.type ? 0 : kStatusNotFound) << c.name;
    }
}

// Every other byte of the file stays: comments, order, encoding, line ends,
// and values no plain form could hold.
TEST(RegFileStore, RewriteChangesOnlyTheLinesOfTheValueWritten)
{
    const std::string body = "; keep me\n[HKEY_LOCAL_MACHINE\\" + kDefault
        + "]\n\"NoEnd\"=hex(1):61,62\n\"Zero\"=hex(1):\n\"Long\"=hex(4):2c,01,00,00,00,00,00,00\n"
          "\"MemClock\"=dword:0000012c ; stock\n\"None\"=hex(0):\n\"GrfxClock\"=\"120\"\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"x\"=dword:00000001\n\n";
    const struct {
        const char* name;
        std::string key;
        const char* value;
        std::optional<StoredValue> stored; // none: the key is only made
        std::string expected;
    } cases[] = {
        { "a value rewritten", kDefault, "memclock", dword(350),
            replaced(body, "dword:0000012c ; stock", "dword:0000015e ; stock") },
        { "a text turned into a number", kDefault, "GrfxClock", dword(135),
            replaced(body, "\"GrfxClock\"=\"120\"", "\"GrfxClock\"=dword:00000087") },
        { "a new value in the key's last section", kDefault, "Added", dword(7),
            replaced(body, "\"120\"\n", "\"120\"\n\"Added\"=dword:00000007\n") },
        { "a value in a key only implied", "Software", "v", StoredValue { kRegSz, "1\0"s },
            body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\n" },
        { "a new key", "Software\\New", "", std::nullopt, body + "[HKEY_LOCAL_MACHINE\\Software\\New]\n\n" },
    };
    for (const Form& form : { kRegedit4, kVersion5, kVersion5Lf }) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(form.name) + ": " + c.name);
            test::TempDir dir;
            test::writeBytes(dir / "r.reg", fileOf(form, body));
            auto store = loaded(dir / "r.reg");
            if (c.stored)
                EXPECT_EQ(putRaw(*store, c.key, c.value, *c.stored), 0);
            else
                CreateNewKey(*store, c.key, kHKeyLocalMachine);
            EXPECT_EQ(test::readBytes(dir / "r.reg"), fileOf(form, c.expected));
        }
    }
}

TEST(RegFileStore, EveryValueReadsBackExactlyAsWritten)
{
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back(static_cast<char>(i * 7));
    const StoredValue values[] = { { kRegSz, "ab" }, { kRegSz, "" }, { kRegSz, "a\0b\0"s },
        { kRegSz, "two\r\nlines\0"s }, { kRegSz, "C:\\\"q\"\0"s }, { kRegSz, "\xE9\x80\x81\0"s }, dword(7),
        { kRegDword, le32(7) + le32(0) }, { kRegBinary, "" }, { kRegBinary, hundred }, { kRegExpandSz, "%x%\0"s },
        { kRegMultiSz, "a\0b\0\0"s }, { kRegNone, "" }, { 0x12345, "\x01" } };
    for (const Form& form : { kRegedit4, kVersion5 }) {
        SCOPED_TRACE(form.name);
        test::TempDir dir;
        test::writeBytes(dir / "r.reg", fileOf(form, ""));
        auto writer = loaded(dir / "r.reg");
        for (std::size_t i = 0; i < std::size(values); ++i)
            ASSERT_EQ(putRaw(*writer, "Software\\Values", "V" + std::to_string(i), values[i]), 0);
        auto reader = loaded(dir / "r.reg");
        for (std::size_t i = 0; i < std::size(values); ++i) {
            for (RegFileStore* store : { writer.get(), reader.get() }) {
                std::int32_t status = 0;
                EXPECT_EQ(getRaw(*store, "Software\\Values", "V" + std::to_string(i), status), values[i]) << i;
                EXPECT_EQ(status, 0);
            }
        }
    }
}

TEST(RegFileStore, NewFileIsARegeditVersion5Export)
{
    test::TempDir dir;
    ASSERT_EQ(putRaw(*loaded(dir / "new.reg"), "Software\\Tavrel", "MemClock", dword(300)), 0);
    EXPECT_EQ(test::readBytes(dir / "new.reg"),
        fileOf(kVersion5, "[HKEY_LOCAL_MACHINE\\Software\\Tavrel]\n\"MemClock\"=dword:0000012c\n\n"));
}

// Each step between the lock and the rename fails in turn; the file and the
// store stay as they were, and the error names the file and the reason.
TEST(RegFileStore, FailedWriteLeavesFileAndStoreAsTheyWere)
{
    const struct {
        FileStep step;
        std::errc reason;
        std::int32_t status;
    } cases[] = {
        { FileStep::Lock, std::errc::no_lock_available, kStatusLockViolation },
        { FileStep::CreateTemp, std::errc::permission_denied, kStatusAccessDenied },
        { FileStep::Write, std::errc::no_space_on_device, kStatusDiskFull },
        { FileStep::Flush, std::errc::io_error, kStatusWriteFault },
        { FileStep::Rename, std::errc::read_only_file_system, kStatusAccessDenied },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fileStepName(c.step));
        test::TempDir dir;
        const fs::path file = sampleIn(dir);
        const std::string before = test::readBytes(file);
        bool failing = true;
        auto store = loaded(file, [&](FileStep step, const fs::path&) {
            return failing && step == c.step ? std::make_error_code(c.reason) : std::error_code {};
        });
        ProgramState state(*store, test::presetFileIn(dir.path()));
        EXPECT_EQ(SetKeyValue(state, kDefault, "MemClock", LooseValue(std::int32_t { 350 }), kRegDword), c.status);
        RegHandle h = 0;
        EXPECT_EQ(store->RegCreateKeyExA(
                      kHKeyLocalMachine, "Software\\New", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, nullptr),
            c.status);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(test::readBytes(file), before);
        const std::string message = store->lastWriteError().message();
        EXPECT_NE(message.find(file.string()), std::string::npos) << message;
        EXPECT_NE(message.find(std::make_error_code(c.reason).message()), std::string::npos) << message;
        QueryValue(state, kDefault, "MemClock");
        EXPECT_EQ(state.QueryValueResult, LooseValue(std::int32_t { 300 }));
        QueryValue(state, "Software\\New", "x");
        EXPECT_EQ(state.QueryValueStatus, kStatusInvalidHandle) << "the key exists in memory";

        failing = false; // nothing left behind stands in the way of the next write
        EXPECT_EQ(SetKeyValue(state, kDefault, "MemClock", LooseValue(std::int32_t { 350 }), kRegDword), 0);
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*loaded(file), kDefault, "MemClock", status), dword(350));
    }

    // A file in a folder that cannot exist (its parent is a file).
    test::TempDir dir;
    test::writeBytes(dir / "plain", "not a folder");
    auto store = loaded(dir / "plain" / "registry.reg");
    EXPECT_NE(putRaw(*store, "Software\\New", "v", dword(1)), 0);
    EXPECT_EQ(store->lastWriteError().path, dir / "plain" / "registry.reg");
    EXPECT_EQ(test::readBytes(dir / "plain"), "not a folder");
}

#ifndef _WIN32
// Another program that rewrites the file in place and shortens it must not
// leave the store reading a mapping with nothing behind it. (Windows builds
// read the file into memory.)
TEST(RegFileStore, FileShortenedInPlaceIsReadAgain)
{
    test::TempDir dir;
    const fs::path file = sampleIn(dir);
    auto store = loaded(file);
    test::writeBytes(
        file, fileOf(kRegedit4, "[HKEY_LOCAL_MACHINE\\" + kDefault + "]\n\"MemClock\"=dword:00000001\n"));
    std::int32_t status = 0;
    EXPECT_EQ(getRaw(*store, kDefault, "MemClock", status), dword(1));
    EXPECT_EQ(getRaw(*store, kDefault, "GrfxClock", status), StoredValue {});
    EXPECT_EQ(status, kStatusNotFound);
}

TEST(RegFileStore, TwoProcessesWritingAtOnceLoseNothing)
{
    test::TempDir dir;
    const fs::path file = sampleIn(dir);
    constexpr std::uint32_t kWrites = 15;
    auto writeAll = [&](const char* prefix) {
        RegFileStore store(file);
        int failures = store.load() ? 0 : 1;
        for (std::uint32_t i = 0; i < kWrites; ++i)
            failures += putRaw(store, kDefault, prefix + std::to_string(i), dword(i)) != 0;
        return failures;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(writeAll("Child") == 0 ? 0 : 1);
    EXPECT_EQ(writeAll("Parent"), 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto fresh = loaded(file);
    for (const char* prefix : { "Child", "Parent" })
        for (std::uint32_t i = 0; i < kWrites; ++i)
            EXPECT_EQ(getRaw(*fresh, kDefault, prefix + std::to_string(i), status), dword(i)) << prefix << i;
}
#endif

TEST(RegFileStore, RefusesWhatIsNoRegistryFileAndLeavesItAlone)
{
    const struct {
        const char* name;
        std::string bytes;
        int line;
        const char* reason;
    } cases[] = {
        { "unknown first line", "REGEDIT5\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", 1,
            "not a registry file (the first line must be \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\")" },
        { "blank first line", "\r\nREGEDIT4\r\n", 1, "not a registry file" },
        { "UTF-8", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", 1, "UTF-8" },
        { "UTF-16 cut inside a character", fileOf(kVersion5, "[HKEY_LOCAL_MACHINE\\X]\n") + "[", 4,
            "middle of a UTF-16 character" },
        { "hex data open at the end", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"b\"=hex:01,\\\r\n\r\n; end\r\n",
            4, "runs on to the end of the file" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path file = dir / "registry.reg";
        test::writeBytes(file, c.bytes);
        RegFileStore store(file);
        EXPECT_FALSE(store.load());
        EXPECT_EQ(store.loadError().path, file);
        EXPECT_EQ(store.loadError().line, c.line);
        EXPECT_NE(store.loadError().reason.find(c.reason), std::string::npos) << store.loadError().reason;
        // Every call is refused, and nothing is written.
        RegHandle h = 7;
        std::uint32_t size = 4;
        std::uint8_t data[4] = {};
        EXPECT_EQ(store.RegOpenKeyExA(kHKeyLocalMachine, "X", 0, kKeyAccessMask, &h), kStatusBadDb);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(store.RegCreateKeyExA(kHKeyLocalMachine, "Y", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, nullptr),
            kStatusBadDb);
        EXPECT_EQ(store.RegSetValueExA(kHKeyLocalMachine, "v", 0, kRegBinary, data, 4), kStatusBadDb);
        EXPECT_EQ(store.RegQueryValueExA(kHKeyLocalMachine, "v", nullptr, nullptr, data, &size), kStatusBadDb);
        EXPECT_EQ(store.RegCloseKey(kHKeyLocalMachine), kStatusBadDb);
        EXPECT_EQ(test::readBytes(file), c.bytes);
    }
}

TEST(RegFileStore, StatusesAndHandlesAsWindowsGivesThem)
{
    test::TempDir dir;
    auto store = loaded(sampleIn(dir));
    RegFileStore& s = *store;
    const std::string adapter = "System\\CurrentControlSet\\Services\\Class\\Display\\0000";
    RegHandle h = 0, h2 = 0;
    ASSERT_EQ(s.RegOpenKeyExA(kHKeyLocalMachine, adapter.c_str(), 0, kKeyAccessMask, &h), 0);
    ASSERT_EQ(s.RegOpenKeyExA(h, "default", 0, kKeyAccessMask, &h2), 0);
    EXPECT_NE(h, 0u);
    EXPECT_NE(h, h2);
    EXPECT_LT(h | h2, 0x80000000u);

    std::uint32_t type = 0, size = 0, zero = 0;
    std::uint8_t buf[32] = {};
    RegHandle missing = 77;
    auto query = [&](RegHandle key, const char* name, std::uint32_t* reserved, std::uint8_t* data, std::uint32_t* n) {
        return [=, &s, &type] { return s.RegQueryValueExA(key, name, reserved, &type, data, n); };
    };
    const struct {
        const char* call;
        std::uint32_t offered; // *lpcbData before the call
        std::function<std::int32_t()> run;
        std::int32_t status;
        std::uint32_t size; // and after it
    } cases[] = {
        { "open a missing key", 0, [&] { return s.RegOpenKeyExA(h, "Missing", 0, kKeyAccessMask, &missing); }, 2, 0 },
        { "probe", 0, query(h, "ProviderName", nullptr, nullptr, &size), 0, 14 },
        { "buffer too small", 4, query(h, "ProviderName", nullptr, buf, &size), kStatusMoreData, 14 },
        { "read", 32, query(h, "providername", nullptr, buf, &size), 0, 14 },
        { "reserved set", 0, query(h, "ProviderName", &zero, nullptr, &size), 87, 0 },
        { "data without its size", 0, query(h, "ProviderName", nullptr, buf, nullptr), 87, 0 },
        { "set on 0", 0, [&] { return s.RegSetValueExA(0, "v", 0, kRegDword, buf, 4); }, 6, 0 },
        { "set without data", 0, [&] { return s.RegSetValueExA(h2, "v", 0, kRegDword, nullptr, 4); }, 87, 0 },
        { "open on an unknown handle", 0, [&] { return s.RegOpenKeyExA(12345, "x", 0, kKeyAccessMask, &missing); }, 6,
            0 },
        { "close 0", 0, [&] { return s.RegCloseKey(0); }, 6, 0 },
        { "close", 0, [&] { return s.RegCloseKey(h); }, 0, 0 },
        { "close again", 0, [&] { return s.RegCloseKey(h); }, 6, 0 },
        { "query a closed handle", 0, query(h, "ProviderName", nullptr, nullptr, &size), 6, 0 },
    };
    for (const auto& c : cases) {
        size = c.offered;
        EXPECT_EQ(c.run(), c.status) << c.call;
        EXPECT_EQ(size, c.size) << c.call;
    }
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 14), "Creative Labs\0"s);

    // Create: an existing key is opened, a new one is made and saved.
    std::uint32_t disposition = 0;
    EXPECT_EQ(s.RegCreateKeyExA(h2, "", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, &disposition), 0);
    EXPECT_EQ(disposition, 2u);
    EXPECT_EQ(s.RegCreateKeyExA(h2, "New\\Deeper", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, &disposition), 0);
    EXPECT_EQ(disposition, 1u);
    EXPECT_EQ(loaded(dir / "registry.reg")
                  ->RegOpenKeyExA(kHKeyLocalMachine, (adapter + "\\DEFAULT\\New").c_str(), 0, kKeyAccessMask, &h),
        0);
}

#ifndef _WIN32
TEST(RegFileStore, DefaultPathFollowsTheEnvironment)
{
    const char* const names[] = { "TAVREL_REGISTRY", "XDG_DATA_HOME", "HOME" };
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;
    // The three variables in that order (null: unset), and the path they give.
    const char* const cases[][4] = {
        { "/r/my.reg", "/x", "/h", "/r/my.reg" },
        { nullptr, "/x", "/h", "/x/tavrel/registry.reg" },
        { "", "", "/h", "/h/.local/share/tavrel/registry.reg" },
        { nullptr, "relative", "/h", "/h/.local/share/tavrel/registry.reg" },
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i)
            c[i] ? ::setenv(names[i], c[i], 1) : ::unsetenv(names[i]);
        EXPECT_EQ(defaultRegistryPath(), fs::path(c[3]));
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}
#endif
