#include "platform/headless/HeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <fmt/core.h>

namespace tonvale {

void HeadlessPlatform::ShowMessage(ByteView text, std::string_view caption, MessageIcon icon) {
    messages.push_back({Bytes(text.begin(), text.end()), std::string(caption), icon});
    if (echoMessages) {
        fmt::print(stderr, "{}: ", caption);
        for (Byte b : text)
            std::fputc(b == '\n' ? ' ' : b, stderr);
        std::fputc('\n', stderr);
    }
}

TapeFormat HeadlessPlatform::AskLevel() {
    ++levelQuestions;
    return levelAnswer ? levelAnswer() : TapeFormat::Level2;
}

TapeFormat HeadlessPlatform::AskFormat() {
    ++formatQuestions;
    return formatAnswer ? formatAnswer() : TapeFormat::Level2;
}

void HeadlessPlatform::Exit(int status) {
    exitStatus = status;
    if (onExit)
        onExit(status);
    else
        std::exit(status);
}

} // namespace tonvale
