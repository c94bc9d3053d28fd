#pragma once
// What the system hands a command-line program, made the same everywhere. Linux hands over
// the arguments' bytes, and the shell has expanded the wildcards. Windows hands argv over in
// the ANSI code page, which cannot hold every file name, leaves "*.cas" as it stands for the
// program to expand, and turns "\n" into "\r\n" on standard output.
#include <string>
#include <string_view>
#include <vector>

namespace tonvale::cli {

// The program's arguments as UTF-8 (on Windows from the UTF-16 command line), argv[0] too.
class Utf8Arguments {
  public:
    Utf8Arguments(int argc, char** argv);
    int Count() const { return static_cast<int>(m_pointers.size()) - 1; }
    char** Values() { return m_pointers.data(); }

  private:
    std::vector<std::string> m_arguments;
    std::vector<char*> m_pointers; // into m_arguments, with a null pointer at the end
};

// Standard output takes the bytes as they are: the report's CR LF stays CR LF, never CR CR LF.
void UseBinaryStandardOutput();

// On Windows, each TAPE argument with "*" or "?" in its last part becomes the files it
// matches, in name order (none: it stays, to be told as unreadable). Elsewhere the shell has
// done it, and a "*" that is left is part of a name.
void ExpandWildcards(std::vector<std::string>& tapes);

// One argument as the Windows C runtime splits a command line: quoted when it has a space, a
// tab or a quote, or is empty, with the backslashes before a quote doubled.
std::string QuoteArgument(std::string_view argument);

#if defined(_WIN32)
// A command line split as Windows programs split theirs, each argument as UTF-8.
std::vector<std::string> SplitCommandLine(const wchar_t* commandLine);
#endif

} // namespace tonvale::cli
