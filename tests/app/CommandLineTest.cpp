// The command line, run as the built program without a display on copies of the sample registries, with its
// preset file under a scratch XDG_CONFIG_HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "support/TempDir.h"

using namespace tavrel::test;
using namespace std::string_literals;
namespace fs = std::filesystem;

TEST(CommandLine, ExitStatusWhatIsPrintedAndWhatLandsInTheFile)
{
    const TempDir dir;
    for (const char* name : {"one-adapter.reg", "two-adapters.reg", "no-adapter.reg"})
        fs::copy_file(samplePath(name), dir / name);
    fs::copy_file(samplePath("one-adapter.reg"), dir / "caf\xe9.reg"); // not UTF-8: opened as the bytes given
    writeBytes(dir / "bad.reg", "not a registry\r\n");
    writeBytes(dir / "empty.reg", "");
    writeBytes(dir / "other.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n");
    fs::create_symlink(dir / "nowhere.reg", dir / "dangling.reg");
    // config: 1 "Fast", 2 "Quiet", 3 with clocks that are texts but read as numbers, 4 out of range.
    // short: a NUL in a clock, a clock out of range, then the file ends with preset 3's name.
    const std::pair<const char*, std::string> files[] = {
        {"config", "\"Fast\"\r\n350\r\n140\r\n\"Quiet\"\r\n250\r\n110\r\n"
                   "\"Odd\"\r\n330abc\r\n&H8C\r\n\"Wild\"\r\n\"1e3\"\r\n120\r\n"},
        {"short", "\"Nul\"\r\n4\0 0\r\n120\r\n\"Big\"\r\n9999\r\n120\r\n\"Cut\"\r\n"s}};
    for (const auto& [name, bytes] : files) {
        fs::create_directories(dir / name / "tavrel");
        writeBytes(dir / name / "tavrel" / "TAVRL.CFG", bytes);
    }
    using Texts = std::vector<std::string>;
    const std::string dw = "\"=dword:";
    auto clocks = [&](std::string m, std::string c) { return Texts{"MemClock" + dw + m, "GrfxClock" + dw + c}; };
    const char *const one = "one-adapter.reg", *const two = "two-adapters.reg";
    // file ("": --registry ''), XDG_CONFIG_HOME folder ("none" has no preset file), arguments, exit status, texts in
    // its output ("^" marks its start), texts in the file afterwards (none: the file is unchanged).
    const struct { const char *file, *presets, *args; int status; Texts shown, written; } cases[] = {
        {one, "none", "--info", 0,
         {"^Adapter 0000\nManufacturer : Creative Labs\nDriver       : Creative Labs 3D Blaster Annihilator "
          "Pro\nCard type    : GeForceDDR\nDriver date  : 2-14-2000\nMemory clock : 300\nCore clock   : 120\n",
          "Presets: the start defaults (there is no \"",
          "none/tavrel/TAVRL.CFG\")\n1 \"Preset 1\": memory clock 330, core clock 120\n"},
         {}},
        {one, "config", "--info", 0,
         {"Presets from \"", "config/tavrel/TAVRL.CFG\"\n", "\n2 \"Quiet\": memory clock 250, core clock 110\n"}, {}},
        {one, "short", "--info", 0,
         {"\n3 \"Cut\": memory clock missing, core clock missing\n4 missing: memory clock missing"}, {}},
        {two, "config", "--info", 0,
         {"^Adapter 0000\n", "Adapter 0002\n", "TNT2ULTRA\nDriver date  : 9-8-1999\nMemory clock : 183\n"}, {}},
        {two, "config", "--adapter 0002 --info", 0, {"^Adapter 0002\n"}, {}},
        {one, "config", "-style fusion --platform offscreen -reverse --info", 0, {"^Adapter 0000\n"}, {}},
        {one, "config", "--core-clock 300 --memory-clock 100", 0, {}, clocks("00000064", "0000012c")},
        {one, "config", "--memory-clock 600 --core-clock 100", 0, {}, clocks("00000258", "00000064")},
        {one, "config", "--preset Quiet", 0, {}, clocks("000000fa", "0000006e")},
        {one, "config", "--preset 3", 0, {"^Memory clock 330 written under", "\nCore clock 140 written"},
         clocks("0000014a", "0000008c")},
        {"caf\xe9.reg", "config", "--preset=Fast", 0, {}, clocks("0000015e", "0000008c")},
        {two, "config", "--adapter 0002 --preset 1", 0, {},
         {"0002\\DEFAULT]\r\n\"MemClock" + dw + "0000015e", "0000\\DEFAULT]\r\n\"MemClock" + dw + "000000a6"}},
        {"no-adapter.reg", "config", "--preset 1", 1, {"Creative drivers\n"}, {}},
        {"nonexist.reg", "config", "--info", 1, {"drivers: the registry file \"", "nonexist.reg\" does not exist.\n"},
         {}},
        {"dangling.reg", "config", "--preset 1", 1, {"dangling.reg\" does not exist.\n"}, {}},
        {"empty.reg", "config", "--memory-clock 320", 1, {"empty.reg\" is empty.\n"}, {}},
        {"other.reg", "config", "--info", 1, {"other.reg\" holds no display keys.\n"}, {}},
        {"bad.reg", "config", "--memory-clock 320", 1,
         {"^tavrel: \"", "bad.reg\", line 1: ", "; nothing was written\n"}, {}},
        {"", "config", "--info", 2, {"--registry needs a file name"}, {}},
        {one, "config", "--preset 4", 2,
         {"preset 4 \"Wild\" in \"", "tavrel/TAVRL.CFG\": its memory clock \"1e3\" is not a number from 100 to 600"},
         {}},
        {one, "short", "--preset 1", 2, {"preset 1 \"Nul\" in \"", "its memory clock \"4"}, {}},
        {one, "short", "--preset Big", 2, {"\"9999\" is not a number from 100 to 600"}, {}},
        {one, "short", "--preset 3", 2, {"TAVRL.CFG\" has no memory clock: the field is missing"}, {}},
        {two, "config", "--preset 1", 2, {"0000 (GeForce), 0002 (TNT2ULTRA)"}, {}},
        {two, "config", "--adapter 0001 --preset 1", 2, {}, {}},
        {one, "config", "--preset quiet", 2, {"there is no preset \"quiet\" in \""}, {}},
        {one, "config", "--memory-clock 99", 2, {}, {}}, {one, "config", "--core-clock 301", 2, {}, {}},
        {one, "config", "--memory-clock 601", 2, {}, {}}, {one, "config", "--memory-clock 3e2", 2, {}, {}},
        {one, "config", "--info --preset 1", 2, {}, {}},
        {one, "config", "-foo --info", 2, {"^tavrel: unknown option -foo ("}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.args);
        const bool real = *c.file && fs::is_regular_file(dir / c.file);
        const std::string before = real ? readBytes(dir / c.file) : "";
        const std::string command = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='"
                                    + (dir / c.presets).string() + "' '" TAVREL_PROGRAM "' --registry '"
                                    + (*c.file ? (dir / c.file).string() : "") + "' " + c.args + " >'"
                                    + (dir / "out").string() + "' 2>&1 </dev/null";
        const int status = std::system(command.c_str());
        const std::string out = readBytes(dir / "out");
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << out;
        for (const auto& s : c.shown) {
            const bool atStart = s[0] == '^';
            const auto at = out.find(s.substr(atStart));
            EXPECT_TRUE(atStart ? at == 0 : at != std::string::npos) << s << "\nin\n" << out;
        }
        if (!real)
            continue;
        std::string after = readBytes(dir / c.file);
        EXPECT_TRUE(!c.written.empty() || after == before);
        std::erase(after, '\0'); // UTF-16 read as ASCII
        for (const auto& s : c.written)
            EXPECT_NE(after.find(s), std::string::npos) << s;
        writeBytes(dir / c.file, before);
    }
}
