#include "tape/TapeImage.h"

#include <filesystem>
#include <fstream>
#include <new>

namespace tonvale {

namespace fs = std::filesystem;

TapeImageFile ReadTapeImage(const std::string& path) {
    TapeImageFile image;
    // A path longer than a path buffer holds is one that cannot be opened, never a shorter one.
    const fs::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    if (path.size() > kMaxPath || !fs::is_regular_file(file, error)) return image;
    std::ifstream in(file, std::ios::binary);
    const std::uint64_t size = fs::file_size(file, error);
    if (!in || error) return image;

    image.size = size;
    if (size > kMaxImageSize) {
        image.outcome = TapeReadOutcome::TooLarge;
        return image;
    }
    try {
        image.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        image.outcome = TapeReadOutcome::NoMemory;
        return image;
    }
    in.read(reinterpret_cast<char*>(image.bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uint64_t>(in.gcount()) != size) {
        image.bytes = Bytes();
        image.outcome = TapeReadOutcome::ReadFailed;
        return image;
    }
    image.outcome = TapeReadOutcome::Read;
    return image;
}

} // namespace tonvale
