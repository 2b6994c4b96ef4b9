#pragma once

#include "engine/FFMpegProgressParser.h"
#include "engine/LSMedia.h"
#include "engine/TaskWrapperController.h"
#include "platform/Operation.h"
#include "tags/MTETagWriteResult.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class MTEAudioFile;

class ConvertOperationDelegate;
class QEventLoop;
class QVMusicInfo;
class TaskWrapper;

// Copy the row's tags into each converted file. Set by the run before it queues its jobs.
extern std::atomic<bool> gShouldCopyMetadata;

// Converts one row of the file list into one output file by running the ffmpeg program.
//
// Made on the main thread once the row is configured for the run: the row's parameters,
// output type, playlist choice and tags are taken at that moment. main() runs on the
// queue's thread, which creates, watches and ends the child. cancel(), pause() and
// resume() may be called from any thread. The job writes the media's progress, time left
// and state (atomics); the row's own progress value is left to the delegate, whose
// messages arrive on the main thread.
class ConvertOperation : public Operation,
                         public TaskWrapperController,
                         public std::enable_shared_from_this<ConvertOperation> {
    struct Token {};

public:
    // Seconds of a monotonic clock; replaceable for tests.
    using Clock = std::function<double()>;
    // Moves a file to a new name; true on success. Replaceable for tests.
    using RenameFunction = std::function<bool(const QString& from, const QString& to)>;

    // Sets the media's state to Waiting. A row without media gives a job that only logs.
    static std::shared_ptr<ConvertOperation> initWithMedia(std::shared_ptr<QVMusicInfo> music);
    ConvertOperation(Token, std::shared_ptr<QVMusicInfo> music);
    ~ConvertOperation() override;

    std::shared_ptr<QVMusicInfo> musicToConvert() const { return _musicToConvert; }
    // Before main(): the output folder (empty: the source's folder). From main() on: the
    // full path of the output file.
    QString strOutFilePath() const;
    void setStrOutFilePath(const QString& path);
    ConvertOperationDelegate* delegate() const { return _delegate.load(); }
    void setDelegate(ConvertOperationDelegate* delegate) { _delegate.store(delegate); }
    // Set before the job is queued.
    void setClock(Clock clock) { _clock = std::move(clock); }
    void setRenameFunction(RenameFunction rename) { _rename = std::move(rename); }
    void setKillGracePeriod(int milliseconds) { _killGraceMs = milliseconds; }

    int iExitCode() const { return _iExitCode.load(); }
    bool bIsConverting() const { return _bIsConverting.load(); }
    bool isUserCancel() const { return _isUserCancel.load(); }

    void main() override;
    // Before the child starts: nothing is launched. While it runs: the child is ended,
    // and once it has gone its output is removed (on the job's thread). After the outcome
    // is known: nothing changes.
    void cancel() override;
    void pause();
    void resume();

    void appendOutput(const QString& chunk) override;
    void processStarted() override;
    void processFinished() override {}
    void processErrorOccurred(const QString& message) override;
    void launcherDidTerminatedWithCode(int status) override;

    // Writes the row's tags into the output file.
    MTETagWriteResult handleMetadataSave();
    static QVariantMap convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                     int toType);

    // The child's argument vector for one media description; element 0 is the tool.
    // Sample rate, speakers and bitrate are brought within what the encoder takes; the tag
    // arguments (MTETagCopy::ffmpegArguments) go just before the output.
    static QStringList argumentVector(const LSMediaFields& media, const QString& toolPath,
                                      const QString& outputPath,
                                      const QStringList& tagArguments = {});
    // The media's trim leaves out part of the file: it starts after the file's start or
    // ends before its probed end.
    static bool trimIsNarrowerThanFile(const LSMediaFields& media);

private:
    void runConversion();
    QString prepareOutputPath();
    void runChild(const QStringList& arguments);
    int finishWith(int state);
    int completeSucceededJob();
    bool outputHoldsTheAudio() const;
    double secondsAskedFor(double sourceSeconds) const;
    bool copyTags();
    bool renameRingtone();
    void removeOwnedOutput();
    bool isRingtone() const;
    double progressLength() const;
    void applyCommands();
    void postToDelegate(std::function<void(ConvertOperationDelegate*, ConvertOperation*)> call);
    // Where the output's speakers or bitrate differ from the wanted ones.
    void logOutputChanges() const;
    void logFailure(const QString& reason) const;

    // Taken when the job is made.
    const std::shared_ptr<QVMusicInfo> _musicToConvert;
    const std::shared_ptr<LSMedia> _media;
    LSMediaFields _fields;
    QString _strMusicType;
    bool _bIsSendingToiTunes = false;
    QString _striTunesPlaylistName;
    QVariantMap _dicToMetadata;
    int _sourceFileType = 0;
    // What the source's handler read, to tell the row's edited tags from untouched ones.
    std::shared_ptr<const MTEAudioFile> _sourceTags;

    std::atomic<ConvertOperationDelegate*> _delegate{nullptr};
    Clock _clock;
    RenameFunction _rename;
    int _killGraceMs = 3000;

    // Guards the fields below, shared with cancel(), pause() and resume().
    mutable std::mutex _mutex;
    QString _strOutFilePath;
    // What cancel(), pause() and resume() ask of the running child, in order; the job's
    // thread picks the commands up while it waits for the child.
    enum class Command { Stop, Suspend, Resume };
    std::vector<Command> _commands;
    bool _childActive = false;
    bool _outcomeKnown = false;
    bool _paused = false;

    // The job's thread only.
    std::unique_ptr<TaskWrapper> _wraperTask;
    QEventLoop* _loop = nullptr;
    FFMpegProgressParser _parser;
    QString _outputTail;
    QStringList _ownedPaths;
    bool _childEnded = false;
    double _dLastTime = 0.0;
    double _dLastPrg = 0.0;
    double _dLastLeftTime = 1000.0;

    std::atomic<int> _iExitCode{0};
    std::atomic<bool> _bIsConverting{false};
    std::atomic<bool> _isUserCancel{false};
};
