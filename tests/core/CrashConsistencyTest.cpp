// Kills a process with SIGKILL at many points while it saves, and checks
// that the file on disk is always one whole version: the old one or the new.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/RegistryFixture.h"
#include "support/TempDir.h"

using namespace tavrel;

namespace {

namespace fs = std::filesystem;
using Micros = std::chrono::microseconds;

// Kill points per file; fewer when the machine is busy, but never fewer
// than kMinKillPoints.
constexpr int kKillPoints = 300;
constexpr int kMinKillPoints = 100;
constexpr auto kTimeBudget = std::chrono::seconds(4);

struct Saver {
    // Runs in the child after the fork; prepares what the saves need.
    std::function<void()> prepare;
    // Saves version i % 2; runs in the child, again and again until killed.
    std::function<void(unsigned i)> save;
};

struct Outcome {
    std::vector<std::string> seen; // the file's bytes after each kill
    int tempFilesLeft = 0; // kills that left a half-written temporary file behind
};

// How long one save takes here, so that the kills spread over whole saves.
Micros timeOneSave(const Saver& saver)
{
    saver.prepare();
    const auto start = std::chrono::steady_clock::now();
    constexpr unsigned rounds = 20;
    for (unsigned i = 0; i < rounds; ++i)
        saver.save(i);
    const auto each = (std::chrono::steady_clock::now() - start) / rounds;
    return std::max(Micros(50), std::chrono::duration_cast<Micros>(each));
}

// Forks a child that saves in a loop, kills it after a random delay of up
// to two saves, and records what is on disk; kKillPoints times.
Outcome killWhileSaving(const fs::path& file, const Saver& saver)
{
    Outcome out;
    const Micros perSave = timeOneSave(saver);
    std::mt19937 random(20240611); // fixed, so that a failure repeats
    std::uniform_int_distribution<long> delay(0, 2 * perSave.count());
    const auto start = std::chrono::steady_clock::now();

    for (int k = 0; k < kKillPoints; ++k) {
        if (k >= kMinKillPoints && std::chrono::steady_clock::now() - start > kTimeBudget)
            break;
        int ready[2];
        if (::pipe(ready) != 0)
            throw std::runtime_error("pipe");
        const pid_t pid = ::fork();
        if (pid < 0)
            throw std::runtime_error("fork");
        if (pid == 0) {
            // One save before the signal: a fresh child's first save is slowed
            // by page faults, which would push the kills out of the saves.
            try {
                ::close(ready[0]);
                saver.prepare();
                saver.save(static_cast<unsigned>(k));
                const char go = 1;
                if (::write(ready[1], &go, 1) != 1)
                    ::_exit(1);
                for (unsigned i = static_cast<unsigned>(k) + 1;; ++i)
                    saver.save(i);
            } catch (...) {
            }
            ::_exit(1); // never back into the test runner
        }
        ::close(ready[1]);
        char go = 0;
        const bool started = ::read(ready[0], &go, 1) == 1;
        ::close(ready[0]);
        if (started)
            std::this_thread::sleep_for(Micros(delay(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!started)
            throw std::runtime_error("the saving child did not start");

        out.seen.push_back(test::readBytes(file));
        // Anything beside the file and its lock is a temporary file the kill cut short.
        for (const auto& entry : fs::directory_iterator(file.parent_path())) {
            const fs::path& p = entry.path();
            if (p != file && p.extension() != ".lock"
                && p.filename().string().rfind(file.filename().string(), 0) == 0) {
                ++out.tempFilesLeft;
                fs::remove(p);
            }
        }
    }
    return out;
}

void expectWholeVersions(const Outcome& out, const std::string& oldBytes, const std::string& newBytes)
{
    ASSERT_NE(oldBytes, newBytes);
    int olds = 0, news = 0;
    for (std::size_t k = 0; k < out.seen.size(); ++k) {
        const std::string& s = out.seen[k];
        EXPECT_TRUE(s == oldBytes || s == newBytes) << "kill " << k << " left " << s.size() << " bytes:\n" << s;
        olds += s == oldBytes;
        news += s == newBytes;
    }
    // Saves were both cut short and completed between the kills, or the test
    // proved nothing. (How many kills fell while the temporary file existed
    // depends on the machine's timing, so it is only reported.)
    EXPECT_GT(olds, 0);
    EXPECT_GT(news, 0);
    std::cout << "[          ] " << out.seen.size() << " kills: " << olds << " old, " << news << " new, "
              << out.tempFilesLeft << " left a temporary file\n";
}

ClockPresetTable presetVersion(unsigned i)
{
    ClockPresetTable t = editorDefaultPresets();
    if (i % 2) {
        for (auto& p : t)
            p = { p.Name + " renamed to something longer", LooseValue("450"), LooseValue("135") };
        t[3].CoreClock = LooseValue(std::int16_t { 135 });
    }
    return t;
}

// A folder in memory where there is one: a kill stops the process, not the
// system, so what is under test is the order of the file steps, and without
// waiting for the disk many more kills fit in the time.
class KillDir {
public:
    KillDir()
    {
        std::error_code ec;
        if (fs::is_directory("/dev/shm", ec)) {
            path_ = fs::path("/dev/shm") / ("tavrel-crash-" + std::to_string(::getpid()));
            fs::create_directories(path_);
        } else {
            path_ = fallback_.path();
        }
    }
    ~KillDir()
    {
        std::error_code ec;
        if (path_ != fallback_.path())
            fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(std::string_view name) const { return path_ / name; }

private:
    test::TempDir fallback_;
    fs::path path_;
};

// A registry with the adapter's keys and some more, so that a save has a
// file of some size to write.
std::string registryFile()
{
    std::string body = test::displayKey(0, "Creative Labs", "GeForceDDR", "\"DriverDesc\"=\"3D Blaster\"\n")
        + "[HKEY_LOCAL_MACHINE\\" + driverSettingsPath("0000")
        + "]\n\"MemClock\"=dword:0000012c\n\"GrfxClock\"=\"120\"\n\n";
    for (int i = 0; i < 200; ++i)
        body += "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Key" + std::to_string(i) + "]\n\"Value\"=\""
            + std::string(40, 'x') + "\"\n\n";
    return test::regedit4(body);
}

} // namespace

TEST(CrashConsistency, PresetFileIsWholeAfterAKillAtAnyPoint)
{
    KillDir dir;
    ASSERT_FALSE(WritePresetFile(test::presetFileIn(dir.path()), presetVersion(0)));
    const Saver saver { [] {}, [&](unsigned i) { WritePresetFile(test::presetFileIn(dir.path()), presetVersion(i)); } };
    const Outcome out = killWhileSaving(dir.path() / "TAVRL.CFG", saver);
    expectWholeVersions(out, renderPresetFile(presetVersion(0)), renderPresetFile(presetVersion(1)));
}

TEST(CrashConsistency, RegistryFileIsWholeAfterAKillAtAnyPoint)
{
    KillDir dir;
    const fs::path file = dir / "registry.reg";
    test::writeBytes(file, registryFile());

    std::unique_ptr<RegFileStore> store;
    std::unique_ptr<ProgramState> state;
    const Saver saver { [&] {
                           state.reset();
                           store = std::make_unique<RegFileStore>(file);
                           if (!store->load())
                               throw std::runtime_error(store->loadError().message());
                           state = std::make_unique<ProgramState>(*store, test::presetFileIn(dir.path()));
                       },
        [&](unsigned i) {
            SetKeyValue(*state, driverSettingsPath("0000"), kMemClock, LooseValue(std::int32_t(i % 2 ? 350 : 300)),
                kRegDword);
        } };
    // The two versions, as the store writes them.
    saver.prepare();
    saver.save(1);
    const std::string newBytes = test::readBytes(file);
    saver.save(0);
    const std::string oldBytes = test::readBytes(file);

    const Outcome out = killWhileSaving(file, saver);
    expectWholeVersions(out, oldBytes, newBytes);
}

#endif
