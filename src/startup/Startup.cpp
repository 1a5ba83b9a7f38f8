#include "Startup.h"

#include "RegistryFile.h"
#include "presets/PresetStore.h"

#ifdef _WIN32
#include <windows.h>

#include "registry/WinRegistryApi.h"
#else
#include <filesystem>

#include "registry/RegFileStore.h"
#endif

namespace tavrel {

FilePath programFolder([[maybe_unused]] const char* argv0)
{
#ifdef _WIN32
    // The 8-bit name: the wide one would bring the wide file calls along,
    // which Windows 95/98/ME lack.
    std::string file(MAX_PATH, '\0');
    file.resize(::GetModuleFileNameA(nullptr, file.data(), MAX_PATH));
    return FilePath(std::move(file)).parent();
#else
    std::error_code ec;
    if (const auto self = std::filesystem::read_symlink("/proc/self/exe", ec); !ec)
        return self.parent_path();
    return std::filesystem::absolute(std::filesystem::path(argv0 ? argv0 : ""), ec).parent_path();
#endif
}

ProgramStart startProgram(
    const FilePath& programFolder, [[maybe_unused]] const std::optional<std::string>& registryFile)
{
    ProgramStart start;
#ifdef _WIN32
    start.registry = std::make_unique<WinRegistryApi>();
#else
    auto file = std::make_unique<RegFileStore>(registryFile ? FilePath(*registryFile) : defaultRegistryPath());
    if (!file->load()) {
        start.registryError = file->loadError().message();
        return start;
    }
    // Found here, before anything is read, so that every front end blames the file alike.
    if (const std::string shortfall = registryFileShortfall(*file); !shortfall.empty()) {
        start.noAdapter = noAdapterMessage(shortfall);
        return start;
    }
    start.registry = std::move(file);
#endif
    start.state = std::make_unique<ProgramState>(*start.registry, PresetFile(PresetFilePath(programFolder)));
    return start;
}

} // namespace tavrel
