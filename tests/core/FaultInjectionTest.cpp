// Each file step of a registry write and of a preset save fails in turn (a first run records the steps): the folder
// keeps what it held, the error names the file and the system's reason (and a registry write the nearest Win32
// status), and the next try works. Saves failing or cut short; special files, another's lock, links and owners.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#ifndef _WIN32
#include <sys/stat.h>
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
    // Windows 95/98/ME's road only. Once the new file is in, the save stands: a backup left is the next save's.
    {FileStep::Backup, {std::errc::permission_denied, kStatusAccessDenied}},
    {FileStep::RemoveBackup, {std::errc::io_error, 0}},
};

// The steps an operation takes once armed; the one numbered failAt fails.
struct Faults {
    int failAt = -1;
    bool armed = false;
    std::vector<FileStep> steps;
    FaultHook hook()
    {
        return [this](FileStep step, const FilePath&) {
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
    DriverState access(store);
    if (variant & ChangedByAnother) // it grows in place: the store reads it again under the lock before it writes
        writeBytes(dir / "registry.reg", readBytes(dir / "registry.reg") + std::string("\r\0\n\0", 4));
    const auto before = snapshot(dir);
    const std::string key = driverSettingsPath("0000");
    auto write = [&] {
        if (!(variant & BothClocks)) {
            const std::int32_t status = SetKeyValue(store, key, kMemClock, LooseValue("350"), kRegDword);
            return Outcome{status ? store.lastWriteError().message() : "", status};
        }
        const ApplyOutcome outcome = applyClocks(access, "0000", "350", "140");
        EXPECT_TRUE(outcome.written || (outcome.done.empty() && outcome.message.starts_with(
            "The memory clock (MemClock) and the core clock (GrfxClock) could not be written"))) << outcome.message;
        return Outcome{outcome.message, 0};
    };
    f.armed = true;
    const Outcome out = write();
    f.armed = false;
    for (const auto& [name, value] : {std::pair(kMemClock, 300), {kGrfxClock, 120}})
        EXPECT_TRUE(out.first.empty() || QueryValue(store, key, name).QueryValueResult == LooseValue(std::int32_t{value})) << name;
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
            if (record.steps[n] == FileStep::RemoveBackup) {
                EXPECT_EQ(std::pair(message, status), Outcome()) << "the save is done";
                continue;
            }
            EXPECT_NE(message.find((dir / op.file).string()), std::string::npos) << message;
            EXPECT_NE(message.find(std::make_error_code(reason).message()), std::string::npos) << message;
            EXPECT_EQ(status, op.run == writeClock && !(op.variant & BothClocks) ? win32 : 0);
        }
    }
}

// Each step of a save failing, or the process stopping there (the hook throws), on either road: the name (or its
// backup while it is missing) reads as the old file, or the new one once in place; a failed save says why, and
// the next save works and leaves no backup.
TEST(FaultInjection, EverySaveStepFailingOrCutShortLeavesAWholeFile)
{
    struct Stop {};
    using enum FileStep;
    const TempDir dir;
    const fs::path file = dir / "TAVRL.CFG";
    const FilePiece piece("new");
    for (const SaveRoad road : {SaveRoad::Replacing, SaveRoad::KeepingBackup})
        for (const FileStep step : {CreateTemp, Write, Flush, Backup, Rename, RemoveBackup})
            for (const bool crash : {false, true}) {
                SCOPED_TRACE(std::string(fileStepName(step)) + (crash ? ", cut short" : ", failing") + " on road "
                             + std::to_string(static_cast<int>(road)));
                writeBytes(file, "old");
                const FaultHook hook = [&](FileStep s, const FilePath&) {
                    const auto failed = make_error_code(std::errc::io_error);
                    return s != step ? std::error_code{} : crash ? throw Stop{} : failed;
                };
                FileError err;
                try {
                    err = writeFileAtomically(file, std::span(&piece, 1), hook, road);
                } catch (const Stop&) {
                }
                const bool saved = step == RemoveBackup || (road == SaveRoad::Replacing && step == Backup);
                std::string seen;
                EXPECT_FALSE(readWholeFile(file, seen)) << "nothing whole to read";
                const bool named = !err || err.message().find(file.string()) != std::string::npos;
                EXPECT_EQ(std::tuple(seen, static_cast<bool>(err), named),
                          std::tuple(std::string(saved ? "new" : "old"), !saved && !crash, true));
                EXPECT_FALSE(writeFileAtomically(file, std::span(&piece, 1), {}, road) || readWholeFile(file, seen));
                EXPECT_EQ(std::pair(seen, fs::exists(backupPath(file).string())), std::pair(std::string("new"), false));
            }
}

// A folder where the file should be stays where it is on either road: the save fails and names the file.
TEST(FaultInjection, AFolderInTheFilesPlaceIsNeverMovedAside)
{
    const TempDir dir;
    const fs::path file = dir / "TAVRL.CFG";
    fs::create_directories(file / "kept");
    const FilePiece piece("new");
    for (const SaveRoad road : {SaveRoad::Replacing, SaveRoad::KeepingBackup}) {
        const FileError err = writeFileAtomically(file, std::span(&piece, 1), {}, road);
        EXPECT_TRUE(err && err.message().find(file.string()) != std::string::npos) << static_cast<int>(road);
        EXPECT_EQ(std::pair(fs::is_directory(file / "kept"), fs::exists(backupPath(file).string())),
                  std::pair(true, false));
    }
}

// Another holder of the lock (a second lock in this process will do: a lock belongs to an open file) makes a
// writer give up after its wait, saying so, rather than wait for ever.
TEST(FaultInjection, LockHeldByAnotherFailsAfterTheWait)
{
    const TempDir dir;
    FileError first, second;
    const FileLock held = FileLock::acquire(dir / "r.reg", first);
    const FileLock waiting = FileLock::acquire(dir / "r.reg", second, {}, std::chrono::milliseconds(200));
    EXPECT_EQ(std::tuple(held.locked(), waiting.locked(), second.code == FileErrc::LockedByAnother),
              std::tuple(true, false, true));
    EXPECT_EQ(second.message().find("\"" + (dir / "r.reg").string() + "\" is being written by another program"), 0u);
}

#ifndef _WIN32
// A FIFO (whose open would wait for a writer), a device without end, a folder and a file past 1 GiB (sparse) are
// refused at once, as the preset file and as the registry file, naming the file and why.
TEST(FaultInjection, SpecialAndHugeFilesAreRefusedAtOnce)
{
    const TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    writeBytes(dir / "huge", ""), fs::resize_file(dir / "huge", kMaxFileSize + 1);
    const char* special = "is not a regular file";
    const std::pair<fs::path, const char*> cases[] = {
        {dir / "fifo", special}, {"/dev/zero", special}, {dir / "folder", special}, {dir / "huge", "than 1 GiB"}};
    for (const auto& [file, reason] : cases) {
        ClockPresetTable table;
        RegFileStore store(file);
        for (const std::string& message : {ReadPresetFile(PresetFile(file), table).message(),
                                           store.load() ? "loaded" : store.loadError().message()})
            EXPECT_TRUE(message.starts_with('"' + file.string() + '"') && message.find(reason) != std::string::npos)
                << message;
    }
}

// Saves through a symbolic link replace the file it leads to (through a chain, relative links from their own
// folder; a missing one is made), under a lock beside it, with its owner and group; the link stays a link.
TEST(FaultInjection, SavesGoThroughLinksAndKeepTheOwner)
{
    using Links = std::vector<std::pair<std::string, std::string>>; // name, where it leads
    const struct { const char* name; Links links; const char* target; } cases[] = {
        {"no link", {}, "a/TAVRL.CFG"},
        {"relative", {{"a/TAVRL.CFG", "real.cfg"}}, "a/real.cfg"},
        {"a chain into another folder", {{"a/TAVRL.CFG", "l2"}, {"a/l2", "../b/real.cfg"}}, "b/real.cfg"},
        {"absolute", {{"a/TAVRL.CFG", "/b/real.cfg"}}, "b/real.cfg"},
        {"dangling", {{"a/TAVRL.CFG", "../b/new.cfg"}}, "b/new.cfg"},
    };
    for (const auto& c : cases)
        for (const bool registry : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (registry ? ", registry" : ", presets"));
            const TempDir dir;
            fs::create_directory(dir / "a"), fs::create_directory(dir / "b");
            const fs::path target = dir / c.target, name = dir / "a/TAVRL.CFG";
            const bool old = c.name != std::string_view("dangling"), given = old && !::geteuid();
            if (old)
                fs::copy_file(samplePath("one-adapter.reg"), target), (void)::chown(target.c_str(), 65534, 65534);
            for (const auto& [link, to] : c.links)
                fs::create_symlink(to.starts_with('/') ? dir.path().string() + to : to, dir / link);
            const std::string before = old ? readBytes(target) : "";
            RegFileStore store(name);
            RegHandle key = 0;
            EXPECT_TRUE(registry ? store.load()
                                       && !store.RegCreateKeyExA(kHKeyLocalMachine, "Software\\L", 0, nullptr, 0, 0,
                                                                 nullptr, &key, nullptr)
                                 : !WritePresetFile(PresetFile(name), editorDefaultPresets()));
            struct stat st {};
            const bool locked = fs::exists(target.string() + ".lock");
            EXPECT_EQ(std::tuple(fs::is_symlink(name), readBytes(target) != before, locked,
                                 ::stat(target.c_str(), &st), st.st_uid, st.st_gid),
                      std::tuple(!c.links.empty(), true, registry, 0, given ? 65534u : ::geteuid(),
                                 given ? 65534u : ::getegid()));
        }
}
#endif
