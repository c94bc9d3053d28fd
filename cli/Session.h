#pragma once
// One tape through the window's own open chain (load, analysis, WAV image) without a window:
// what tonvale-play plays.
#include "app/TonvaleDlg.h"
#include "cli/Answers.h"
#include "platform/headless/HeadlessPlatform.h"

#include <string>

namespace tonvale::cli {

class Session {
  public:
    explicit Session(const Options& options);
    // False when the tape could not be read (the message went to standard error).
    bool Open(const std::string& path);

    Answers answers; // before the platform, which asks it
    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
};

// When the WAV image cannot be had at all (too long for a WAV file, no memory), the program
// ends inside the open chain; let it say why on standard error and end with kExitNoWav.
void EndWithMessagesWhenNoSound(Session& session);

} // namespace tonvale::cli
