// The report view: a model the item views can trust, the report font (a "TRS-80" font made
// for these tests, or the system's fixed font), the width it scrolls to, and a million lines.
#include "WindowDriver.h"

#include "builder/SampleTapes.h"
#include "builder/TapeBuilder.h"
#include "platform/qt/window/ReportModel.h"

#include <QAbstractItemModelTester>
#include <QFontDatabase>
#include <QFontInfo>
#include <QListView>
#include <QRawFont>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tonvale::test {
namespace {

// A font of family "TRS-80" installed for as long as the object lives.
class InstalledFont {
  public:
    explicit InstalledFont(const char* file)
        : m_id(QFontDatabase::addApplicationFont(QStringLiteral(TONVALE_TEST_FONT_DIR "/") +
                                                 QString::fromLatin1(file))) {}
    ~InstalledFont() { QFontDatabase::removeApplicationFont(m_id); }
    bool Installed() const { return m_id >= 0; }

  private:
    int m_id;
};

// Every byte from 80h up, with no leader anywhere: the whole image is dumped as it stands.
Bytes HighBytesTape() {
    Bytes bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.push_back(static_cast<Byte>(b));
    return TapeBuilder().Data(bytes).Build();
}

Bytes DemoTape() {
    return TapeBuilder().Level2File(DemoBasicProgram()).Build();
}

// The warnings a model tester gives, caught while the object lives.
class CaughtWarnings {
  public:
    CaughtWarnings() {
        s_caught = &m_messages;
        m_previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext&, const QString& message) {
                if (type != QtDebugMsg && s_caught) s_caught->push_back(message);
            });
    }
    ~CaughtWarnings() {
        qInstallMessageHandler(m_previous);
        s_caught = nullptr;
    }
    const QStringList& Messages() const { return m_messages; }

  private:
    static inline QStringList* s_caught = nullptr;
    QStringList m_messages;
    QtMessageHandler m_previous;
};

TEST(ReportView, GivesItemViewsAConsistentModelThroughLoadsAndReloads) {
    const std::string dir = TestDir();
    const std::string demo = TapeFile(dir, "demo.cas", DemoTape());
    const std::string high = TapeFile(dir, "high.cas", HighBytesTape());
    WindowUnderTest w;
    CaughtWarnings warnings;
    QAbstractItemModelTester tester(&w.Window().ReportModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    w.Drop({demo});
    w.Drop({high});
    w.Drop({demo});
    EXPECT_EQ(warnings.Messages().filter("FAIL").join('\n').toStdString(), "");
    EXPECT_EQ(w.AllRows(), CoreOutputFor(demo).rows);
}

TEST(ReportView, ShowsLinesUnselectableInRowsOfOneHeight) {
    const std::string path = TapeFile(TestDir(), "demo.cas", DemoTape());
    WindowUnderTest w;
    w.Drop({path});
    QListView* view = w.Window().ReportView();
    const QAbstractItemModel* model = view->model();
    const int height = QFontMetrics(view->font()).height();
    for (int row : {0, 1, model->rowCount() - 1})
        EXPECT_EQ(view->visualRect(model->index(row, 0)).height(), height) << row;
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsSelectable);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(model->index(1, 0)).center());
    EXPECT_FALSE(view->selectionModel()->hasSelection());
}

TEST(ReportView, ScrollsSidewaysToTheWidestLineWithoutElidingIt) {
    const std::string path = TapeFile(TestDir(), "demo.cas", DemoTape());
    WindowUnderTest w;
    w.Drop({path});
    const CTonvaleDlg& dlg = w.Dialog();
    const int extent = dlg.m_charWidth * dlg.m_widestLine + 4;
    QListView* view = w.Window().ReportView();
    const QAbstractItemModel* model = view->model();
    EXPECT_EQ(model->data(model->index(0, 0), Qt::SizeHintRole).toSize().width(), extent);
    EXPECT_EQ(view->textElideMode(), Qt::ElideNone);

    view->resize(extent / 2, view->height());
    QApplication::processEvents();
    EXPECT_GE(view->horizontalScrollBar()->maximum() + view->viewport()->width(), extent);

    // The placeholder alone: nine characters wide.
    WindowUnderTest fresh;
    EXPECT_EQ(fresh.Dialog().m_widestLine, 9);
    const QAbstractItemModel* freshModel = fresh.Window().ReportView()->model();
    EXPECT_EQ(freshModel->data(freshModel->index(0, 0), Qt::SizeHintRole).toSize().width(),
              fresh.Dialog().m_charWidth * 9 + 4);
}

TEST(ReportFont, FallsBackToTheSystemsFixedFontAndDotsForHighBytes) {
    const std::string path = TapeFile(TestDir(), "high.cas", HighBytesTape());
    WindowUnderTest w;
    EXPECT_FALSE(w.Dialog().m_trsFont);
    const QFont font = w.Window().ReportView()->font();
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_EQ(w.Dialog().m_charWidth, QFontMetrics(font).horizontalAdvance(' '));

    w.Drop({path});
    for (const QString& row : w.AllRows())
        for (QChar c : row)
            EXPECT_LT(c.unicode(), 0x7F) << row.toStdString();
}

TEST(ReportFont, DrawsAnInstalledTrs80FontAtACellOf18PixelsWithItsOwnHighGlyphs) {
    InstalledFont trs("TRS-80-test.ttf");
    ASSERT_TRUE(trs.Installed());
    const std::string path = TapeFile(TestDir(), "high.cas", HighBytesTape());
    WindowUnderTest w;
    EXPECT_TRUE(w.Dialog().m_trsFont);
    const QFont font = w.Window().ReportView()->font();
    EXPECT_EQ(QFontInfo(font).family(), "TRS-80");
    EXPECT_EQ(QFontMetrics(font).height(), 18);
    // The test font's cells are 0.6 em wide, and 18 pixels of cell make an em of 15.
    EXPECT_EQ(w.Dialog().m_charWidth, 9);

    w.Drop({path});
    const CTonvaleDlg& dlg = w.Dialog();
    bool sawHighByte = false;
    for (int i = 0; i < w.Rows(); ++i) {
        const ByteView line = dlg.m_report.Line(static_cast<std::size_t>(i));
        const QString row = w.Row(i);
        ASSERT_EQ(row.size(), static_cast<qsizetype>(line.size()));
        for (std::size_t k = 0; k < line.size(); ++k) {
            EXPECT_EQ(row[static_cast<qsizetype>(k)].unicode(), line[k]);
            sawHighByte |= line[k] >= 0x80;
        }
    }
    EXPECT_TRUE(sawHighByte);
}

// Every byte of every row reaches a glyph of the TRS-80 font itself, whichever character map
// the font has: no other font stands in.
void ExpectEveryByteDrawnByTheTrsFont(WindowUnderTest& w) {
    const QRawFont raw = QRawFont::fromFont(w.Window().ReportView()->font());
    ASSERT_EQ(raw.familyName(), "TRS-80");
    bool sawHighByte = false;
    for (const QString& row : w.AllRows()) {
        for (QChar c : row) {
            EXPECT_TRUE(raw.supportsCharacter(c)) << std::hex << int{c.unicode()};
            sawHighByte |= (c.unicode() & 0xFF) >= 0x80;
        }
    }
    EXPECT_TRUE(sawHighByte);
}

TEST(ReportFont, DrawsEveryByteWithTheGlyphsOfAnInstalledTrs80Font) {
    const std::string path = TapeFile(TestDir(), "high.cas", HighBytesTape());
    struct Font {
        const char* file;
        bool symbolPage;
    };
    for (const Font font : {Font{"TRS-80-test.ttf", false}, Font{"TRS-80-test-symbol.ttf", true}}) {
        SCOPED_TRACE(font.file);
        InstalledFont trs(font.file);
        ASSERT_TRUE(trs.Installed());
        WindowUnderTest w;
        ASSERT_TRUE(w.Dialog().m_trsFont);
        EXPECT_EQ(w.Window().ChosenReportFont().symbolPage, font.symbolPage);
        EXPECT_EQ(QFontMetrics(w.Window().ReportView()->font()).height(), 18);
        w.Drop({path});
        ExpectEveryByteDrawnByTheTrsFont(w);
    }
}

TEST(ReportView, ShowsAMillionLinesAtOnceAfterTheLoad) {
    constexpr std::size_t kLines = 1'000'000;
    const std::string path =
        TapeFile(TestDir(), "noise.cas", TapeBuilder().Noise(16 * kLines).Build());
    WindowUnderTest w;
    CReportModel& model = w.Window().ReportModel();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    w.Drop({path});

    // The description line and one dump line per 16 bytes, told to the view in one go after
    // the report was emptied.
    EXPECT_EQ(w.Rows(), static_cast<int>(kLines + 1));
    EXPECT_LE(inserted.count() + reset.count(), 2);
    QListView* view = w.Window().ReportView();
    view->scrollToBottom();
    QApplication::processEvents();
    const QModelIndex last = model.index(static_cast<int>(kLines), 0);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(last)));
    EXPECT_EQ(w.Row(static_cast<int>(kLines)), Shown(AsChars(w.Dialog().m_report.Line(kLines))));
}

} // namespace
} // namespace tonvale::test
