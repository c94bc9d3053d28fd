// The real window offscreen, with the tests' own font only, Qt's own file dialogs, and the
// sound server of scripts/with-sound-server.
#include "builder/TestFiles.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("FONTCONFIG_FILE", TONVALE_TEST_FONT_DIR "/system/fonts.conf");
    qputenv("XDG_CONFIG_HOME", tonvale::test::TempDir("window-config").c_str()); // dialogs' memory
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
