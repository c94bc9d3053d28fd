#pragma once
// File names from the names on tape that every file system takes: Windows, whose rules are the
// strictest, as much as Linux and macOS.
#include "base/Bytes.h"

#include <string>
#include <string_view>
#include <vector>

namespace tonvale {

// A name for a file from a tape file's name: control bytes, bytes 80h-FFh and <>:"/\|?* become
// '_', spaces at either end and dots at the end go, a Windows device name (CON, PRN, AUX, NUL,
// COM0-COM9, LPT0-LPT9, in any case) gets a '_' behind it, and nothing left gives "tape".
std::string SafeFileName(ByteView name);

// Gives out names of files to be written together: the first of a name as it is, every later
// one numbered (GAME.cmd, GAME-2.cmd, GAME-3.cmd). Names that differ only in case are the same
// name, as on Windows and macOS.
class FileNamer {
  public:
    std::string Next(const std::string& stem, std::string_view extension);

  private:
    bool Taken(const std::string& name) const;
    std::vector<std::string> m_given; // in upper case
};

} // namespace tonvale
