#include "view/ReportLinks.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace tonvale {

namespace {

std::string_view AsText(ByteView line) {
    return {reinterpret_cast<const char*>(line.data()), line.size()};
}

// The number behind the first `word` in `text`.
std::optional<std::uint64_t> NumberBehind(std::string_view text, std::string_view word) {
    const std::size_t at = text.find(word);
    if (at == std::string_view::npos) return std::nullopt;
    std::uint64_t value = 0;
    const char* from = text.data() + at + word.size();
    const auto [end, error] = std::from_chars(from, text.data() + text.size(), value);
    if (error != std::errc() || end == from) return std::nullopt;
    return value;
}

} // namespace

ReportLinks::ReportLinks(const TapeReport& report, const TapeTimeline& timeline,
                         std::optional<std::size_t> rescueLinesFrom) {
    for (std::size_t f = 0; f < report.files.size(); ++f) {
        const std::optional<std::size_t> timed = timeline.FileOfReport(f);
        if (!timed) continue;
        for (const LineBytes& shown : report.files[f].lineBytes)
            m_links.push_back({shown.line, {{*timed, shown.offset}, shown.count}});
    }
    if (rescueLinesFrom) AddRescueLines(report, *rescueLinesFrom);
    std::stable_sort(m_links.begin(), m_links.end(),
                     [](const Link& a, const Link& b) { return a.line < b.line; });
}

// The rescue's lines name their tape file ("Tape file 2 at ...") and then its bytes ("byte 12
// at ...", "at byte 12", "bytes 40 to 63 from its copies").
void ReportLinks::AddRescueLines(const TapeReport& report, std::size_t from) {
    std::optional<std::size_t> file;
    for (std::size_t line = from; line < report.lines.Count(); ++line) {
        const std::string_view text = AsText(report.lines.Line(line));
        if (text.starts_with("Tape file ")) {
            const auto number = NumberBehind(text, "Tape file ");
            file = number && *number > 0 ? std::optional<std::size_t>(*number - 1) : std::nullopt;
            continue;
        }
        if (!file) continue;
        if (const auto first = NumberBehind(text, "bytes ")) {
            const auto last = NumberBehind(text, " to ");
            if (last && *last >= *first)
                m_links.push_back({line, {{*file, *first}, *last - *first + 1}});
        } else if (const auto byte = NumberBehind(text, "byte ")) {
            m_links.push_back({line, {{*file, *byte}, 1}});
        }
    }
}

std::optional<ByteSpan> ReportLinks::BytesOf(std::size_t line) const {
    auto at = std::lower_bound(m_links.begin(), m_links.end(), line,
                               [](const Link& link, std::size_t l) { return link.line < l; });
    if (at == m_links.end() || at->line != line) return std::nullopt;
    return at->bytes;
}

std::optional<std::size_t> ReportLinks::LineOf(ByteAddress byte) const {
    std::optional<std::size_t> best;
    std::uint64_t narrowest = 0;
    for (const Link& link : m_links) {
        const ByteSpan& span = link.bytes;
        if (span.first.file != byte.file || byte.offset < span.first.offset ||
            byte.offset >= span.first.offset + span.count)
            continue;
        if (!best || span.count < narrowest) best = link.line, narrowest = span.count;
    }
    return best;
}

} // namespace tonvale
