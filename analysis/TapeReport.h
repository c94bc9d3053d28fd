#pragma once
// What the analysis of one tape image found, as values: per tape file where it sits in the
// image, its format, kind, name, addresses, SYSTEM blocks and verdict, and the report lines it
// produced; for the whole image the file line and the summary line as the window shows them.
// The saved report text is one rendering of it (ComposeReportText).
#include "base/Bytes.h"
#include "base/Formats.h"
#include "base/ReportList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonvale {

// The line tags of the report: a continued line goes on in the next report line.
inline constexpr Byte kTagPlain = 0;
inline constexpr Byte kTagContinued = 1;

// One load block of a SYSTEM tape file. The checksums are missing when the tape file ends
// inside the block.
struct SystemBlock {
    std::uint16_t address = 0;
    std::uint32_t length = 0; // 1 to 256
    std::optional<Byte> stored;
    std::optional<Byte> computed;
    std::size_t data = 0; // where its data begins in the tape file's bytes
};

// The bytes a report line shows (a dump line, a load block, a program line), behind the
// sync byte of its tape file.
struct LineBytes {
    std::size_t line = 0; // a report line index
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
};

struct TapeFileReport {
    std::uint64_t offset = 0; // the image byte that holds the first bit behind the sync byte
    std::uint32_t shift = 0;  // that bit's position in it, from the top
    // False for a remainder: bytes behind the tape file before that have no leader and sync
    // byte of their own (and for an image where none was found at all).
    bool synced = false;
    // How many bytes the analysis read for it, from `offset` on, in its format's framing
    // (Highspeed bytes unpacked from their nine-bit groups); the search for the next tape file
    // starts behind them.
    std::uint64_t length = 0;
    TapeFormat format = TapeFormat::None;
    ContentKind kind = ContentKind::Unidentified;
    std::optional<Bytes> name; // as on tape
    // Where the program loads, the first address behind it (10000h when it reaches the top of
    // memory), and where it starts.
    std::optional<std::uint16_t> load;
    std::optional<std::uint32_t> end;
    std::optional<std::uint16_t> entry;
    std::vector<SystemBlock> blocks;
    // Which bytes its lines show, in line order; kept only with the report lines.
    std::vector<LineBytes> lineBytes;
    Verdict verdict = Verdict::Bad;
    Bytes summaryWord; // what it added to the summary line (" ok!"), empty when nothing
    // Its report lines: the ones written while it was analysed, and the separator behind it.
    std::size_t firstLine = 0;
    std::size_t lineCount = 0;
};

struct TapeReport {
    Bytes fileLine;    // the first tape file's description and verdict
    Bytes summaryLine; // "Files:" and one word per tape file
    std::vector<TapeFileReport> files;

    // The report lines and their tags; empty when they went to a ReportSink instead.
    ReportList lines;
    Bytes tags;
    std::size_t lineCount = 0; // lines written, kept or not
    std::size_t widestLine = 0;

    // What the sound needs: the last tape file's format, and whether the formats differed.
    TapeFormat lastFormat = TapeFormat::None;
    ContentKind lastKind = ContentKind::Unidentified;
    bool mixedFormats = false;

    // A work buffer could not be had: its size. The walk stopped there.
    std::optional<std::uint64_t> workBufferShortfall;

    // True when a tape file is bad or suspicious; a remainder of noise behind a tape file
    // (" ..?") does not count.
    bool Damaged() const;
};

// The window reads the file line back for saving through a buffer of this many bytes, its
// terminator included: the saved text keeps the characters before it.
inline constexpr std::size_t kFileLineReadBuffer = 357;
inline constexpr std::size_t kSavedFileLineLength = kFileLineReadBuffer - 1;

// The file line as the saved text begins: its first kSavedFileLineLength characters.
ByteView SavedFileLine(const TapeReport& report);

// The bytes "&Save" writes: the saved file line, CR LF, then every report line, continued
// lines joined, each ended by CR LF.
Bytes ComposeReportText(const TapeReport& report);

// The lines of a tape file as the saved text shows them: continued pieces joined.
std::vector<Bytes> JoinedLines(const TapeReport& report, const TapeFileReport& file);

} // namespace tonvale
