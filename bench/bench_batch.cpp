// Batch conversion through the operation queue and ConvertOperation, against a plain pool
// of ffmpeg processes started with the same argument vectors, in the same run.
// Prints each time and, last, batch_vs_plain_ffmpeg_ratio=R (queue time / plain time).
#include "engine/ConvertOperation.h"
#include "engine/ConvertOperationDelegate.h"
#include "engine/FFMpegLauncher.h"
#include "engine/QVMusicInfo.h"
#include "platform/OperationQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "support/BenchSources.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kFileCount = 40;
constexpr int kSeconds = 60;
constexpr int kWidth = 5;
constexpr int kRounds = 2;

const BenchSources& sources() {
    static const BenchSources files(QDir::tempPath() + QStringLiteral("/quaverly-bench-batch"),
                                    kFileCount, kSeconds);
    return files;
}

QString cacheFolder() {
    return sources().folder();
}

QString sourcePath(int i) {
    return sources().sourcePath(i);
}

std::shared_ptr<QVMusicInfo> rowFor(int i) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = sourcePath(i);
    row->strMusicType = QStringLiteral("MP3");
    row->mediaInfo = std::make_shared<LSMedia>();
    LSMedia& m = *row->mediaInfo;
    m.strMediaFilePath_ = sourcePath(i);
    m.strOutFileName = QFileInfo(sourcePath(i)).completeBaseName();
    m.strOutFileExt = QStringLiteral("mp3");
    m.vOACodecName = QStringLiteral("libmp3lame");
    m.dMovieDuration = kSeconds;
    m.dTrimLength = kSeconds;
    m.dAOSamplerate = 44100;
    m.dAOBitrate = 192;
    m.iAOChanels = 2;
    return row;
}

// Stands for the main window: writes the row's progress on the main thread.
class RowDelegate : public ConvertOperationDelegate {
public:
    void convertOperationHandleProgress(ConvertOperation* op, double percent) override {
        op->musicToConvert()->dConvertProgress.store(percent);
    }
    void didConvertOperationFinish(ConvertOperation* op) override {
        ++finished;
        if (op->musicToConvert()->mediaInfo->eumCvtState.load() != LSConvertStateSucceeded)
            ++failed;
    }
    int finished = 0;
    int failed = 0;
};

double timeQueue(const QString& outFolder, bool* ok) {
    RowDelegate delegate;
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(kWidth);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kFileCount; ++i) {
        auto op = ConvertOperation::initWithMedia(rowFor(i));
        op->setStrOutFilePath(outFolder);
        op->setDelegate(&delegate);
        queue.addOperation(op);
    }
    // The main thread serves events and polls the queue from a timer, as the application
    // does during a run.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (queue.isEmpty())
            loop.quit();
    });
    poll.start(20);
    loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QCoreApplication::processEvents();
    *ok = delegate.failed == 0 && delegate.finished == kFileCount;
    return seconds;
}

double timePlain(const QString& ffmpeg, const QString& outFolder, bool* ok) {
    std::vector<QStringList> vectors;
    for (int i = 0; i < kFileCount; ++i) {
        const auto row = rowFor(i);
        const QString output =
            outFolder + u'/' + row->mediaInfo->strOutFileName + QStringLiteral(".mp3");
        vectors.push_back(ConvertOperation::argumentVector(*row->mediaInfo, ffmpeg, output));
    }
    std::atomic<int> failures{0};
    QElapsedTimer timer;
    timer.start();
    BenchSources::onPool(kFileCount, kWidth, [&](int i) {
        if (!BenchSources::runToEnd(vectors[i].first(), vectors[i].mid(1)))
            ++failures;
    });
    *ok = failures == 0;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString ffmpeg = FFMpegLauncher::ffmpegPath();
    if (ffmpeg.isEmpty()) {
        std::fprintf(stderr, "no ffmpeg program\n");
        return 1;
    }
    gShouldCopyMetadata.store(false);
    if (!sources().make(ffmpeg)) {
        std::fprintf(stderr, "could not make the source files in %s\n", qPrintable(cacheFolder()));
        return 1;
    }
    std::printf("%d stereo 44.1 kHz WAV files of %d s -> MP3 192 kbit/s, %d at once\n", kFileCount,
                kSeconds, kWidth);

    sources().warmUp();
    double bestQueue = 1e9;
    double bestPlain = 1e9;
    // The order alternates between rounds, so a drift in machine load hits both.
    for (int round = 0; round < kRounds; ++round) {
        for (int leg = 0; leg < 2; ++leg) {
            const bool queueLeg = (leg == 0) == (round % 2 == 0);
            QTemporaryDir out;
            bool ok = false;
            const double cpuBefore = BenchSources::ownCpuSeconds();
            const double t =
                queueLeg ? timeQueue(out.path(), &ok) : timePlain(ffmpeg, out.path(), &ok);
            std::printf("round %d %s %.3f s (own CPU %.3f s)%s\n", round + 1,
                        queueLeg ? "queue+ConvertOperation:" : "plain ffmpeg pool:      ", t,
                        BenchSources::ownCpuSeconds() - cpuBefore, ok ? "" : " (FAILURES)");
            std::fflush(stdout);
            if (!ok)
                return 1;
            (queueLeg ? bestQueue : bestPlain) = std::min(queueLeg ? bestQueue : bestPlain, t);
        }
    }
    std::printf("best queue %.3f s, best plain %.3f s\n", bestQueue, bestPlain);
    std::printf("batch_vs_plain_ffmpeg_ratio=%.3f\n", bestQueue / bestPlain);
    return 0;
}
