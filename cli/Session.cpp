#include "cli/Session.h"

#include "cli/Output.h"

#include <cstdio>
#include <cstdlib>

namespace tonvale::cli {

Session::Session(const Options& options) : answers(options) {
    platform.onExit = [](int) {};
    platform.levelAnswer = [this] { return answers.AskLevel(); };
    platform.formatAnswer = [this] { return answers.AskFormat(); };
    platform.SetChecked(ControlId::Lnw, options.lnw);
    dlg.UseSound(options.sound);
    dlg.OnStart();
}

bool Session::Open(const std::string& path) {
    const std::size_t before = platform.messages.size();
    dlg.OpenTape(path);
    for (std::size_t i = before; i < platform.messages.size(); ++i) {
        WriteErr(platform.messages[i].text);
        WriteErrLine("");
    }
    // Every failure to read the tape leaves no tape image behind.
    return dlg.Loaded();
}

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
