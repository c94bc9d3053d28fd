// The real-sound tests need a Qt event loop and a sound server (scripts/with-sound-server).
// Without a server they fail rather than skip: a missing server is a broken setup.
#include "audio/AudioTestSupport.h"

#include <QCoreApplication>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (tonvale::test::RunTool("pactl", {"info"}).isEmpty()) {
        std::fputs("no sound server answers; run the tests through scripts/with-sound-server\n",
                   stderr);
        return 1;
    }
    return RUN_ALL_TESTS();
}
