#include "base/ReportList.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tonvale {

void ReportList::Clear() {
    // The blocks stay for the next report, which fills them again from the first.
    m_current = 0;
    m_used = 0;
    m_lines.clear();
}

bool ReportList::Add(ByteView text) {
    const std::size_t length = std::min<std::size_t>(text.size(), UINT32_MAX);
    try {
        // Room for the entry first, so that nothing can fail once the bytes are placed.
        if (m_lines.size() == m_lines.capacity()) m_lines.reserve(m_lines.capacity() * 2 + 64);
        if (m_blocks.empty() || m_used + length > m_blocks[m_current].size) {
            // The next block that holds the line: a kept one, or a new one.
            std::size_t next = m_blocks.empty() ? 0 : m_current + 1;
            while (next < m_blocks.size() && m_blocks[next].size < length)
                ++next;
            if (next == m_blocks.size()) {
                // Small reports stay small: blocks start at 16 KiB and double up to 1 MiB.
                const std::size_t grown = m_blocks.empty()
                                              ? kFirstBlockSize
                                              : std::min(kBlockSize, m_blocks.back().size * 2);
                const std::size_t size = std::max(grown, length);
                m_blocks.push_back({std::unique_ptr<Byte[]>(new Byte[size]), size});
            }
            m_current = next;
            m_used = 0;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (length > 0) std::memcpy(m_blocks[m_current].bytes.get() + m_used, text.data(), length);
    m_lines.push_back({static_cast<std::uint32_t>(m_current), static_cast<std::uint32_t>(m_used),
                       static_cast<std::uint32_t>(length)});
    m_used += length;
    return true;
}

} // namespace tonvale
