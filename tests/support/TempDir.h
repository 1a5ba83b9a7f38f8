#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tavrel::test {

// A fresh folder under `base`, removed with its contents when the object goes.
class TempDir {
public:
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path())
    {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        do
            path_ = base / ("tavrel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() { std::filesystem::remove_all(path_, ec_); }
    TempDir(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
    std::error_code ec_;
};

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : throw std::runtime_error("cannot read " + file.string());
}

inline void writeBytes(const std::filesystem::path& file, std::string_view bytes)
{
    if (!std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot write " + file.string());
}

#ifdef TAVREL_SAMPLES_DIR
inline std::filesystem::path samplePath(std::string_view name) { return std::filesystem::path(TAVREL_SAMPLES_DIR) / name; }
#endif

} // namespace tavrel::test
