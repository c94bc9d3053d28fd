// The tape view, offscreen: opened beside the window with Ctrl+T, it shows the bytes of the
// report line picked, picks the line of the byte clicked, and follows the keys; for a damaged
// recording, a rescue line shows its doubtful byte.
#include "WindowDriver.h"

#include "platform/qt/window/TapeView.h"
#include "rescue/Degrade.h"
#include "sound/WavImage.h"

#include <QRegularExpression>

#include <algorithm>

namespace tonvale::test {
namespace {

const std::string kSource = TONVALE_SOURCE_DIR;

// Picks the report's row `row` as a person does: a click on it.
void ClickRow(CTonvaleWindow& window, int row) {
    QListView* view = window.ReportView();
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

int RowOf(CTonvaleWindow& window, const QRegularExpression& pattern) {
    const QStringList lines = Lines(window);
    return static_cast<int>(lines.indexOf(pattern));
}

// The hex of a dump line ("7000 21 0E 70 ..."), as bytes.
std::vector<unsigned> DumpBytes(const QString& line) {
    std::vector<unsigned> bytes;
    for (const QString& field : line.mid(5, 48).split(' ', Qt::SkipEmptyParts))
        bytes.push_back(field.toUInt(nullptr, 16));
    return bytes;
}

// The zoomed view's mean blue over columns [from, to).
double Blue(QWidget* zoomed, int from, int to) {
    const QImage image = zoomed->grab().toImage();
    double sum = 0;
    int n = 0;
    for (int x = std::max(0, from); x < std::min(to, image.width()); ++x)
        for (int y = image.height() / 4; y < image.height() - 20; ++y, ++n)
            sum += image.pixelColor(x, y).blue() - image.pixelColor(x, y).red();
    return n ? sum / n : 0;
}

TEST(TapeView, ShowsTheBytesOfTheLinePickedAndPicksTheLineOfTheByteClicked) {
    Bytes image = ReadFile(kSource + "/examples/demo-system.cas");
    const Bytes basic = ReadFile(kSource + "/examples/demo.cas");
    image.insert(image.end(), basic.begin(), basic.end());
    WindowUnderTest w;
    w.Drop({TapeFile("two.cas", image)});
    QApplication::setActiveWindow(&w.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
    QTest::keyClick(&w.window, Qt::Key_T, Qt::ControlModifier);
    CTapeView* view = w.window.TapeView();
    ASSERT_TRUE(view && view->isVisible());
    EXPECT_FALSE(view->isModal());
    EXPECT_TRUE(w.window.isEnabled());
    const TapeTimeline& timeline = *w.Dialog().Timeline();
    ASSERT_EQ(timeline.Files().size(), 2u);

    // A dump line: its sixteen bytes, in view and highlighted.
    const int dump = RowOf(w.window, QRegularExpression("7000 21 0E 70.*"));
    ASSERT_GT(dump, 0);
    ClickRow(w.window, dump);
    const auto shown = view->Highlighted();
    ASSERT_TRUE(shown);
    const std::vector<unsigned> hex = DumpBytes(Lines(w.window)[dump]);
    ASSERT_EQ(shown->count, hex.size());
    for (std::uint64_t k = 0; k < shown->count; ++k)
        EXPECT_EQ(timeline.ByteValue({shown->first.file, shown->first.offset + k}), hex[k]) << k;
    const double start = timeline.ByteStart(shown->first);
    const double end = timeline.ByteEnd({shown->first.file, shown->first.offset + 15});
    EXPECT_TRUE(view->From() <= start && end <= view->To());
    const int x0 = static_cast<int>(view->XOf(start)), x1 = static_cast<int>(view->XOf(end));
    EXPECT_GT(Blue(view->ZoomedView(), x0 + 2, x1 - 2), Blue(view->ZoomedView(), x1 + 4, x1 + 40));

    // A program line of the BASIC tape file: from its next pointer to its end byte.
    const int listing = RowOf(w.window, QRegularExpression("10 .*"));
    ASSERT_GT(listing, dump);
    ClickRow(w.window, listing);
    const auto line = view->Highlighted();
    ASSERT_TRUE(line);
    EXPECT_EQ(line->first.file, 1u);
    const auto value = [&](std::uint64_t k) {
        return timeline.ByteValue({1, line->first.offset + k});
    };
    EXPECT_EQ(value(2) | value(3) << 8, 10) << "the line number behind the pointer";
    EXPECT_EQ(value(line->count - 1), 0) << "the line's end byte";

    // A click on the fifth byte of the dump line picks the dump line, and the byte.
    ClickRow(w.window, dump);
    const ByteAddress fifth{shown->first.file, shown->first.offset + 4};
    const double middle = (timeline.ByteStart(fifth) + timeline.ByteEnd(fifth)) / 2;
    QTest::mouseClick(
        view->ZoomedView(), Qt::LeftButton, {},
        QPoint(static_cast<int>(view->XOf(middle)), view->ZoomedView()->height() / 2));
    EXPECT_EQ(view->Highlighted(), (ByteSpan{fifth, 1}));
    ClickRow(w.window, listing);
    QTest::mouseClick(
        view->ZoomedView(), Qt::LeftButton, {},
        QPoint(static_cast<int>(view->XOf(middle)), view->ZoomedView()->height() / 2));
    EXPECT_EQ(w.window.ReportView()->currentIndex().row(), dump);

    // The keys: a byte on, the next tape file, the ends.
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(view->CursorByte(), (ByteAddress{fifth.file, fifth.offset + 1}));
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(view->CursorByte(), (ByteAddress{1, 0}));
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->CursorByte(), (ByteAddress{1, timeline.Files()[1].bytes - 1}));
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(view->CursorByte(), (ByteAddress{0, 0}));

    // Zooming in around the middle keeps the time there where it is.
    const double before = view->SecondsAt(view->ZoomedView()->width() / 2.0);
    const double span = view->To() - view->From();
    QTest::keyClick(view, Qt::Key_Plus);
    EXPECT_LT(view->To() - view->From(), span);
    EXPECT_NEAR(view->SecondsAt(view->ZoomedView()->width() / 2.0), before, span / 100);
    EXPECT_TRUE(w.modals.seen.empty());
}

#if TONVALE_RECORDING
// The window rescues a dropped recording and shows the rescue lines behind the report; in the
// tape view, the doubtful byte of a rescue line.
TEST(TapeView, ShowsTheDoubtfulByteOfADamagedRecordingsRescueLine) {
    const Bytes image = ReadFile(kSource + "/tests/golden/cases/system-blocks-gap.cas");
    Recording r = Synthesise(TapeFormat::Level2, image);
    Burst(r, 0.5 + (10 + 377.0 * 8 * 44) / kSynthesisRate, 0.05);
    const std::string wav = WriteSoundFile(TapeFile("worn.wav", {}), r);

    WindowUnderTest w;
    EXPECT_FALSE(w.window.Control(ControlId::SaveCas)->isEnabled());
    QTest::mouseClick(Button(&w.window, "&Tape view"), Qt::LeftButton);
    w.Drop({wav});
    const QStringList lines = Lines(w.window);
    EXPECT_EQ(lines, Lines(w.window, false));
    EXPECT_GT(lines.indexOf(QRegularExpression("^Rescue: 1 tape file in .*")), 0);
    EXPECT_EQ(lines[lines.size() - 4], "  damaged")
        << "the last rescue line, then the status lines";
    EXPECT_TRUE(w.window.Control(ControlId::SaveCas)->isEnabled() &&
                w.window.Control(ControlId::Play)->isEnabled());
    CTapeView* view = w.window.TapeView();
    ASSERT_TRUE(view && w.Dialog().Timeline() && w.Dialog().Trace());
    EXPECT_EQ(view->From(), 0);
    EXPECT_NEAR(view->To(), static_cast<double>(r.samples.size()) / r.rate, 0.01);
    const QRegularExpression doubtful("^  byte (\\d+) at [0-9.]+ s: [0-9A-F]{2}h doubtful$");
    const int row = static_cast<int>(lines.indexOf(doubtful));
    ASSERT_GT(row, 0);
    ClickRow(w.window, row);
    const std::uint64_t offset = doubtful.match(lines[row]).captured(1).toULongLong();
    EXPECT_EQ(view->Highlighted(), (ByteSpan{{0, offset}, 1}));
    const auto& marks = w.Dialog().Timeline()->Marks();
    EXPECT_TRUE(std::ranges::any_of(marks, [&](const ByteMark& m) {
        return m.kind == MarkKind::Doubtful && m.offset == offset;
    }));
    EXPECT_FALSE(view->Tooltip(w.Dialog().Timeline()->ByteStart({0, offset})).isEmpty());
    EXPECT_TRUE(w.modals.seen.empty());
}
#endif

// Closed, it opens again where the person left it, in the next run too.
TEST(TapeView, OpensWhereItWasLeftLastTime) {
    const auto open = [](WindowUnderTest& w) {
        for (QPushButton* button : w.window.findChildren<QPushButton*>())
            if (button->text() == "&Tape view") QTest::mouseClick(button, Qt::LeftButton);
        return w.window.TapeView();
    };
    QRect left;
    {
        WindowUnderTest w;
        CTapeView* view = open(w);
        ASSERT_TRUE(view);
        view->setGeometry(60, 70, 640, 300);
        left = view->geometry();
        view->close();
    }
    WindowUnderTest again;
    EXPECT_EQ(open(again)->geometry(), left);
}

} // namespace
} // namespace tonvale::test
