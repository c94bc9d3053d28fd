#include "rescue/MendTapeFiles.h"

#include "format/Level1.h"
#include "format/Level2Basic.h"
#include "format/SystemTape.h"

#include <algorithm>
#include <map>

namespace tonvale {

namespace {

constexpr std::size_t kMostFlipCandidates = 16;
// A checksum holding over more guessed bits than this (a gap's) is no proof of them.
constexpr std::size_t kMostVouchedDoubt = 8;
constexpr double kCopyAlike = 0.9; // share of equal bytes that makes two tape files copies
constexpr std::size_t kShortestCopy = 8;

// The bytes a checksum covers, from `first` up to the checksum's place. A SYSTEM block's
// checksum is the sum of its address and data; a Level 1 tape file's makes its memory bytes
// and itself sum to 0.
struct Block {
    std::size_t first;
    std::size_t checksum;
    bool sumsToZero = false; // Level 1
    std::size_t vouchFrom;   // the bytes a holding checksum stands for
};

// The values of the bytes from `from` up to `to`, or up to the last one when there are fewer.
Bytes Values(const std::vector<DecodedByte>& bytes, std::size_t from, std::size_t to) {
    Bytes values;
    for (std::size_t k = from; k < std::min(to, bytes.size()); ++k)
        values.push_back(bytes[k].value);
    return values;
}

// The blocks of a SYSTEM tape file that are there whole, as the analysis reads them.
std::vector<Block> SystemBlocks(const std::vector<DecodedByte>& bytes) {
    std::vector<Block> blocks;
    if (bytes.empty() || bytes[0].value != kSystemMarker) return blocks;
    for (const SystemRecord& record : ParseSystemTape(Values(bytes, 0, bytes.size())).records) {
        if (record.type != SystemRecordType::Block || !record.stored) continue;
        const std::size_t address = record.data - 2;
        blocks.push_back({address, record.data + record.dataLength, false, record.offset});
    }
    return blocks;
}

// A Level 1 tape file: start address 4200h (BASIC) or 41FEh (machine code) and stop address,
// high byte first, then memory from the start up to the stop address and the checksum.
std::optional<Block> Level1Block(const std::vector<DecodedByte>& bytes) {
    const Bytes values = Values(bytes, 0, bytes.size());
    const Level1Kind kind = ClassifyLevel1(values);
    if (kind == Level1Kind::None) return std::nullopt;
    const Level1Tape tape = ParseLevel1(values, kind);
    if (!tape.Complete()) return std::nullopt;
    return Block{kLevel1MemoryOffset, tape.checksumAt, true, 0};
}

// What the bytes miss of a holding checksum, modulo 256: 0 when it holds.
unsigned Sum(const std::vector<DecodedByte>& bytes, const Block& block) {
    const unsigned sum = ByteSum(Values(bytes, block.first, block.checksum));
    const unsigned checksum = bytes[block.checksum].value;
    return (block.sumsToZero ? sum + checksum : sum + 256 - checksum) & 0xFF;
}

bool Holds(const std::vector<DecodedByte>& bytes, const Block& block) {
    return Sum(bytes, block) == 0;
}

Byte LeastConfidence(const DecodedByte& byte) {
    return *std::min_element(byte.confidence.begin(), byte.confidence.end());
}

struct BitPlace {
    std::size_t byte;
    unsigned bit; // 0 is the most significant
    Byte confidence;
};

// What flipping this bit adds to what the bytes miss, modulo 256.
unsigned Effect(const std::vector<DecodedByte>& bytes, const Block& block, const BitPlace& place) {
    const unsigned mask = 0x80u >> place.bit;
    const bool set = (bytes[place.byte].value & mask) != 0;
    unsigned change = set ? 256 - mask : mask;
    if (place.byte == block.checksum && !block.sumsToZero)
        change = 256 - change; // the checksum moves the other way
    return change & 0xFF;
}

void Flip(MendWork& file, const BitPlace& place, double rate, Mending how = Mending::Checksum) {
    DecodedByte& byte = file.bytes[place.byte];
    const Byte was = byte.value;
    byte.value = static_cast<Byte>(byte.value ^ (0x80u >> place.bit));
    byte.confidence[place.bit] = kDoubtfulBelow;
    file.mended.push_back({place.byte, byte.sample / rate, was, byte.value, how, 0});
}

// The one flip, or pair of flips, of doubtful bits that makes the block hold.
bool MendBlock(MendWork& file, const Block& block, double rate) {
    std::vector<BitPlace> doubtful;
    for (std::size_t k = block.first; k <= block.checksum; ++k)
        for (unsigned bit = 0; bit < 8; ++bit)
            if (file.bytes[k].confidence[bit] < kDoubtfulBelow)
                doubtful.push_back({k, bit, file.bytes[k].confidence[bit]});
    std::sort(doubtful.begin(), doubtful.end(),
              [](const BitPlace& a, const BitPlace& b) { return a.confidence < b.confidence; });
    if (doubtful.size() > kMostFlipCandidates) doubtful.resize(kMostFlipCandidates);

    const unsigned wanted = (256 - Sum(file.bytes, block)) & 0xFF;
    std::vector<std::size_t> singles;
    for (std::size_t i = 0; i < doubtful.size(); ++i)
        if (Effect(file.bytes, block, doubtful[i]) == wanted) singles.push_back(i);
    if (singles.size() == 1) {
        Flip(file, doubtful[singles[0]], rate);
        return true;
    }
    if (!singles.empty()) return false; // more than one would do: no telling which
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < doubtful.size(); ++i)
        for (std::size_t j = i + 1; j < doubtful.size(); ++j) {
            const unsigned effect =
                Effect(file.bytes, block, doubtful[i]) + Effect(file.bytes, block, doubtful[j]);
            const bool sameBit = doubtful[i].byte == doubtful[j].byte;
            if (!sameBit && effect % 256 == wanted) pairs.emplace_back(i, j);
        }
    if (pairs.size() != 1) return false;
    Flip(file, doubtful[pairs[0].first], rate);
    Flip(file, doubtful[pairs[0].second], rate);
    return true;
}

std::size_t DoubtfulBits(const std::vector<DecodedByte>& bytes, std::size_t first,
                         std::size_t last) {
    std::size_t count = 0;
    for (std::size_t k = first; k <= last; ++k)
        for (Byte confidence : bytes[k].confidence)
            count += confidence < kDoubtfulBelow ? 1 : 0;
    return count;
}

bool AreCopies(const MendWork& a, const MendWork& b) {
    const std::size_t overlap = std::min(a.bytes.size(), b.bytes.size());
    if (overlap < kShortestCopy) return false;
    std::size_t equal = 0;
    for (std::size_t k = 0; k < overlap; ++k)
        equal += a.bytes[k].value == b.bytes[k].value ? 1 : 0;
    return static_cast<double>(equal) >= kCopyAlike * static_cast<double>(overlap);
}

// The winner among the copies' bytes at offset k: -1 when none has it.
int Vote(const std::vector<MendWork*>& copies, std::size_t k, bool& agreed) {
    std::map<Byte, double> weight;
    int vouchedWinner = -1;
    for (std::size_t c = 0; c < copies.size(); ++c) {
        if (k >= copies[c]->bytes.size()) continue;
        const DecodedByte& byte = copies[c]->bytes[k];
        if (copies[c]->vouched[k] && vouchedWinner < 0) vouchedWinner = static_cast<int>(c);
        weight[byte.value] += 1.0 + LeastConfidence(byte);
    }
    if (weight.empty()) return -1;
    Byte best = weight.begin()->first;
    for (const auto& [value, w] : weight)
        if (w > weight[best]) best = value;
    std::size_t holders = 0;
    int winner = -1;
    for (std::size_t c = 0; c < copies.size(); ++c) {
        if (k >= copies[c]->bytes.size() || copies[c]->bytes[k].value != best) continue;
        ++holders;
        if (winner < 0 || LeastConfidence(copies[c]->bytes[k]) >
                              LeastConfidence(copies[static_cast<std::size_t>(winner)]->bytes[k]))
            winner = static_cast<int>(c);
    }
    if (vouchedWinner >= 0) {
        const Byte vouched = copies[static_cast<std::size_t>(vouchedWinner)]->bytes[k].value;
        holders = 0;
        for (const MendWork* copy : copies)
            holders += k < copy->bytes.size() && copy->bytes[k].value == vouched ? 1 : 0;
        winner = vouchedWinner;
    }
    agreed = holders >= 2;
    return winner;
}

void VoteGroup(std::vector<MendWork*>& copies, const std::vector<std::size_t>& indices,
               double rate) {
    std::size_t longest = 0;
    for (const MendWork* copy : copies)
        longest = std::max(longest, copy->bytes.size());
    std::vector<DecodedByte> merged(longest);
    std::vector<bool> vouched(longest);
    std::vector<std::size_t> source(longest);
    for (std::size_t k = 0; k < longest; ++k) {
        bool agreed = false;
        const int winner = Vote(copies, k, agreed);
        const auto w = static_cast<std::size_t>(winner);
        merged[k] = copies[w]->bytes[k];
        vouched[k] = copies[w]->vouched[k] || agreed;
        source[k] = indices[w];
    }
    for (std::size_t c = 0; c < copies.size(); ++c) {
        MendWork& copy = *copies[c];
        for (std::size_t k = 0; k < copy.bytes.size(); ++k) {
            if (copy.bytes[k].value == merged[k].value) continue;
            copy.mended.push_back({k, copy.bytes[k].sample / rate, copy.bytes[k].value,
                                   merged[k].value, Mending::Copy, source[k]});
        }
        // The values are the vote's, the times each copy's own.
        std::vector<DecodedByte> own = merged;
        for (std::size_t k = 0; k < copy.bytes.size(); ++k)
            own[k].sample = copy.bytes[k].sample;
        copy.bytes = std::move(own);
        copy.vouched = vouched;
    }
}

} // namespace

void MendByChecksums(MendWork& file, double rate) {
    file.vouched.resize(file.bytes.size(), false);
    std::vector<Block> blocks = SystemBlocks(file.bytes);
    if (const auto level1 = Level1Block(file.bytes)) blocks.push_back(*level1);
    for (const Block& block : blocks) {
        if (!Holds(file.bytes, block) && !MendBlock(file, block, rate)) continue;
        if (DoubtfulBits(file.bytes, block.vouchFrom, block.checksum) > kMostVouchedDoubt) continue;
        for (std::size_t k = block.vouchFrom; k <= block.checksum; ++k)
            file.vouched[k] = true;
    }
}

void MendByCopies(std::vector<MendWork>& files, const std::vector<TapeFormat>& formats,
                  double rate) {
    for (std::size_t j = 1; j < files.size(); ++j)
        for (std::size_t i = 0; i < j; ++i)
            if (!files[i].copyOf && formats[i] == formats[j] && AreCopies(files[i], files[j])) {
                files[j].copyOf = i;
                break;
            }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].copyOf) continue;
        std::vector<MendWork*> copies{&files[i]};
        std::vector<std::size_t> indices{i};
        for (std::size_t j = i + 1; j < files.size(); ++j)
            if (files[j].copyOf == i) {
                copies.push_back(&files[j]);
                indices.push_back(j);
            }
        if (copies.size() > 1) VoteGroup(copies, indices, rate);
    }
}

namespace {

// The first Level 2 BASIC line whose next pointer or number breaks the chain, and the line in
// front of it.
struct BrokenLine {
    std::size_t line = 0, previous = 0;
};

std::optional<BrokenLine> BreakInBasicChain(const std::vector<DecodedByte>& bytes) {
    constexpr std::size_t kFirstLine = kLevel2FirstLine;
    if (bytes.size() < kFirstLine || !HasLevel2BasicMarkers(Values(bytes, 0, kFirstLine)))
        return std::nullopt;
    auto word = [&bytes](std::size_t at) {
        return static_cast<unsigned>(bytes[at].value | bytes[at + 1].value << 8);
    };
    std::size_t line = kFirstLine, previous = kFirstLine;
    unsigned previousPointer = 0, previousNumber = 0;
    for (bool first = true; line + 4 <= bytes.size(); first = false) {
        const unsigned pointer = word(line);
        if (pointer == 0) return std::nullopt; // the end of the program
        const unsigned number = word(line + 2);
        std::size_t end = line + 4;
        while (end < bytes.size() && bytes[end].value != 0)
            ++end;
        const std::size_t next = end + 1;
        const bool chained = first || ((pointer - previousPointer) & 0xFFFF) == next - line;
        if (!chained || (!first && number <= previousNumber) || pointer <= previousPointer)
            return BrokenLine{line, previous};
        previousPointer = pointer;
        previousNumber = number;
        previous = line;
        line = next;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint64_t> FirstBadBasicLine(const std::vector<DecodedByte>& bytes) {
    if (const auto broken = BreakInBasicChain(bytes)) return broken->line;
    return std::nullopt;
}

void MendBasicChain(MendWork& file, double rate) {
    constexpr unsigned kMostMended = 16;
    for (unsigned mended = 0; mended < kMostMended; ++mended) {
        const auto broken = BreakInBasicChain(file.bytes);
        if (!broken) return;
        // The doubtful bits of the pointers and numbers of the broken line and the one before.
        std::vector<BitPlace> doubtful;
        for (const std::size_t line : {broken->previous, broken->line})
            for (std::size_t k = line; k < line + 4 && k < file.bytes.size(); ++k)
                for (unsigned bit = 0; bit < 8; ++bit)
                    if (file.bytes[k].confidence[bit] < kDoubtfulBelow)
                        doubtful.push_back({k, bit, file.bytes[k].confidence[bit]});
        std::vector<BitPlace> mends;
        for (const BitPlace& place : doubtful) {
            Byte& value = file.bytes[place.byte].value;
            value = static_cast<Byte>(value ^ (0x80u >> place.bit));
            const auto after = BreakInBasicChain(file.bytes);
            const bool ended =
                (file.bytes[broken->line].value | file.bytes[broken->line + 1].value) == 0;
            if (!ended && (!after || after->line > broken->line)) mends.push_back(place);
            value = static_cast<Byte>(value ^ (0x80u >> place.bit));
        }
        if (mends.size() != 1) return; // none, or no telling which
        Flip(file, mends[0], rate, Mending::Basic);
    }
}

} // namespace tonvale
