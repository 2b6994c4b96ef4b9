#include "engine/ConvertOperation.h"

#include "engine/ConvertOperationDelegate.h"
#include "engine/FFMpegLauncher.h"
#include "engine/QVAudioLength.h"
#include "engine/QVEncoderLimits.h"
#include "engine/QVMusicInfo.h"
#include "engine/QVSpeakerMatrix.h"
#include "engine/QViTunesHandler.h"
#include "engine/TaskWrapper.h"
#include "platform/MainThreadQueue.h"
#include "platform/NumberText.h"
#include "tags/MTEAudioFile.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "tags/MTETagText.h"
#include "util/GlobalFun.h"

#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

std::atomic<bool> gShouldCopyMetadata{true};

namespace {

constexpr qsizetype kOutputTailChars = 600;
constexpr double kMaxLeftTime = 100000.0;
// How soon a cancel, pause or resume reaches the child.
constexpr int kCommandPollMs = 50;
// Trim values are passed with four decimals; closer than this to the file's own edges,
// a trim is the whole file.
constexpr double kTrimTolerance = 0.001;

bool renameFile(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// ffmpeg reads "name:rest" as a protocol and "-name" as an option; the file protocol
// with an absolute path takes any file name literally.
QString fileArgument(const QString& path) {
    return QStringLiteral("file:") + QFileInfo(path).absoluteFilePath();
}

// ffmpeg reads neither "inf" nor "nan": a value that is not finite goes as 0.
QString argumentNumber(double value, int decimals) {
    return NumberText::fromDouble(std::isfinite(value) ? value : 0.0, decimals);
}

// Some text, or a picture.
bool holdsValues(const QVariantMap& tags) {
    return std::any_of(tags.cbegin(), tags.cend(), [](const QVariant& value) {
        return MTETagText::hasText(value) ||
               (!MTETagText::isTextValue(value) && !MTETagText::isNoPictureMarker(value));
    });
}

// ffmpeg reads a count as its own arrangement for that many channels; any other arrangement
// is named, or ffmpeg would remix the speakers into its own. Where speakers move, the filter
// says where each source channel goes.
QStringList channelArguments(const QVEncoderLimits::Output& output) {
    QStringList args;
    if (!output.filter.isEmpty())
        args << QStringLiteral("-af") << output.filter;
    if (output.byCount)
        return args << QStringLiteral("-ac") << QString::number(output.channels);
    return args << QStringLiteral("-channel_layout") << QVSpeakerMatrix::layoutName(output.layout);
}

// The last few non-empty lines of the child's output, for the log.
QString lastLines(const QString& text, qsizetype count) {
    const QStringList lines =
        text.split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join(QStringLiteral(" | "));
}

} // namespace

std::shared_ptr<ConvertOperation>
ConvertOperation::initWithMedia(std::shared_ptr<QVMusicInfo> music) {
    return std::make_shared<ConvertOperation>(Token{}, std::move(music));
}

ConvertOperation::ConvertOperation(Token, std::shared_ptr<QVMusicInfo> music)
    : _musicToConvert(std::move(music)),
      _media(_musicToConvert ? _musicToConvert->mediaInfo : nullptr), _clock(steadySeconds),
      _rename(renameFile) {
    if (_musicToConvert) {
        _strMusicType = _musicToConvert->getStrMusicType();
        _bIsSendingToiTunes = _musicToConvert->bIsSendingToiTunes;
        _striTunesPlaylistName = _musicToConvert->striTunesPlaylistName;
        _dicToMetadata = _musicToConvert->dicToMetadata;
        _sourceFileType = _musicToConvert->metHandler ? _musicToConvert->metHandler->eumFileType
                                                      : int(MTEFileTypeMpeg);
        if (_musicToConvert->metHandler)
            _sourceTags = _musicToConvert->metHandler->copy();
    }
    if (_media) {
        _fields = static_cast<const LSMediaFields&>(*_media);
        _media->eumCvtState.store(LSConvertStateWaiting);
        _media->dLeftTime.store(_dLastLeftTime);
    }
}

ConvertOperation::~ConvertOperation() = default;

QString ConvertOperation::strOutFilePath() const {
    const std::lock_guard lock(_mutex);
    return _strOutFilePath;
}

void ConvertOperation::setStrOutFilePath(const QString& path) {
    const std::lock_guard lock(_mutex);
    _strOutFilePath = path;
}

bool ConvertOperation::trimIsNarrowerThanFile(const LSMediaFields& m) {
    if (m.dTrimLength <= 1.0)
        return false;
    const double offset = m.dTrimStart - m.dMovieStartTime;
    const double trimEnd = offset + m.dTrimLength;
    return offset > kTrimTolerance || trimEnd < m.dMovieDuration - kTrimTolerance;
}

QStringList ConvertOperation::argumentVector(const LSMediaFields& m, const QString& toolPath,
                                             const QString& outputPath,
                                             const QStringList& tagArguments) {
    QStringList args{toolPath, QStringLiteral("-i"), fileArgument(m.strMediaFilePath_)};
    // The probed length of a file is an estimate (a VBR MP3 without a Xing header is read
    // short), so a conversion of the whole file is never cut to it.
    if (trimIsNarrowerThanFile(m)) {
        args << QStringLiteral("-ss") << argumentNumber(m.dTrimStart - m.dMovieStartTime, 4)
             << QStringLiteral("-t") << argumentNumber(m.dTrimLength, 4);
    }
    args << QStringLiteral("-vn");
    if (!m.vOACodecName.isEmpty())
        args << QStringLiteral("-acodec") << m.vOACodecName;
    const double sampleRate = QVEncoderLimits::sampleRateFor(m.vOACodecName, m.dAOSamplerate);
    const QVEncoderLimits::Output output = QVEncoderLimits::outputFor(m);
    args << QStringLiteral("-ar") << argumentNumber(sampleRate, 2) << QStringLiteral("-b:a")
         << argumentNumber(output.bitrate, 2) + u'k' << channelArguments(output);
    // ffmpeg copies the source's metadata; an empty value drops an entry from that copy,
    // whether tags are copied afterwards or not.
    for (const QString& name : MTETagText::encoderEntryNames())
        args << QStringLiteral("-metadata") << name + u'=';
    // The source container's track data is stream metadata, which Vorbis comments would
    // carry as tags; only a stream specifier reaches it.
    for (const char* name : {"handler_name", "vendor_id"})
        args << QStringLiteral("-metadata:s:a") << QLatin1String(name) + u'=';
    // Ogg keeps its comments on the stream, where ffmpeg's copy of the file's tags misses
    // them.
    if (m.strFmtName == QLatin1String("ogg"))
        args << QStringLiteral("-map_metadata") << QStringLiteral("0:s:a:0");
    args << tagArguments << QStringLiteral("-y") << fileArgument(outputPath);
    return args;
}

void ConvertOperation::main() {
    runConversion();
    postToDelegate([](ConvertOperationDelegate* d, ConvertOperation* op) {
        d->didConvertOperationFinish(op);
    });
}

void ConvertOperation::runConversion() {
    if (!_media) {
        qWarning().noquote() << "A row without a media description cannot be converted";
        return;
    }
    if (isCancelled()) {
        finishWith(LSConvertStateCanceled);
        return;
    }
    const QString outputPath = prepareOutputPath();
    if (outputPath.isEmpty()) {
        finishWith(LSConvertStateFailed);
        return;
    }
    if (QFileInfo(_fields.strMediaFilePath_).suffix().toLower() == QLatin1String("vob")) {
        logFailure(QStringLiteral("VOB sources are not converted"));
        finishWith(LSConvertStateFailed);
        removeOwnedOutput();
        return;
    }
    if (_fields.eumDestFmtType != LSDestFmtTypeAudio || !_fields.strProfileName.isEmpty()) {
        logFailure(QStringLiteral("only audio output through ffmpeg is supported here "
                                  "(video output and movie export are not)"));
        finishWith(LSConvertStateFailed);
        removeOwnedOutput();
        return;
    }
    const QString tool = FFMpegLauncher::ffmpegPath();
    if (tool.isEmpty()) {
        logFailure(QStringLiteral("the ffmpeg program was not found beside the application or "
                                  "on PATH"));
        finishWith(LSConvertStateFailed);
        removeOwnedOutput();
        return;
    }
    logOutputChanges();
    if (const QString refusal = QVEncoderLimits::outputFor(_fields).refusal; !refusal.isEmpty()) {
        logFailure(refusal);
        finishWith(LSConvertStateFailed);
        removeOwnedOutput();
        return;
    }

    const QStringList tagArguments =
        gShouldCopyMetadata.load()
            ? MTETagCopy::ffmpegArguments(_dicToMetadata, _sourceFileType, outputPath,
                                          _sourceTags.get())
            : MTETagCopy::overlongValueArguments(outputPath, _sourceTags.get());
    runChild(argumentVector(_fields, tool, outputPath, tagArguments));

    int state = _iExitCode.load() == 0 ? LSConvertStateSucceeded : LSConvertStateFailed;
    state = finishWith(state);
    if (state == LSConvertStateFailed && _iExitCode.load() > 0) {
        logFailure(QStringLiteral("ffmpeg ended with status %1; its last words: %2")
                       .arg(_iExitCode.load())
                       .arg(lastLines(_outputTail, 3)));
    }
    if (state == LSConvertStateSucceeded)
        state = completeSucceededJob();
    if (state != LSConvertStateSucceeded)
        removeOwnedOutput();
}

QString ConvertOperation::prepareOutputPath() {
    const QString extension = isRingtone() ? QStringLiteral("m4a") : _fields.strOutFileExt;
    QString baseName = _fields.strOutFileName;
    if (baseName.isEmpty())
        baseName = QFileInfo(_fields.strMediaFilePath_).completeBaseName();
    QString folder = strOutFilePath();
    if (folder.isEmpty())
        folder = QFileInfo(_fields.strMediaFilePath_).absolutePath();
    // The folder must exist before the name is reserved, or two jobs could get one name.
    if (!GlobalFun::MakeSureFolderExsist(folder)) {
        logFailure(QStringLiteral("the output folder %1 cannot be created").arg(folder));
        return QString();
    }
    // Reserves the path: nothing existed there, so whatever is there later is this job's.
    const QString path = GlobalFun::makeSureFullPathIdenticalAndHaveExtention(
        folder + u'/' + baseName + u'.' + extension, extension);
    _ownedPaths << path;
    setStrOutFilePath(path);
    return path;
}

void ConvertOperation::runChild(const QStringList& arguments) {
    {
        const std::lock_guard lock(_mutex);
        if (isCancelled())
            return;
        _childActive = true;
        _media->eumCvtState.store(LSConvertStateConverting);
    }
    QEventLoop loop;
    _loop = &loop;
    _childEnded = false;
    _iExitCode.store(0);
    _wraperTask = std::make_unique<TaskWrapper>(this, arguments);
    _wraperTask->setKillGracePeriod(_killGraceMs);
    // Commands from other threads are picked up here, so nothing but plain locked data
    // crosses between the threads.
    QTimer commandPoll;
    QObject::connect(&commandPoll, &QTimer::timeout, &loop, [this] { applyCommands(); });
    commandPoll.start(kCommandPollMs);
    _wraperTask->startProcess();
    applyCommands();
    if (!_childEnded)
        loop.exec();
    commandPoll.stop();
    {
        const std::lock_guard lock(_mutex);
        _childActive = false;
        _commands.clear();
    }
    _wraperTask.reset();
    _loop = nullptr;
}

void ConvertOperation::applyCommands() {
    std::vector<Command> commands;
    {
        const std::lock_guard lock(_mutex);
        commands.swap(_commands);
    }
    for (const Command command : commands) {
        if (!_wraperTask)
            return;
        switch (command) {
        case Command::Stop:
            _wraperTask->resume(); // a stopped child cannot act on the polite stop
            _wraperTask->stopProcess();
            break;
        case Command::Suspend:
            _wraperTask->suspend();
            break;
        case Command::Resume:
            _wraperTask->resume();
            break;
        }
    }
}

int ConvertOperation::finishWith(int state) {
    const std::lock_guard lock(_mutex);
    if (isCancelled())
        state = LSConvertStateCanceled;
    _outcomeKnown = true;
    _media->eumCvtState.store(state);
    return state;
}

int ConvertOperation::completeSucceededJob() {
    if (!outputHoldsTheAudio()) {
        _media->eumCvtState.store(LSConvertStateFailed);
        return LSConvertStateFailed;
    }
    if (gShouldCopyMetadata.load() && !copyTags()) {
        _media->eumCvtState.store(LSConvertStateFailed);
        return LSConvertStateFailed;
    }
    if (isRingtone() && !renameRingtone()) {
        _media->eumCvtState.store(LSConvertStateFailed);
        return LSConvertStateFailed;
    }
    if (_bIsSendingToiTunes) {
        _media->eumCvtState.store(LSConvertStateSyncing);
        postToDelegate(
            [](ConvertOperationDelegate* d, ConvertOperation* op) { d->convertStartSync(op); });
        QViTunesHandler::shareInstance().transferMusicToLibrary(strOutFilePath(),
                                                                _striTunesPlaylistName);
        _media->eumCvtState.store(LSConvertStateSucceeded);
    }
    return LSConvertStateSucceeded;
}

namespace {

// An output counts as converted when it holds at least this share of the audio asked for, or
// is short of it by no more than the margin. Real conversions differ from the probed length
// by encoder delay and padding (milliseconds) and by the probe's estimates, which the
// source's own audio stream corrects; a sample table or data that ends early leaves far
// less. The margin keeps short sources clear of the share.
constexpr double kLeastAudioShare = 0.5;
constexpr double kShortfallMarginSeconds = 1.0;

bool isFarShort(double seconds, double asked) {
    return seconds < asked * kLeastAudioShare && asked - seconds > kShortfallMarginSeconds;
}

} // namespace

// ffmpeg ends with status 0 also when it read little or no audio (a sample table pointing
// past the end of the file leaves a bare header), so the output is measured first.
bool ConvertOperation::outputHoldsTheAudio() const {
    const QString output = strOutFilePath();
    if (!QFileInfo(output).isFile()) {
        logFailure(QStringLiteral("ffmpeg wrote no output file %1").arg(output));
        return false;
    }
    const std::optional<double> seconds = QVAudioLength::secondsIn(output);
    if (!seconds || *seconds <= 0.0) {
        logFailure(QStringLiteral("ffmpeg read no audio from it, so the output %1 holds none; it "
                                  "is removed")
                       .arg(output));
        return false;
    }
    if (!isFarShort(*seconds, secondsAskedFor(_fields.dMovieDuration)))
        return true;
    // The probed length may be an estimate from a variable bitrate, or the length of a video
    // stream; the source's audio stream decides.
    const double asked = secondsAskedFor(
        QVAudioLength::secondsIn(_fields.strMediaFilePath_).value_or(_fields.dMovieDuration));
    if (!isFarShort(*seconds, asked))
        return true;
    logFailure(
        QStringLiteral("ffmpeg read only %1 s of its %2 s of audio; the output %3 is removed")
            .arg(NumberText::fromDouble(*seconds, 1), NumberText::fromDouble(asked, 1), output));
    return false;
}

// The audio the conversion asks for of a source holding the given seconds.
double ConvertOperation::secondsAskedFor(double sourceSeconds) const {
    if (!trimIsNarrowerThanFile(_fields))
        return sourceSeconds;
    return std::min(_fields.dTrimLength,
                    sourceSeconds - (_fields.dTrimStart - _fields.dMovieStartTime));
}

// A row whose tags could not be written is no success; the converted file stays for the
// user, as ffmpeg wrote it. A row without values loses nothing in an output that takes none.
bool ConvertOperation::copyTags() {
    if (handleMetadataSave() != MTETagWriteResult::Failed || !holdsValues(_dicToMetadata))
        return true;
    const QString output = strOutFilePath();
    logFailure(QStringLiteral("its tags could not be written into %1; the converted file is kept "
                              "without them")
                   .arg(output));
    _ownedPaths.removeAll(output);
    return false;
}

bool ConvertOperation::renameRingtone() {
    const QString from = strOutFilePath();
    const QFileInfo info(from);
    if (!info.exists())
        return true;
    const QString stem = from.left(from.size() - info.suffix().size() - 1);
    const QString wanted = stem + u'.' + _fields.strOutFileExt;
    const QString target =
        GlobalFun::makeSureFullPathIdenticalAndHaveExtention(wanted, QFileInfo(wanted).suffix());
    _ownedPaths << target;
    // rename() replaces the empty file that reserves the target.
    if (!_rename(from, target)) {
        logFailure(QStringLiteral("the ringtone could not be renamed to %1; the converted file "
                                  "is kept as %2")
                       .arg(target, from));
        // The converted file stays; only the unused reservation goes.
        _ownedPaths.removeAll(from);
        return false;
    }
    _ownedPaths.removeAll(from);
    setStrOutFilePath(target);
    return true;
}

void ConvertOperation::removeOwnedOutput() {
    for (const QString& path : std::as_const(_ownedPaths)) {
        const QFileInfo info(path);
        if (info.isFile() || info.isSymLink())
            QFile::remove(path);
    }
    _ownedPaths.clear();
}

bool ConvertOperation::isRingtone() const {
    return _strMusicType.toLower() == QLatin1String("ringtone");
}

double ConvertOperation::progressLength() const {
    return _fields.dTrimLength > 1.0 ? _fields.dTrimLength : _fields.dMovieDuration;
}

void ConvertOperation::cancel() {
    const std::lock_guard lock(_mutex);
    if (_outcomeKnown)
        return;
    Operation::cancel();
    if (_media)
        _media->eumCvtState.store(LSConvertStateCanceled);
    if (_childActive) {
        _isUserCancel.store(true);
        _commands.push_back(Command::Stop);
    }
}

void ConvertOperation::pause() {
    const std::lock_guard lock(_mutex);
    if (!_childActive || _outcomeKnown || isCancelled())
        return;
    _media->eumCvtState.store(LSConvertStatePaused);
    _commands.push_back(Command::Suspend);
}

void ConvertOperation::resume() {
    const std::lock_guard lock(_mutex);
    if (!_childActive || _outcomeKnown || isCancelled())
        return;
    _media->eumCvtState.store(LSConvertStateConverting);
    _commands.push_back(Command::Resume);
}

void ConvertOperation::postToDelegate(
    std::function<void(ConvertOperationDelegate*, ConvertOperation*)> call) {
    std::shared_ptr<ConvertOperation> self = weak_from_this().lock();
    if (!self)
        return;
    MainThreadQueue::post([self, call = std::move(call)] {
        if (ConvertOperationDelegate* target = self->delegate())
            call(target, self.get());
    });
}

void ConvertOperation::processStarted() {
    _bIsConverting.store(true);
    _dLastTime = _clock();
    postToDelegate(
        [](ConvertOperationDelegate* d, ConvertOperation* op) { d->didConvertOperationStart(op); });
}

void ConvertOperation::processErrorOccurred(const QString& message) {
    if (!isCancelled())
        logFailure(message);
}

void ConvertOperation::appendOutput(const QString& chunk) {
    _outputTail += chunk;
    if (_outputTail.size() > kOutputTailChars)
        _outputTail.remove(0, _outputTail.size() - kOutputTailChars);

    const std::optional<double> time = _parser.appendOutput(chunk);
    const double length = progressLength();
    if (!time || !_media || length <= 0.0)
        return;
    const double percent =
        std::max(std::clamp(*time / length * 100.0, 0.0, 100.0), _media->dProgress.load());
    _media->dProgress.store(percent);

    const double now = _clock();
    const double dt = now - _dLastTime;
    const double dp = percent - _dLastPrg;
    if (dt < 1.0 || dp < 0.1) {
        _media->dLeftTime.store(_dLastLeftTime);
        return;
    }
    const double left = std::min((100.0 - percent) / (dp / dt), kMaxLeftTime);
    _media->dLeftTime.store(left);
    _dLastPrg = percent;
    _dLastTime = now;
    _dLastLeftTime = left;
    postToDelegate([percent](ConvertOperationDelegate* d, ConvertOperation* op) {
        d->convertOperationHandleProgress(op, percent);
    });
}

void ConvertOperation::launcherDidTerminatedWithCode(int status) {
    if (_media)
        _media->dProgress.store(100.0);
    _iExitCode.store(status);
    _bIsConverting.store(false);
    _childEnded = true;
    if (_loop)
        _loop->quit();
}

MTETagWriteResult ConvertOperation::handleMetadataSave() {
    return MTETagCopy::handleMetadataSave(_dicToMetadata, _sourceFileType, strOutFilePath(),
                                          _sourceTags.get());
}

QVariantMap ConvertOperation::convertMetadataFromTypeToType(const QVariantMap& tags, int fromType,
                                                            int toType) {
    return MTETagCopy::convertMetadataFromTypeToType(tags, fromType, toType);
}

void ConvertOperation::logOutputChanges() const {
    for (const QString& note : QVEncoderLimits::outputFor(_fields).notes)
        qInfo().noquote()
            << QStringLiteral("Converting \"%1\": %2").arg(_fields.strMediaFilePath_, note);
}

void ConvertOperation::logFailure(const QString& reason) const {
    qWarning().noquote()
        << QStringLiteral("Conversion of \"%1\" failed: %2").arg(_fields.strMediaFilePath_, reason);
}
