// The real-sound tests need a Qt event loop and a sound server; scripts/with-sound-server
// provides one. Without it they fail rather than skip: a missing server is a broken setup.
#include "audio/AudioTestSupport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], tonvale::test::kPlayWithoutServerFlag) == 0)
        return tonvale::test::PlayWithoutServer();

    ::testing::InitGoogleTest(&argc, argv);
    if (tonvale::test::RunTool("pactl", {"info"}).isEmpty()) {
        std::fputs("tonvale_audio_tests: no sound server answers; run the tests through "
                   "scripts/with-sound-server\n",
                   stderr);
        return 1;
    }
    return RUN_ALL_TESTS();
}
