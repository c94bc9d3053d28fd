#include "cli/SoundSession.h"

#include <cstdio>
#include <cstdlib>

namespace tonvale::cli {

void EndWithMessagesWhenNoSound(Session& session) {
    HeadlessPlatform& platform = session.platform;
    platform.onExit = [&platform](int) {
        for (const HeadlessPlatform::Message& message : platform.messages) {
            WriteErr(message.text);
            WriteErrLine("");
        }
        std::fflush(stderr);
        std::exit(kExitNoWav);
    };
}

} // namespace tonvale::cli
