#include "cli/Answers.h"

#include "cli/Output.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace tonvale::cli {

namespace {

// Asks on the terminal, as the window's prompt would.
TapeFormat AskLevelOnTerminal() {
    for (;;) {
        std::fputs("Level 1 or 2 couldn't be determined\n"
                   "Please select the output format: Level [2] or Level [1]? ",
                   stderr);
        std::string answer;
        if (!std::getline(std::cin, answer))
            return TapeFormat::Level2; // end of input: as the close box
        if (answer.empty() || answer == "2") return TapeFormat::Level2;
        if (answer == "1") return TapeFormat::Level1;
    }
}

TapeFormat AskFormatOnTerminal() {
    for (;;) {
        std::fputs("Multiple \"files\" with different format\n"
                   "Tonvale can only do one at a time.\n"
                   "Please select the output format: Level [2], Level [1] or [H]ighspeed? ",
                   stderr);
        std::string answer;
        if (!std::getline(std::cin, answer)) return TapeFormat::Level2;
        if (answer.empty() || answer == "2") return TapeFormat::Level2;
        if (answer == "1") return TapeFormat::Level1;
        if (answer == "H" || answer == "h") return TapeFormat::Highspeed;
    }
}

} // namespace

Answers::Answers(const Options& options)
    : m_level(options.level), m_format(options.format), m_terminal(StdinIsTerminal()) {}

TapeFormat Answers::AskLevel() {
    if (m_next < m_levels.size()) return m_levels[m_next++];
    const TapeFormat answer = m_level      ? *m_level
                              : m_terminal ? AskLevelOnTerminal()
                                           : TapeFormat::Level2;
    m_levels.push_back(answer);
    m_next = m_levels.size();
    return answer;
}

TapeFormat Answers::AskFormat() {
    if (m_format) return *m_format;
    return m_terminal ? AskFormatOnTerminal() : TapeFormat::Level2;
}

} // namespace tonvale::cli
