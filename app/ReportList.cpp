#include "app/ReportList.h"

#include <new>

namespace tonvale {

bool ReportList::Add(ByteView text) {
    try {
        m_ends.reserve(m_ends.size() + 1);
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_ends.push_back(m_bytes.size());
    return true;
}

} // namespace tonvale
