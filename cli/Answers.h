#pragma once
// The answers to the two questions a tape may raise: Level 1 or 2 for an undecided tape file,
// and one format for the sound of a tape whose tape files differ in format. An option answers
// them; without one a person at the terminal is asked, and without a terminal the answer is
// that of the prompts' close box, Level 2.
#include "analysis/AnalyseTape.h"
#include "cli/Arguments.h"

#include <optional>
#include <vector>

namespace tonvale::cli {

class Answers : public LevelQuestion {
  public:
    explicit Answers(const Options& options);
    TapeFormat AskLevel() override;
    TapeFormat AskFormat();
    // A second walk over the same tape gets the Level answers given so far again, in order,
    // so that nobody is asked twice.
    void Replay() { m_next = 0; }

  private:
    std::optional<TapeFormat> m_level;
    std::optional<TapeFormat> m_format;
    bool m_terminal;
    std::vector<TapeFormat> m_levels;
    std::size_t m_next = 0;
};

} // namespace tonvale::cli
