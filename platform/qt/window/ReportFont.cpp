#include "platform/qt/window/ReportFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

const QString kTrsFamily = QStringLiteral("TRS-80");

// Only a font that really has this family will do: the font configuration would gladly
// hand out a look-alike for any name asked for.
bool TrsFontInstalled() {
    for (const QString& family : QFontDatabase::families()) {
        if (family == kTrsFamily || family.startsWith(kTrsFamily + QStringLiteral(" [")))
            return true;
    }
    return false;
}

// Qt sizes a font by its em; the cell (ascent + descent) is what has to be 18 pixels.
QFont AtCellHeight(QFont font, int cellHeight) {
    font.setPixelSize(cellHeight);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0)
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(cellHeight * cellHeight / cell))));
    return font;
}

// A symbol-encoded font maps the bytes to U+F020-U+F0FF. The toolkit finds most of them
// through Latin-1 as well, but not all (A0h, the no-break space, is taken for a space), so
// the page that reaches more of the font's own glyphs is the one to use.
bool ReachesMoreBytesThroughSymbolPage(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    int latin1 = 0;
    int symbolPage = 0;
    for (char16_t byte = 0x20; byte <= 0xFF; ++byte) {
        latin1 += raw.supportsCharacter(QChar(byte)) ? 1 : 0;
        symbolPage += raw.supportsCharacter(QChar(static_cast<char16_t>(0xF000 + byte))) ? 1 : 0;
    }
    return symbolPage > latin1;
}

} // namespace

ReportFont ChooseReportFont() {
    ReportFont chosen;
    if (TrsFontInstalled()) {
        QFont font(kTrsFamily);
        // The font's own glyphs or none: no other font may stand in for a missing byte.
        font.setStyleStrategy(QFont::NoFontMerging);
        font = AtCellHeight(font, kTrsCellHeight);
        if (QFontInfo(font).family() == kTrsFamily) {
            chosen.font = font;
            chosen.trs = true;
            chosen.symbolPage = ReachesMoreBytesThroughSymbolPage(font);
            return chosen;
        }
    }
    chosen.font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return chosen;
}

} // namespace tonvale
