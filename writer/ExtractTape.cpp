#include "writer/ExtractTape.h"

#include "analysis/TapeFileBytes.h"
#include "base/TextBuffer.h"
#include "format/Level1.h"
#include "writer/LoadModuleReader.h"
#include "writer/SafeFileName.h"

#include <algorithm>

namespace tonvale {

namespace {

std::string Count(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string Hex(unsigned value) {
    TextBuffer text;
    text.Format("%04Xh", value);
    return std::string(text.Chars());
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

std::string BlockDamage(const SystemRecord& block, std::size_t present) {
    std::string where = "block " + Hex(block.address) + ": ";
    if (present < block.dataLength)
        return where + "the tape ends after " + std::to_string(present) + " of its " +
               std::to_string(block.dataLength) + " bytes";
    if (!block.stored) return where + "the tape ends before its checksum";
    TextBuffer text;
    text.Format("checksum %02Xh on tape, %02Xh computed", *block.stored, *block.computed);
    return where + std::string(text.Chars());
}

// The bytes of a block's data that the tape holds.
std::size_t Present(ByteView bytes, const SystemRecord& block) {
    return std::min(block.dataLength, bytes.size() - std::min(block.data, bytes.size()));
}

void ExtractSystem(ByteView bytes, const TapeFileReport& file, ExtractedFile& out) {
    const SystemTape tape = ParseSystemTape(bytes);
    out.contents = CmdLoadModule(bytes, tape);
    for (const SystemRecord& block : tape.records) {
        if (block.type != SystemRecordType::Block) continue;
        const std::size_t present = Present(bytes, block);
        if (present < block.dataLength || !block.Holds())
            out.damage.push_back(BlockDamage(block, present));
    }
    out.kind = std::string(NamesOf(file.format).title) + " SYSTEM tape, " +
               Count(file.blocks.size(), "block");
    if (file.load && file.end) out.kind += " " + Hex(*file.load) + "-" + Hex(*file.end);
    out.kind += file.entry ? ", entry " + Hex(*file.entry) : ", no entry address";
}

// The memory a Level 1 tape file holds, as far as the tape has it.
Bytes Level1Memory(ByteView bytes, Level1Kind kind) {
    const std::size_t end = std::min(bytes.size(), ParseLevel1(bytes, kind).checksumAt);
    if (end <= kLevel1MemoryOffset) return {};
    return Bytes(bytes.begin() + kLevel1MemoryOffset, bytes.begin() + end);
}

void ExtractLevel1Code(ByteView bytes, const TapeFileReport& file, ExtractedFile& out) {
    out.contents = Level1Memory(bytes, Level1Kind::MachineCode);
    out.kind = "Level 1 machine code, memory " + Hex(kLevel1EntrySlot) + "-" +
               Hex(static_cast<unsigned>(kLevel1EntrySlot + out.contents.size()));
    if (file.entry) out.kind += ", entry " + Hex(*file.entry);
}

void ExtractEmptyCsave(ByteView bytes, ExtractedFile& out) {
    out.contents = Level1Memory(bytes, Level1Kind::EmptyCsave);
    out.kind = "Level 1 empty CSAVE, memory from " + Hex(kLevel1Program) + ", " +
               std::to_string(out.contents.size()) + " bytes";
}

// The extension and contents of one tape file.
const char* Extract(const TapeReport& report, const TapeFileReport& file, ByteView bytes,
                    ExtractedFile& out) {
    switch (file.kind) {
    case ContentKind::Basic:
        out.contents = ListingText(report, file, file.format == TapeFormat::Level1);
        out.kind = std::string(NamesOf(file.format).title) + " BASIC, " +
                   Count(file.listing.size(), "line");
        return ".bas";
    case ContentKind::EdtasmSource:
        out.contents = ListingText(report, file, false);
        out.kind = std::string(NamesOf(file.format).title) + " EDTASM source, " +
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
        out.kind = std::string(NamesOf(file.format).title) + " unidentified data, " +
                   std::to_string(bytes.size()) + " bytes";
        return ".bin";
    }
}

} // namespace

Bytes CmdLoadModule(ByteView bytes, const SystemTape& tape) {
    Bytes module;
    for (const SystemRecord& block : tape.records) {
        if (block.type != SystemRecordType::Block) continue;
        const std::size_t from = std::min(block.data, bytes.size());
        const std::size_t present = Present(bytes, block);
        if (present == 0) continue;
        module.insert(module.end(), {kLoadRecord, static_cast<Byte>(present + 2)});
        PushLe16(module, block.address);
        module.insert(module.end(), bytes.begin() + from, bytes.begin() + from + present);
    }
    if (tape.entry) {
        module.insert(module.end(), {kTransferRecord, 0x02});
        PushLe16(module, *tape.entry);
    }
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
