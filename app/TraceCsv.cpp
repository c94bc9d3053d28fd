#include "app/TraceCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tonvale {

namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

// to_chars: the C locale's dot, whatever the program's locale says.
void AppendFixed(std::string& row, double value, int decimals) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (error == std::errc()) row.append(text, end);
}

void AppendCount(std::string& row, std::uint64_t value) {
    char text[24];
    row.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

const char* RoleName(PulseRole role) {
    switch (role) {
    case PulseRole::Clock:
        return "clock";
    case PulseRole::Data:
        return "data";
    case PulseRole::Stray:
        break;
    }
    return "stray";
}

void AppendPulse(std::string& row, const TracePulse& pulse) {
    row += "pulse,";
    AppendFixed(row, pulse.seconds, 6);
    row += ',';
    AppendCount(row, pulse.cell);
    row += ',';
    row += RoleName(pulse.role);
    row += pulse.rises ? ",up," : ",down,";
    AppendFixed(row, pulse.height, 3);
    row += ",,,,\n";
}

void AppendCell(std::string& row, const TraceCell& cell, std::uint64_t index) {
    row += "cell,";
    AppendFixed(row, cell.seconds, 6);
    row += ',';
    AppendCount(row, index);
    row += ",,,,";
    AppendFixed(row, cell.period, 7);
    row += cell.bit ? ",1," : ",0,";
    AppendFixed(row, cell.confidence, 3);
    row += cell.format == TapeFormat::Highspeed ? ",highspeed\n" : ",level1or2\n";
}

ByteView View(const std::string& text) {
    return {reinterpret_cast<const Byte*>(text.data()), text.size()};
}

// Each decoder keeps its own rows in time order, one decoder's behind the other's: the rows
// of both in time order, a cell before the pulse that opens it.
struct Row {
    double seconds;
    bool pulse;
    std::size_t index;
};

std::vector<Row> RowsInTimeOrder(const RescueTrace& trace) {
    std::vector<Row> rows;
    rows.reserve(trace.cells.size() + trace.pulses.size());
    for (std::size_t i = 0; i < trace.cells.size(); ++i)
        rows.push_back({trace.cells[i].seconds, false, i});
    for (std::size_t i = 0; i < trace.pulses.size(); ++i)
        rows.push_back({trace.pulses[i].seconds, true, i});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.seconds < b.seconds || (a.seconds == b.seconds && !a.pulse && b.pulse);
    });
    return rows;
}

} // namespace

bool WriteTraceCsv(const RescueTrace& trace, const ByteWriter& write) {
    std::string piece(kTraceCsvHeader);
    for (const Row& row : RowsInTimeOrder(trace)) {
        if (row.pulse)
            AppendPulse(piece, trace.pulses[row.index]);
        else
            AppendCell(piece, trace.cells[row.index], row.index);
        if (piece.size() < kPieceSize) continue;
        if (!write(View(piece))) return false;
        piece.clear();
    }
    return write(View(piece));
}

} // namespace tonvale
