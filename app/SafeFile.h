#pragma once
// Writing an output file so that nothing is lost. The bytes go into a new temporary file beside
// the target, and that file takes the target's name only once every byte is written and on the
// disk. A failure on the way (a full disk, a broken medium) leaves an earlier file of that name
// exactly as it was.
#include "base/Bytes.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace tonvale {

class Platform;
class TextBuffer;

enum class SaveResult {
    Saved,
    NotCreated,  // the file cannot be created or replaced; nothing changed
    WriteFailed, // not every byte reached the disk; nothing changed
};

// The steps on the way to the disk that can fail part-way. The real layer writes with the C
// library; tests put in one that fails.
class FileLayer {
  public:
    virtual ~FileLayer() = default;
    // Writes all the bytes; false when any of them did not get there.
    virtual bool Write(std::FILE* file, ByteView bytes);
    // Hands everything written so far to the disk; false on failure.
    virtual bool Flush(std::FILE* file);
};

// While one of these lives, files are written through `layer`.
class ScopedFileLayer {
  public:
    explicit ScopedFileLayer(FileLayer& layer);
    ~ScopedFileLayer();
    ScopedFileLayer(const ScopedFileLayer&) = delete;
    ScopedFileLayer& operator=(const ScopedFileLayer&) = delete;

  private:
    FileLayer* m_previous;
};

// Writes `bytes` as the file `path` (UTF-8), replacing an earlier file of that name. The name
// is used as given: no extension is added.
SaveResult SaveFile(const std::string& path, ByteView bytes);

// Takes the bytes of a file piece by piece; false when they did not all get there.
using ByteWriter = std::function<bool(ByteView)>;

// SaveFile for an output too long to hold: `produce` hands the file's bytes to the writer it
// is given, front to back, and returns false to give up (WriteFailed: nothing changed then).
SaveResult SaveFileFrom(const std::string& path,
                        const std::function<bool(const ByteWriter&)>& produce);

// The message shown when a write failed part-way.
inline constexpr std::string_view kWriteFailedText =
    "Error writing file (disk full?)\nNothing was saved; an earlier file of that name is unchanged";

// SaveFile, and the message a failure deserves, composed in `text` with the caption
// "Tonvale - WHAT!": "Error opening file" or kWriteFailedText. True when saved.
bool SaveFileOrComplain(Platform& platform, TextBuffer& text, const std::string& path,
                        ByteView bytes);

} // namespace tonvale
