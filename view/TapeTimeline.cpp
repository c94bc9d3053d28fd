#include "view/TapeTimeline.h"

#include "tape/FindSync.h"

#include <algorithm>

namespace tonvale {

namespace {

// Highspeed bytes are nine-bit groups in the image: a start bit, then the eight data bits.
unsigned ImageBitsPerByte(TapeFormat format) {
    return format == TapeFormat::Highspeed ? 9 : 8;
}

Byte EightBits(ByteView image, std::uint64_t bit) {
    const auto at = static_cast<std::size_t>(bit / 8);
    const unsigned shift = static_cast<unsigned>(bit % 8);
    const unsigned high = image[at];
    const unsigned low = shift != 0 && at + 1 < image.size() ? image[at + 1] : 0u;
    return static_cast<Byte>(((high << 8 | low) << shift) >> 8);
}

bool IsLeaderByte(Byte value, TapeFormat format) {
    if (format == TapeFormat::Highspeed) return value == kHighspeedLeader || value == 0xAA;
    return value == kLevelLeader;
}

// Where the leader in front of the sync byte that ends at `syncEnd` begins, in bits; it goes
// back at most to `earliest`.
std::uint64_t LeaderBit(ByteView image, std::uint64_t syncEnd, std::uint64_t earliest,
                        TapeFormat format) {
    if (syncEnd < 8) return syncEnd;
    std::uint64_t bit = syncEnd - 8;
    while (bit >= earliest + 8 && IsLeaderByte(EightBits(image, bit - 8), format))
        bit -= 8;
    return bit;
}

Verdict WithDoubt(Verdict verdict, const RescuedTapeFile& file) {
    if (verdict == Verdict::Ok && !file.doubtful.empty()) return Verdict::Suspicious;
    return verdict;
}

} // namespace

TapeTimeline TapeTimeline::OfImage(const TapeReport& report, ByteView image,
                                   TapeFormat soundFormat) {
    TapeTimeline timeline;
    timeline.m_image = image;
    const BitClock& clock = timeline.m_clock.emplace(soundFormat, image);
    const auto seconds = [&clock](std::uint64_t bit) {
        return BitClock::Seconds(static_cast<double>(clock.CellStart(bit)));
    };
    timeline.m_seconds = BitClock::Seconds(static_cast<double>(clock.Samples()));
    std::uint64_t previousEnd = 0;
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        const TapeFileReport& file = report.files[i];
        const unsigned perByte = ImageBitsPerByte(file.format);
        const std::uint64_t first = file.offset * 8 + file.shift;
        const std::uint64_t end = std::min(first + file.length * perByte, clock.Bits());
        const std::uint64_t leader =
            file.synced ? LeaderBit(image, first, previousEnd, file.format) : first;
        timeline.m_files.push_back({i, seconds(leader), seconds(first + perByte - 8), seconds(end),
                                    file.verdict, file.length});
        timeline.m_firstBit.push_back(first);
        timeline.m_bitsPerByte.push_back(perByte);
        previousEnd = end;
    }
    return timeline;
}

TapeTimeline TapeTimeline::OfRescue(const RescueResult& rescue, const TapeReport& report) {
    TapeTimeline timeline;
    timeline.m_seconds = rescue.seconds;
    for (std::size_t i = 0; i < rescue.files.size(); ++i) {
        const RescuedTapeFile& file = rescue.files[i];
        const TapeFileReport* analysed = ReportOf(file, report);
        const double byteLength = file.bitsPerSecond > 0 ? 8 / file.bitsPerSecond : 0;
        const double start = file.byteSeconds.empty() ? file.dataSeconds : file.byteSeconds[0];
        // Behind the last bit heard; a tape file completed from a copy ends a byte on from the
        // last one placed.
        const double bit = file.bitsPerSecond > 0 ? 1 / file.bitsPerSecond : 0;
        const double end = file.byteSeconds.empty()         ? file.dataSeconds
                           : file.heard == file.data.size() ? file.endSeconds + bit
                                                            : file.byteSeconds.back() + byteLength;
        TimedTapeFile timed{std::nullopt,
                            file.startSeconds,
                            start,
                            end,
                            WithDoubt(analysed ? analysed->verdict : Verdict::Bad, file),
                            file.data.size()};
        if (analysed) timed.report = static_cast<std::size_t>(analysed - report.files.data());
        timeline.m_files.push_back(timed);
        timeline.m_firstBit.push_back(file.imageBit);
        timeline.m_bitsPerByte.push_back(ImageBitsPerByte(file.format));
        timeline.m_byteSeconds.push_back(file.byteSeconds);
        timeline.m_data.push_back(file.data);
        timeline.m_byteLength.push_back(byteLength);
        for (const DoubtfulByte& d : file.doubtful)
            timeline.m_marks.push_back(
                {i, d.offset, d.seconds, MarkKind::Doubtful, d.value, d.value});
        for (const MendedByte& m : file.mended)
            timeline.m_marks.push_back({i, m.offset, m.seconds, MarkKind::Mended, m.was, m.now});
    }
    std::sort(timeline.m_marks.begin(), timeline.m_marks.end(),
              [](const ByteMark& a, const ByteMark& b) { return a.seconds < b.seconds; });
    return timeline;
}

double TapeTimeline::ByteStart(ByteAddress byte) const {
    if (m_clock) {
        // A Highspeed byte's time is its first data bit's, behind the group's start bit, as
        // the rescue times it.
        const unsigned perByte = m_bitsPerByte[byte.file];
        const std::uint64_t bit = m_firstBit[byte.file] + byte.offset * perByte + (perByte - 8);
        return BitClock::Seconds(static_cast<double>(m_clock->CellStart(bit)));
    }
    const std::vector<double>& times = m_byteSeconds[byte.file];
    if (byte.offset < times.size()) return times[static_cast<std::size_t>(byte.offset)];
    return m_files[byte.file].endSeconds;
}

Byte TapeTimeline::ByteValue(ByteAddress byte) const {
    if (!m_clock) {
        const Bytes& data = m_data[byte.file];
        return byte.offset < data.size() ? data[static_cast<std::size_t>(byte.offset)] : 0;
    }
    // Behind a Highspeed group's start bit.
    const unsigned perByte = m_bitsPerByte[byte.file];
    const std::uint64_t bit = m_firstBit[byte.file] + byte.offset * perByte + (perByte - 8);
    return bit + 8 <= m_image.size() * std::uint64_t{8} ? EightBits(m_image, bit) : 0;
}

double TapeTimeline::ByteEnd(ByteAddress byte) const {
    if (byte.offset + 1 >= m_files[byte.file].bytes) return m_files[byte.file].endSeconds;
    return ByteStart({byte.file, byte.offset + 1});
}

std::optional<ByteAddress> TapeTimeline::ByteAt(double seconds) const {
    for (std::size_t f = 0; f < m_files.size(); ++f) {
        const TimedTapeFile& file = m_files[f];
        if (file.bytes == 0 || seconds < file.startSeconds || seconds >= file.endSeconds) continue;
        // The last byte that begins at or before the time.
        std::uint64_t low = 0, high = file.bytes - 1;
        while (low < high) {
            const std::uint64_t mid = (low + high + 1) / 2;
            if (ByteStart({f, mid}) <= seconds)
                low = mid;
            else
                high = mid - 1;
        }
        return ByteAddress{f, low};
    }
    return std::nullopt;
}

std::optional<std::size_t> TapeTimeline::FileOfReport(std::size_t report) const {
    for (std::size_t f = 0; f < m_files.size(); ++f)
        if (m_files[f].report == report) return f;
    return std::nullopt;
}

} // namespace tonvale
