#pragma once
// The main dialog: the whole state of the program and every operation on it. The window
// (or the command line) shows what it holds through a Platform and forwards user commands
// to its On... handlers; loading, analysis and synthesis are plain computations over bytes.
#include "app/Bytes.h"
#include "app/Formats.h"
#include "app/ReportList.h"
#include "app/TextBuffer.h"
#include "platform/Platform.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

inline constexpr std::string_view kCaptionHow = "Tonvale - HOW?";
inline constexpr std::string_view kCaptionWhat = "Tonvale - WHAT?";
inline constexpr std::string_view kCaptionWhatNot = "Tonvale - WHAT!";
inline constexpr std::string_view kWindowTitle = "Tonvale 2";

// A path buffer holds 259 characters and its terminator; longer paths are treated as not found.
inline constexpr std::size_t kMaxPath = 259;

// The line tags of the report: a continued line goes on in the next report line.
inline constexpr Byte kTagPlain = 0;
inline constexpr Byte kTagContinued = 1;

// Listing lines longer than this are split into continued pieces.
inline constexpr std::size_t kListingWidth = 64;

class CTonvaleDlg {
  public:
    explicit CTonvaleDlg(Platform& platform);
    ~CTonvaleDlg();
    CTonvaleDlg(const CTonvaleDlg&) = delete;
    CTonvaleDlg& operator=(const CTonvaleDlg&) = delete;

    // --- Window life and commands --------------------------------------------------------
    void OnInitDialog();
    void DestroyWindow();
    // The open chain for a path: title, load and analysis, WAV image, autoplay.
    void OpenTape(const std::string& path);
    // The first argument of the command-line text; wildcards allowed. Not found: message and
    // exit status 1 through the platform.
    void OnOpenCommandLine(std::string_view commandLine);
    void OnDropFiles(const std::vector<std::string>& paths);
    void OnOpenNew();
    void OnSave();
    void OnSaveWav();
    void OnOK();
    void OnTimer(unsigned id);
    void OnLnw1kHz();

    // --- Loading (tape/) ------------------------------------------------------------------
    void LoadTapeImage(const std::string& path);
    // Walks the tape image in m_tapeData tape file by tape file, building the report.
    void WalkTapeFiles();

    // --- Analysis (analysis/) -------------------------------------------------------------
    // Each takes one tape file's bytes (the first byte after the sync byte) and returns the
    // offset of the first byte it did not consume.
    std::size_t AnalyseTapeFile(ByteView file);
    std::size_t ListLevel2Basic(ByteView file);
    std::size_t DecodeSystemTape(ByteView file);
    std::size_t ListLevel1Basic(ByteView file);
    std::size_t DecodeLevel1System(ByteView file);
    std::size_t ListEdtasmSource(ByteView file);
    std::size_t ReportUnidentified(ByteView file);
    std::size_t ReportEmptyLevel1Csave(ByteView file);

    void AddHexDump(bool withAddress, ByteView bytes, std::uint32_t address);
    static void FormatHexByte(Byte* destination, Byte value);
    Byte ToDisplayChar(Byte value) const;

    // --- Sound (sound/) -------------------------------------------------------------------
    void BuildWavImage();
    // The duration text for m milliseconds: "%u seconds" or "%u minutes and %02u seconds".
    static void FormatDuration(TextBuffer& text, std::uint32_t millis);

    // --- The report (app/) ----------------------------------------------------------------
    void AddReportLine(ByteView text, Byte tag);
    void AddReportLine(const TextBuffer& text, Byte tag = kTagPlain) {
        AddReportLine(text.View(), tag);
    }
    void AddReportLine(std::string_view text, Byte tag = kTagPlain);
    void ClearReport();
    // While the text is longer than a listing line, adds its first 64 characters as a
    // continued line and keeps the rest.
    void SplitLongLine(TextBuffer& text);

    // The bytes "&Save" writes: the file line, CR LF, then every report line, continued
    // lines joined.
    Bytes ComposeReportText() const;

    // --- Status lines and verdicts ----------------------------------------------------------
    ByteView ControlText(ControlId id) const;
    void SetControlText(ControlId id, ByteView text);
    void SetControlText(ControlId id, std::string_view text);
    // Reads a status line back into m_text, appends the word and sets it again.
    void AppendToControl(ControlId id, std::string_view word);
    // A tape file's description goes to the file line for the first tape file of an image,
    // and into the report for every later one.
    void Describe(const TextBuffer& description);
    // The verdict of a decoder: " bad"/" suspicious"/" ok" on the file line (first tape file
    // only) and " bad"/" ok?"/" ok!" on the summary line.
    void AppendVerdict(bool bad, bool suspicious);
    void AppendSummaryWord(Verdict verdict);

    // --- State ----------------------------------------------------------------------------
    Platform& m_platform;

    int m_widestLine = 0;
    int m_charWidth = 0;
    bool m_trsFont = false;
    std::string m_path;

    std::unique_ptr<Byte[]> m_tapeData; // null when none
    std::uint64_t m_tapeSize = 0;
    std::unique_ptr<Byte[]> m_wavImage; // null when none
    std::uint64_t m_wavSize = 0;
    std::uint32_t m_playMillis = 0;

    TapeFormat m_format = TapeFormat::None;
    TapeFormat m_prevFormat = TapeFormat::None;
    bool m_mixedFormats = false;
    ContentKind m_contentKind = ContentKind::Unidentified;

    TextBuffer m_text;
    std::uint32_t m_timer = 0;

    ReportList m_report;
    Bytes m_lineTags;
    int m_lineTagCap = 0;

    std::uint32_t m_hsBitsShort = 0;
    Byte m_hsLastBits = 0;

    // One verdict per tape file of the last load, in order (the summary line may be full).
    std::vector<Verdict> m_verdicts;

  private:
    // The index in m_statusLines of the file, duration and summary line; -1 for other controls.
    static int StatusIndex(ControlId id);

    std::array<Bytes, 3> m_statusLines;
};

} // namespace tonvale
