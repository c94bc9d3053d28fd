#pragma once
// Where every tape file and every byte of a tape lies in its sound: for an image, where the
// synthesis puts its bits; for a recording, where the rescue heard them. The view, the map and
// the JSON report read their times from here.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "base/Formats.h"
#include "rescue/Rescue.h"
#include "sound/BitClock.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tonvale {

enum class MarkKind : std::uint8_t { Doubtful, Mended };

// A byte a recording's rescue was unsure of, or changed.
struct ByteMark {
    std::size_t file = 0; // a TimedTapeFile index
    std::uint64_t offset = 0;
    double seconds = 0;
    MarkKind kind = MarkKind::Doubtful;
    Byte was = 0; // Mended: the value the signal gave
    Byte now = 0; // the value the tape has
};

struct TimedTapeFile {
    std::optional<std::size_t> report; // its TapeReport::files index, if the analysis has it
    double leaderSeconds = 0;          // where its leader begins (= startSeconds without one)
    double startSeconds = 0;           // its first byte behind the sync byte
    double endSeconds = 0;             // the end of its last byte
    Verdict verdict = Verdict::Bad;
    std::uint64_t bytes = 0;
};

struct ByteAddress {
    std::size_t file = 0;
    std::uint64_t offset = 0;
    bool operator==(const ByteAddress&) const = default;
};

class TapeTimeline {
  public:
    // An image as the synthesis plays it in `soundFormat` (the whole image in one format);
    // the image must outlive the timeline.
    static TapeTimeline OfImage(const TapeReport& report, ByteView image, TapeFormat soundFormat);
    // A recording as the rescue read it; `report` is the analysis of its image.
    static TapeTimeline OfRescue(const RescueResult& rescue, const TapeReport& report);

    double Seconds() const { return m_seconds; }
    const std::vector<TimedTapeFile>& Files() const { return m_files; }
    const std::vector<ByteMark>& Marks() const { return m_marks; }

    double ByteStart(ByteAddress byte) const;
    double ByteEnd(ByteAddress byte) const;
    // The byte whose time holds `seconds`, if any tape file's does.
    std::optional<ByteAddress> ByteAt(double seconds) const;
    // The byte's value on the tape.
    Byte ByteValue(ByteAddress byte) const;
    // The tape file whose TapeReport index is `report`.
    std::optional<std::size_t> FileOfReport(std::size_t report) const;

    // An image's clock, for the view to draw its cells and sound; null for a recording.
    const BitClock* Clock() const { return m_clock ? &*m_clock : nullptr; }
    // Where a tape file's bytes begin in the image, in bits, and how many bits each takes.
    std::uint64_t FirstBit(std::size_t file) const { return m_firstBit[file]; }
    unsigned BitsPerByte(std::size_t file) const { return m_bitsPerByte[file]; }

  private:
    double m_seconds = 0;
    std::vector<TimedTapeFile> m_files;
    std::vector<ByteMark> m_marks;
    std::optional<BitClock> m_clock;
    std::vector<std::uint64_t> m_firstBit;
    std::vector<unsigned> m_bitsPerByte;
    ByteView m_image;
    std::vector<Bytes> m_data;                      // a recording's bytes, per tape file
    std::vector<std::vector<double>> m_byteSeconds; // and their times
    std::vector<double> m_byteLength;               // a recording's seconds per byte
};

} // namespace tonvale
