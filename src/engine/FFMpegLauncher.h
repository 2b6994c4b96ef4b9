#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

class FFMpegLauncherDelegate;

// Runs the ffmpeg program once, synchronously, discarding what it prints. Also the one
// place that knows where the ffmpeg program is.
class FFMpegLauncher {
public:
    FFMpegLauncher() = default;

    QStringList aryArguments() const;
    void setAryArguments(const QStringList& arguments);
    FFMpegLauncherDelegate* delegate() const { return _delegate.load(); }
    void setDelegate(FFMpegLauncherDelegate* delegate) { _delegate.store(delegate); }

    // Blocks until the child has ended, then tells the delegate its status.
    void launchFFMpeg();

    // The ffmpeg program: the override when one is set, else the one beside the
    // application's executable, else the first on PATH; empty when there is none.
    static QString ffmpegPath();
    // Points every later conversion at another program (tests use a fake); empty clears.
    static void setFFMpegPathOverride(const QString& path);

private:
    mutable std::mutex _mutex;
    QStringList _aryArguments;
    std::atomic<FFMpegLauncherDelegate*> _delegate{nullptr};
};
