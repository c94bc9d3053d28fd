#include "writer/ConvertTape.h"

#include "analysis/TapeFileBytes.h"
#include "tape/TapeImageWriter.h"

#include <new>

namespace tonvale {

namespace {

// Level 1 has no second speed, and its tape files are refused before anything is laid down.
std::optional<std::size_t> FirstLevel1File(const TapeReport& report) {
    for (std::size_t i = 0; i < report.files.size(); ++i)
        if (report.files[i].synced && report.files[i].format == TapeFormat::Level1) return i;
    return std::nullopt;
}

} // namespace

TapeConversion ConvertTape(ByteView image, const TapeReport& report, TapeFormat target) {
    TapeConversion result;
    if ((result.level1File = FirstLevel1File(report))) {
        result.outcome = ConvertOutcome::Level1;
        return result;
    }
    TapeFileBytes bytes(image, report);
    TapeImageWriter writer;
    try {
        for (std::size_t i = 0; i < report.files.size(); ++i) {
            if (!report.files[i].synced) continue;
            const std::optional<ByteView> data = bytes.Of(i);
            if (!data) {
                result.outcome = ConvertOutcome::NoMemory;
                return result;
            }
            writer.File(target, *data);
            result.files.push_back({i, report.files[i].format, target, data->size()});
        }
        if (result.files.empty()) {
            result.outcome = ConvertOutcome::NoTapeFile;
            return result;
        }
        result.image = writer.Image();
    } catch (const std::bad_alloc&) {
        result = {};
        result.outcome = ConvertOutcome::NoMemory;
    }
    return result;
}

} // namespace tonvale
