#include "app/ReadAgain.h"

#if TONVALE_RECORDING
#include "recording/RecordingFile.h"

#include <memory>
#endif

namespace tonvale {

SampleSummary::Reader ReadAgain([[maybe_unused]] const std::string& path,
                                [[maybe_unused]] int channel) {
#if TONVALE_RECORDING
    std::string failure;
    std::shared_ptr<RecordingFile> file =
        RecordingFile::Open(path, channel == 1 ? Channel::Right : Channel::Left, failure);
    if (!file) return {};
    return [file](std::uint64_t from, std::span<float> out) -> std::size_t {
        return file->Seek(from) ? file->Read(out) : 0;
    };
#else
    return {};
#endif
}

} // namespace tonvale
