#pragma once
// Real files for the tests: written, read back, in a directory of their own.
#include "base/Bytes.h"

#include <string>
#include <string_view>

namespace tonvale::test {

// Writes bytes to a file (created or replaced); returns its path.
std::string WriteFile(const std::string& path, ByteView bytes);
// A fresh, empty directory under the system's temporary directory, private to this process.
std::string TempDir(std::string_view name);
// Reads a whole file.
Bytes ReadFile(const std::string& path);

} // namespace tonvale::test
