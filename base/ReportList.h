#pragma once
// The report's lines, as the list view shows them: appended one by one, emptied at each load.
// Lines are packed into blocks (up to 1 MiB) that never move, so a report of a million lines costs
// its bytes and a few more per line, grows without copying what it holds, and finds any line
// at once. The blocks are kept for the next report.
#include "base/Bytes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tonvale {

class ReportList {
  public:
    void Clear();
    // False when memory ran out; the list is then unchanged.
    bool Add(ByteView text);

    std::size_t Count() const { return m_lines.size(); }
    ByteView Line(std::size_t index) const {
        const Entry& e = m_lines[index];
        return {m_blocks[e.block].bytes.get() + e.offset, e.length};
    }

  private:
    static constexpr std::size_t kFirstBlockSize = std::size_t{16} << 10;
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    struct Entry {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
    };

    struct Block {
        std::unique_ptr<Byte[]> bytes;
        std::size_t size;
    };

    std::vector<Block> m_blocks;
    std::size_t m_current = 0; // the block being filled
    std::size_t m_used = 0;    // bytes used in it
    std::vector<Entry> m_lines;
};

} // namespace tonvale
