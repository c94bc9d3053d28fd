// Reading a tape image and walking it tape file by tape file.
#include "app/TonvaleDlg.h"
#include "tape/FindSync.h"
#include "tape/WorkBuffer.h"

#include <cinttypes>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>

namespace tonvale {

namespace fs = std::filesystem;

namespace {

// The analysis counts a tape file's bytes in 32 bits.
constexpr std::uint64_t kMaxImageSize = 0xFFFFFFFFu;

// One tape file's bytes as the analysis gets them.
struct TapeFileData {
    SyncResult sync;
    std::optional<ByteView> bytes;
    std::uint64_t asked = 0; // the size of a work buffer that could not be had
};

} // namespace

void CTonvaleDlg::LoadTapeImage(const std::string& path) {
    m_tapeSize = 0;
    m_format = TapeFormat::None;
    m_prevFormat = TapeFormat::None;
    m_mixedFormats = false;
    m_text.Set(path);

    auto fail = [this](std::string_view caption_text) {
        m_text.Append(caption_text);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
    };

    // A path longer than a path buffer holds is one that cannot be opened, never a shorter one.
    const fs::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    if (path.size() > kMaxPath || !fs::is_regular_file(file, error)) {
        fail("\nUnable to open file!");
        return;
    }
    std::ifstream in(file, std::ios::binary);
    const std::uint64_t size = fs::file_size(file, error);
    if (!in || error) {
        fail("\nUnable to open file!");
        return;
    }
    m_tapeSize = size;
    m_tapeData.reset();
    if (size > kMaxImageSize) {
        m_text.AppendFormat("\nThe file is too large for a CAS image (%" PRIu64 " bytes)!", size);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        return;
    }
    m_tapeData.reset(new (std::nothrow) Byte[static_cast<std::size_t>(size)]);
    if (!m_tapeData) {
        m_text.AppendFormat("\nUnable to allocate input buffer (%" PRIu64 ")!", size);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        return;
    }
    in.read(reinterpret_cast<char*>(m_tapeData.get()), static_cast<std::streamsize>(size));
    if (static_cast<std::uint64_t>(in.gcount()) != size) {
        m_tapeData.reset();
        fail("\nUnable read CAS file!");
        return;
    }
    in.close();
    WalkTapeFiles();
}

void CTonvaleDlg::WalkTapeFiles() {
    ClearReport();
    m_verdicts.clear();

    const ByteView image(m_tapeData.get(), static_cast<std::size_t>(m_tapeSize));
    WorkBuffers buffers(image);

    // The data behind a sync search that started at image offset `from`.
    auto cut = [&](std::size_t from) {
        TapeFileData data;
        data.sync = FindSync(image.subspan(from));
        data.sync.dataPos += from;
        switch (data.sync.format) {
        case TapeFormat::Level1or2:
            data.bytes = buffers.Level(data.sync.dataPos, data.sync.shift, data.asked);
            break;
        case TapeFormat::Highspeed: {
            HighspeedTail tail;
            data.bytes = buffers.Highspeed(data.sync.dataPos, data.sync.shift, tail, data.asked);
            m_hsBitsShort = tail.bitsShort;
            m_hsLastBits = tail.lastBits;
            break;
        }
        default:
            data.bytes = image.subspan(from);
            break;
        }
        return data;
    };
    auto noWorkBuffer = [&](const TapeFileData& data) {
        m_text.AppendFormat("\nUnable to allocate work buffer (%" PRIu64 ")!", data.asked);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        m_tapeData.reset();
    };

    // The first tape file.
    TapeFileData data = cut(0);
    m_format = data.sync.format;
    if (!data.bytes) {
        noWorkBuffer(data);
        return;
    }
    SetControlText(ControlId::SummaryLine, std::string_view("Files:"));
    ByteView work = *data.bytes;
    std::size_t consumed = AnalyseTapeFile(work);
    // A single byte left behind a Highspeed first tape file is the rest of its last group.
    if (consumed + 1 == work.size() && m_format == TapeFormat::Highspeed) consumed = work.size();

    // Every further tape file, searched for in what the analysis left.
    while (consumed < work.size()) {
        const std::uint64_t remaining = work.size() - consumed;
        const std::uint64_t raw = m_format == TapeFormat::Highspeed ? remaining * 9 / 8 : remaining;
        const std::size_t from =
            raw >= image.size() ? 0 : image.size() - static_cast<std::size_t>(raw);
        m_prevFormat = m_format;
        data = cut(from);
        m_format = data.sync.format;
        if (!data.bytes) {
            noWorkBuffer(data);
            return;
        }
        work = *data.bytes;
        AddReportLine(std::string_view(), kTagPlain);
        consumed = AnalyseTapeFile(work);
        if (m_format == TapeFormat::None) m_format = m_prevFormat;
        if (m_prevFormat != TapeFormat::None && m_prevFormat != m_format) m_mixedFormats = true;
    }

    if (ControlText(ControlId::SummaryLine).size() > 10)
        AppendToControl(ControlId::FileLine, " (and more files)");
}

} // namespace tonvale
