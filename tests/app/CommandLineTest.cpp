// The command line, run as the built program without a display on copies of the sample registries, with its
// preset file under a scratch XDG_CONFIG_HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "support/TempDir.h"

using namespace tavrel::test;
namespace fs = std::filesystem;

TEST(CommandLine, ExitStatusWhatIsPrintedAndWhatLandsInTheFile)
{
    const TempDir dir;
    for (const char* name : {"one-adapter.reg", "two-adapters.reg", "no-adapter.reg"})
        fs::copy_file(samplePath(name), dir / name);
    writeBytes(dir / "bad.reg", "not a registry\r\n");
    // 1 "Fast", 2 "Quiet", 3 with a memory clock that is no number.
    fs::create_directories(dir / "config" / "tavrel");
    writeBytes(dir / "config" / "tavrel" / "TAVRL.CFG", "\"Fast\"\r\n350\r\n140\r\n\"Quiet\"\r\n250\r\n110\r\n"
                                                       "\"Broken\"\r\n\"fast\"\r\n120\r\n\"P4\"\r\n300\r\n120\r\n");
    const std::string dw = "\"=dword:";
    const struct {
        const char* file;
        bool presets; // whether the preset file is there
        const char* args;
        int status;
        std::vector<std::string> shown;   // in its output; "^" marks its start
        std::vector<std::string> written; // in the file afterwards; none: the file is unchanged
    } cases[] = {
        {"one-adapter.reg", false, "--info", 0,
         {"^Adapter 0000\nManufacturer : Creative Labs\nDriver             : Creative Labs 3D Blaster Annihilator "
          "Pro\nCard type       : GeForceDDR\nDriver date     : 2-14-2000\nMemory clock : 300\nCore clock   : 120\n",
          "Presets\n1 \"Preset 1\": memory clock 330, core clock 120\n"},
         {}},
        {"one-adapter.reg", true, "--info", 0, {"\n2 \"Quiet\": memory clock 250, core clock 110\n"}, {}},
        {"two-adapters.reg", true, "--info", 0,
         {"^Adapter 0000\n", "Adapter 0002\n", "TNT2ULTRA\nDriver date     : 9-8-1999\nMemory clock : 183\n"}, {}},
        {"two-adapters.reg", true, "--adapter 0002 --info", 0, {"^Adapter 0002\n"}, {}},
        {"one-adapter.reg", true, "--core-clock 300 --memory-clock 100", 0, {},
         {"MemClock" + dw + "00000064", "GrfxClock" + dw + "0000012c"}},
        {"one-adapter.reg", true, "--memory-clock 600 --core-clock 100", 0, {},
         {"MemClock" + dw + "00000258", "GrfxClock" + dw + "00000064"}},
        {"one-adapter.reg", true, "--preset Quiet", 0, {},
         {"MemClock" + dw + "000000fa", "GrfxClock" + dw + "0000006e"}},
        {"one-adapter.reg", true, "--preset 1", 0, {}, {"MemClock" + dw + "0000015e", "GrfxClock" + dw + "0000008c"}},
        {"two-adapters.reg", true, "--adapter 0002 --preset 1", 0, {},
         {"0002\\DEFAULT]\r\n\"MemClock" + dw + "0000015e", "0000\\DEFAULT]\r\n\"MemClock" + dw + "000000a6"}},
        {"one-adapter.reg", true, "--preset 3", 1, {"\"fast\""}, {}},
        {"no-adapter.reg", true, "--preset 1", 1, {}, {}},
        {"bad.reg", true, "--memory-clock 320", 1, {}, {}},
        {"two-adapters.reg", true, "--preset 1", 2, {"0000 (GeForce), 0002 (TNT2ULTRA)"}, {}},
        {"two-adapters.reg", true, "--adapter 0001 --preset 1", 2, {}, {}},
        {"one-adapter.reg", true, "--preset quiet", 2, {}, {}},
        {"one-adapter.reg", true, "--memory-clock 99", 2, {}, {}},
        {"one-adapter.reg", true, "--memory-clock 601", 2, {}, {}},
        {"one-adapter.reg", true, "--core-clock 301", 2, {}, {}},
        {"one-adapter.reg", true, "--memory-clock 3e2", 2, {}, {}},
        {"one-adapter.reg", true, "--info --preset 1", 2, {}, {}},
        {"one-adapter.reg", true, "--preset 1 --fast", 2, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.args);
        const std::string before = readBytes(dir / c.file);
        const std::string command = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='"
                                    + (dir / (c.presets ? "config" : "none")).string() + "' '" TAVREL_PROGRAM
                                    "' --registry '" + (dir / c.file).string() + "' " + c.args + " >'"
                                    + (dir / "out").string() + "' 2>&1 </dev/null";
        const int status = std::system(command.c_str());
        const std::string out = readBytes(dir / "out");
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << out;
        for (const auto& s : c.shown) {
            const bool atStart = s[0] == '^';
            const auto at = out.find(s.substr(atStart));
            EXPECT_TRUE(atStart ? at == 0 : at != std::string::npos) << s << "\nin\n" << out;
        }
        std::string after = readBytes(dir / c.file);
        if (c.written.empty()) {
            EXPECT_EQ(after, before);
        }
        std::erase(after, '\0'); // UTF-16 read as ASCII
        for (const auto& s : c.written)
            EXPECT_NE(after.find(s), std::string::npos) << s;
        writeBytes(dir / c.file, before);
    }
}
