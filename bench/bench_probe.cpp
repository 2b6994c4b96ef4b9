// Probing speed: every file of a mixed set probed in-process through LSMediaDecoder,
// against one `ffprobe -show_format -show_streams` process per file, in the same run.
// Prints both times and, last, probe_speedup_vs_ffprobe=S (ffprobe time / in-process time).

#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "player/player_core.h"
#include "support/BenchSources.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFileCount = 40;
constexpr int kRounds = 3;
const char* const kCacheFolder = "/tmp/quaverly-bench-probe";

struct Kind {
    const char* ext;
    std::vector<std::string> codecArgs;
};

std::string number(int value) {
    return QByteArray::number(value).toStdString();
}

// The sample set, made once and kept between runs.
std::vector<std::string> sampleFiles() {
    const std::vector<Kind> kinds{
        {"mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}},
        {"m4a", {"-c:a", "aac", "-b:a", "128k"}},
        {"flac", {"-c:a", "flac"}},
        {"ogg", {"-c:a", "libvorbis"}},
        {"wav", {"-c:a", "pcm_s16le"}},
    };
    QDir().mkpath(QString::fromUtf8(kCacheFolder));
    std::vector<std::string> files;
    for (int i = 0; i < kFileCount; ++i) {
        const Kind& kind = kinds[size_t(i) % kinds.size()];
        const int seconds = 10 + (i * 7) % 50;
        const int rate = (i % 3 == 0) ? 48000 : 44100;
        const std::string path = std::string(kCacheFolder) + "/sample-" + number(i) + "-" +
                                 number(seconds) + "s." + kind.ext;
        if (!QFileInfo::exists(QString::fromStdString(path))) {
            std::vector<std::string> args{"ffmpeg",
                                          "-nostdin",
                                          "-v",
                                          "error",
                                          "-y",
                                          "-f",
                                          "lavfi",
                                          "-i",
                                          "sine=frequency=" + number(220 + 10 * i) +
                                              ":sample_rate=" + number(rate) +
                                              ":duration=" + number(seconds),
                                          "-ac",
                                          i % 4 == 0 ? "1" : "2"};
            args.insert(args.end(), kind.codecArgs.begin(), kind.codecArgs.end());
            args.push_back(path);
            if (BenchSources::runQuietly(args) != 0) {
                std::fprintf(stderr, "could not make %s\n", path.c_str());
                continue;
            }
        }
        files.push_back(path);
    }
    return files;
}

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration elapsed) {
    return std::chrono::duration<double>(elapsed).count();
}

// One pass through every file in-process; the library's format dump goes to /dev/null, as
// ffprobe's own output does.
double inProcessPass(const std::vector<std::string>& files, int* failures) {
    std::fflush(stderr);
    const int savedStderr = dup(2);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 2);
    LSMediaDecoder decoder;
    const Clock::time_point start = Clock::now();
    for (const std::string& file : files) {
        LSMedia media;
        decoder.dumpMediaStreamInfoWithFileMedia(QString::fromStdString(file), media);
        if (media.eumErrorCode != LSMediaErrorNone)
            ++*failures;
    }
    const double elapsed = seconds(Clock::now() - start);
    dup2(savedStderr, 2);
    close(savedStderr);
    close(devNull);
    return elapsed;
}

double ffprobePass(const std::vector<std::string>& files, int* failures) {
    const Clock::time_point start = Clock::now();
    for (const std::string& file : files) {
        if (BenchSources::runQuietly({"ffprobe", "-show_format", "-show_streams", file}) != 0)
            ++*failures;
    }
    return seconds(Clock::now() - start);
}

} // namespace

int main() {
    player_global_init();
    const std::vector<std::string> files = sampleFiles();
    if (files.size() != size_t(kFileCount)) {
        std::fprintf(stderr, "only %zu of %d sample files\n", files.size(), kFileCount);
        return 1;
    }

    double inProcess = 1e30;
    double ffprobe = 1e30;
    int inProcessFailures = 0;
    int ffprobeFailures = 0;
    for (int round = 0; round < kRounds; ++round) {
        inProcess = std::min(inProcess, inProcessPass(files, &inProcessFailures));
        ffprobe = std::min(ffprobe, ffprobePass(files, &ffprobeFailures));
    }
    if (inProcessFailures || ffprobeFailures) {
        std::fprintf(stderr, "probe failures: in-process %d, ffprobe %d\n", inProcessFailures,
                     ffprobeFailures);
        return 1;
    }
    std::printf("files=%d rounds=%d (best round shown)\n", kFileCount, kRounds);
    std::printf("in_process_seconds=%.6f\n", inProcess);
    std::printf("ffprobe_seconds=%.6f\n", ffprobe);
    std::printf("probe_speedup_vs_ffprobe=%.1f\n", ffprobe / inProcess);
    return 0;
}
