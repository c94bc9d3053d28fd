// The window tests run the real Qt window offscreen, with the tests' own fonts only and Qt's
// own file dialogs, against the sound server of scripts/with-sound-server.
#include "builder/TapeBuilder.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("FONTCONFIG_FILE", TONVALE_TEST_FONT_DIR "/system/fonts.conf");
    // Where the file dialogs keep what they remember.
    qputenv("XDG_CONFIG_HOME", tonvale::test::TempDir("window-config").c_str());
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    // The offscreen platform's note for every window that it cannot pass size hints on.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains("propagateSizeHints")) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
