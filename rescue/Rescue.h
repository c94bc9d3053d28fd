#pragma once
// Reading a recording of a real cassette back into a tape image, and saying where it is damaged.
//
//     samples -> PulseDecoder / HighspeedDecoder -> bits with confidences -> BitFramer
//             -> tape files -> MendTapeFiles (checksums, copies) -> the image, the findings
//
// Nothing is assumed of the recording's speed, level, polarity or DC: the decoders learn them
// from each leader. A byte the signal gave is never dropped; a byte the rescue is unsure of is
// kept and listed as doubtful.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "base/Formats.h"
#include "rescue/SampleSource.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tonvale {

// What the decoders saw, for a person or a picture to follow: every pulse or Highspeed
// half-cycle found, every bit cell read, and the clock. Filled only when asked for.
enum class PulseRole : std::uint8_t {
    Clock, // opens a bit cell
    Data,  // the second pulse of a 1 bit
    Stray, // where no pulse belongs, or heard while no clock was locked
};

struct TracePulse {
    double seconds = 0;
    float height = 0;  // against the clock pulses around it (1: as high as they are), or
                       // before the clock is known, against the loudest pulse of late
    bool rises = true; // its main lobe goes up
    PulseRole role = PulseRole::Stray;
    std::uint64_t cell = 0; // the index in `cells` of the cell it falls in (Stray: the next)
};

struct TraceCell {
    double seconds = 0; // where the cell begins
    double period = 0;  // the clock's cell length there, in seconds
    bool bit = false;
    float confidence = 0;                      // 0 (a guess) to 1
    TapeFormat format = TapeFormat::Level1or2; // or Highspeed: which decoder read it
};

struct RescueTrace {
    std::vector<TracePulse> pulses;
    std::vector<TraceCell> cells;
};

struct RescueSettings {
    // Listen for clock-and-data pulses (Level1or2), Highspeed cycles, or both (None).
    TapeFormat format = TapeFormat::None;
    // Where to put what the decoders saw, in time order per decoder; null: nothing is kept.
    RescueTrace* trace = nullptr;
    // A fragment that starts inside a tape file, with no leader to learn from: its cells are
    // read from the first pulse on at this speed (for Highspeed, the speed of its 0 bits).
    double fragmentBitsPerSecond = 0;
};

// How well the sound reads just now, for a person setting a recorder's volume or its head's
// azimuth: over the last second of sound.
struct RescueQuality {
    double seconds = 0;        // how far into the recording
    std::uint64_t cells = 0;   // bit cells read
    double sureShare = 0;      // of them, the share read sure (0 when none)
    std::uint64_t pulses = 0;  // clock and data pulses found
    double pulseToNoiseDb = 0; // their peak against the level between them (0 when none)
};

struct RescuedTapeFile;
struct RescueResult;

// For a window or a live capture that shows the progress and lets the user stop.
struct RescueProgress {
    std::function<void(double fractionDone)> report; // may be empty
    const std::atomic<bool>* cancel = nullptr;       // set to stop early
    // As each tape file ends: the tape file alone, mended by its own checksums and BASIC
    // chain only (copies are compared at the end), with its image.
    std::function<void(const RescueResult& lone)> fileEnded;
    // Every `qualitySeconds` of sound read.
    std::function<void(const RescueQuality&)> quality;
    double qualitySeconds = 0.5;
};

enum class Mending {
    Checksum, // a SYSTEM block's checksum held again with this bit flipped
    Copy,     // another copy of the tape file had it, surer
    Basic,    // a Level 2 BASIC line's pointer or number chained again with this bit flipped
};

struct MendedByte {
    std::uint64_t offset = 0; // in the tape file's data, behind the sync byte
    double seconds = 0;
    Byte was = 0;
    Byte now = 0;
    Mending how = Mending::Checksum;
    std::size_t from = 0; // Copy: the index of the tape file it came from
};

struct DoubtfulByte {
    std::uint64_t offset = 0;
    double seconds = 0;
    Byte value = 0;
};

// Where the signal was lost inside a tape file and read on behind.
struct SignalGap {
    double fromSeconds = 0, toSeconds = 0;
    std::uint64_t offset = 0;   // the byte the first lost bit belongs to
    std::uint64_t lostBits = 0; // guessed in its place (doubtful)
    bool inStep = true;         // false: the bytes behind it may be out of step (doubtful)
};

struct RescuedTapeFile {
    TapeFormat format = TapeFormat::None; // Level1or2 (clock and data pulses) or Highspeed
    double startSeconds = 0;              // where the leader was heard
    double dataSeconds = 0;               // where the bytes behind the sync byte begin
    double endSeconds = 0;
    double bitsPerSecond = 0; // as found: the recording's own speed
    bool inverted = false;    // upside down against the machine's own signal
    Bytes data;               // the bytes behind the sync byte, mended
    // Where each of them begins in the recording; a byte that came from a copy, past what the
    // signal gave, is placed on at the tape file's own speed.
    std::vector<double> byteSeconds;
    std::uint64_t heard = 0; // how many of them the signal gave (the rest came from a copy)
    std::vector<MendedByte> mended;
    std::vector<DoubtfulByte> doubtful;
    std::vector<SignalGap> gaps;
    std::optional<std::size_t> copyOf; // the first tape file of which this is a copy
    // A Level 2 BASIC line whose next pointer or number breaks: its offset and time.
    std::optional<std::uint64_t> firstBadLine;
    double firstBadLineSeconds = 0;
    std::uint64_t imageBit = 0; // where `data` begins in the image, in bits
};

struct RescueResult {
    Bytes image; // every tape file behind a leader and its sync byte
    std::vector<RescuedTapeFile> files;
    double rate = 0;
    double seconds = 0; // of the recording read
    bool cancelled = false;

    // True when a tape file has doubtful bytes: a tape that cannot be vouched for.
    bool Doubtful() const;
};

RescueResult RescueRecording(SampleSource& source, const RescueSettings& settings = {},
                             const RescueProgress& progress = {});

// The rescue's own report lines, one plain byte string each: per tape file where it begins,
// its speed, polarity, what was mended and which bytes are doubtful, with times. `report` is
// the analysis of `result.image`: it tells the formats and verdicts.
std::vector<Bytes> RescueLines(const RescueResult& result, const TapeReport& report);

// The analysis's tape file that holds a rescued one, or null.
const TapeFileReport* ReportOf(const RescuedTapeFile& file, const TapeReport& report);

// The word for a rescued tape file: "ok", "mended" or "damaged". Never "ok" while the
// analysis finds fault or a byte is doubtful.
const char* RescueVerdict(const RescuedTapeFile& file, const TapeFileReport* report);

} // namespace tonvale
