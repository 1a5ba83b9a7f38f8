// Kills a process with SIGKILL at many points while it saves, and checks
// that the file on disk is always one whole version: the old one or the new.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "driver/DriverLayout.h"
#include "registry/regdecl.h"
#include "support/RegistryFixture.h"

using namespace tavrel;
using namespace tavrel::test;
namespace fs = std::filesystem;
using Micros = std::chrono::microseconds;

namespace {

// Saves version i % 2 of the file (in a child, again and again until killed),
// kills it at a random point of two saves, and checks what is on disk: 300
// times, or at least 100 within 4 s. In memory where there is a folder for
// it: a kill stops the process, not the system, so what is under test is the
// order of the file steps, and without waiting for the disk more kills fit.
void expectWholeAfterKills(const fs::path& file, const std::function<void(unsigned)>& save)
{
    save(1);
    const std::string newBytes = readBytes(file);
    const auto start = std::chrono::steady_clock::now();
    save(0);
    const std::string oldBytes = readBytes(file);
    const auto perSave = std::max(Micros(50), std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start));
    ASSERT_NE(oldBytes, newBytes);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> delay(0, 2 * perSave.count());
    int olds = 0, news = 0;
    for (int k = 0; k < 300 && (k < 100 || std::chrono::steady_clock::now() - start < std::chrono::seconds(4)); ++k) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) { // one save before the signal, so that page faults of a fresh child do not count
            save(static_cast<unsigned>(k));
            if (::write(ready[1], "go", 1) == 1)
                for (unsigned i = static_cast<unsigned>(k) + 1;; ++i)
                    save(i);
            ::_exit(1);
        }
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1) << "the saving child did not start";
        ::close(ready[0]);
        ::close(ready[1]);
        std::this_thread::sleep_for(Micros(delay(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const std::string seen = readBytes(file);
        EXPECT_TRUE(seen == oldBytes || seen == newBytes) << "kill " << k << " left " << seen.size() << " bytes";
        olds += seen == oldBytes;
        news += seen == newBytes;
        for (const auto& e : fs::directory_iterator(file.parent_path())) // temporary files a kill left
            if (e.path() != file && e.path().extension() != ".lock")
                fs::remove(e.path());
    }
    // Saves were both cut short and completed between kills, or nothing was shown.
    EXPECT_GT(olds, 0);
    EXPECT_GT(news, 0);
}

fs::path memoryFolder()
{
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
}

} // namespace

TEST(CrashConsistency, PresetFileIsWholeAfterAKillAtAnyPoint)
{
    TempDir dir(memoryFolder());
    expectWholeAfterKills(dir / "TAVRL.CFG", [&](unsigned i) {
        ClockPresetTable t = editorDefaultPresets();
        for (auto& p : t)
            p = {p.Name + (i % 2 ? " renamed to something longer" : ""), LooseValue(i % 2 ? "450" : "300"),
                 LooseValue("135")};
        WritePresetFile(presetFileIn(dir.path()), t);
    });
}

TEST(CrashConsistency, RegistryFileIsWholeAfterAKillAtAnyPoint)
{
    TempDir dir(memoryFolder());
    // The adapter's keys and more, so that a save has a file of some size to write.
    std::string body = displayKey(0, "Creative Labs", "GeForceDDR") + "[HKEY_LOCAL_MACHINE\\"
                       + driverSettingsPath("0000") + "]\n\"MemClock\"=dword:0000012c\n\n";
    for (int i = 0; i < 200; ++i)
        body += "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Key" + std::to_string(i) + "]\n\"Value\"=\"xxxxxxxxxx\"\n\n";
    writeBytes(dir / "registry.reg", regedit4(body));
    expectWholeAfterKills(dir / "registry.reg", [&](unsigned i) {
        RegFileStore store(dir / "registry.reg");
        RegistryAccess access(store);
        store.load();
        SetKeyValue(access, driverSettingsPath("0000"), kMemClock, LooseValue(i % 2 ? "350" : "300"), kRegDword);
    });
}

#endif
