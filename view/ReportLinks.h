#pragma once
// The report's lines and the tape's bytes, linked both ways: the bytes a listing, dump, block
// or rescue line shows, and the line that shows a byte.
#include "analysis/TapeReport.h"
#include "view/TapeTimeline.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tonvale {

struct ByteSpan {
    ByteAddress first;
    std::uint64_t count = 1;
    bool operator==(const ByteSpan&) const = default;
};

class ReportLinks {
  public:
    // `rescueLinesFrom`: where the rescue's lines begin in the report, if it has them.
    ReportLinks(const TapeReport& report, const TapeTimeline& timeline,
                std::optional<std::size_t> rescueLinesFrom = std::nullopt);

    std::optional<ByteSpan> BytesOf(std::size_t line) const;
    // The line that shows the byte most closely (a dump line before its load block's line).
    std::optional<std::size_t> LineOf(ByteAddress byte) const;

  private:
    struct Link {
        std::size_t line;
        ByteSpan bytes;
    };
    void AddRescueLines(const TapeReport& report, std::size_t from);

    std::vector<Link> m_links; // in line order
};

} // namespace tonvale
