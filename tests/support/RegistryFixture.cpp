#include "support/RegistryFixture.h"

#include <stdexcept>

namespace tavrel::test {

std::string regFile(std::string_view body, const RegForm& form)
{
    const std::string text = std::string(form.header) + "\n\n" + std::string(body);
    std::string out = form.utf16 ? "\xFF\xFE" : "";
    auto put = [&](char32_t u) {
        if (form.utf16)
            out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        else
            out += u == U'€' ? '\x80' : static_cast<char>(u);
    };
    for (std::size_t i = 0; i < text.size();) {
        char32_t u = static_cast<unsigned char>(text[i++]);
        const std::size_t extra = u >= 0xE0 ? 2 : u >= 0xC0 ? 1 : 0;
        bool utf8 = extra && i + extra <= text.size();
        for (std::size_t k = 0; utf8 && k < extra; ++k)
            utf8 = (text[i + k] & 0xC0) == 0x80;
        for (std::size_t k = 0; utf8 && k < extra; ++k)
            u = (k ? u : u & (0x3F >> extra)) << 6 | (text[i++] & 0x3F);
        if (u != '\n')
            put(u);
        else
            for (const char e : std::string_view(form.eol))
                put(static_cast<unsigned char>(e));
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
    return s + std::string(extraLines) + "\n";
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
