#include "cli/JsonReport.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace tonvale::cli {

namespace {

using Json = nlohmann::ordered_json;

Json FormatName(TapeFormat format) {
    const std::string_view key = NamesOf(format).key;
    return key.empty() ? Json(nullptr) : Json(key); // null: no header found
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return "ok";
    case Verdict::Suspicious:
        return "suspicious";
    default:
        return "bad"; // a remainder of noise too
    }
}

template <typename T> Json OrNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json Text(ByteView bytes) {
    return Latin1ToUtf8(bytes);
}

std::string Dump(const Json& json) {
    // A path need not be UTF-8: U+FFFD where it fails.
    return json.dump(-1, ' ', true, Json::error_handler_t::replace);
}

// An object without its closing brace, to be continued by hand.
void WriteOpen(OutStream& out, const Json& object) {
    std::string text = Dump(object);
    text.pop_back();
    out.Write(text);
}

// To the millisecond, as every time in the documents.
double Rounded(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

Json SoundTimes(const TapeTimeline* timeline, std::size_t file) {
    const std::optional<std::size_t> timed = timeline ? timeline->FileOfReport(file) : std::nullopt;
    if (!timed) return nullptr;
    const TimedTapeFile& times = timeline->Files()[*timed];
    return {{"start", Rounded(times.startSeconds)}, {"end", Rounded(times.endSeconds)}};
}

} // namespace

std::string Latin1ToUtf8(ByteView bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (Byte b : bytes) {
        if (b < 0x80) {
            text.push_back(static_cast<char>(b));
        } else {
            text.push_back(static_cast<char>(0xC0 | b >> 6));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

JsonTapeWriter::JsonTapeWriter(OutStream& out, const std::string& path, std::uint64_t size,
                               const TapeReport& report, ByteView durationLine)
    : m_out(out), m_report(report) {
    WriteOpen(m_out, {{"path", path},
                      {"size", size},
                      {"fileLine", Text(report.fileLine)},
                      {"summaryLine", Text(report.summaryLine)},
                      {"duration", durationLine.empty() ? Json(nullptr) : Text(durationLine)}});
    m_out.Write(",\"files\":[");
}

void JsonTapeWriter::Line(ByteView text, Byte tag) {
    MoveTo(m_index++);
    if (!m_fileOpen) return; // every line belongs to a tape file; nothing to write it into
    m_line.insert(m_line.end(), text.begin(), text.end());
    m_continued = tag != kTagPlain;
    if (m_continued) return;
    if (!m_firstLine) m_out.Write(",");
    m_firstLine = false;
    m_out.Write(Dump(Text(m_line)));
    m_line.clear();
}

void JsonTapeWriter::Finish() {
    MoveTo(std::numeric_limits<std::size_t>::max());
    m_out.Write("]}");
}

void JsonTapeWriter::MoveTo(std::size_t index) {
    for (;;) {
        if (m_fileOpen) {
            const TapeFileReport& file = m_report.files[m_nextFile - 1];
            if (index < file.firstLine + file.lineCount) return;
            CloseFile();
        }
        if (m_nextFile == m_report.files.size() || m_report.files[m_nextFile].firstLine > index)
            return;
        OpenFile();
    }
}

void JsonTapeWriter::OpenFile() {
    const TapeFileReport& file = m_report.files[m_nextFile];
    const std::size_t index = m_nextFile;
    if (m_nextFile++ > 0) m_out.Write(",");
    Json blocks = Json::array();
    for (const SystemBlock& block : file.blocks)
        blocks.push_back({{"address", block.address},
                          {"length", block.length},
                          {"stored", OrNull(block.stored)},
                          {"computed", OrNull(block.computed)}});
    WriteOpen(m_out,
              {{"offset", file.offset},
               {"shift", file.shift},
               {"format", FormatName(file.format)},
               {"kind", NamesOf(file.kind).key},
               {"name", file.name ? Text(*file.name) : Json(nullptr)},
               {"load", OrNull(file.load)},
               {"end", OrNull(file.end)},
               {"entry", OrNull(file.entry)},
               {"blocks", std::move(blocks)},
               {"verdict", VerdictName(file.verdict)},
               {"summaryWord", file.summaryWord.empty() ? Json(nullptr) : Text(file.summaryWord)},
               {"sound", SoundTimes(m_timeline, index)}});
    if (index < m_extras.size() && !m_extras[index].empty()) m_out.Write("," + m_extras[index]);
    m_out.Write(",\"lines\":[");
    m_fileOpen = true;
    m_firstLine = true;
}

void JsonTapeWriter::CloseFile() {
    // A continued piece at the very end still makes a line; the saved text ends without CR LF.
    if (m_continued) {
        if (!m_firstLine) m_out.Write(",");
        m_out.Write(Dump(Text(m_line)));
        m_line.clear();
        m_continued = false;
    }
    m_out.Write("]}");
    m_fileOpen = false;
}

void WriteUnreadableTapeJson(OutStream& out, const std::string& path, std::string_view failure) {
    out.Write(Dump({{"path", path}, {"error", failure}}));
}

} // namespace tonvale::cli
