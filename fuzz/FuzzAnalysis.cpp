// The whole analysis of an image: every decoder, both answers to the level question, with and
// without the TRS-80 font. Whatever the bytes, each tape file's lines are the saved text behind
// its first line, byte for byte, and a sink gets the same lines.
#include "FuzzTarget.h"

#include <algorithm>

namespace {

struct Collect : tonvale::ReportSink {
    void Line(tonvale::ByteView text, tonvale::Byte tag) override {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(tag);
    }
    tonvale::Bytes bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tonvale;
    fuzz::Input input(data, size);
    const AnalysisSettings settings{input.TrsFont()};
    const TapeReport report = AnalyseTape(input.image, input, settings);
    const Bytes text = ComposeReportText(report);
    Bytes joined(report.fileLine.begin(),
                 report.fileLine.begin() + std::min<std::size_t>(356, report.fileLine.size()));
    joined.insert(joined.end(), {'\r', '\n'});
    Bytes lines;
    for (const TapeFileReport& file : report.files) {
        if (file.format == TapeFormat::Level1or2) __builtin_trap();
        for (const Bytes& line : JoinedLines(report, file)) {
            joined.insert(joined.end(), line.begin(), line.end());
            joined.insert(joined.end(), {'\r', '\n'});
        }
    }
    for (std::size_t i = 0; i < report.lines.Count(); ++i) {
        lines.insert(lines.end(), report.lines.Line(i).begin(), report.lines.Line(i).end());
        lines.push_back(report.tags[i]);
    }
    Collect sink;
    const TapeReport streamed = AnalyseTape(input.image, input, settings, &sink);
    if (report.files.empty() || joined != text || sink.bytes != lines ||
        streamed.summaryLine != report.summaryLine || streamed.fileLine != report.fileLine)
        __builtin_trap();
    return 0;
}
