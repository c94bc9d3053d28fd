#include "app/SafeFile.h"

#include "app/Platform.h"
#include "app/TonvaleDlg.h"
#include "base/TextBuffer.h"

#include <cerrno>
#include <filesystem>
#include <fmt/core.h>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace tonvale {

namespace fs = std::filesystem;

namespace {

FileLayer g_realLayer;
FileLayer* g_layer = &g_realLayer;

fs::path ToPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::FILE* OpenFile(const fs::path& path, const char* mode) {
#if defined(_WIN32)
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// A file that did not exist before, for writing bytes; errno is EEXIST when one did.
std::FILE* CreateNewFile(const fs::path& path) {
#if defined(_WIN32)
    // The system's msvcrt.dll knows no "x" in fopen's mode.
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
#else
    return OpenFile(path, "wbx");
#endif
}

// Writing through a link writes the file it names, as opening it would.
fs::path ResolveLink(const fs::path& target) {
    std::error_code error;
    if (!fs::is_symlink(target, error)) return target;
    fs::path resolved = fs::weakly_canonical(target, error);
    return error ? target : resolved;
}

// An earlier file of that name must be one we could open for writing; a directory, or a file
// the user may not write, is not replaced behind their back.
bool MayReplace(const fs::path& target) {
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (status.type() == fs::file_type::not_found) return true;
    if (status.type() != fs::file_type::regular) return false;
    std::FILE* probe = OpenFile(target, "r+b");
    if (!probe) return false;
    std::fclose(probe);
    return true;
}

// A new file of a fresh name in the target's directory, so that renaming it over the target
// stays on one file system. Short names: the target's own name may already be as long as a
// name can be.
std::FILE* CreateTemporary(const fs::path& target, fs::path& temporary) {
    fs::path directory = target.parent_path();
    if (directory.empty()) directory = ".";
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = directory / fmt::format(".tonvale-{:08x}.tmp", random());
        errno = 0;
        if (std::FILE* file = CreateNewFile(temporary)) return file;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

void KeepPermissions(const fs::path& from, const fs::path& to) {
    std::error_code error;
    const fs::file_status status = fs::status(from, error);
    if (!error && status.type() == fs::file_type::regular)
        fs::permissions(to, status.permissions(), error);
}

} // namespace

bool FileLayer::Write(std::FILE* file, ByteView bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileLayer::Flush(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

ScopedFileLayer::ScopedFileLayer(FileLayer& layer) : m_previous(g_layer) {
    g_layer = &layer;
}

ScopedFileLayer::~ScopedFileLayer() {
    g_layer = m_previous;
}

SaveResult SaveFile(const std::string& path, ByteView bytes) {
    return SaveFileFrom(path, [bytes](const ByteWriter& write) { return write(bytes); });
}

SaveResult SaveFileFrom(const std::string& path,
                        const std::function<bool(const ByteWriter&)>& produce) {
    const fs::path target = ResolveLink(ToPath(path));
    if (path.empty() || !MayReplace(target)) return SaveResult::NotCreated;

    fs::path temporary;
    std::FILE* file = CreateTemporary(target, temporary);
    if (!file) return SaveResult::NotCreated;

    const bool written = produce([file](ByteView bytes) { return g_layer->Write(file, bytes); }) &&
                         g_layer->Flush(file);
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (!written || !closed) {
        fs::remove(temporary, error);
        return SaveResult::WriteFailed;
    }

    KeepPermissions(target, temporary);
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return SaveResult::NotCreated;
    }
    return SaveResult::Saved;
}

bool SaveFileOrComplain(Platform& platform, TextBuffer& text, const std::string& path,
                        ByteView bytes) {
    switch (SaveFile(path, bytes)) {
    case SaveResult::Saved:
        return true;
    case SaveResult::NotCreated:
        text.Set("Error opening file");
        break;
    case SaveResult::WriteFailed:
        text.Set(kWriteFailedText);
        break;
    }
    platform.ShowMessage(text.View(), kCaptionWhatNot, MessageIcon::Exclamation);
    return false;
}

} // namespace tonvale
