#pragma once
// The report's lines, as the list view shows them: appended one by one, emptied at each load.
// All lines live in one byte arena with their end offsets, so a report of a million lines
// costs its bytes and eight more per line, and any line is found at once.
#include "app/Bytes.h"

#include <cstdint>
#include <vector>

namespace tonvale {

class ReportList {
  public:
    void Clear() {
        m_bytes.clear();
        m_ends.clear();
    }
    // False when memory ran out; the list is then unchanged.
    bool Add(ByteView text);

    std::size_t Count() const { return m_ends.size(); }
    ByteView Line(std::size_t index) const {
        std::uint64_t begin = index == 0 ? 0 : m_ends[index - 1];
        return {m_bytes.data() + begin, static_cast<std::size_t>(m_ends[index] - begin)};
    }

  private:
    Bytes m_bytes;
    std::vector<std::uint64_t> m_ends;
};

} // namespace tonvale
