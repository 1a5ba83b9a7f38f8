// Every file step of the preset store and the registry store fails in turn:
// each operation is first run once to record the steps it takes, then once
// more for each step with that step failing. Each time the files must be
// exactly as they were, and the caller must get an error that names the
// file and the system's reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "driver/DriverLayout.h"
#include "presets/PresetStore.h"
#include "registry/RegFileStore.h"
#include "registry/regdecl.h"
#include "support/RegistryFixture.h"
#include "support/TempDir.h"

using namespace tavrel;

namespace {

namespace fs = std::filesystem;

struct Step {
    FileStep step;
    fs::path path;
};

// The reasons injected, in turn: what a full disk, a failing disk, a
// refusal and a read-only mount report.
const std::errc kReasons[] = { std::errc::no_space_on_device, std::errc::io_error, std::errc::permission_denied,
    std::errc::read_only_file_system };

// Records every step; fails the one numbered `failAt` (none when negative).
struct Faults {
    int failAt = -1;
    std::error_code reason;
    std::vector<Step> steps;

    FaultHook hook()
    {
        return [this](FileStep step, const fs::path& path) {
            steps.push_back({ step, path });
            return static_cast<int>(steps.size()) - 1 == failAt ? reason : std::error_code {};
        };
    }
};

// Every file in the folder with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() != ".lock") // the lock file is empty and may be left behind
            files[e.path().filename().string()] = test::readBytes(e.path());
    return files;
}

std::set<FileStep> stepsOf(const std::vector<Step>& steps)
{
    std::set<FileStep> s;
    for (const Step& st : steps)
        s.insert(st.step);
    return s;
}

// One operation of a store, run in a fresh folder: `setup` makes the files,
// `run` does the operation with the hook and returns the error message the
// caller got ("" when it succeeded); it calls `settled` once the files are
// as the failing step must leave them (a store may be loaded first). `check`
// looks at the files afterwards.
using Settled = std::function<void()>;
struct Operation {
    const char* name;
    std::set<FileStep> mustTake; // steps the operation must offer to the hook
    std::function<std::string(const fs::path& dir, const FaultHook& hook, const Settled& settled)> run;
    std::function<void(const fs::path& dir)> setup;
    std::function<void(const fs::path& dir, bool failed)> check;
};

// Runs every operation once per step it takes, that step failing; counts
// the faults injected into `injected`.
void failEveryStep(const std::vector<Operation>& operations, int& injected)
{
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        std::vector<Step> steps;
        fs::path recordedIn;
        {
            test::TempDir dir;
            op.setup(dir.path());
            Faults record;
            EXPECT_EQ(op.run(dir.path(), record.hook(), [] {}), "");
            op.check(dir.path(), false);
            steps = record.steps;
            recordedIn = dir.path();
        }
        for (FileStep s : op.mustTake)
            EXPECT_TRUE(stepsOf(steps).count(s)) << "never asks about " << fileStepName(s);

        for (std::size_t n = 0; n < steps.size(); ++n) {
            SCOPED_TRACE(std::string("failing step ") + std::to_string(n) + ": " + fileStepName(steps[n].step));
            test::TempDir dir;
            op.setup(dir.path());
            std::map<std::string, std::string> before;
            bool settled = false;
            Faults faults { static_cast<int>(n), std::make_error_code(kReasons[n % std::size(kReasons)]), {} };
            const std::string message = op.run(dir.path(), faults.hook(), [&] {
                before = snapshot(dir.path());
                settled = true;
            });
            ++injected;
            ASSERT_TRUE(settled);
            EXPECT_FALSE(message.empty()) << "the failure was not reported";

            const fs::path file = dir.path() / steps[n].path.lexically_relative(recordedIn);
            EXPECT_NE(message.find(file.string()), std::string::npos) << message;
            EXPECT_NE(message.find(faults.reason.message()), std::string::npos) << message;
            EXPECT_EQ(snapshot(dir.path()), before);
            op.check(dir.path(), true);
        }
    }
}

#ifndef _WIN32
// The process's umask, read by setting it and back; the tests run on one thread.
mode_t processUmask()
{
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

fs::perms modeOf(const fs::path& file)
{
    return fs::status(file).permissions();
}
#endif

// --- the preset store ---

ClockPresetTable savedTable()
{
    ClockPresetTable t = editorDefaultPresets();
    t[0] = { "Quiet", LooseValue("250"), LooseValue("110") };
    return t;
}

std::vector<Operation> presetOperations()
{
    const std::string oldBytes = renderPresetFile(startDefaultPresets());
    auto makeFile = [oldBytes](const fs::path& dir) { test::writeBytes(dir / "TAVRL.CFG", oldBytes); };

    return {
        { "read the preset file", { FileStep::Open, FileStep::Read },
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                settled();
                ClockPresetTable table = editorDefaultPresets();
                const FileError err = ReadPresetFile(test::presetFileIn(dir, hook), table);
                // A failed read leaves the table as it was; a read fills it.
                EXPECT_EQ(table, err ? editorDefaultPresets() : startDefaultPresets());
                return err ? err.message() : std::string();
            },
            makeFile, [](const fs::path&, bool) {} },
        { "save over the preset file", { FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename },
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                settled();
                const FileError err = WritePresetFile(test::presetFileIn(dir, hook), savedTable());
                return err ? err.message() : std::string();
            },
            makeFile,
            [oldBytes](const fs::path& dir, bool failed) {
                EXPECT_EQ(test::readBytes(dir / "TAVRL.CFG"), failed ? oldBytes : renderPresetFile(savedTable()));
                // A failed save leaves nothing that stops the next one.
                if (failed) {
                    EXPECT_FALSE(WritePresetFile(test::presetFileIn(dir), savedTable()));
                }
            } },
        { "create the preset file", { FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename },
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                settled();
                const FileError err = WritePresetFile(test::presetFileIn(dir, hook), editorDefaultPresets());
                return err ? err.message() : std::string();
            },
            [](const fs::path&) {},
            [](const fs::path& dir, bool failed) {
                EXPECT_EQ(ProbePresetFile(test::presetFileIn(dir)), failed ? PresetFileState::Missing : PresetFileState::Present);
#ifndef _WIN32
                if (!failed) { // the usual mode of a new file, not a temporary file's private one
                    EXPECT_EQ(modeOf(dir / "TAVRL.CFG"), fs::perms(0666 & ~processUmask()));
                }
#endif
            } },
#ifndef _WIN32
        // 0646 is not a private file's 0600, and the usual umasks (022, 002)
        // clear one of its bits, so only a save that gives the new file the
        // old one's mode keeps it. The umask, shared by every thread, stays.
        { "save over a preset file that has a mode of its own",
            { FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename },
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                settled();
                const mode_t mask = processUmask();
                const FileError err = WritePresetFile(test::presetFileIn(dir, hook), savedTable());
                EXPECT_EQ(processUmask(), mask);
                return err ? err.message() : std::string();
            },
            [makeFile](const fs::path& dir) {
                makeFile(dir);
                fs::permissions(dir / "TAVRL.CFG", fs::perms(0646));
            },
            [](const fs::path& dir, bool) { EXPECT_EQ(modeOf(dir / "TAVRL.CFG"), fs::perms(0646)); } },
#endif
    };
}

// --- the registry store ---

const std::string kOldRegistry
    = test::regedit4(test::displayKey(0, "Creative Labs", "GeForceDDR") + "[HKEY_LOCAL_MACHINE\\"
        + driverSettingsPath("0000") + "]\n\"MemClock\"=dword:0000012c\n\"GrfxClock\"=\"120\"\n");

fs::path registryIn(const fs::path& dir)
{
    return dir / "registry.reg";
}

// The plain write of a value with each save step failing is covered by the
// store's own tests; these are the other operations and states.

// A store whose file steps go to the hook only once `armed` is set, so
// that a failure hits the operation under test and not the load before it.
struct ArmedStore {
    bool armed = false;
    RegFileStore store;
    ProgramState state;

    ArmedStore(const fs::path& dir, const FaultHook& hook)
        : store(registryIn(dir),
            [this, hook](
                FileStep step, const fs::path& path) { return armed ? hook(step, path) : std::error_code {}; })
        , state(store, test::presetFileIn(dir))
    {
        EXPECT_TRUE(store.load()) << store.loadError().message();
    }

    LooseValue read(const std::string& name)
    {
        QueryValue(state, driverSettingsPath("0000"), name);
        EXPECT_EQ(state.QueryValueStatus, kStatusSuccess);
        return state.QueryValueResult;
    }
};

// What a later run finds in the file.
LooseValue readBack(const fs::path& dir, const std::string& name)
{
    RegFileStore store(registryIn(dir));
    EXPECT_TRUE(store.load());
    ProgramState state(store, test::presetFileIn(dir));
    QueryValue(state, driverSettingsPath("0000"), name);
    return state.QueryValueResult;
}

// Writes MemClock 350; on failure checks what the caller sees and that the
// store still reads the old value and can write once the fault is gone.
std::string writeClock(ArmedStore& s, const Settled& settled, const LooseValue& oldValue)
{
    settled();
    s.armed = true;
    const std::int32_t status
        = SetKeyValue(s.state, driverSettingsPath("0000"), kMemClock, LooseValue(std::int32_t { 350 }), kRegDword);
    s.armed = false;
    if (status == kStatusSuccess)
        return {};
    EXPECT_TRUE(s.store.lastWriteError());
    EXPECT_EQ(s.read(kMemClock), oldValue);
    const std::string message = s.store.lastWriteError().message();
    EXPECT_EQ(SetKeyValue(s.state, driverSettingsPath("0000"), kMemClock, oldValue, kRegDword), kStatusSuccess);
    return message;
}

std::vector<Operation> registryOperations()
{
    const std::set<FileStep> saveSteps
        = { FileStep::Lock, FileStep::CreateTemp, FileStep::Write, FileStep::Flush, FileStep::Rename };
    auto makeFile = [](const fs::path& dir) { test::writeBytes(registryIn(dir), kOldRegistry); };
    // Another program's change, made after the store loaded the file: the
    // store reads the file again under the lock before it writes. (The size
    // changes too, so that it shows where file times are coarse.)
    const std::string changed = [] {
        std::string s = kOldRegistry;
        s.replace(s.find("\"120\""), 5, "\"1350\"");
        return s;
    }();
    std::set<FileStep> rereadSteps = saveSteps;
    rereadSteps.insert({ FileStep::Open, FileStep::Read });

    return {
        { "load the registry file", { FileStep::Open, FileStep::Read },
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                settled();
                RegFileStore store(registryIn(dir), hook);
                if (store.load())
                    return std::string();
                // A file that could not be read is never written, and every call says so.
                ProgramState state(store, test::presetFileIn(dir));
                EXPECT_EQ(SetKeyValue(state, driverSettingsPath("0000"), kMemClock, LooseValue(std::int32_t { 350 }),
                              kRegDword),
                    kStatusBadDb);
                QueryValue(state, driverSettingsPath("0000"), kMemClock);
                EXPECT_EQ(state.QueryValueStatus, kStatusBadDb);
                return store.loadError().message();
            },
            makeFile, [](const fs::path&, bool) {} },
        { "write a clock value after another program changed the file", rereadSteps,
            [changed](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                ArmedStore s(dir, hook);
                test::writeBytes(registryIn(dir), changed);
                return writeClock(s, settled, LooseValue(std::int32_t { 300 }));
            },
            makeFile,
            [](const fs::path& dir, bool) {
                EXPECT_EQ(readBack(dir, kGrfxClock), LooseValue("1350")); // the other program's change stays
            } },
        { "create a key in a registry that has no file yet", saveSteps,
            [](const fs::path& dir, const FaultHook& hook, const Settled& settled) {
                ArmedStore s(dir, hook);
                settled();
                s.armed = true;
                RegHandle h = 0;
                const std::int32_t status
                    = s.store.RegCreateKeyExA(kHKeyLocalMachine, driverSettingsPath("0000").c_str(), 0, nullptr,
                        kRegOptionNonVolatile, kKeyAccessMask, nullptr, &h, nullptr);
                s.store.RegCloseKey(h);
                if (status == kStatusSuccess)
                    return std::string();
                EXPECT_EQ(h, 0u);
                return s.store.lastWriteError().message();
            },
            [](const fs::path&) {},
            [](const fs::path& dir, bool failed) { EXPECT_EQ(fs::exists(registryIn(dir)), !failed); } },
    };
}

} // namespace

TEST(FaultInjection, EveryPresetFileStepFailingLeavesTheFilesAndReportsWhy)
{
    int injected = 0;
    failEveryStep(presetOperations(), injected);
    std::cout << "[          ] " << injected << " faults injected\n";
}

TEST(FaultInjection, EveryRegistryFileStepFailingLeavesTheFileAndReportsWhy)
{
    int injected = 0;
    failEveryStep(registryOperations(), injected);
    std::cout << "[          ] " << injected << " faults injected\n";
}
