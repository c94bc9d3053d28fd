#include "builder/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tonvale::test {

std::string WriteFile(const std::string& path, ByteView bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string TempDir(std::string_view name) {
    namespace fs = std::filesystem;
    // One tree per process, as ctest runs tests side by side; gone when the process ends (a
    // benchmark's hour of sound too), unless TONVALE_KEEP_TEST_FILES asks to look at it.
    struct Tree {
        fs::path path = fs::temp_directory_path() / ("tonvale-tests-" + std::to_string(getpid()));
        ~Tree() {
            std::error_code error;
            if (!std::getenv("TONVALE_KEEP_TEST_FILES")) fs::remove_all(path, error);
        }
    };
    static const Tree tree;
    const fs::path dir = tree.path / std::string(name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace tonvale::test
