// Adding a folder tree of 20,000 small audio files through the main window controller, as
// a drop would: the whole load's time per file, and the longest the main thread went
// without running its timer while the tree was walked and probed (the window's
// responsiveness; goal under 100 ms).
// Prints load_files, load_ms_per_file=N and load_max_stall_ms=N.
#include "engine/FFMpegLauncher.h"
#include "engine/QVDataEngine.h"
#include "platform/UserDefaults.h"
#include "platform/UserFolders.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVMainAppController.h"
#include "shell/QVUserPrompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#include "support/BenchSources.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100;
constexpr int kFiles = kFolders * kFilesPerFolder;
constexpr int kTickMs = 5;

// Answers the failure alert without a screen.
class QuietPrompts : public QVUserPrompts {
public:
    void showAlert(QWidget*, const QString& title, const QString&, AlertStyle) override {
        lastAlert = title;
    }
    QString lastAlert;
};

// The longest gap between two ticks of a main-thread timer while it runs.
class StallMeter {
public:
    StallMeter() {
        _timer.setInterval(kTickMs);
        QObject::connect(&_timer, &QTimer::timeout, [this] {
            _longestMs = std::max(_longestMs, _sinceTick.nsecsElapsed() / 1e6);
            _sinceTick.restart();
        });
    }
    void start() {
        _sinceTick.start();
        _timer.start();
    }
    double longestMs() const { return _longestMs; }

private:
    QTimer _timer;
    QElapsedTimer _sinceTick;
    double _longestMs = 0.0;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    const QString ffmpeg = FFMpegLauncher::ffmpegPath();
    if (ffmpeg.isEmpty()) {
        std::fprintf(stderr, "no ffmpeg program\n");
        return 1;
    }
    const QString cache = QDir::tempPath() + QStringLiteral("/quaverly-bench-load");
    // The loader refuses sources shorter than three seconds.
    const BenchSources source(cache + QStringLiteral("/source"), 1, 4);
    const QString tree = cache + QStringLiteral("/tree");
    if ((!QFileInfo::exists(source.sourcePath(0)) && !source.make(ffmpeg)) ||
        !BenchSources::makeLinkedTree(source.sourcePath(0), tree, kFolders, kFilesPerFolder)) {
        std::fprintf(stderr, "could not make the source tree in %s\n", qPrintable(cache));
        return 1;
    }
    // The user's own settings, home and Music folder stay out of it.
    QTemporaryDir home;
    UserDefaults::standardUserDefaults().setStorageFile(
        home.filePath(QStringLiteral("settings.ini")));
    UserFolders::setRealHomeDirectoryOverride(home.path());
    UserFolders::setMusicDirectoryOverride(home.filePath(QStringLiteral("Music")));
    QVAppDelegate::prepareMusicTagMapInfo();
    QVAppDelegate::setPreferenceValue();

    auto prompts = std::make_shared<QuietPrompts>();
    QVMainAppController controller(QVDataEngine::shareInstance(), prompts);
    controller.showWindow();
    QApplication::processEvents();

    StallMeter meter;
    QElapsedTimer load;
    meter.start();
    load.start();
    controller.loadAndParseFiles({tree});
    while (controller.enumAppState() != QVAppStateIdle)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double totalMs = load.nsecsElapsed() / 1e6;
    QApplication::processEvents();

    if (controller.getMusicCount() != kFiles) {
        std::fprintf(stderr, "loaded %d of %d files (%s)\n", controller.getMusicCount(), kFiles,
                     qPrintable(prompts->lastAlert));
        return 1;
    }
    std::printf("load_files=%d\n", kFiles);
    std::printf("load_total_ms=%.0f\n", totalMs);
    std::printf("load_ms_per_file=%.3f\n", totalMs / kFiles);
    std::printf("load_max_stall_ms=%.1f\n", meter.longestMs());
    return 0;
}
