// The sync search and the realignment of whatever it finds.
#include "tape/FindSync.h"
#include "tape/WorkBuffer.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tonvale;
    const ByteView image(data, size);
    WorkBuffers buffers(image);
    std::size_t from = 0;
    // Walk every tape file the search finds, as the loader would.
    while (from < image.size()) {
        SyncResult sync = FindSync(image.subspan(from));
        if (sync.format == TapeFormat::None) break;
        sync.dataPos += from;
        std::uint64_t asked = 0;
        if (sync.format == TapeFormat::Highspeed) {
            HighspeedTail tail;
            auto bytes = buffers.Highspeed(sync.dataPos, sync.shift, tail, asked);
            if (!bytes || tail.bitsShort > 7) __builtin_trap();
        } else if (!buffers.Level(sync.dataPos, sync.shift, asked)) {
            __builtin_trap();
        }
        from = sync.dataPos + 1;
    }
    return 0;
}
