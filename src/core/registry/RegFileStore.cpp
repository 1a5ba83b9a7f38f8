#include "registry/RegFileStore.h"

#include "registry/regfile/RegText.h"
#include "registry/regfile/StoreStatus.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrel {

using namespace regfile;

namespace {

constexpr std::uint32_t kCreatedNewKey = 1;
constexpr std::uint32_t kOpenedExistingKey = 2;

// The path of a subkey; names must not be empty, a trailing '\' is allowed.
std::optional<std::string> joinPath(const std::string& base, const char* subKey)
{
    std::string_view sub = subKey ? subKey : "";
    if (!sub.empty() && sub.back() == '\\')
        sub.remove_suffix(1);
    if (sub.empty())
        return base;
    // An empty name names no key, the last one included (a path that ends
    // in two backslashes), and a line break cannot stand in a section
    // header: such a key could be created but never opened again.
    if (sub.front() == '\\' || sub.back() == '\\' || sub.find("\\\\") != std::string_view::npos
        || sub.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    return base.empty() ? std::string(sub) : base + '\\' + std::string(sub);
}

std::string environment(const char* name)
{
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

FilePath defaultRegistryPath()
{
    if (const std::string file = environment("TAVREL_REGISTRY"); !file.empty())
        return file;
    FilePath data = environment("XDG_DATA_HOME");
    if (data.empty() || !data.isAbsolute())
        data = FilePath(environment("HOME")) / ".local" / "share";
    return data / "tavrel" / "registry.reg";
}

struct RegFileStore::Impl {
    struct OpenKey {
        int root = 0;
        std::string path; // as the caller spelled it
        std::uint64_t generation = 0;
        KeyInfo info; // valid while generation matches the text's
    };
    enum class State { Unloaded, Ready, Refused };

    FilePath file;
    FaultHook faults;
    State state = State::Unloaded;
    std::unique_ptr<RegText> text;
    std::uint64_t generation = 1; // changes whenever text does
    RegFileError loadError;
    FileError writeError;
    std::string missingKey; // why the last open found no key, naming the file
    std::optional<std::vector<ValueChange>> group; // values staged by a write group
    std::array<OpenKey, kRootNames.size()> roots;
    std::vector<std::optional<OpenKey>> handles; // handle h is handles[h - 1]

    bool load();
    void refuse(RegFileError why);
    std::int32_t ready();
    OpenKey* find(RegHandle h);
    const KeyInfo& info(OpenKey& key);
    RegHandle open(int root, const std::string& path, const KeyInfo& key);
    template <class MakeEdits> std::int32_t persist(MakeEdits makeEdits, bool* wrote = nullptr);
    // Resets what the last call knew of its failure.
    void newCall()
    {
        writeError = {};
        missingKey.clear();
    }
};

bool RegFileStore::Impl::load()
{
    FileBytes bytes;
    const FileError err = readWholeFile(file, bytes, faults);
    if (err && err.code.category() == fileCategory()) {
        refuse({file, 0, "the file " + err.code.message()});
        return false;
    }
    if (err && !isMissing(err)) {
        refuse({file, 0, "cannot " + std::string(fileStepName(err.step)) + " the file (" + err.code.message() + ")"});
        return false;
    }
    auto fresh = std::make_unique<RegText>();
    if (auto bad = fresh->adopt(std::move(bytes), file)) {
        refuse(std::move(*bad));
        return false;
    }
    text = std::move(fresh);
    ++generation;
    state = State::Ready;
    loadError = {};
    return true;
}

void RegFileStore::Impl::refuse(RegFileError why)
{
    loadError = std::move(why);
    state = State::Refused;
}

std::int32_t RegFileStore::Impl::ready()
{
    // The file's bytes are held in memory: another program's change is
    // taken in before the next write.
    if (state == State::Unloaded)
        load();
    return state == State::Ready ? kStatusSuccess : kStatusBadDb;
}

RegFileStore::Impl::OpenKey* RegFileStore::Impl::find(RegHandle h)
{
    if (h >= kFirstRoot && h - kFirstRoot < roots.size())
        return &roots[h - kFirstRoot];
    if (h == 0 || h > handles.size() || !handles[h - 1])
        return nullptr;
    return &*handles[h - 1];
}

const KeyInfo& RegFileStore::Impl::info(OpenKey& key)
{
    if (key.generation != generation) {
        key.info = text->resolve(key.root, foldAnsi(key.path));
        key.generation = generation;
    }
    return key.info;
}

RegHandle RegFileStore::Impl::open(int root, const std::string& path, const KeyInfo& key)
{
    auto slot = std::find_if(handles.begin(), handles.end(), [](const auto& h) { return !h.has_value(); });
    if (slot == handles.end())
        slot = handles.insert(handles.end(), std::nullopt);
    *slot = OpenKey{root, path, generation, key};
    return static_cast<RegHandle>(slot - handles.begin() + 1);
}

// Writes one change, or a write group's: under the lock, on top of the
// file as it is now (a change by another program is read first), into a new
// file renamed over the old one. On failure the file and the store stay as
// they were.
template <class MakeEdits> std::int32_t RegFileStore::Impl::persist(MakeEdits makeEdits, bool* wrote)
{
    auto fail = [this](FileError err) {
        writeError = std::move(err);
        return win32Status(writeError);
    };
    if (const std::error_code ec = createFolders(file.parent()))
        return fail({file, FileStep::Lock, ec});

    FileError err;
    const FileLock lock = FileLock::acquire(file, err, faults);
    if (err)
        return fail(err);
    if (fileStamp(file) != text->stamp()) {
        FileBytes bytes;
        err = readWholeFile(file, bytes, faults);
        if (err && !isMissing(err))
            return fail(err);
        auto fresh = std::make_unique<RegText>();
        if (auto bad = fresh->adopt(std::move(bytes), file)) {
            refuse(std::move(*bad));
            return kStatusBadDb;
        }
        text = std::move(fresh);
        ++generation;
    }

    const std::vector<Edit> edits = makeEdits(static_cast<const RegText&>(*text));
    if (edits.empty())
        return kStatusSuccess;
    const FileBytes& old = text->file();
    std::vector<FilePiece> pieces;
    std::size_t at = 0;
    for (const Edit& edit : edits) {
        pieces.emplace_back(old, at, edit.from - at);
        pieces.emplace_back(edit.bytes);
        at = edit.to;
    }
    pieces.emplace_back(old, at, old.view().size() - at);
    err = writeFileAtomically(file, pieces, faults);
    if (err)
        return fail(err);
    if (wrote)
        *wrote = true;
    // The change is on disk; reading it back is no part of the write, so it
    // is no step to fail. Should it fail, the next call reads the file again.
    FileBytes written;
    if (readWholeFile(file, written)) {
        state = State::Unloaded;
        return kStatusSuccess;
    }
    text->applyEdits(edits, std::move(written), file);
    ++generation;
    return kStatusSuccess;
}

RegFileStore::RegFileStore(FilePath file, FaultHook faults)
    : d(std::make_unique<Impl>())
{
    d->file = std::move(file);
    d->faults = std::move(faults);
    for (std::size_t i = 0; i < d->roots.size(); ++i)
        d->roots[i].root = static_cast<int>(i);
}

RegFileStore::~RegFileStore() = default;

bool RegFileStore::load()
{
    return d->load();
}
const RegFileError& RegFileStore::loadError() const
{
    return d->loadError;
}
const FilePath& RegFileStore::path() const
{
    return d->file;
}
const FileError& RegFileStore::lastWriteError() const
{
    return d->writeError;
}

std::string RegFileStore::lastErrorDetail() const
{
    if (d->writeError)
        return d->writeError.message();
    // A file refused on a later reading refuses every call: say why.
    if (d->loadError)
        return d->loadError.message();
    return d->missingKey;
}

std::int32_t RegFileStore::RegOpenKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t /*ulOptions*/,
                                         std::uint32_t /*samDesired*/, RegHandle* phkResult)
{
    d->newCall();
    if (phkResult)
        *phkResult = 0;
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* parent = d->find(hKey);
    if (!parent)
        return kStatusInvalidHandle;
    const std::optional<std::string> subPath = joinPath(parent->path, lpSubKey);
    if (!phkResult || !subPath)
        return kStatusInvalidParameter;
    const int root = parent->root;
    const KeyInfo key = d->text->resolve(root, foldAnsi(*subPath));
    if (!key.exists) {
        d->missingKey = "The key does not exist in the registry file \"" + d->file.string() + "\".";
        return kStatusNotFound;
    }
    *phkResult = d->open(root, *subPath, key);
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegCreateKeyExA(RegHandle hKey, const char* lpSubKey, std::uint32_t /*Reserved*/,
                                           const char* /*lpClass*/, std::uint32_t /*dwOptions*/,
                                           std::uint32_t /*samDesired*/, const void* /*lpSecurityAttributes*/,
                                           RegHandle* phkResult, std::uint32_t* lpdwDisposition)
{
    d->newCall();
    if (phkResult)
        *phkResult = 0;
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* parent = d->find(hKey);
    if (!parent)
        return kStatusInvalidHandle;
    const std::optional<std::string> subPath = joinPath(parent->path, lpSubKey);
    if (!phkResult || !lpSubKey || !subPath)
        return kStatusInvalidParameter;
    const int root = parent->root;
    const std::u16string folded = foldAnsi(*subPath);
    std::uint32_t disposition = kOpenedExistingKey;
    if (!d->text->resolve(root, folded).exists) {
        bool wrote = false;
        const std::int32_t status = d->persist(
            [&](const RegText& text) {
                if (text.resolve(root, folded).exists)
                    return std::vector<Edit>(); // another program made it meanwhile
                return std::vector<Edit>{text.createKeyEdit(root, *subPath)};
            },
            &wrote);
        if (status != kStatusSuccess)
            return status;
        if (wrote)
            disposition = kCreatedNewKey;
        if (d->ready() != kStatusSuccess)
            return kStatusBadDb;
    }
    *phkResult = d->open(root, *subPath, d->text->resolve(root, folded));
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegQueryValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t* lpReserved,
                                            std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData)
{
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* key = d->find(hKey);
    if (!key)
        return kStatusInvalidHandle;
    if (lpReserved || (lpData && !lpcbData))
        return kStatusInvalidParameter;
    const std::optional<Entry> value =
        d->text->findValue(d->info(*key), foldAnsi(lpValueName ? lpValueName : ""), nullptr);
    if (!value || value->deletion)
        return kStatusNotFound;
    const std::string data = d->text->ansiView(*value);
    const auto size = static_cast<std::uint32_t>(data.size());
    if (lpType)
        *lpType = value->type;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return kStatusMoreData;
        }
        std::copy(data.begin(), data.end(), lpData);
    }
    if (lpcbData)
        *lpcbData = size;
    return kStatusSuccess;
}

std::int32_t RegFileStore::RegSetValueExA(RegHandle hKey, const char* lpValueName, std::uint32_t /*Reserved*/,
                                          std::uint32_t dwType, const std::uint8_t* lpData, std::uint32_t cbData)
{
    // A reason belongs to the write that failed, not to an earlier one. That
    // the key was missing stays: a write on the 0 handle follows such an open.
    d->writeError = {};
    if (const std::int32_t status = d->ready())
        return status;
    Impl::OpenKey* key = d->find(hKey);
    if (!key)
        return kStatusInvalidHandle;
    const std::string_view name = lpValueName ? lpValueName : "";
    // A line break cannot stand in a value's line: such a value could be written but never read again.
    if ((!lpData && cbData > 0) || name.find_first_of("\r\n") != std::string_view::npos)
        return kStatusInvalidParameter;
    ValueChange change{key->root, key->path, std::string(name), dwType,
                       std::string(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0)};
    if (d->group) {
        d->group->push_back(std::move(change));
        return kStatusSuccess;
    }
    return d->persist([&](const RegText& text) { return text.setValueEdits(std::span(&change, 1)); });
}

void RegFileStore::beginWriteGroup()
{
    d->group.emplace();
}

std::int32_t RegFileStore::commitWriteGroup()
{
    d->writeError = {};
    const std::vector<ValueChange> changes = d->group ? std::move(*d->group) : std::vector<ValueChange>();
    d->group.reset();
    if (changes.empty())
        return kStatusSuccess;
    if (const std::int32_t status = d->ready())
        return status;
    return d->persist([&](const RegText& text) { return text.setValueEdits(changes); });
}

void RegFileStore::cancelWriteGroup()
{
    d->group.reset();
}

std::int32_t RegFileStore::RegCloseKey(RegHandle hKey)
{
    if (const std::int32_t status = d->ready())
        return status;
    if (hKey >= kFirstRoot && hKey - kFirstRoot < d->roots.size())
        return kStatusSuccess;
    if (hKey == 0 || hKey > d->handles.size() || !d->handles[hKey - 1])
        return kStatusInvalidHandle;
    d->handles[hKey - 1].reset();
    return kStatusSuccess;
}

} // namespace tavrel
