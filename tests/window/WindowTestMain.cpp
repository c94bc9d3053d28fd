// The window tests run the real Qt window; without a display it is drawn offscreen.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

// The offscreen platform says for every window that it cannot pass size hints on; nothing a
// test would want to read among its output.
QtMessageHandler g_defaultHandler = nullptr;

void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("does not support propagateSizeHints")))
        g_defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultHandler = qInstallMessageHandler(QuietOffscreenNotes);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
