#include "transcoder/tool_services.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

// The largest file read whole: the buffer must stay within what av_malloc hands out.
constexpr long kMaxReadFileSize = INT_MAX - 1;

int cannotRead(const char* filename, int err) {
    av_log(nullptr, AV_LOG_ERROR, "Cannot read file '%s': %s\n", filename, std::strerror(err));
    return AVERROR(err);
}

// Opens path, left in filename; null when it does not fit or does not open.
FILE* openCandidate(char* filename, size_t size, const std::string& path) {
    if (path.size() >= size)
        return nullptr;
    std::memcpy(filename, path.c_str(), path.size() + 1);
    return std::fopen(filename, "r");
}

std::string errorText(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE];
    av_strerror(err, text, sizeof(text));
    return text;
}

} // namespace

int tool_read_yes_no() {
    int c = std::getchar();
    const int yes = (c == 'y' || c == 'Y');
    while (c != '\n' && c != EOF)
        c = std::getchar();
    return yes;
}

int tool_read_file(const char* filename, uint8_t** bufptr, size_t* size) {
    *bufptr = nullptr;
    *size = 0;
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    const int fd = open(filename, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannotRead(filename, errno);
    struct stat info {};
    const int statErr = fstat(fd, &info) != 0 ? errno : 0;
    if (statErr || !S_ISREG(info.st_mode)) {
        const int err = statErr ? statErr : ESPIPE; // a size only a regular file can tell
        close(fd);
        return cannotRead(filename, err);
    }
    FilePtr f(fdopen(fd, "rb"));
    if (!f) {
        const int err = errno;
        close(fd);
        return cannotRead(filename, err);
    }
    if (std::fseek(f.get(), 0, SEEK_END) != 0)
        return cannotRead(filename, errno);
    const long length = std::ftell(f.get());
    if (length < 0)
        return cannotRead(filename, errno);
    std::rewind(f.get());

    if (length > kMaxReadFileSize) {
        av_log(nullptr, AV_LOG_ERROR, "Could not allocate file buffer\n");
        return AVERROR(ENOMEM);
    }
    auto* buffer = static_cast<uint8_t*>(av_malloc(static_cast<size_t>(length) + 1));
    if (!buffer) {
        av_log(nullptr, AV_LOG_ERROR, "Could not allocate file buffer\n");
        return AVERROR(ENOMEM);
    }
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), f.get());
    if (got < static_cast<size_t>(length)) {
        const int ret = std::ferror(f.get()) ? AVERROR(errno ? errno : EIO) : AVERROR_EOF;
        av_free(buffer);
        av_log(nullptr, AV_LOG_ERROR, "Error while reading file '%s': %s\n", filename,
               errorText(ret).c_str());
        return ret;
    }
    buffer[length] = '\0';
    *bufptr = buffer;
    *size = static_cast<size_t>(length);
    return 0;
}

FILE* tool_find_preset_file(char* filename, size_t filename_size, const char* preset_name,
                            int is_path, const char* codec_name) {
    if (is_path)
        return openCandidate(filename, filename_size, preset_name);
    const char* bases[3] = {std::getenv("FFMPEG_DATADIR"), std::getenv("HOME"),
                            "/usr/local/share/ffmpeg"};
    const char* suffixes[3] = {"", "/.ffmpeg", ""};
    for (int i = 0; i < 3; ++i) {
        if (!bases[i])
            continue;
        const std::string folder = std::string(bases[i]) + suffixes[i] + "/";
        if (FILE* f = openCandidate(filename, filename_size, folder + preset_name + ".ffpreset"))
            return f;
        if (!codec_name)
            continue;
        const std::string qualified = folder + codec_name + "-" + preset_name + ".ffpreset";
        if (FILE* f = openCandidate(filename, filename_size, qualified))
            return f;
    }
    return nullptr;
}
