#pragma once
// Bytes on their way into Qt's strings and back. Report lines and status lines are TRS-80
// bytes and go over one code point per byte; titles and messages may hold a path, which is
// UTF-8 when it is valid UTF-8 and shown byte for byte otherwise.
#include "base/Bytes.h"

#include <QString>

#include <string>

namespace tonvale {

// One code point per byte: Latin-1, or the private-use page U+F000 + byte that a
// symbol-encoded font is reached through.
QString BytesToLatin1(ByteView bytes);
QString BytesToSymbolPage(ByteView bytes);

// UTF-8 when the bytes are valid UTF-8, else Latin-1: no byte is lost or replaced.
QString BytesToDisplayText(ByteView bytes);

// A window title shows "[*]" literally, not as the modified-document placeholder.
QString EscapeTitle(QString title);

// File names between Qt and the core: the file system's own bytes; UTF-8 on Windows.
std::string ToLocalPath(const QString& path);
QString FromLocalPath(const std::string& path);

} // namespace tonvale
