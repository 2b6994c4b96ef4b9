#pragma once

#include "engine/ConvertOperation.h"
#include "engine/ConvertOperationDelegate.h"
#include "engine/QVMusicInfo.h"
#include "platform/OperationQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

// Collects what the program logs, from every thread, while it lives.
class LogCapture {
public:
    LogCapture() {
        const QMutexLocker lock(&mutex());
        store().clear();
        previous() = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture() { qInstallMessageHandler(previous()); }
    static QStringList lines() {
        const QMutexLocker lock(&mutex());
        return store();
    }
    static bool contains(const QString& text) {
        const QStringList all = lines();
        return std::any_of(all.begin(), all.end(),
                           [&text](const QString& line) { return line.contains(text); });
    }

private:
    static QMutex& mutex() {
        static QMutex m;
        return m;
    }
    static QStringList& store() {
        static QStringList s;
        return s;
    }
    static QtMessageHandler& previous() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void handler(QtMsgType, const QMessageLogContext&, const QString& message) {
        const QMutexLocker lock(&mutex());
        store() += message;
    }
};

// What a job told its delegate, recorded on the thread it arrived on. Like the main
// window, it writes the row's progress value.
class RecordingDelegate : public ConvertOperationDelegate {
public:
    enum Event { Start, Progress, Sync, Finish };

    void didConvertOperationStart(ConvertOperation* op) override {
        record(Start);
        op->musicToConvert()->dConvertProgress.store(0.0);
    }
    void convertOperationHandleProgress(ConvertOperation* op, double percent) override {
        record(Progress);
        progress.push_back(percent);
        op->musicToConvert()->dConvertProgress.store(percent);
    }
    void convertStartSync(ConvertOperation*) override { record(Sync); }
    void didConvertOperationFinish(ConvertOperation* op) override {
        record(Finish);
        const int state = op->musicToConvert()->mediaInfo->eumCvtState.load();
        double value = 100.0;
        if (state == LSConvertStateCanceled)
            value = QVProgressCanceled;
        else if (state == LSConvertStateFailed)
            value = QVProgressFailed;
        op->musicToConvert()->dConvertProgress.store(value);
    }

    int count(Event event) const {
        int n = 0;
        for (Event e : events)
            n += e == event ? 1 : 0;
        return n;
    }

    std::vector<Event> events;
    std::vector<double> progress;
    bool allOnMainThread = true;

private:
    void record(Event event) {
        events.push_back(event);
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            allOnMainThread = false;
    }
};

// A row as the run prepares it: an audio source converted with the given parameters.
inline std::shared_ptr<QVMusicInfo> makeRow(const QString& source, const QString& ext,
                                            const QString& encoder, double seconds = 4.0,
                                            const QString& musicType = QStringLiteral("MP3")) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = source;
    row->strMusicType = musicType;
    row->mediaInfo = std::make_shared<LSMedia>();
    LSMedia& m = *row->mediaInfo;
    m.strMediaFilePath_ = source;
    const QString fileName = source.mid(source.lastIndexOf(u'/') + 1);
    m.strOutFileName = fileName.left(fileName.lastIndexOf(u'.'));
    m.strOutFileExt = ext;
    m.vOACodecName = encoder;
    m.dMovieDuration = seconds;
    m.dTrimLength = seconds;
    m.dAOSamplerate = 44100;
    m.dAOBitrate = 128;
    m.iAOChanels = 2;
    m.eumMediaType = LSMediaTypeAudio;
    return row;
}

// Each call moves the clock one second on, so every status line makes an estimate.
inline ConvertOperation::Clock steppingClock() {
    auto now = std::make_shared<std::atomic<double>>(0.0);
    return [now] { return now->fetch_add(1.0) + 1.0; };
}

// Spins the main thread's events until the queue is empty and the delegate has heard
// everything; false on timeout.
inline bool drain(OperationQueue& queue, int timeoutMs = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!queue.isEmpty()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return true;
}

// Runs one job through a queue of its own and waits for it.
inline bool runJob(const std::shared_ptr<ConvertOperation>& op, RecordingDelegate& delegate) {
    OperationQueue queue;
    op->setDelegate(&delegate);
    queue.addOperation(op);
    return drain(queue);
}

inline bool writeFile(const QString& path, const QByteArray& bytes = "source") {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
