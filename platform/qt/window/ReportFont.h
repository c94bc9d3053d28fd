#pragma once
// The report's font: the installed font of family "TRS-80" when there is one, drawn at a
// cell height of 18 pixels so that the machine's block graphics join up, else the system's
// fixed-pitch font.
#include <QFont>

namespace tonvale {

struct ReportFont {
    QFont font;
    bool trs = false;
    // The font maps the bytes to U+F000-U+F0FF (a symbol character map) instead of Latin-1.
    bool symbolPage = false;
};

inline constexpr int kTrsCellHeight = 18;

ReportFont ChooseReportFont();

} // namespace tonvale
