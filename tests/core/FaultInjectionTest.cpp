// Each file step of a registry value write and of a preset save fails in turn (the operation runs once to record
// its steps, then once per step): the folder keeps what it held, the error names the file and the system's reason
// (a registry write, the nearest Win32 status too), and the next try works. A killed write leaves a whole file.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <thread>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "driver/ApplyClocks.h"
#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/TempDir.h"

using namespace tavrel;
using namespace tavrel::test;
namespace fs = std::filesystem;

namespace {

// The reason each step fails with, and the status a registry write then gives.
const std::map<FileStep, std::pair<std::errc, std::int32_t>> kFaults = {
    {FileStep::Open, {std::errc::permission_denied, kStatusAccessDenied}},
    {FileStep::Read, {std::errc::io_error, kStatusReadFault}},
    {FileStep::Lock, {std::errc::no_lock_available, kStatusLockViolation}},
    {FileStep::CreateTemp, {std::errc::permission_denied, kStatusAccessDenied}},
    {FileStep::Write, {std::errc::no_space_on_device, kStatusDiskFull}},
    {FileStep::Flush, {std::errc::io_error, kStatusWriteFault}},
    {FileStep::Rename, {std::errc::read_only_file_system, kStatusAccessDenied}},
};

// The steps an operation takes once armed; the one numbered failAt fails.
struct Faults {
    int failAt = -1;
    bool armed = false;
    std::vector<FileStep> steps;
    FaultHook hook()
    {
        return [this](FileStep step, const fs::path&) {
            steps.insert(steps.end(), armed, step);
            return armed && steps.size() == failAt + 1u ? std::make_error_code(kFaults.at(step).first) : std::error_code{};
        };
    }
};

// The folder's files (lock files aside), and how many files the process holds open.
std::pair<std::map<fs::path, std::string>, std::ptrdiff_t> snapshot(const fs::path& dir)
{
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() != ".lock")
            files[e.path()] = readBytes(e.path());
#ifndef _WIN32
    return {files, std::distance(fs::directory_iterator("/dev/fd"), {})};
#endif
    return {files, 0};
}

using Outcome = std::pair<std::string, std::int32_t>; // the message (empty: it worked) and a registry's status

enum { ChangedByAnother = 1, BothClocks = 2 };

// Writes MemClock 350 over 300, or with BothClocks also GrfxClock 140 over 120 as one "OK" (whose message must
// then name both); on failure the store still reads 300 and 120, and the write works once the fault is gone.
Outcome writeClock(const fs::path& dir, Faults& f, int variant)
{
    fs::copy_file(samplePath("one-adapter.reg"), dir / "registry.reg", fs::copy_options::overwrite_existing);
    RegFileStore store(dir / "registry.reg", f.hook());
    EXPECT_TRUE(store.load());
    RegistryAccess access(store);
    if (variant & ChangedByAnother) // it grows in place: the store reads it again under the lock before it writes
        writeBytes(dir / "registry.reg", readBytes(dir / "registry.reg") + std::string("\r\0\n\0", 4));
    const auto before = snapshot(dir);
    const std::string key = driverSettingsPath("0000");
    auto write = [&] {
        if (!(variant & BothClocks)) {
            const std::int32_t status = SetKeyValue(access, key, kMemClock, LooseValue("350"), kRegDword);
            return Outcome{status ? store.lastWriteError().message() : "", status};
        }
        const ApplyOutcome outcome = ApplyClocks(access, "0000", "350", "140");
        EXPECT_TRUE(outcome.written || (outcome.done.empty() && outcome.message.starts_with(
            "The memory clock (MemClock) and the core clock (GrfxClock) could not be written"))) << outcome.message;
        return Outcome{outcome.message, 0};
    };
    f.armed = true;
    const Outcome out = write();
    f.armed = false;
    for (const auto& [name, value] : {std::pair(kMemClock, 300), {kGrfxClock, 120}}) {
        QueryValue(access, key, name);
        EXPECT_TRUE(out.first.empty() || access.QueryValueResult == LooseValue(std::int32_t{value})) << name;
    }
    EXPECT_TRUE(out.first.empty() || (snapshot(dir) == before && write() == Outcome{}));
    return out;
}

// Saves the presets over a file of mode 0646 (no temporary file's 0600, and the usual umasks clear one of its
// bits), or creates the file; on failure the next save works.
Outcome savePresets(const fs::path& dir, Faults& f, int over)
{
    const fs::path file = dir / "TAVRL.CFG";
    fs::remove(file);
    if (over)
        writeBytes(file, renderPresetFile(startDefaultPresets())), fs::permissions(file, fs::perms(0646));
#ifndef _WIN32
    const mode_t mask = ::umask(022);
    ::umask(mask);
#endif
    const auto before = snapshot(dir);
    f.armed = true;
    const FileError err = WritePresetFile(PresetFile(file, f.hook()), editorDefaultPresets());
    f.armed = false;
#ifndef _WIN32
    EXPECT_EQ(::umask(mask), mask) << "the save changed the umask";
    EXPECT_TRUE(!over || fs::status(file).permissions() == fs::perms(0646));
#endif
    EXPECT_TRUE(!err || snapshot(dir) == before);
    EXPECT_FALSE(err && WritePresetFile(PresetFile(file), editorDefaultPresets()));
    return {err ? err.message() : "", 0};
}

const struct Operation { const char* name; const char* file; std::vector<FileStep> mustTake;
                         Outcome (*run)(const fs::path& dir, Faults& f, int); int variant; } kOperations[] = {
    {"write a clock value", "registry.reg",
     {FileStep::Lock, FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename}, writeClock, 0},
    {"write a clock value after another program changed the file", "registry.reg",
     {FileStep::Open, FileStep::Read, FileStep::Lock, FileStep::Rename}, writeClock, ChangedByAnother},
    {"write both clocks as one \"OK\"", "registry.reg", {FileStep::Lock, FileStep::Rename}, writeClock, BothClocks},
    {"write both clocks after another program changed the file", "registry.reg",
     {FileStep::Open, FileStep::Read, FileStep::Lock, FileStep::Rename}, writeClock, BothClocks | ChangedByAnother},
    {"save over the preset file", "TAVRL.CFG", {FileStep::CreateTemp, FileStep::Rename}, savePresets, 1},
    {"create the preset file", "TAVRL.CFG", {FileStep::CreateTemp, FileStep::Rename}, savePresets, 0},
};

} // namespace

TEST(FaultInjection, EveryFileStepFailingLeavesTheFilesAndReportsWhy)
{
    for (const Operation& op : kOperations) {
        TempDir dir;
        Faults record;
        EXPECT_EQ(op.run(dir.path(), record, op.variant).first, "") << op.name;
        for (FileStep s : op.mustTake)
            EXPECT_NE(std::find(record.steps.begin(), record.steps.end(), s), record.steps.end())
                << op.name << " never asks about " << fileStepName(s);
        for (std::size_t n = 0; n < record.steps.size(); ++n) {
            SCOPED_TRACE(std::string(op.name) + ", failing step " + std::to_string(n) + ": " + fileStepName(record.steps[n]));
            Faults f{static_cast<int>(n), false, {}};
            const auto [message, status] = op.run(dir.path(), f, op.variant);
            const auto [reason, win32] = kFaults.at(record.steps[n]);
            EXPECT_NE(message.find((dir / op.file).string()), std::string::npos) << message;
            EXPECT_NE(message.find(std::make_error_code(reason).message()), std::string::npos) << message;
            EXPECT_EQ(status, op.run == writeClock && !(op.variant & BothClocks) ? win32 : 0);
        }
    }
}

#ifndef _WIN32
// A child writes MemClock 350 or 300 by turns until killed at a random point of two writes: the file is then
// the whole old or the whole new one. 300 kills, or 100 past 4 s; in memory, as a kill does not stop the system.
TEST(CrashConsistency, RegistryFileIsWholeAfterAKillAtAnyPoint)
{
    using Micros = std::chrono::microseconds;
    const TempDir dir(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path());
    const fs::path file = dir / "registry.reg";
    fs::copy_file(samplePath("two-adapters.reg"), file);
    auto save = [&](unsigned i) {
        RegFileStore store(file);
        RegistryAccess access(store);
        store.load();
        SetKeyValue(access, driverSettingsPath("0000"), kMemClock, LooseValue(i % 2 ? "350" : "300"), kRegDword);
    };
    save(1);
    const std::string newBytes = readBytes(file);
    const auto start = std::chrono::steady_clock::now();
    save(0);
    const std::string oldBytes = readBytes(file);
    const auto perSave = std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start);
    ASSERT_NE(oldBytes, newBytes);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<long> delay(0, 2 * perSave.count() + 100);
    int olds = 0, news = 0;
    for (int k = 0; k < 300 && (k < 100 || std::chrono::steady_clock::now() - start < std::chrono::seconds(4)); ++k) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) { // one save before the signal, so that a fresh child's page faults do not count
            save(static_cast<unsigned>(k));
            if (::write(ready[1], "go", 1) == 1)
                for (unsigned i = static_cast<unsigned>(k) + 1;; ++i)
                    save(i);
            ::_exit(1);
        }
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1) << "the saving child did not start";
        ::close(ready[0]), ::close(ready[1]);
        std::this_thread::sleep_for(Micros(delay(random)));
        ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
        const std::string seen = readBytes(file);
        EXPECT_TRUE(seen == oldBytes || seen == newBytes) << "kill " << k << " left " << seen.size() << " bytes";
        olds += seen == oldBytes, news += seen == newBytes;
        for (const auto& e : fs::directory_iterator(dir.path())) // temporary files a kill left
            if (e.path() != file && e.path().extension() != ".lock")
                fs::remove(e.path());
    }
    EXPECT_TRUE(olds > 0 && news > 0) << "writes were not both cut short and completed between kills";
}
#endif
