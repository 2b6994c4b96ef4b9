#include "ConvertOperationTestSupport.h"
#include "support/FakeFfmpeg.h"
#include "support/TestEnvironment.h"

#include "platform/PlaylistFile.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct Fixture {
    QString folder;
    QString source;
    std::shared_ptr<QVMusicInfo> row;
    std::shared_ptr<ConvertOperation> op;
    RecordingDelegate delegate;

    explicit Fixture(const QString& sourceName = QStringLiteral("song.wav"),
                     const QString& type = QStringLiteral("MP3"),
                     const QString& ext = QStringLiteral("mp3")) {
        folder = TestEnvironment::makeTempFolder(QStringLiteral("fake"));
        source = folder + u'/' + sourceName;
        writeFile(source);
        row = makeRow(source, ext, QStringLiteral("libmp3lame"), 4.0, type);
        makeJob();
    }
    // A job for the row as it is now.
    void makeJob() {
        op = ConvertOperation::initWithMedia(row);
        op->setClock(steppingClock());
        op->setKillGracePeriod(300);
        op->setStrOutFilePath(folder);
        op->setDelegate(&delegate);
    }
    int state() const { return row->mediaInfo->eumCvtState.load(); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

TEST(ConvertOperationFakeFfmpeg, OutcomesFollowTheChild) {
    const LogCapture log;
    struct Case {
        const char* program;
        int state;
        bool outputKept;
        double rowProgress;
        const char* title = nullptr; // of the row, whose tags go into an output TagLib refuses
                                     // (last: the log keeps every line)
    };
    const Case cases[] = {
        {"ffmpeg-ok", LSConvertStateSucceeded, true, 100.0},
        {"ffmpeg-stderr-only", LSConvertStateSucceeded, true, 100.0},
        {"ffmpeg-exit3", LSConvertStateFailed, false, QVProgressFailed},
        {"ffmpeg-crash", LSConvertStateFailed, false, QVProgressFailed},
        {"ffmpeg-close-output", LSConvertStateFailed, false, QVProgressFailed},
        {"ffmpeg-ok", LSConvertStateFailed, true, QVProgressFailed, "Title"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QString::fromLatin1(c.program)));
        Fixture f;
        if (c.title) {
            f.row->dicToMetadata = {{QStringLiteral("TIT2"), QLatin1String(c.title)}};
            f.makeJob();
        }
        ASSERT_TRUE(runJob(f.op, f.delegate));
        EXPECT_EQ(f.state(), c.state);
        const QString output = f.folder + QStringLiteral("/song.mp3");
        EXPECT_EQ(f.op->strOutFilePath(), output);
        EXPECT_EQ(QFileInfo::exists(output), c.outputKept);
        EXPECT_EQ(LogCapture::contains(QStringLiteral("tags could not be written")), bool(c.title));
        EXPECT_EQ(readFile(f.source), QByteArray("source"));
        EXPECT_EQ(f.delegate.count(RecordingDelegate::Start), 1);
        EXPECT_EQ(f.delegate.count(RecordingDelegate::Finish), 1);
        EXPECT_EQ(f.delegate.events.back(), RecordingDelegate::Finish);
        EXPECT_TRUE(f.delegate.allOnMainThread);
        EXPECT_DOUBLE_EQ(f.row->dConvertProgress.load(), c.rowProgress);
        for (size_t i = 1; i < f.delegate.progress.size(); ++i)
            EXPECT_GT(f.delegate.progress[i], f.delegate.progress[i - 1]);
    }
}

TEST(ConvertOperationFakeFfmpeg, ProgressRisesToTheEnd) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    Fixture f;
    ASSERT_TRUE(runJob(f.op, f.delegate));
    // Four status lines of a four-second file; the line naming a file is not one.
    EXPECT_EQ(f.delegate.progress, (std::vector<double>{25.0, 50.0, 75.0, 100.0}));
    EXPECT_DOUBLE_EQ(f.row->mediaInfo->dProgress.load(), 100.0);
}

TEST(ConvertOperationFakeFfmpeg, MissingProgramFailsWithALogLine) {
    const LogCapture log;
    const QString missing =
        TestEnvironment::makeTempFolder(QStringLiteral("noprog")) + QStringLiteral("/ffmpeg");
    const FakeFfmpeg::Scope fake(missing);
    Fixture f;
    ASSERT_TRUE(runJob(f.op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateFailed);
    EXPECT_TRUE(f.files() == QStringList{QStringLiteral("song.wav")})
        << f.files().join(u',').toStdString();
    EXPECT_EQ(f.delegate.count(RecordingDelegate::Finish), 1);
    EXPECT_TRUE(LogCapture::contains(QStringLiteral("could not be started")))
        << LogCapture::lines().join(u'\n').toStdString();
}

TEST(ConvertOperationFakeFfmpeg, CancelEndsARunningChildAndRemovesItsOutput) {
    for (const char* program : {"ffmpeg-hang", "ffmpeg-trap-term"}) {
        SCOPED_TRACE(program);
        const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QString::fromLatin1(program)));
        Fixture f;
        OperationQueue queue;
        queue.addOperation(f.op);
        // Wait until the child has written its partial output.
        const QString output = f.folder + QStringLiteral("/song.mp3");
        QElapsedTimer timer;
        timer.start();
        while (readFile(output) != "partial" && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(readFile(output), QByteArray("partial"));
        QThread::msleep(100); // let the shell reach its trap or sleep
        f.op->cancel();
        ASSERT_TRUE(drain(queue, 20000));
        EXPECT_EQ(f.state(), LSConvertStateCanceled);
        EXPECT_TRUE(f.op->isUserCancel());
        EXPECT_FALSE(QFileInfo::exists(output));
        EXPECT_EQ(f.delegate.count(RecordingDelegate::Finish), 1);
        EXPECT_DOUBLE_EQ(f.row->dConvertProgress.load(), QVProgressCanceled);
    }
}

TEST(ConvertOperationFakeFfmpeg, PausedJobCanBeResumedAndCancelled) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    Fixture f;
    f.op->setKillGracePeriod(60000); // only a resumed child can obey the polite stop in time
    f.op->pause();                   // no child yet: nothing happens
    EXPECT_EQ(f.state(), LSConvertStateWaiting);
    OperationQueue queue;
    queue.addOperation(f.op);
    const QString output = f.folder + QStringLiteral("/song.mp3");
    QElapsedTimer timer;
    timer.start();
    while (readFile(output) != "partial" && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    f.op->pause();
    EXPECT_EQ(f.state(), LSConvertStatePaused);
    f.op->resume();
    EXPECT_EQ(f.state(), LSConvertStateConverting);
    f.op->pause();
    f.op->cancel();
    ASSERT_TRUE(drain(queue, 30000));
    EXPECT_EQ(f.state(), LSConvertStateCanceled);
    EXPECT_FALSE(QFileInfo::exists(output));
}

TEST(ConvertOperationFakeFfmpeg, QueuedJobCancelledBeforeItStartsLaunchesNothing) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    Fixture first(QStringLiteral("first.wav"));
    Fixture second(QStringLiteral("second.wav"));
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    queue.addOperation(first.op);
    queue.addOperation(second.op);
    QElapsedTimer timer;
    timer.start();
    while (first.state() != LSConvertStateConverting && timer.elapsed() < 10000)
        QThread::msleep(5);
    queue.cancelAllOperations();
    ASSERT_TRUE(drain(queue, 20000));
    EXPECT_EQ(second.state(), LSConvertStateCanceled);
    EXPECT_TRUE(second.delegate.events.empty());
    EXPECT_EQ(second.files(), QStringList{QStringLiteral("second.wav")});
    EXPECT_EQ(first.state(), LSConvertStateCanceled);
    EXPECT_EQ(first.files(), QStringList{QStringLiteral("first.wav")});
}

TEST(ConvertOperationFakeFfmpeg, LateCancelKeepsASucceededOutput) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    Fixture f;
    ASSERT_TRUE(runJob(f.op, f.delegate));
    f.op->cancel();
    EXPECT_EQ(f.state(), LSConvertStateSucceeded);
    EXPECT_TRUE(QFileInfo::exists(f.folder + QStringLiteral("/song.mp3")));
}

TEST(ConvertOperationFakeFfmpeg, SameOutputNamesNeverOverwrite) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("same"));
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("sameout"));
    writeFile(out + QStringLiteral("/a.mp3"), "keep me");
    OperationQueue queue;
    std::vector<std::shared_ptr<QVMusicInfo>> rows;
    for (const char* name : {"a.wav", "a.flac", "a.ogg"}) {
        const QString source = folder + u'/' + QLatin1String(name);
        writeFile(source);
        rows.push_back(makeRow(source, QStringLiteral("mp3"), QString()));
        auto op = ConvertOperation::initWithMedia(rows.back());
        op->setStrOutFilePath(out);
        queue.addOperation(op);
    }
    ASSERT_TRUE(drain(queue));
    for (const auto& row : rows)
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
    const QStringList files = QDir(out).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{QStringLiteral("a(1).mp3"), QStringLiteral("a(2).mp3"),
                                  QStringLiteral("a(3).mp3"), QStringLiteral("a.mp3")}));
    EXPECT_EQ(readFile(out + QStringLiteral("/a.mp3")), QByteArray("keep me"));
}

TEST(ConvertOperationFakeFfmpeg, UnconvertibleRowsFailWithoutAChild) {
    const LogCapture log;
    // A program that must never run: each of these rows fails before starting it.
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    struct Case {
        const char* name;
        const char* source;
        int destination;
        const char* profile;
    };
    const Case cases[] = {
        {"vob source", "movie.VOB", LSDestFmtTypeAudio, ""},
        {"video output", "clip.mp4", LSDestFmtTypeVideo, ""},
        {"movie export", "clip.mov", LSDestFmtTypeAudio, "iPod"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("never"));
        const QString source = folder + u'/' + QLatin1String(c.source);
        writeFile(source);
        auto row = makeRow(source, QStringLiteral("mp3"), QString());
        row->mediaInfo->eumDestFmtType = c.destination;
        row->mediaInfo->strProfileName = QString::fromLatin1(c.profile);
        auto op = ConvertOperation::initWithMedia(row);
        RecordingDelegate delegate;
        ASSERT_TRUE(runJob(op, delegate));
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateFailed);
        EXPECT_EQ(delegate.events,
                  std::vector<RecordingDelegate::Event>{RecordingDelegate::Finish});
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QLatin1String(c.source)});
        EXPECT_TRUE(LogCapture::contains(source));
    }
}

TEST(ConvertOperationFakeFfmpeg, UnwritableOutputFolderFails) {
    Fixture f;
    // A folder under a regular file can never be made, even by root.
    f.op->setStrOutFilePath(f.source + QStringLiteral("/out"));
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    ASSERT_TRUE(runJob(f.op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateFailed);
    EXPECT_EQ(readFile(f.source), QByteArray("source"));
}

TEST(ConvertOperationFakeFfmpeg, RingtoneIsRenamedToItsOwnExtension) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    Fixture f(QStringLiteral("tone.wav"), QStringLiteral("Ringtone"), QStringLiteral("m4r"));
    writeFile(f.folder + QStringLiteral("/tone.m4r"), "older");
    ASSERT_TRUE(runJob(f.op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateSucceeded);
    EXPECT_EQ(f.op->strOutFilePath(), f.folder + QStringLiteral("/tone(1).m4r"));
    EXPECT_TRUE(readFile(f.op->strOutFilePath()).startsWith("RIFF"));
    EXPECT_EQ(readFile(f.folder + QStringLiteral("/tone.m4r")), QByteArray("older"));
    EXPECT_FALSE(QFileInfo::exists(f.folder + QStringLiteral("/tone.m4a")));
}

TEST(ConvertOperationFakeFfmpeg, AFailedRingtoneRenameKeepsTheConvertedFile) {
    const LogCapture log;
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    Fixture f(QStringLiteral("tone.wav"), QStringLiteral("Ringtone"), QStringLiteral("m4r"));
    QStringList renames;
    f.op->setRenameFunction([&renames](const QString& from, const QString& to) {
        renames << from << to;
        return false;
    });
    ASSERT_TRUE(runJob(f.op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateFailed);
    const QString converted = f.folder + QStringLiteral("/tone.m4a");
    EXPECT_EQ(renames, (QStringList{converted, f.folder + QStringLiteral("/tone.m4r")}));
    EXPECT_EQ(f.op->strOutFilePath(), converted);
    EXPECT_TRUE(readFile(converted).startsWith("RIFF"));
    // The name reserved for the rename is given back.
    EXPECT_EQ(f.files(), (QStringList{QStringLiteral("tone.m4a"), QStringLiteral("tone.wav")}));
    EXPECT_TRUE(LogCapture::contains(QStringLiteral("could not be renamed")));
}

TEST(ConvertOperationFakeFfmpeg, ASourceNameAtTheNameLimitGivesAShortenedOutputName) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    const QString stem = QStringLiteral("ü").repeated(125) + u'x'; // 251 bytes
    Fixture f(stem + QStringLiteral(".wav"), QStringLiteral("FLAC"), QStringLiteral("flac"));
    ASSERT_TRUE(runJob(f.op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateSucceeded);
    EXPECT_EQ(f.op->strOutFilePath(), f.folder + u'/' + stem.left(125) + QStringLiteral(".flac"));
    EXPECT_TRUE(readFile(f.op->strOutFilePath()).startsWith("RIFF"));
}

TEST(ConvertOperationFakeFfmpeg, SucceededFileIsListedInThePlaylistOnce) {
    TestEnvironment::reset();
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    Fixture f;
    f.row->bIsSendingToiTunes = true;
    f.row->striTunesPlaylistName = QStringLiteral(" Quaverly");
    auto op = ConvertOperation::initWithMedia(f.row); // takes the row as it is now
    op->setStrOutFilePath(f.folder);
    ASSERT_TRUE(runJob(op, f.delegate));
    EXPECT_EQ(f.state(), LSConvertStateSucceeded);
    EXPECT_EQ(f.delegate.count(RecordingDelegate::Sync), 1);
    EXPECT_EQ(PlaylistFile::entries(QStringLiteral(" Quaverly")),
              QStringList{f.folder + QStringLiteral("/song.mp3")});
}

TEST(ConvertOperationFakeFfmpeg, MissingOutputFolderIsMadeBeforeNamesAreTaken) {
    const FakeFfmpeg::Scope fake(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("mkout"));
    const QString out = folder + QStringLiteral("/MP3/2026-12-08-20:00:00");
    OperationQueue queue;
    std::vector<std::shared_ptr<QVMusicInfo>> rows;
    for (const char* name : {"b.wav", "b.aiff"}) {
        const QString source = folder + u'/' + QLatin1String(name);
        writeFile(source);
        rows.push_back(makeRow(source, QStringLiteral("mp3"), QString()));
        auto op = ConvertOperation::initWithMedia(rows.back());
        op->setStrOutFilePath(out);
        queue.addOperation(op);
    }
    ASSERT_TRUE(drain(queue));
    for (const auto& row : rows)
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("b(1).mp3"), QStringLiteral("b.mp3")}));
}
