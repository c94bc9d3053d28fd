#pragma once
// The bytes a tape file is made of, as its loader reads them: from behind its sync byte, in
// its format's framing (Highspeed bytes unpacked from their nine-bit groups), whole bytes only.
//
//     leader sync | what the analysis read | skipped | leader sync | read ... | remainder
//                 '---- tape file 1 -------'                      '--- tape file 2 ------'
//
// A tape file spans what the analysis read for it. Behind the last one a remainder may follow
// that has no leader of its own (the noise of a recorder being stopped, or the low byte of an
// entry address the tape ends in): it belongs to that tape file and is part of its bytes, so
// that laid down again it stays a remainder instead of becoming a tape file. What lies between
// a tape file's end and the next leader the analysis passes over unseen and no loader reads: it
// belongs to neither.
#include "analysis/TapeReport.h"
#include "base/Bytes.h"
#include "tape/WorkBuffer.h"

#include <cstddef>
#include <optional>

namespace tonvale {

class TapeFileBytes {
  public:
    // `report` is the analysis of `image`; both must outlive this.
    TapeFileBytes(ByteView image, const TapeReport& report)
        : m_image(image), m_report(report), m_buffers(image) {}

    // The bytes of tape file `index`. Nullopt for a remainder, which has no leader and is part
    // of the tape file before it, and when memory runs out. The view holds until the next call.
    std::optional<ByteView> Of(std::size_t index);

    // What the analysis read tape file `index` from: the bytes behind its sync byte up to the
    // end of the image, in its format's framing. Nullopt as for Of.
    std::optional<ByteView> Read(std::size_t index);
    // Those cut to the tape file's bytes, as Of gives them.
    ByteView Cut(std::size_t index, ByteView read) const;

  private:
    ByteView m_image;
    const TapeReport& m_report;
    WorkBuffers m_buffers;
};

} // namespace tonvale
