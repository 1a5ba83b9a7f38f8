// Every file step of the preset store and the registry store fails in turn:
// each operation runs once to record the steps it takes, then once for each
// step with that step failing. The folder must hold exactly what it held,
// the caller gets the error naming the file and the system's reason (and,
// from the registry, the Win32 status nearest to it), and the next try works.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "driver/DriverLayout.h"
#include "registry/regdecl.h"
#include "support/RegistryFixture.h"

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

const std::string kOldRegistry = regedit4(displayKey(0, "Creative Labs", "GeForceDDR") + "[HKEY_LOCAL_MACHINE\\"
                                          + driverSettingsPath("0000") + "]\n\"MemClock\"=dword:0000012c\n\"GrfxClock\"=\"120\"\n");

// The steps an operation takes once armed; the one numbered failAt fails.
struct Faults {
    explicit Faults(fs::path folder, int step = -1) : dir(std::move(folder)), failAt(step) {}
    fs::path dir;
    int failAt;
    bool armed = false;
    std::vector<FileStep> steps;
    std::map<fs::path, std::string> before; // the folder when armed, lock files aside

    FaultHook hook()
    {
        return [this](FileStep step, const fs::path&) {
            if (!armed)
                return std::error_code{};
            steps.push_back(step);
            const bool fail = static_cast<int>(steps.size()) - 1 == failAt;
            return fail ? std::make_error_code(kFaults.at(step).first) : std::error_code{};
        };
    }
    std::map<fs::path, std::string> folder() const
    {
        std::map<fs::path, std::string> files;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() != ".lock")
                files[e.path()] = readBytes(e.path());
        return files;
    }
    void arm()
    {
        before = folder();
        armed = true;
    }
};

struct Outcome {
    std::string message; // empty: it worked
    std::int32_t status = 0;
};

// Writes MemClock 350 through a store over the registry file; on failure the
// store still reads the old value, and the write works once the fault is gone.
Outcome writeClock(const fs::path& dir, Faults& f, bool changedByAnother)
{
    RegFileStore store(dir / "registry.reg", f.hook());
    EXPECT_TRUE(store.load());
    RegistryAccess access(store);
    const LooseValue old(std::int32_t{300});
    if (changedByAnother) { // the store reads the file again under the lock before it writes
        std::string changed = kOldRegistry;
        writeBytes(dir / "registry.reg", changed.replace(changed.find("\"120\""), 5, "\"1350\""));
    }
    f.arm();
    const std::int32_t status
        = SetKeyValue(access, driverSettingsPath("0000"), kMemClock, LooseValue(std::int32_t{350}), kRegDword);
    f.armed = false;
    if (status == kStatusSuccess)
        return {};
    QueryValue(access, driverSettingsPath("0000"), kMemClock);
    EXPECT_EQ(access.QueryValueResult, old);
    const Outcome out{store.lastWriteError().message(), status};
    EXPECT_EQ(SetKeyValue(access, driverSettingsPath("0000"), kMemClock, old, kRegDword), kStatusSuccess);
    return out;
}

ClockPresetTable savedTable()
{
    ClockPresetTable t = editorDefaultPresets();
    t[0] = {"Quiet", LooseValue("250"), LooseValue("110")};
    return t;
}

Outcome outcome(const FileError& err)
{
    return {err ? err.message() : std::string(), 0};
}

const struct Operation {
    const char* name;
    const char* file;
    bool registry; // gives a Win32 status
    std::vector<FileStep> mustTake;
    void (*setup)(const fs::path& dir);
    Outcome (*run)(const fs::path& dir, Faults& f);
} kOperations[] = {
    // 0646 is no temporary file's 0600, and the usual umasks clear one of
    // its bits: only a save that gives the new file the old one's mode keeps it.
    {"save over the preset file", "TAVRL.CFG", false, {FileStep::CreateTemp, FileStep::Write, FileStep::Flush,
                                                        FileStep::Rename},
     [](const fs::path& dir) {
         writeBytes(dir / "TAVRL.CFG", renderPresetFile(startDefaultPresets()));
         fs::permissions(dir / "TAVRL.CFG", fs::perms(0646));
     },
     [](const fs::path& dir, Faults& f) {
         f.arm();
         const Outcome out = outcome(WritePresetFile(presetFileIn(dir, f.hook()), savedTable()));
#ifndef _WIN32
         EXPECT_EQ(fs::status(dir / "TAVRL.CFG").permissions(), fs::perms(0646));
#endif
         return out;
     }},
    {"create the preset file", "TAVRL.CFG", false, {FileStep::CreateTemp, FileStep::Rename},
     [](const fs::path&) {},
     [](const fs::path& dir, Faults& f) {
         f.arm();
         const FileError err = WritePresetFile(presetFileIn(dir, f.hook()), savedTable());
         EXPECT_EQ(ProbePresetFile(presetFileIn(dir)), err ? PresetFileState::Missing : PresetFileState::Present);
#ifndef _WIN32
         const mode_t mask = ::umask(077); // the usual mode of a new file, not a temporary file's
         ::umask(mask);
         EXPECT_TRUE(err || fs::status(dir / "TAVRL.CFG").permissions() == fs::perms(0666 & ~mask));
#endif
         return outcome(err);
     }},
    {"load the registry file", "registry.reg", false, {FileStep::Open, FileStep::Read},
     [](const fs::path& dir) { writeBytes(dir / "registry.reg", kOldRegistry); },
     [](const fs::path& dir, Faults& f) -> Outcome {
         f.arm();
         RegFileStore store(dir / "registry.reg", f.hook());
         if (store.load())
             return {};
         RegistryAccess access(store); // a file that could not be read is never written
         EXPECT_EQ(SetKeyValue(access, driverSettingsPath("0000"), kMemClock, LooseValue("350"), kRegDword),
                   kStatusBadDb);
         return {store.loadError().message(), 0};
     }},
    {"write a clock value", "registry.reg", true,
     {FileStep::Lock, FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename},
     [](const fs::path& dir) { writeBytes(dir / "registry.reg", kOldRegistry); },
     [](const fs::path& dir, Faults& f) { return writeClock(dir, f, false); }},
    {"write a clock value after another program changed the file", "registry.reg", true,
     {FileStep::Open, FileStep::Read, FileStep::Lock, FileStep::Rename},
     [](const fs::path& dir) { writeBytes(dir / "registry.reg", kOldRegistry); },
     [](const fs::path& dir, Faults& f) { return writeClock(dir, f, true); }},
    {"create a key in a registry that has no file yet", "registry.reg", true, {FileStep::Lock, FileStep::Rename},
     [](const fs::path&) {},
     [](const fs::path& dir, Faults& f) -> Outcome {
         RegFileStore store(dir / "registry.reg", f.hook());
         EXPECT_TRUE(store.load());
         f.arm();
         RegHandle h = 7;
         const std::int32_t status = store.RegCreateKeyExA(kHKeyLocalMachine, "Software\\New", 0, nullptr, 0,
                                                           kKeyAccessMask, nullptr, &h, nullptr);
         store.RegCloseKey(h);
         EXPECT_EQ(fs::exists(dir / "registry.reg"), status == kStatusSuccess);
         if (status == kStatusSuccess)
             return {};
         EXPECT_EQ(h, 0u);
         EXPECT_EQ(store.RegOpenKeyExA(kHKeyLocalMachine, "Software\\New", 0, kKeyAccessMask, &h), kStatusNotFound);
         return {store.lastWriteError().message(), status};
     }},
};

} // namespace

TEST(FaultInjection, EveryFileStepFailingLeavesTheFilesAndReportsWhy)
{
    for (const Operation& op : kOperations) {
        SCOPED_TRACE(op.name);
        std::vector<FileStep> steps;
        {
            TempDir dir;
            Faults record(dir.path());
            op.setup(dir.path());
            EXPECT_EQ(op.run(dir.path(), record).message, "");
            steps = record.steps;
        }
        for (FileStep s : op.mustTake)
            EXPECT_NE(std::find(steps.begin(), steps.end(), s), steps.end()) << "never asks about " << fileStepName(s);
        for (std::size_t n = 0; n < steps.size(); ++n) {
            SCOPED_TRACE(std::string("failing step ") + std::to_string(n) + ": " + fileStepName(steps[n]));
            TempDir dir;
            Faults f(dir.path(), static_cast<int>(n));
            op.setup(dir.path());
            const Outcome out = op.run(dir.path(), f);
            EXPECT_NE(out.message.find((dir / op.file).string()), std::string::npos) << out.message;
            EXPECT_NE(out.message.find(std::make_error_code(kFaults.at(steps[n]).first).message()), std::string::npos)
                << out.message;
            EXPECT_EQ(out.status, op.registry ? kFaults.at(steps[n]).second : 0);
            EXPECT_EQ(f.folder(), f.before);
            Faults none(dir.path()); // nothing left behind stands in the way of the next try
            EXPECT_EQ(op.run(dir.path(), none).message, "");
        }
    }
    // A registry file in a folder that cannot be made (its parent is a file).
    TempDir dir;
    writeBytes(dir / "plain", "not a folder");
    RegFileStore store(dir / "plain" / "registry.reg");
    ASSERT_TRUE(store.load());
    RegHandle h = 0;
    EXPECT_EQ(store.RegCreateKeyExA(kHKeyLocalMachine, "New", 0, nullptr, 0, kKeyAccessMask, nullptr, &h, nullptr),
              3);
    EXPECT_EQ(store.lastWriteError().path, dir / "plain" / "registry.reg");
}
