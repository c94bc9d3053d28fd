#include "writer/ExtractTape.h"

#include "analysis/ListingText.h"
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
    text.Format("{:04X}h", value);
    return std::string(text.Chars());
}

// A tape file's bytes twice: as the analysis read them, to the end of the image, for the
// parsers to see what the report saw; and cut to the tape file's own bytes.
struct TapeFileView {
    ByteView read;
    ByteView bytes;
};

std::string BlockDamage(const SystemRecord& block, std::size_t present) {
    std::string where = "block " + Hex(block.address) + ": ";
    if (present < block.dataLength)
        return where + "the tape ends after " + std::to_string(present) + " of its " +
               std::to_string(block.dataLength) + " bytes";
    if (!block.stored) return where + "the tape ends before its checksum";
    TextBuffer text;
    text.Format("checksum {:02X}h on tape, {:02X}h computed", *block.stored, *block.computed);
    return where + std::string(text.Chars());
}

// The bytes of a block's data that the tape holds.
std::size_t Present(ByteView bytes, const SystemRecord& block) {
    return std::min(block.dataLength, bytes.size() - std::min(block.data, bytes.size()));
}

void ExtractSystem(TapeFileView view, const TapeFileReport& file, ExtractedFile& out) {
    const SystemTape tape = ParseSystemTape(view.read);
    out.contents = CmdLoadModule(view.bytes, tape);
    std::size_t blocks = 0;
    for (const SystemRecord& block : tape.records) {
        if (block.type != SystemRecordType::Block) continue;
        ++blocks;
        const std::size_t present = Present(view.bytes, block);
        if (present < block.dataLength || !block.Holds())
            out.damage.push_back(BlockDamage(block, present));
    }
    out.kind = std::string(NamesOf(file.format).title) + " SYSTEM tape, " + Count(blocks, "block");
    if (file.load && file.end) out.kind += " " + Hex(*file.load) + "-" + Hex(*file.end);
    out.kind += file.entry ? ", entry " + Hex(*file.entry) : ", no entry address";
}

// The memory a Level 1 tape file holds, as far as the tape has it.
Bytes Level1Memory(TapeFileView view, Level1Kind kind) {
    const std::size_t end = std::min(view.bytes.size(), ParseLevel1(view.read, kind).checksumAt);
    if (end <= kLevel1MemoryOffset) return {};
    return Bytes(view.bytes.begin() + kLevel1MemoryOffset, view.bytes.begin() + end);
}

void ExtractLevel1Code(TapeFileView view, const TapeFileReport& file, ExtractedFile& out) {
    out.contents = Level1Memory(view, Level1Kind::MachineCode);
    out.kind = "Level 1 machine code, memory " + Hex(kLevel1EntrySlot) + "-" +
               Hex(static_cast<unsigned>(kLevel1EntrySlot + out.contents.size()));
    if (file.entry) out.kind += ", entry " + Hex(*file.entry);
}

void ExtractEmptyCsave(TapeFileView view, ExtractedFile& out) {
    out.contents = Level1Memory(view, Level1Kind::EmptyCsave);
    out.kind = "Level 1 empty CSAVE, memory from " + Hex(kLevel1Program) + ", " +
               std::to_string(out.contents.size()) + " bytes";
}

void ExtractListing(const ListingText& listing, const TapeFileReport& file, const char* what,
                    ExtractedFile& out) {
    out.contents = listing.text;
    out.kind = std::string(NamesOf(file.format).title) + what + Count(listing.lines, "line");
}

// The extension and contents of one tape file.
const char* Extract(const TapeFileReport& file, TapeFileView view, ExtractedFile& out) {
    switch (file.kind) {
    case ContentKind::Basic:
        ExtractListing(file.format == TapeFormat::Level1 ? Level1Listing(view.read)
                                                         : Level2Listing(view.read),
                       file, " BASIC, ", out);
        return ".bas";
    case ContentKind::EdtasmSource:
        ExtractListing(EdtasmListing(view.read), file, " EDTASM source, ", out);
        return ".asm";
    case ContentKind::System:
        if (file.format == TapeFormat::Level1) {
            ExtractLevel1Code(view, file, out);
            return ".bin";
        }
        ExtractSystem(view, file, out);
        return ".cmd";
    case ContentKind::EmptyLevel1Csave:
        ExtractEmptyCsave(view, out);
        return ".bin";
    default:
        out.contents.assign(view.bytes.begin(), view.bytes.end());
        out.kind = std::string(NamesOf(file.format).title) + " unidentified data, " +
                   std::to_string(view.bytes.size()) + " bytes";
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
        const std::optional<ByteView> read = tapeFiles.Read(i);
        if (!read) continue;
        ExtractedFile out;
        out.index = i;
        const char* extension = Extract(file, {*read, tapeFiles.Cut(i, *read)}, out);
        if (out.contents.empty()) continue;
        out.name =
            namer.Next(SafeFileName(file.name ? ByteView(*file.name) : ByteView()), extension);
        files.push_back(std::move(out));
    }
    return files;
}

} // namespace tonvale
