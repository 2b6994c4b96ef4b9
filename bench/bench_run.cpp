// The whole batch run of the main window (panel answer, one job per row on the queue, the
// 0.4 s refresh of rows and total progress, the summary) against a plain pool of ffmpeg
// processes started with the same argument vectors, in the same run.
// Prints each time and, last, run_vs_plain_ffmpeg_ratio=R (run time / plain time).
#include "engine/ConvertOperation.h"
#include "engine/FFMpegLauncher.h"
#include "engine/QVDataEngine.h"
#include "engine/QVMusicInfo.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVConvertRun.h"
#include "shell/QVMainAppController.h"
#include "shell/QVUserPrompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
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
constexpr int kRounds = 3;

const BenchSources& sources() {
    static const BenchSources files(QDir::tempPath() + QStringLiteral("/quaverly-bench-run"),
                                    kFileCount, kSeconds);
    return files;
}

QString cacheFolder() {
    return sources().folder();
}

QString sourcePath(int i) {
    return sources().sourcePath(i);
}

// Answers the summary without a screen.
class QuietPrompts : public QVUserPrompts {
public:
    void showAlert(QWidget*, const QString& title, const QString&, AlertStyle) override {
        lastAlert = title;
    }
    QString lastAlert;
};

// One run of the main window into outFolder; the rows stay (removal off) for the next.
double timeRun(QVMainAppController& controller, const QString& outFolder, bool* ok) {
    QString summary;
    const QMetaObject::Connection connection =
        QObject::connect(&controller.convertRun(), &QVConvertRun::runDidEnd,
                         [&summary](const QString& text) { summary = text; });
    QElapsedTimer timer;
    timer.start();
    if (!controller.doRealConverterTask(outFolder)) {
        *ok = false;
        return 0.0;
    }
    QEventLoop loop;
    QObject::connect(&controller.convertRun(), &QVConvertRun::runDidEnd, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    QObject::disconnect(connection);
    *ok = summary == QStringLiteral("%1 files has been successfully converted. ").arg(kFileCount);
    if (!*ok)
        std::fprintf(stderr, "summary: %s\n", qPrintable(summary));
    return seconds;
}

// The same argument vectors, as the run gave them to its jobs.
double timePlain(const QString& ffmpeg, const QVMusicList& rows, const QString& outFolder,
                 bool* ok) {
    std::vector<QStringList> vectors;
    for (const auto& row : rows) {
        const QString output = outFolder + u'/' + row->mediaInfo->strOutFileName + u'.' +
                               row->mediaInfo->strOutFileExt;
        vectors.push_back(ConvertOperation::argumentVector(*row->mediaInfo, ffmpeg, output));
    }
    std::atomic<int> failures{0};
    QElapsedTimer timer;
    timer.start();
    BenchSources::onPool(int(vectors.size()), kWidth, [&](int i) {
        if (!BenchSources::runToEnd(vectors[size_t(i)].first(), vectors[size_t(i)].mid(1)))
            ++failures;
    });
    *ok = failures == 0;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString ffmpeg = FFMpegLauncher::ffmpegPath();
    if (ffmpeg.isEmpty()) {
        std::fprintf(stderr, "no ffmpeg program\n");
        return 1;
    }
    if (!sources().make(ffmpeg)) {
        std::fprintf(stderr, "could not make the source files in %s\n", qPrintable(cacheFolder()));
        return 1;
    }
    // The user's own settings, home and Music folder stay out of it.
    QTemporaryDir home;
    UserDefaults::standardUserDefaults().setStorageFile(
        home.filePath(QStringLiteral("settings.ini")));
    UserFolders::setRealHomeDirectoryOverride(home.path());
    UserFolders::setMusicDirectoryOverride(home.filePath(QStringLiteral("Music")));
    Workspace::setOpener([](const QUrl&) { return true; });
    QVAppDelegate::prepareMusicTagMapInfo();
    QVAppDelegate::setPreferenceValue();
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(QLatin1String(PreferenceKeys::kMaxTastKey), kWidth);
    defaults.setBool(QLatin1String(PreferenceKeys::kRemoveAfterConverteKey), false);
    defaults.setBool(QLatin1String(PreferenceKeys::kAutoSyncKey), false);

    auto prompts = std::make_shared<QuietPrompts>();
    QVMainAppController controller(QVDataEngine::shareInstance(), prompts);
    QStringList paths;
    for (int i = 0; i < kFileCount; ++i)
        paths << sourcePath(i);
    controller.loadAndParseFiles(paths);
    while (controller.enumAppState() != QVAppStateIdle)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (controller.getMusicCount() != kFileCount) {
        std::fprintf(stderr, "only %d of %d files loaded\n", controller.getMusicCount(),
                     kFileCount);
        return 1;
    }
    controller.chooseFormat(QStringLiteral("MP3"), false);
    std::printf(
        "%d stereo 44.1 kHz WAV files of %d s -> MP3 (%s kbit/s), %d at once, tags copied\n",
        kFileCount, kSeconds, qPrintable(controller.currentFormatSetting()->biteRate), kWidth);

    sources().warmUp();
    double bestRun = 1e9;
    double bestPlain = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        for (int leg = 0; leg < 2; ++leg) {
            const bool runLeg = (leg == 0) == (round % 2 == 0);
            QTemporaryDir out;
            bool ok = false;
            // The plain leg takes the vectors of the rows as the last run left them; before
            // the first run it makes one untimed run to fill them.
            if (!runLeg && controller.fileList().musicAt(0)->mediaInfo->strOutFileExt.isEmpty()) {
                QTemporaryDir first;
                timeRun(controller, first.path(), &ok);
            }
            const double t =
                runLeg ? timeRun(controller, out.path(), &ok)
                       : timePlain(ffmpeg, controller.fileList().musics(), out.path(), &ok);
            std::printf("round %d %s %.3f s%s\n", round + 1,
                        runLeg ? "whole run (timer, rows, summary):"
                               : "plain ffmpeg pool:               ",
                        t, ok ? "" : " (FAILURES)");
            std::fflush(stdout);
            if (!ok)
                return 1;
            (runLeg ? bestRun : bestPlain) = std::min(runLeg ? bestRun : bestPlain, t);
        }
    }
    Workspace::setOpener({});
    std::printf("best run %.3f s, best plain %.3f s\n", bestRun, bestPlain);
    std::printf("run_vs_plain_ffmpeg_ratio=%.3f\n", bestRun / bestPlain);
    return 0;
}
