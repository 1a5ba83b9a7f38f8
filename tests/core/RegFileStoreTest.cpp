// The .reg file store: regedit's syntax in both encodings, rewrites that
// change only the value written, writes that fail without a trace, two
// writers on one file, refused files and the statuses of the five calls.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "common/ProgramState.h"
#include "core/RegistryContract.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;
using namespace std::string_literals;
using test::getRaw;
using test::putRaw;
using test::StoredValue;

namespace {

namespace fs = std::filesystem;

const std::string kDefault = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";

enum class Text { Ansi, Utf16 };

// A file form: which first line, which encoding, which line end.
struct Form {
    const char* name;
    const char* header;
    Text text;
    const char* eol;
};

const Form kRegedit4{"REGEDIT4, CR LF", "REGEDIT4", Text::Ansi, "\r\n"};
const Form kVersion5{"version 5, UTF-16, CR LF", "Windows Registry Editor Version 5.00", Text::Utf16, "\r\n"};
const Form kVersion5Lf{"version 5, 8-bit, LF", "Windows Registry Editor Version 5.00", Text::Ansi, "\n"};
const Form kVersion5Cr{"version 5, UTF-16, CR", "Windows Registry Editor Version 5.00", Text::Utf16, "\r"};

// The bytes of a file whose text is given in UTF-8 with "\n" line ends.
std::string encode(std::string_view utf8, Text text, std::string_view eol)
{
    std::string out = text == Text::Utf16 ? "\xFF\xFE" : "";
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        char32_t u = c;
        const int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra)
            u = c & (extra == 2 ? 0x0F : 0x1F);
        for (int k = 1; k <= extra; ++k)
            u = u << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        const std::string piece = u == '\n' ? std::string(eol) : std::string(1, static_cast<char>(u));
        for (const char p : piece) {
            const char32_t unit = u == '\n' ? static_cast<unsigned char>(p) : u;
            if (text == Text::Utf16) {
                out.push_back(static_cast<char>(unit & 0xFF));
                out.push_back(static_cast<char>(unit >> 8));
            } else {
                out.push_back(unit == U'€' ? '\x80' : static_cast<char>(unit));
            }
        }
    }
    return out;
}

std::string fileOf(const Form& f, std::string_view body)
{
    return encode(std::string(f.header) + "\n\n" + std::string(body), f.text, f.eol);
}

std::string le32(std::uint32_t n)
{
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}

std::unique_ptr<RegFileStore> loaded(const fs::path& file, FaultHook hook = {})
{
    auto store = std::make_unique<RegFileStore>(file, std::move(hook));
    EXPECT_TRUE(store->load()) << store->loadError().message();
    return store;
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
        {syntax, "", 0, {kRegSz, "default\0"s}},
        {syntax, "Plain", 0, {kRegSz, "C:\\path \"quoted\" \xE9\0"s}},
        {syntax, "Dword", 0, {kRegDword, le32(300)}},
        {syntax, "Indented", 0, {kRegDword, le32(1)}},
        {syntax, "Binary", 0, {kRegBinary, "\x01\x02\x03\x04"}},
        {syntax, "Empty", 0, {kRegBinary, ""}},
        {syntax, "Qword", 0, {kRegQword, "\x01\0\0\0\0\0\0\0"s}},
        {syntax, "Gone", kStatusNotFound, {}},
        {syntax, "Bad", kStatusNotFound, {}},
        {syntax, "LATER", 0, {kRegSz, "second\0"s}},
        {syntax + "\\Deep", nullptr, 0, {}},
        {syntax + "\\Deep\\Deeper", "x", 0, {kRegDword, le32(2)}},
        {syntax + "\\Deep\\Deeper", "y", kStatusNotFound, {}},
        {"Software\\Doomed", nullptr, kStatusNotFound, {}},
        {"Software\\Doomed\\Child", nullptr, kStatusNotFound, {}},
    };
    for (const Form& form : {kRegedit4, kVersion5, kVersion5Lf, kVersion5Cr}) {
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
    const char* const wide = "[HKEY_LOCAL_MACHINE\\Software\\Wide]\n"
                             "\"Café\"=\"Snow ☃ for 5€\"\n"
                             "\"NoEnd\"=hex(1):61,00,62,00\n"
                             "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\n"
                             "\"☃\"=dword:00000001\n";
    const char* const narrow = "[HKEY_LOCAL_MACHINE\\Software\\Wide]\n\"Multi\"=hex(7):61,00,62,00,00\n";
    const struct {
        const Form& form;
        const char* body;
        const char* name;
        std::int32_t status;
        StoredValue value;
    } cases[] = {
        {kVersion5, wide, "Caf\xE9", 0, {kRegSz, "Snow ? for 5\x80\0"s}},
        {kVersion5, wide, "NoEnd", 0, {kRegSz, "ab"}},
        {kVersion5, wide, "Multi", 0, {kRegMultiSz, "a\0b\0\0"s}},
        {kVersion5, wide, "?", kStatusNotFound, {}},
        {kRegedit4, narrow, "Multi", 0, {kRegMultiSz, "a\0b\0\0"s}},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        test::writeBytes(dir / "r.reg", fileOf(c.form, c.body));
        auto store = loaded(dir / "r.reg");
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*store, "Software\\Wide", c.name, status), c.value) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
}

// Every other byte of the file stays: comments, order, encoding, line ends,
// and values no plain form could hold.
TEST(RegFileStore, RewriteChangesOnlyTheLinesOfTheValueWritten)
{
    const std::string body = "; keep me\n"
                             "[HKEY_LOCAL_MACHINE\\"
                             + kDefault
                             + "]\n"
                               "\"NoEnd\"=hex(1):61,62\n"
                               "\"Zero\"=hex(1):\n"
                               "\"Long\"=hex(4):2c,01,00,00,00,00,00,00\n"
                               "\"MemClock\"=dword:0000012c ; stock\n"
                               "\"None\"=hex(0):\n"
                               "\"GrfxClock\"=\"120\"\n"
                               "\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                               "\"x\"=dword:00000001\n"
                               "\n";
    const struct {
        const char* name;
        std::function<void(RegFileStore&)> change;
        std::string expected;
    } cases[] = {
        {"a value rewritten",
         [](RegFileStore& s) {
             ProgramState state(s, {});
             EXPECT_EQ(SetKeyValue(state, kDefault, "memclock", LooseValue(350.0), kRegDword), 0);
         },
         replaced(body, "dword:0000012c ; stock", "dword:0000015e ; stock")},
        {"a text turned into a number",
         [](RegFileStore& s) {
             ProgramState state(s, {});
             EXPECT_EQ(SetKeyValue(state, kDefault, "GrfxClock", LooseValue(std::int32_t{135}), kRegDword), 0);
         },
         replaced(body, "\"GrfxClock\"=\"120\"", "\"GrfxClock\"=dword:00000087")},
        {"a new value in the key's last section",
         [](RegFileStore& s) {
             EXPECT_EQ(putRaw(s, kDefault, "Added", {kRegDword, le32(7)}), 0);
         },
         replaced(body, "\"120\"\n", "\"120\"\n\"Added\"=dword:00000007\n")},
        {"a value in a key only implied",
         [](RegFileStore& s) {
             EXPECT_EQ(putRaw(s, "Software", "v", {kRegSz, "1\0"s}), 0);
         },
         body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\n"},
        {"a new key", [](RegFileStore& s) { CreateNewKey(s, "Software\\New", kHKeyLocalMachine); },
         body + "[HKEY_LOCAL_MACHINE\\Software\\New]\n\n"},
    };
    for (const Form& form : {kRegedit4, kVersion5, kVersion5Lf}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(form.name) + ": " + c.name);
            test::TempDir dir;
            test::writeBytes(dir / "r.reg", fileOf(form, body));
            auto store = loaded(dir / "r.reg");
            c.change(*store);
            EXPECT_EQ(test::readBytes(dir / "r.reg"), fileOf(form, c.expected));
        }
    }
}

TEST(RegFileStore, EveryValueReadsBackExactlyAsWritten)
{
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back(static_cast<char>(i * 7));
    const StoredValue values[] = {
        {kRegSz, "ab"},           {kRegSz, ""},
        {kRegSz, "a\0b\0"s},      {kRegSz, "two\r\nlines\0"s},
        {kRegSz, "C:\\\"q\"\0"s}, {kRegSz, "\xE9\x80\x81\0"s},
        {kRegDword, le32(7)},     {kRegDword, le32(7) + le32(0)},
        {kRegBinary, ""},         {kRegBinary, hundred},
        {kRegExpandSz, "%x%\0"s}, {kRegMultiSz, "a\0b\0\0"s},
        {kRegNone, ""},           {0x12345, "\x01"},
    };
    const struct {
        const char* name;
        std::optional<Form> existing; // none: a new file
    } files[] = {{"REGEDIT4 file", kRegedit4}, {"version 5 file", kVersion5}, {"new file", std::nullopt}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        test::TempDir dir;
        if (f.existing)
            test::writeBytes(dir / "r.reg", fileOf(*f.existing, ""));
        auto writer = loaded(dir / "r.reg");
        for (std::size_t i = 0; i < std::size(values); ++i)
            ASSERT_EQ(putRaw(*writer, "Software\\Values", "V" + std::to_string(i), values[i]), 0);
        auto reader = loaded(dir / "r.reg");
        for (std::size_t i = 0; i < std::size(values); ++i) {
            for (RegFileStore* store : {writer.get(), reader.get()}) {
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
    auto store = loaded(dir / "new.reg");
    ASSERT_EQ(putRaw(*store, "Software\\Tavrel", "MemClock", {kRegDword, le32(300)}), 0);
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
        {FileStep::Lock, std::errc::no_lock_available, kStatusLockViolation},
        {FileStep::CreateTemp, std::errc::permission_denied, kStatusAccessDenied},
        {FileStep::Write, std::errc::no_space_on_device, kStatusDiskFull},
        {FileStep::Flush, std::errc::io_error, kStatusWriteFault},
        {FileStep::Rename, std::errc::read_only_file_system, kStatusAccessDenied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fileStepName(c.step));
        test::TempDir dir;
        const fs::path file = dir / "registry.reg";
        fs::copy_file(test::samplePath("one-adapter.reg"), file);
        const std::string before = test::readBytes(file);
        bool failing = true;
        auto store = loaded(file, [&](FileStep step, const fs::path&) {
            return failing && step == c.step ? std::make_error_code(c.reason) : std::error_code{};
        });
        ProgramState state(*store, dir.path());
        EXPECT_EQ(SetKeyValue(state, kDefault, "MemClock", LooseValue(std::int32_t{350}), kRegDword), c.status);
        std::uint32_t disposition = 0;
        RegHandle h = 0;
        EXPECT_EQ(store->RegCreateKeyExA(kHKeyLocalMachine, "Software\\New", 0, nullptr, 0, kKeyAccessMask, nullptr,
                                         &h, &disposition),
                  c.status);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(test::readBytes(file), before);
        const std::string message = store->lastWriteError().message();
        EXPECT_NE(message.find(file.string()), std::string::npos) << message;
        EXPECT_NE(message.find(std::make_error_code(c.reason).message()), std::string::npos) << message;
        QueryValue(state, kDefault, "MemClock");
        EXPECT_EQ(state.QueryValueResult, LooseValue(std::int32_t{300}));
        QueryValue(state, "Software\\New", "x");
        EXPECT_EQ(state.QueryValueStatus, kStatusInvalidHandle) << "the key exists in memory";

        failing = false; // nothing left behind stands in the way of the next write
        EXPECT_EQ(SetKeyValue(state, kDefault, "MemClock", LooseValue(std::int32_t{350}), kRegDword), 0);
        std::int32_t status = 0;
        EXPECT_EQ(getRaw(*loaded(file), kDefault, "MemClock", status), (StoredValue{kRegDword, le32(350)}));
    }

    // A file in a folder that cannot exist (its parent is a file).
    test::TempDir dir;
    test::writeBytes(dir / "plain", "not a folder");
    auto store = loaded(dir / "plain" / "registry.reg");
    CreateNewKey(*store, "Software\\New", kHKeyLocalMachine);
    EXPECT_NE(putRaw(*store, "Software\\New", "v", {kRegDword, le32(1)}), 0);
    EXPECT_EQ(store->lastWriteError().path, dir / "plain" / "registry.reg");
    EXPECT_EQ(test::readBytes(dir / "plain"), "not a folder");
}

TEST(RegFileStore, TwoStoresOnOneFileSeeEachOthersWrites)
{
    test::TempDir dir;
    const fs::path file = dir / "registry.reg";
    fs::copy_file(test::samplePath("one-adapter.reg"), file);
    auto a = loaded(file);
    auto b = loaded(file);
    const StoredValue one{kRegDword, le32(1)}, two{kRegDword, le32(2)}, three{kRegDword, le32(3)};
    ASSERT_EQ(putRaw(*a, kDefault, "FromA", one), 0);
    ASSERT_EQ(putRaw(*b, kDefault, "FromB", two), 0);
    ASSERT_EQ(putRaw(*a, kDefault, "FromA2", three), 0);
    std::int32_t status = 0;
    EXPECT_EQ(getRaw(*b, kDefault, "FromA", status), one) << "b wrote over a's value";
    EXPECT_EQ(getRaw(*a, kDefault, "FromB", status), two) << "a wrote over b's value";
    auto fresh = loaded(file);
    for (const auto& [name, value] : {std::pair{"FromA", one}, {"FromB", two}, {"FromA2", three}})
        EXPECT_EQ(getRaw(*fresh, kDefault, name, status), value) << name;
    EXPECT_EQ(getRaw(*fresh, kDefault, "MemClock", status), (StoredValue{kRegDword, le32(300)}));
}

#ifndef _WIN32
// Another program that rewrites the file in place and shortens it must not
// leave the store reading a mapping with nothing behind it. (Windows builds
// read the file into memory.)
TEST(RegFileStore, FileShortenedInPlaceIsReadAgain)
{
    test::TempDir dir;
    const fs::path file = dir / "registry.reg";
    fs::copy_file(test::samplePath("one-adapter.reg"), file);
    auto store = loaded(file);
    test::writeBytes(file,
                     fileOf(kRegedit4, "[HKEY_LOCAL_MACHINE\\" + kDefault + "]\n\"MemClock\"=dword:00000001\n"));
    std::int32_t status = 0;
    EXPECT_EQ(getRaw(*store, kDefault, "MemClock", status), (StoredValue{kRegDword, le32(1)}));
    EXPECT_EQ(getRaw(*store, kDefault, "GrfxClock", status), StoredValue{});
    EXPECT_EQ(status, kStatusNotFound);
}

TEST(RegFileStore, TwoProcessesWritingAtOnceLoseNothing)
{
    test::TempDir dir;
    const fs::path file = dir / "registry.reg";
    fs::copy_file(test::samplePath("one-adapter.reg"), file);
    constexpr int kWrites = 15;
    auto writeAll = [&](const char* prefix) {
        RegFileStore store(file);
        int failures = store.load() ? 0 : 1;
        for (int i = 0; i < kWrites; ++i)
            failures += putRaw(store, kDefault, prefix + std::to_string(i), {kRegDword, le32(i)}) != 0;
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
    for (const char* prefix : {"Child", "Parent"})
        for (int i = 0; i < kWrites; ++i) {
            std::int32_t st = 0;
            EXPECT_EQ(getRaw(*fresh, kDefault, prefix + std::to_string(i), st), (StoredValue{kRegDword, le32(i)}));
        }
}
#endif

TEST(RegFileStore, RefusesWhatIsNoRegistryFileAndLeavesItAlone)
{
    const std::string utf16 =
        encode("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\X]\n", Text::Utf16, "\r\n");
    const struct {
        const char* name;
        std::string bytes;
        int line;
        const char* reason;
        FileStep failingStep = FileStep::Lock; // Open: the file cannot be read
    } cases[] = {
        {"unknown first line", "REGEDIT5\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", 1,
         "not a registry file (the first line must be \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\")"},
        {"blank first line", "\r\nREGEDIT4\r\n", 1, "not a registry file"},
        {"UTF-8", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", 1, "UTF-8"},
        {"UTF-16 cut inside a character", utf16 + "[", 4, "middle of a UTF-16 character"},
        {"hex data open at the end", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"b\"=hex:01,\\\r\n\r\n; end\r\n", 4,
         "runs on to the end of the file"},
        {"unreadable", "REGEDIT4\r\n", 0, "Permission denied", FileStep::Open},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path file = dir / "registry.reg";
        test::writeBytes(file, c.bytes);
        RegFileStore store(file, [&](FileStep step, const fs::path&) {
            return step == c.failingStep ? std::make_error_code(std::errc::permission_denied) : std::error_code{};
        });
        EXPECT_FALSE(store.load());
        EXPECT_EQ(store.loadError().path, file);
        EXPECT_EQ(store.loadError().line, c.line);
        EXPECT_NE(store.loadError().reason.find(c.reason), std::string::npos) << store.loadError().reason;
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
    test::TempDir dir;
    test::writeBytes(dir / "registry.reg", cases[0].bytes);
    RegFileStore store(dir / "registry.reg");
    store.load();
    EXPECT_EQ(store.loadError().message(), "\"" + (dir / "registry.reg").string() + "\", line 1: " + cases[0].reason);
}

TEST(RegFileStore, StatusesAndHandlesAsWindowsGivesThem)
{
    test::TempDir dir;
    fs::copy_file(test::samplePath("one-adapter.reg"), dir / "r.reg");
    auto store = loaded(dir / "r.reg");
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
    const struct {
        const char* call;
        std::uint32_t offered; // *lpcbData before the call
        std::function<std::int32_t()> run;
        std::int32_t status;
        std::uint32_t size; // and after it
    } cases[] = {
        {"open a missing key", 0, [&] { return s.RegOpenKeyExA(h, "Missing", 0, kKeyAccessMask, &missing); }, 2, 0},
        {"probe", 0, [&] { return s.RegQueryValueExA(h, "ProviderName", nullptr, &type, nullptr, &size); }, 0, 14},
        {"buffer too small", 4, [&] { return s.RegQueryValueExA(h, "ProviderName", nullptr, &type, buf, &size); },
         kStatusMoreData, 14},
        {"read", 32, [&] { return s.RegQueryValueExA(h, "providername", nullptr, &type, buf, &size); }, 0, 14},
        {"missing value", 32, [&] { return s.RegQueryValueExA(h, "Nope", nullptr, &type, buf, &size); }, 2, 32},
        {"reserved set", 0, [&] { return s.RegQueryValueExA(h, "ProviderName", &zero, &type, nullptr, &size); }, 87,
         0},
        {"data without its size", 0,
         [&] { return s.RegQueryValueExA(h, "ProviderName", nullptr, &type, buf, nullptr); }, 87, 0},
        {"query on 0", 0, [&] { return s.RegQueryValueExA(0, "ProviderName", nullptr, &type, nullptr, &size); }, 6,
         0},
        {"set on 0", 0, [&] { return s.RegSetValueExA(0, "v", 0, kRegDword, buf, 4); }, 6, 0},
        {"set without data", 0, [&] { return s.RegSetValueExA(h2, "v", 0, kRegDword, nullptr, 4); }, 87, 0},
        {"open on an unknown handle", 0, [&] { return s.RegOpenKeyExA(12345, "x", 0, kKeyAccessMask, &missing); }, 6,
         0},
        {"close 0", 0, [&] { return s.RegCloseKey(0); }, 6, 0},
        {"close", 0, [&] { return s.RegCloseKey(h); }, 0, 0},
        {"close again", 0, [&] { return s.RegCloseKey(h); }, 6, 0},
        {"query a closed handle", 0,
         [&] { return s.RegQueryValueExA(h, "ProviderName", nullptr, &type, nullptr, &size); }, 6, 0},
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
    EXPECT_EQ(loaded(dir / "r.reg")
                  ->RegOpenKeyExA(kHKeyLocalMachine, (adapter + "\\DEFAULT\\New").c_str(), 0, kKeyAccessMask, &h),
              0);
}

#ifndef _WIN32
TEST(RegFileStore, DefaultPathFollowsTheEnvironment)
{
    const char* const names[] = {"TAVREL_REGISTRY", "XDG_DATA_HOME", "HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* n : names)
        saved.push_back(std::getenv(n) ? std::optional<std::string>(std::getenv(n)) : std::nullopt);
    const struct {
        const char* registry;
        const char* xdg;
        const char* home;
        const char* expected;
    } cases[] = {
        {"/r/my.reg", "/x", "/h", "/r/my.reg"},
        {nullptr, "/x", "/h", "/x/tavrel/registry.reg"},
        {"", "", "/h", "/h/.local/share/tavrel/registry.reg"},
        {nullptr, "relative", "/h", "/h/.local/share/tavrel/registry.reg"},
    };
    for (const auto& c : cases) {
        const char* values[] = {c.registry, c.xdg, c.home};
        for (int i = 0; i < 3; ++i)
            values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
        EXPECT_EQ(defaultRegistryPath(), fs::path(c.expected));
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}
#endif
