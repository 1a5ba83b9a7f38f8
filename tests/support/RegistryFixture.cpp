#include "support/RegistryFixture.h"

#include <stdexcept>

namespace tavrel::test {

std::string regedit4(std::string_view body)
{
    std::string out = "REGEDIT4\r\n\r\n";
    for (char c : body) {
        if (c == '\n')
            out += "\r\n";
        else
            out.push_back(c);
    }
    return out;
}

std::string displayKey(int index, const char* provider, const char* infSection, std::string_view extraLines)
{
    std::string s = "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Display\\000"
                    + std::to_string(index) + "]\n";
    if (provider)
        s += "\"ProviderName\"=\"" + std::string(provider) + "\"\n";
    if (infSection)
        s += "\"InfSection\"=\"" + std::string(infSection) + "\"\n";
    s += extraLines;
    s += "\n";
    return s;
}

RegistryFixture::RegistryFixture(std::string_view regFileBytes) : regFile(dir / "registry.reg")
{
    writeBytes(regFile, regFileBytes);
    store = reopen();
    state = std::make_unique<ProgramState>(*store, presetFileIn(dir.path()));
}

std::unique_ptr<RegFileStore> RegistryFixture::reopen() const
{
    auto s = std::make_unique<RegFileStore>(regFile);
    if (!s->load())
        throw std::runtime_error(s->loadError().message());
    return s;
}

} // namespace tavrel::test
