#include "rescue/Rescue.h"

#include "rescue/HighspeedDecoder.h"
#include "rescue/MendTapeFiles.h"
#include "rescue/PulseDecoder.h"
#include "rescue/QualityMeter.h"
#include "tape/TapeImageWriter.h"

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

constexpr std::size_t kBlockSamples = 1 << 16;
constexpr double kDcSeconds = 1.0 / (2 * 3.14159265358979 * 20); // a 20 Hz high-pass

// Takes out a DC offset and the rumble below the signal, sample by sample. What is no number
// at all, or far beyond any sound card's range, becomes silence or the range's end.
class DcBlocker {
  public:
    explicit DcBlocker(double rate)
        : m_pole(static_cast<float>(std::exp(-1.0 / (kDcSeconds * rate)))) {}
    void Apply(float* samples, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const float x =
                std::isfinite(samples[i]) ? std::clamp(samples[i], -kMost, kMost) : 0.0f;
            if (m_first) { // a recording that starts off zero starts without a step
                m_in = x;
                m_first = false;
            }
            m_out = x - m_in + m_pole * m_out;
            m_in = x;
            samples[i] = m_out;
        }
    }

  private:
    static constexpr float kMost = 1000.0f;
    float m_pole;
    float m_in = 0, m_out = 0;
    bool m_first = true;
};

RescuedTapeFile Describe(const DecodedFile& decoded, const MendWork& work, double rate) {
    RescuedTapeFile file;
    file.format = decoded.format;
    file.inverted = decoded.inverted;
    file.startSeconds = decoded.leaderSample / rate;
    file.dataSeconds = decoded.syncSample / rate;
    file.endSeconds = decoded.endSample / rate;
    // The speed over the bits behind the sync byte: the recording's own, wow and all.
    if (decoded.bits > 1 && decoded.endSample > decoded.syncSample)
        file.bitsPerSecond =
            static_cast<double>(decoded.bits - 1) * rate / (decoded.endSample - decoded.syncSample);
    file.heard = decoded.bytes.size();
    for (const DecodedGap& gap : decoded.gaps)
        file.gaps.push_back(
            {gap.from / rate, gap.to / rate, gap.firstByte, gap.lostBits, gap.inStep});
    file.copyOf = work.copyOf;
    file.mended = work.mended;
    std::sort(file.mended.begin(), file.mended.end(),
              [](const MendedByte& a, const MendedByte& b) { return a.offset < b.offset; });
    const double byteSeconds = file.bitsPerSecond > 0 ? 8 / file.bitsPerSecond : 0;
    for (std::size_t k = 0; k < work.bytes.size(); ++k) {
        const DecodedByte& byte = work.bytes[k];
        file.data.push_back(byte.value);
        if (k < decoded.bytes.size())
            file.byteSeconds.push_back(byte.sample / rate);
        else
            file.byteSeconds.push_back(k == 0 ? file.dataSeconds
                                              : file.byteSeconds.back() + byteSeconds);
        const Byte least = *std::min_element(byte.confidence.begin(), byte.confidence.end());
        if (least < kDoubtfulBelow && !work.vouched[k])
            file.doubtful.push_back({k, byte.sample / rate, byte.value});
    }
    if (const auto line = FirstBadBasicLine(work.bytes)) {
        file.firstBadLine = *line;
        file.firstBadLineSeconds = work.bytes[*line].sample / rate;
    }
    return file;
}

// Lays a tape file into the image behind its leader and sync byte.
void Lay(TapeImageWriter& writer, RescuedTapeFile& file) {
    const bool highspeed = file.format == TapeFormat::Highspeed;
    writer.Leader(kLeaderBytes, highspeed ? kHighspeedLeader : kLevelLeader);
    writer.Byte8(highspeed ? kHighspeedSync : kLevelSync);
    file.imageBit = writer.BitCount();
    if (highspeed)
        writer.HighspeedBytes(file.data);
    else
        writer.Bytes8(file.data);
}

// A tape file just ended, as a result of its own: what can be told of it before the others.
RescueResult Lone(const DecodedFile& decoded, double rate, double seconds) {
    MendWork work;
    work.bytes = decoded.bytes;
    work.heard = decoded.bytes.size();
    MendByChecksums(work, rate);
    MendBasicChain(work, rate);
    RescueResult lone;
    lone.rate = rate;
    lone.seconds = seconds;
    lone.files.push_back(Describe(decoded, work, rate));
    TapeImageWriter writer;
    Lay(writer, lone.files.back());
    lone.image = writer.Image();
    return lone;
}

// Runs the decoders over the whole recording, block by block.
std::vector<DecodedFile> Decode(SampleSource& source, const RescueSettings& settings,
                                const RescueProgress& progress, RescueResult& result) {
    const double rate = source.Rate();
    std::vector<DecodedFile> files;
    // The quality is read off the trace: the caller's, or one of its own emptied as it goes.
    RescueTrace ownTrace;
    RescueTrace* trace = settings.trace;
    std::optional<QualityMeter> meter;
    if (progress.quality) {
        if (!trace) trace = &ownTrace;
        meter.emplace(rate, progress, *trace, trace == &ownTrace);
    }
    PulseDecoder pulses(rate, files, trace);
    HighspeedDecoder highspeed(rate, files, trace);
    if (settings.fragmentBitsPerSecond > 0) {
        pulses.StartAt(rate / settings.fragmentBitsPerSecond);
        highspeed.StartAt(rate / settings.fragmentBitsPerSecond);
    }
    const bool listenPulses = settings.format != TapeFormat::Highspeed;
    const bool listenCycles =
        settings.format == TapeFormat::Highspeed || settings.format == TapeFormat::None;
    DcBlocker dc(rate);
    std::vector<float> block(kBlockSamples);
    std::uint64_t done = 0;
    const std::uint64_t total = source.Length();
    std::size_t announced = 0;
    auto announceEnded = [&] {
        for (; progress.fileEnded && announced < files.size(); ++announced)
            progress.fileEnded(Lone(files[announced], rate, static_cast<double>(done) / rate));
    };
    while (const std::size_t count = source.Read(block)) {
        dc.Apply(block.data(), count);
        if (listenPulses) pulses.Feed(block.data(), count);
        if (listenCycles) highspeed.Feed(block.data(), count);
        done += count;
        if (meter) meter->Feed(block.data(), count);
        announceEnded();
        if (progress.report && total > 0)
            progress.report(std::min(1.0, static_cast<double>(done) / static_cast<double>(total)));
        if (progress.cancel && progress.cancel->load()) {
            result.cancelled = true;
            break;
        }
    }
    pulses.Finish();
    highspeed.Finish();
    announceEnded();
    result.seconds = static_cast<double>(done) / rate;
    std::sort(files.begin(), files.end(), [](const DecodedFile& a, const DecodedFile& b) {
        return a.syncSample < b.syncSample;
    });
    return files;
}

} // namespace

std::size_t MemorySampleSource::Read(std::span<float> block) {
    const std::size_t count = std::min(block.size(), m_samples.size() - m_next);
    std::copy_n(m_samples.begin() + static_cast<std::ptrdiff_t>(m_next), count, block.begin());
    m_next += count;
    return count;
}

RescueResult RescueRecording(SampleSource& source, const RescueSettings& settings,
                             const RescueProgress& progress) {
    RescueResult result;
    result.rate = source.Rate();
    const std::vector<DecodedFile> decoded = Decode(source, settings, progress, result);

    std::vector<MendWork> work(decoded.size());
    std::vector<TapeFormat> formats;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        work[i].bytes = decoded[i].bytes;
        work[i].heard = decoded[i].bytes.size();
        MendByChecksums(work[i], result.rate);
        formats.push_back(decoded[i].format);
    }
    MendByCopies(work, formats, result.rate);
    TapeImageWriter writer;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        // The copies' votes keep what they vouch for; the checksums vouch for the merged bytes.
        if (work[i].copyOf || decoded.size() > 1) MendByChecksums(work[i], result.rate);
        MendBasicChain(work[i], result.rate);
        RescuedTapeFile file = Describe(decoded[i], work[i], result.rate);
        Lay(writer, file);
        result.files.push_back(std::move(file));
    }
    result.image = writer.Image();
    return result;
}

bool RescueResult::Doubtful() const {
    return std::any_of(files.begin(), files.end(),
                       [](const RescuedTapeFile& file) { return !file.doubtful.empty(); });
}

} // namespace tonvale
