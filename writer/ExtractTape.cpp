#include "writer/ExtractTape.h"

#include "analysis/TapeFileBytes.h"
#include "base/TextBuffer.h"
#include "writer/SafeFileName.h"

#include <algorithm>

namespace tonvale {

namespace {

constexpr Byte kLoadRecord = 0x01;
constexpr Byte kTransferRecord = 0x02;
constexpr std::size_t kLevel1Memory = 4;   // behind the two addresses on a Level 1 tape
constexpr std::size_t kLevel1Code = 6;     // behind them and the entry address
constexpr std::size_t kMemorySize = 65536; // the empty CSAVE's bytes
constexpr unsigned kLevel1Program = 0x4200;

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string Hex(unsigned value) {
    TextBuffer text;
    text.Format("{:04X}h", value);
    return std::string(text.Chars());
}

const char* FormatName(TapeFormat format) {
    return format == TapeFormat::Highspeed ? "Highspeed"
           : format == TapeFormat::Level1  ? "Level 1"
                                           : "Level 2";
}

// The listing's program lines, their pieces joined.
Bytes ListingText(const TapeReport& report, const TapeFileReport& file, bool dropLeadingSpace) {
    Bytes text;
    for (const ListingLine& line : file.listing) {
        if (line.count == 0) continue;
        Bytes joined;
        for (std::size_t i = line.first; i < line.first + line.count; ++i) {
            const ByteView piece = report.lines.Line(i);
            joined.insert(joined.end(), piece.begin(), piece.end());
        }
        const auto from = dropLeadingSpace ? std::find_if(joined.begin(), joined.end(),
                                                          [](Byte b) { return b != ' '; })
                                           : joined.begin();
        text.insert(text.end(), from, joined.end());
        text.push_back('\n');
    }
    return text;
}

std::string BlockDamage(const SystemBlock& block, std::size_t present) {
    std::string where = "block " + Hex(block.address) + ": ";
    if (present < block.length)
        return where + "the tape ends after " + std::to_string(present) + " of its " +
               std::to_string(block.length) + " bytes";
    if (!block.stored) return where + "the tape ends before its checksum";
    TextBuffer text;
    text.Format("checksum {:02X}h on tape, {:02X}h computed", *block.stored, *block.computed);
    return where + std::string(text.Chars());
}

void ExtractSystem(ByteView bytes, const TapeFileReport& file, ExtractedFile& out) {
    out.contents = CmdLoadModule(bytes, file);
    for (const SystemBlock& block : file.blocks) {
        const std::size_t present =
            std::min<std::size_t>(block.length, bytes.size() - std::min(block.data, bytes.size()));
        if (present < block.length || !block.stored || *block.stored != *block.computed)
            out.damage.push_back(BlockDamage(block, present));
    }
    out.kind = std::string(FormatName(file.format)) + " SYSTEM tape, " +
               Count(file.blocks.size(), "block");
    if (file.load && file.end) out.kind += " " + Hex(*file.load) + "-" + Hex(*file.end);
    out.kind += file.entry ? ", entry " + Hex(*file.entry) : ", no entry address";
}

void ExtractLevel1Code(ByteView bytes, const TapeFileReport& file, ExtractedFile& out) {
    const std::size_t code =
        file.end && *file.end > kLevel1Program ? *file.end - kLevel1Program : 0;
    const std::size_t end = std::min(bytes.size(), kLevel1Code + code);
    if (end > kLevel1Memory)
        out.contents.assign(bytes.begin() + kLevel1Memory, bytes.begin() + end);
    out.kind = "Level 1 machine code, memory " + Hex(kLevel1Program - 2) + "-" +
               Hex(static_cast<unsigned>(kLevel1Program - 2 + out.contents.size()));
    if (file.entry) out.kind += ", entry " + Hex(*file.entry);
}

void ExtractEmptyCsave(ByteView bytes, ExtractedFile& out) {
    const std::size_t end = std::min(bytes.size(), kLevel1Memory + kMemorySize);
    if (end > kLevel1Memory)
        out.contents.assign(bytes.begin() + kLevel1Memory, bytes.begin() + end);
    out.kind = "Level 1 empty CSAVE, memory from " + Hex(kLevel1Program) + ", " +
               std::to_string(out.contents.size()) + " bytes";
}

// The extension and contents of one tape file.
const char* Extract(const TapeReport& report, const TapeFileReport& file, ByteView bytes,
                    ExtractedFile& out) {
    switch (file.kind) {
    case ContentKind::Basic:
        out.contents = ListingText(report, file, file.format == TapeFormat::Level1);
        out.kind =
            std::string(FormatName(file.format)) + " BASIC, " + Count(file.listing.size(), "line");
        return ".bas";
    case ContentKind::EdtasmSource:
        out.contents = ListingText(report, file, false);
        out.kind = std::string(FormatName(file.format)) + " EDTASM source, " +
                   Count(file.listing.size(), "line");
        return ".asm";
    case ContentKind::System:
        if (file.format == TapeFormat::Level1) {
            ExtractLevel1Code(bytes, file, out);
            return ".bin";
        }
        ExtractSystem(bytes, file, out);
        return ".cmd";
    case ContentKind::EmptyLevel1Csave:
        ExtractEmptyCsave(bytes, out);
        return ".bin";
    default:
        out.contents.assign(bytes.begin(), bytes.end());
        out.kind = std::string(FormatName(file.format)) + " unidentified data, " +
                   std::to_string(bytes.size()) + " bytes";
        return ".bin";
    }
}

} // namespace

Bytes CmdLoadModule(ByteView bytes, const TapeFileReport& file) {
    Bytes module;
    for (const SystemBlock& block : file.blocks) {
        const std::size_t from = std::min(block.data, bytes.size());
        const std::size_t present = std::min<std::size_t>(block.length, bytes.size() - from);
        if (present == 0) continue;
        module.insert(module.end(), {kLoadRecord, static_cast<Byte>(present + 2),
                                     static_cast<Byte>(block.address & 0xFF),
                                     static_cast<Byte>(block.address >> 8)});
        module.insert(module.end(), bytes.begin() + from, bytes.begin() + from + present);
    }
    if (file.entry)
        module.insert(module.end(), {kTransferRecord, 0x02, static_cast<Byte>(*file.entry & 0xFF),
                                     static_cast<Byte>(*file.entry >> 8)});
    return module;
}

std::vector<ExtractedFile> ExtractTapeFiles(ByteView image, const TapeReport& report) {
    std::vector<ExtractedFile> files;
    TapeFileBytes tapeFiles(image, report);
    FileNamer namer;
    for (std::size_t i = 0; i < report.files.size(); ++i) {
        const TapeFileReport& file = report.files[i];
        const std::optional<ByteView> bytes = tapeFiles.Of(i);
        if (!bytes) continue;
        ExtractedFile out;
        out.index = i;
        const char* extension = Extract(report, file, *bytes, out);
        if (out.contents.empty()) continue;
        out.name =
            namer.Next(SafeFileName(file.name ? ByteView(*file.name) : ByteView()), extension);
        files.push_back(std::move(out));
    }
    return files;
}

} // namespace tonvale
