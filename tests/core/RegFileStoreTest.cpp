// What is particular to the .reg file store: regedit's syntax in every form and encoding, rewrites that change
// only the value written, refused files, another program's change, two writers, the default path.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <optional>
#include <sstream>

#include "core/RegistryContract.h"
#include "driver/ApplyClocks.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;
using namespace tavrel::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

struct RegForm { const char* name; const char* header; bool utf16; const char32_t* eol; }; // utf16: else Windows-1252
const RegForm kRegedit4{"REGEDIT4, CR LF", "REGEDIT4", false, U"\r\n"};
const RegForm kVersion5{"version 5, UTF-16, CR LF", "Windows Registry Editor Version 5.00", true, U"\r\n"};
const RegForm kVersion5Lf{"version 5, 8-bit, LF", kVersion5.header, false, U"\n"};
const RegForm kVersion5Cr{"version 5, UTF-16, CR", kVersion5.header, true, U"\r"};

// The form's first line, a blank line, then body, its "\n" as the form's line end, its UTF-8 in the form's encoding.
std::string regFile(std::string_view body, const RegForm& form)
{
    const std::string text = std::string(form.header) + "\n\n" + std::string(body);
    std::string out = form.utf16 ? "\xFF\xFE" : "";
    for (std::size_t i = 0; i < text.size();) {
        char32_t u = static_cast<unsigned char>(text[i++]);
        const std::size_t extra = u >= 0xE0 ? 2 : u >= 0xC0 ? 1 : 0;
        for (std::size_t k = 0; k < extra; ++k)
            u = (k ? u : u & (0x3F >> extra)) << 6 | (text[i++] & 0x3F);
        const std::size_t upper = std::min(std::u32string_view(U"€ŒœŸ").find(u), std::size_t{4}); // in Windows-1252
        for (const char32_t c : u == '\n' ? std::u32string_view(form.eol) : std::u32string_view(&u, 1))
            out += form.utf16 ? std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)}
                              : std::string(1, c < 0x100 ? static_cast<char>(c) : "\x80\x8C\x9C\x9F?"[upper]);
    }
    return out;
}

const std::string kDefault = "System\\CurrentControlSet\\Services\\Class\\Display\\0000\\DEFAULT";

std::unique_ptr<RegFileStore> loaded(const fs::path& file, const std::string& body = "", const RegForm* form = {})
{
    if (form)
        writeBytes(file, regFile(body, *form));
    auto store = std::make_unique<RegFileStore>(file);
    EXPECT_TRUE(store->load()) << store->loadError().message();
    return store;
}

} // namespace

// Each row adds its lines (in UTF-8) to the file, then reads its key (in Windows-1252, as the A calls take it) and
// value (a null name only opens the key) in the forms the row names.
TEST(RegFileStore, ReadsEverySyntaxFormInEveryEncoding)
{
    const std::string s = "Software\\Syntax";
    enum { Regedit4 = 1, Version5 = 2, Utf16 = 4, Any = 7 };
    const struct { int forms; std::string lines, key; const char* name; std::int32_t status; StoredValue value; } cases[] = {
        {Any, "; exported for the tests\n[HKEY_LOCAL_MACHINE\\Software\\Syntax]\n@=\"default\"", s, "", 0,
         {kRegSz, "default\0"s}},
        {Any, R"("Plain"="C:\\path \"quoted\" é")", s, "Plain", 0, {kRegSz, "C:\\path \"quoted\" \xE9\0"s}},
        {Any, R"(  "Indented" = dword:0000012c ; a comment after the data)", s, "Indented", 0, dword(300)},
        {Any, "\"Binary\"=hex:0F,02,\\\n  03,04", s, "Binary", 0, {kRegBinary, "\x0F\x02\x03\x04"}},
        {Any, "\"Gone\"=\"x\"\n\"Gone\"=-", s, "Gone", kStatusNotFound, {}},
        {Any, "\"Bad\"=dword:123456789\n\"BadType\"=hex(7:61,00", s, "Bad", kStatusNotFound, {}},
        {Any, "", s, "BadType", kStatusNotFound, {}},
        {Regedit4, "\"Multi8\"=hex(7):61,00,62,00,00", s, "Multi8", 0, {kRegMultiSz, "a\0b\0\0"s}},
        {Version5, "\"NoEnd16\"=hex(1):61,00,62,00", s, "NoEnd16", 0, {kRegSz, "ab"}},
        // '?' for what Windows-1252 cannot hold.
        {Utf16, "\"Café\"=\"Snow ☃ for 5€\"", s, "CAF\xC9", 0, {kRegSz, "Snow ? for 5\x80\0"s}},
        {Any, "\"Lazy\"=\"first\"\n[HKLM\\SOFTWARE\\syntax] ; after the header\n\"lazy\"=\"second\"", s, "LAZY", 0,
         {kRegSz, "second\0"s}},
        {Any, "[HKEY_LOCAL_MACHINE\\Software\\Syntax\\Deeper]\n\"x\"=dword:00000002", s + "\\Deeper", "x", 0, dword(2)},
        {Any, "[HKEY_NOWHERE\\Bar]\n\"y\"=\"not in Deeper\"", s + "\\Deeper", "y", kStatusNotFound, {}},
        // Key names in either letter case, outside ASCII too, up to the last ']'.
        {Any, "[hkey_local_machine\\SOFTWARE\\œuvre\\ÿ\\Leaf]\n\"v\"=dword:00000002", "Software\\\x9Cuvre\\\xFF\\LEAF",
         "v", 0, dword(2)},
        {Any, "", "Software\\\x8Cuvre\\\x9F", nullptr, 0, {}}, // only implied, by a key below it
        {Any, "[HKEY_LOCAL_MACHINE\\Software\\Odd]Name]\n\"v\"=dword:00000004", "Software\\Odd]Name", "v", 0, dword(4)},
        {Any, "", "Software\\Odd", nullptr, kStatusNotFound, {}},
        // A capital outside Windows-1252's upper half.
        {Any, "[HKEY_LOCAL_MACHINE\\Software\\ÿ]\n\"v\"=dword:00000006", "Software\\\x9F", "v", 0, dword(6)},
    };
    std::string body;
    for (const auto& c : cases)
        body += c.lines + (c.lines.empty() ? "" : "\n");
    for (const RegForm& form : {kRegedit4, kVersion5, kVersion5Lf, kVersion5Cr}) {
        TempDir dir;
        auto store = loaded(dir / "r.reg", body, &form);
        const int mask = form.header == kRegedit4.header ? Regedit4 : form.utf16 ? Version5 | Utf16 : Version5;
        for (const auto& c : cases)
            if (c.forms & mask) {
                EXPECT_EQ(get(*store, c.key, c.name), std::pair(c.status, c.value)) << form.name << ": " << c.key;
            }
    }
    // Found by fuzz_reg_file: a missing key of a registry with no file, or an empty one, was looked up outside the
    // key index.
    TempDir dir;
    writeBytes(dir / "empty.reg", "");
    for (const char* file : {"none.reg", "empty.reg"})
        EXPECT_EQ(get(*loaded(dir / file), "Software\\Missing", nullptr).first, kStatusNotFound) << file;
}

// Every other byte of the file stays: comments, order, encoding, line ends, and values no plain form could hold.
TEST(RegFileStore, RewriteChangesOnlyTheLinesOfTheValueWritten)
{
    const std::string body = "; keep me\n[HKEY_LOCAL_MACHINE\\" + kDefault
        + "]\n\"NoEnd\"=hex(1):61,62\n\"Cont\"=hex:01,\\\n  02\n\"Long\"=hex(4):2c,01,00,00,00,00,00,00\n"
          "\"MemClock\"=dword:0000012c ; stock\n\"None\"=hex(0):\n\"GrfxClock\"=\"120\"\n\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"x\"=dword:00000001\n\n";
    auto with = [&](std::initializer_list<std::pair<std::string_view, std::string_view>> changes) {
        std::string out = body;
        for (const auto& [from, to] : changes)
            out.replace(out.find(from), from.size(), to);
        return out;
    };
    const std::string memory350 = "\"MemClock\"=dword:0000015e ; stock", grfx135 = "\"GrfxClock\"=dword:00000087";
    struct Also { std::string key; const char* name; StoredValue stored; }; // written in the same write group
    const struct { std::string key; const char* name; StoredValue stored; std::string expected;
                   std::optional<Also> also = {}; } cases[] = {
        {kDefault, "memclock", dword(350), with({{"dword:0000012c ; stock", "dword:0000015e ; stock"}})},
        {kDefault, "GrfxClock", dword(135), with({{"\"GrfxClock\"=\"120\"", grfx135}})},
        {kDefault, "Cont", dword(5), with({{"hex:01,\\\n  02", "dword:00000005"}})}, // its two lines become one
        {kDefault, "Added", dword(7), with({{"\"120\"\n", "\"120\"\n\"Added\"=dword:00000007\n"}})},
        {"Software", "v", {kRegSz, "1\0"s}, body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\n"},
        {"Software\\New", nullptr, {}, body + "[HKEY_LOCAL_MACHINE\\Software\\New]\n\n"},
        {kDefault, "GrfxClock", dword(135), // two edits that meet
         with({{"\"GrfxClock\"=\"120\"\n", grfx135 + "\n\"Added\"=dword:00000007\n"}}),
         Also{kDefault, "Added", dword(7)}},
        {"Software", "v", {kRegSz, "1\0"s},
         body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\"w\"=dword:00000002\n\n",
         Also{"SOFTWARE", "w", dword(2)}},
        {"Software", "v", {kRegSz, "1\0"s}, body + "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=\"1\"\n\n"
         "[HKEY_LOCAL_MACHINE\\System]\n\"u\"=dword:00000003\n\n", Also{"System", "u", dword(3)}},
        {kDefault, "MemClock", dword(1), with({{"\"MemClock\"=dword:0000012c ; stock", memory350}}),
         Also{kDefault, "memclock", dword(350)}}, // the later write of a value counts
    };
    for (const RegForm& form : {kRegedit4, kVersion5, kVersion5Lf})
        for (const auto& c : cases) {
            TempDir dir;
            auto store = loaded(dir / "r.reg", body, &form);
            if (c.also)
                store->beginWriteGroup();
            EXPECT_EQ(c.name ? putRaw(*store, c.key, c.name, c.stored) : (CreateNewKey(*store, c.key, kHKeyLocalMachine), 0), 0);
            if (c.also) {
                ASSERT_EQ(putRaw(*store, c.also->key, c.also->name, c.also->stored), 0);
                EXPECT_EQ(readBytes(dir / "r.reg"), regFile(body, form)) << "a write group wrote before its commit";
                EXPECT_EQ(store->commitWriteGroup(), 0);
                EXPECT_EQ(get(*store, c.also->key, c.also->name), std::pair(0, c.also->stored)) << "index after it";
            }
            EXPECT_EQ(readBytes(dir / "r.reg"), regFile(c.expected, form)) << form.name << ": " << c.key;
        }
    TempDir dir; // a registry without a file gets a regedit version 5 export, with one header for a write group
    auto fresh = loaded(dir / "new.reg");
    fresh->beginWriteGroup();
    const std::uint8_t one[4] = {1, 0, 0, 0};
    ASSERT_EQ(fresh->RegSetValueExA(kHKeyLocalMachine, "a", 0, 4, one, 4), 0);
    ASSERT_EQ(fresh->RegSetValueExA(0x80000001u, "b", 0, 4, one, 4), 0); // HKEY_CURRENT_USER
    EXPECT_EQ(fresh->commitWriteGroup(), 0);
    EXPECT_EQ(readBytes(dir / "new.reg"), regFile("[HKEY_LOCAL_MACHINE]\n\"a\"=dword:00000001\n\n"
                                                  "[HKEY_CURRENT_USER]\n\"b\"=dword:00000001\n\n", kVersion5));
    // As regedit does, hex lines break after the last byte that fits in 80 columns.
    ASSERT_EQ(putRaw(*loaded(dir / "r4.reg", "", &kRegedit4), "Software", "Bin", {kRegBinary, std::string(99, 'x')}), 0);
    std::istringstream in(readBytes(dir / "r4.reg"));
    int wrapped = 0;
    for (std::string line; std::getline(in, line); wrapped += line.ends_with("\\\r"))
        EXPECT_TRUE(!line.ends_with("\\\r") || (line.size() >= 79 && line.size() <= 81)) << line; // with the CR
    EXPECT_GE(wrapped, 3);
}

TEST(RegFileStore, RefusesWhatIsNoRegistryFileAndLeavesItAlone)
{
    const struct { std::string bytes; int line; const char* reason; } cases[] = {
        {"REGEDIT5\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n", 1,
         "not a registry file (the first line must be \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\")"},
        {"\r\nREGEDIT4\r\n", 1, "the first line must be"},
        {"\xEF\xBB\xBF", 1, "big-endian"}, // a UTF-8 mark
        {"\xEF\xBB\xBEREGEDIT4\r\n", 1, "the first line must be"}, // only part of a UTF-8 mark
        {"\xFE\xFF\0R\0E\0G"s, 1, "big-endian"},
        {regFile("[HKEY_LOCAL_MACHINE\\X]\n", kVersion5) + "[", 4, "middle of a UTF-16 character"},
        {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\"b\"=hex:01,\\\r\n\r\n; end\r\n", 4,
         "runs on to the end of the file"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeBytes(dir / "r.reg", c.bytes);
        RegFileStore store(dir / "r.reg");
        const std::string message = store.load() ? "loaded" : store.loadError().message();
        EXPECT_EQ(message.find("\"" + (dir / "r.reg").string() + "\", line " + std::to_string(c.line) + ": "), 0u);
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_EQ(std::tuple(get(store, "X", nullptr).first, putRaw(store, "Y", "v", dword(1)), store.RegCloseKey(7)),
                  std::tuple(kStatusBadDb, kStatusBadDb, kStatusBadDb));
        EXPECT_EQ(readBytes(dir / "r.reg"), c.bytes) << "a refused file was written";
    }
}

#ifndef _WIN32
// Another program rewrites the file in place, shorter: reads go on from the bytes loaded (nothing is mapped), and
// the next write takes the change in.
TEST(RegFileStore, FileShortenedInPlaceIsTakenInByTheNextWrite)
{
    TempDir dir;
    auto store = loaded(dir / "r.reg", "[HKEY_LOCAL_MACHINE\\" + kDefault + "]\n\"GrfxClock\"=dword:00000002\n", &kVersion5);
    writeBytes(dir / "r.reg", regFile("[HKEY_LOCAL_MACHINE\\" + kDefault + "]\n\"MemClock\"=dword:00000001\n", kRegedit4));
    EXPECT_EQ(get(*store, kDefault, "GrfxClock"), std::pair(0, dword(2)));
    EXPECT_EQ(putRaw(*store, kDefault, "CoreClock", dword(3)), 0);
    EXPECT_EQ(std::tuple(get(*store, kDefault, "MemClock"), get(*store, kDefault, "GrfxClock").first),
              std::tuple(std::pair(0, dword(1)), kStatusNotFound));
}

// Each also writes clock pairs (the parent's even, the child's odd, the core clock always 100 above): the file
// must hold a pair one of them wrote whenever it is read, and at the end.
TEST(RegFileStore, TwoProcessesWritingAtOnceLoseNothing)
{
    TempDir dir;
    fs::copy_file(samplePath("one-adapter.reg"), dir / "r.reg");
    auto pairWritten = [&] { // both read from one version of the file
        auto store = loaded(dir / "r.reg");
        const std::string memory = get(*store, kDefault, "MemClock").second.data;
        return memory.size() == 4 && get(*store, kDefault, "GrfxClock").second == dword((memory[0] & 0xFFu) + 100);
    };
    auto writeAll = [&](const char* prefix, int odd) {
        RegFileStore store(dir / "r.reg");
        DriverState access(store);
        int failures = !store.load();
        for (int i = 0; i < 30; ++i) {
            failures += putRaw(store, kDefault, prefix + std::to_string(i), dword(i)) != 0;
            const int memory = 100 + 2 * i + odd; // below 256: the low byte tells the pair
            failures += !applyClocks(access, "0000", std::to_string(memory), std::to_string(memory + 100)).written;
            failures += !pairWritten();
        }
        return failures;
    };
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(writeAll("Child", 1));
    int status = 0;
    EXPECT_EQ(writeAll("Parent", 0), 0);
    EXPECT_TRUE(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const char* prefix : {"Child", "Parent"})
        for (std::uint32_t i = 0; i < 30; ++i)
            EXPECT_EQ(get(*loaded(dir / "r.reg"), kDefault, (prefix + std::to_string(i)).c_str()), std::pair(0, dword(i)));
    EXPECT_TRUE(pairWritten());
}

TEST(RegFileStore, DefaultPathFollowsTheEnvironment)
{
    // TAVREL_REGISTRY, XDG_DATA_HOME (null: unset) and the path they give with HOME=/h.
    const char* const cases[][3] = {{"/r/my.reg", "/x", "/r/my.reg"}, {nullptr, "/x", "/x/tavrel/registry.reg"},
        {"", "", "/h/.local/share/tavrel/registry.reg"}, {nullptr, "rel", "/h/.local/share/tavrel/registry.reg"}};
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const auto& c : cases) {
        for (const auto& [name, value] : {std::pair("TAVREL_REGISTRY", c[0]), {"XDG_DATA_HOME", c[1]}, {"HOME", "/h"}})
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        EXPECT_EQ(defaultRegistryPath(), fs::path(c[2]));
    }
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("TAVREL_REGISTRY"), ::unsetenv("XDG_DATA_HOME");
}
#endif
