// Writes the seed corpus of the fuzz targets: the sample tapes and some cut versions of them.
// Usage: tonvale_fuzz_seeds CORPUS_DIR (writes CORPUS_DIR/<target>/...)
#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"

#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) return 2;
    const fs::path root = argv[1];
    for (const char* target : {"sync_search", "analysis", "wav_image"}) {
        fs::create_directories(root / target);
        for (const auto& tape : tonvale::test::SampleTapes()) {
            // The analysis and WAV targets take a first byte of choices before the image.
            tonvale::Bytes input;
            if (std::string(target) != "sync_search")
                input.push_back(static_cast<tonvale::Byte>(tape.name.size()));
            // Keep seeds small: the fuzzer grows what it needs.
            const std::size_t keep = std::min<std::size_t>(tape.image.size(), 2048);
            input.insert(input.end(), tape.image.begin(), tape.image.begin() + keep);
            tonvale::test::WriteFile((root / target / (tape.name + ".cas")).string(), input);
            if (keep > 300) {
                input.resize(input.size() - 100);
                tonvale::test::WriteFile((root / target / (tape.name + "-cut.cas")).string(),
                                         input);
            }
        }
    }
    return 0;
}
