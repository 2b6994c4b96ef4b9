// End to end with the real ffmpeg program.
#include "ConvertOperationTestSupport.h"
#include "support/MediaFixtures.h"
#include "support/TestEnvironment.h"

#include "engine/FFMpegLauncher.h"
#include "engine/LSMediaDecoder.h"
#include "tags/MTEAudioCreator.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

namespace {

struct Target {
    const char* type;
    const char* ext;
    const char* encoder;
    double sampleRate;
    double bitrate;
    int channels;
    const char* probedCodec;
    const char* finalExt;
    double trimStart = 0.0; // of the 4 s source, trimmed to its end
};

const Target kTargets[] = {
    {"MP3", "mp3", "libmp3lame", 22050, 64, 1, "mp3", "mp3"},
    {"AAC", "m4a", "aac", 48000, 128, 2, "aac", "m4a"},
    {"FLAC", "flac", "flac", 44100, 0, 1, "flac", "flac"},
    {"Ringtone", "m4r", "aac", 44100, 128, 2, "aac", "m4r"},
    {"WAV", "wav", "pcm_s16le", 22050, 0, 1, "pcm_s16le", "wav", 2.5},
};

std::shared_ptr<QVMusicInfo> rowFor(const QString& source, const Target& t) {
    auto row = makeRow(source, QString::fromLatin1(t.ext), QString::fromLatin1(t.encoder), 4.0,
                       QString::fromLatin1(t.type));
    row->mediaInfo->dAOSamplerate = t.sampleRate;
    row->mediaInfo->dAOBitrate = t.bitrate;
    row->mediaInfo->iAOChanels = t.channels;
    row->mediaInfo->dTrimStart = t.trimStart;
    row->mediaInfo->dTrimLength -= t.trimStart;
    row->dicToMetadata.insert(QStringLiteral("TIT2"), QStringLiteral("Grüße"));
    return row;
}

bool haveFfmpeg() {
    return !FFMpegLauncher::ffmpegPath().isEmpty();
}

// Made on a thread of its own: Qt starts children with vfork(), after which a
// thread-sanitizer build no longer sees the starting thread's own locks, and the main
// thread must stay reliable for the checks that follow.
QString makeSource(const QString& folder, const QString& name, const QStringList& args = {}) {
    const QString path = folder + u'/' + name;
    bool made = false;
    std::thread maker([&] {
        made = MediaFixtures::makeSine(QStringLiteral("file:") + path, 4.0, 44100, 2, args);
    });
    maker.join();
    return made ? path : QString();
}

// AAC cut after a share of its data: the rest of its sample table points past the file's end.
QString makeCutM4a(const QString& folder, const QString& name, double share) {
    const QString path =
        makeSource(folder, name, {QStringLiteral("-movflags"), QStringLiteral("+faststart")});
    const QByteArray bytes = readFile(path);
    const qsizetype data = bytes.indexOf("mdat") + 4;
    const QByteArray kept = bytes.left(data + qsizetype(double(bytes.size() - data) * share));
    return MediaFixtures::writeBytes(path, kept) ? path : QString();
}

} // namespace

TEST(ConvertOperationFfmpeg, ConvertsIntoEachFormat) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    gShouldCopyMetadata.store(true);
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("real"));
    const QString source = makeSource(folder, QStringLiteral("sine.wav"));
    ASSERT_FALSE(source.isEmpty());
    const QByteArray sourceBytes = readFile(source);

    OperationQueue queue;
    std::vector<std::shared_ptr<QVMusicInfo>> rows;
    std::vector<std::shared_ptr<ConvertOperation>> ops;
    std::vector<std::unique_ptr<RecordingDelegate>> delegates;
    for (const Target& t : kTargets) {
        rows.push_back(rowFor(source, t));
        ops.push_back(ConvertOperation::initWithMedia(rows.back()));
        delegates.push_back(std::make_unique<RecordingDelegate>());
        ops.back()->setDelegate(delegates.back().get());
        ops.back()->setClock(steppingClock());
        ops.back()->setStrOutFilePath(TestEnvironment::makeTempFolder(QString::fromLatin1(t.type)));
        queue.addOperation(ops.back());
    }
    ASSERT_TRUE(drain(queue));

    for (size_t i = 0; i < ops.size(); ++i) {
        const Target& t = kTargets[i];
        SCOPED_TRACE(t.type);
        EXPECT_EQ(rows[i]->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
        const QString output = ops[i]->strOutFilePath();
        EXPECT_EQ(QFileInfo(output).fileName(),
                  QStringLiteral("sine.") + QLatin1String(t.finalExt));
        const QJsonObject probe = MediaFixtures::probe(output);
        const QJsonObject audio = MediaFixtures::firstAudioStream(probe);
        EXPECT_EQ(audio.value(QStringLiteral("codec_name")).toString(),
                  QLatin1String(t.probedCodec));
        EXPECT_EQ(audio.value(QStringLiteral("sample_rate")).toString().toDouble(), t.sampleRate);
        EXPECT_EQ(audio.value(QStringLiteral("channels")).toInt(), t.channels);
        const double duration = probe.value(QStringLiteral("format"))
                                    .toObject()
                                    .value(QStringLiteral("duration"))
                                    .toString()
                                    .toDouble();
        EXPECT_NEAR(duration, 4.0 - t.trimStart, 0.2);
        const QJsonObject tags = probe.value(QStringLiteral("format"))
                                     .toObject()
                                     .value(QStringLiteral("tags"))
                                     .toObject();
        // Vorbis comments keep their own spelling of the key ("TITLE").
        QString title;
        for (auto it = tags.begin(); it != tags.end(); ++it)
            if (it.key().compare(QLatin1String("title"), Qt::CaseInsensitive) == 0)
                title = it.value().toString();
        EXPECT_EQ(title, QStringLiteral("Grüße"));
        const RecordingDelegate& d = *delegates[i];
        EXPECT_EQ(d.count(RecordingDelegate::Start), 1);
        EXPECT_EQ(d.count(RecordingDelegate::Finish), 1);
        EXPECT_TRUE(d.allOnMainThread);
        EXPECT_DOUBLE_EQ(rows[i]->dConvertProgress.load(), 100.0);
        for (size_t k = 1; k < d.progress.size(); ++k)
            EXPECT_GT(d.progress[k], d.progress[k - 1]);
    }
    EXPECT_EQ(readFile(source), sourceBytes);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("sine.wav")});
}

// ffmpeg copies the source's tags whether the row's are copied or not. A value longer than a
// WMA file holds stays out of that copy, or the header no longer reads; the tag copy writes it
// whole.
TEST(ConvertOperationFfmpeg, AValueTooLongForAWmaFileLeavesTheFileReadable) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("longwma"));
    const QString source = folder + QStringLiteral("/long.mp3");
    const QString comment(40000, u'c');
    bool made = false;
    std::thread([&] {
        made = MediaFixtures::makeSine(source, 2.0, 44100, 2,
                                       {QStringLiteral("-metadata"), QStringLiteral("title=Kept"),
                                        QStringLiteral("-metadata"),
                                        QStringLiteral("comment=") + comment});
    }).join();
    ASSERT_TRUE(made);
    struct RestoredCopyFlag {
        ~RestoredCopyFlag() { gShouldCopyMetadata.store(true); }
    } restored;
    for (const bool copyTags : {true, false}) {
        SCOPED_TRACE(copyTags ? "tags copied" : "tags not copied");
        gShouldCopyMetadata.store(copyTags);
        auto row = makeRow(source, QStringLiteral("wma"), QStringLiteral("wmav2"), 2.0,
                           QStringLiteral("WMA"));
        row->metHandler =
            MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(source, true);
        row->dicToMetadata = row->metHandler->dicReadInfo;
        auto op = ConvertOperation::initWithMedia(row);
        op->setStrOutFilePath(TestEnvironment::makeTempFolder(QStringLiteral("longwmaout")));
        RecordingDelegate delegate;
        ASSERT_TRUE(runJob(op, delegate));
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
        const auto output = MTEAudioCreator::sharedMTEAudioCreator().creatFileWithPathShouldDump(
            op->strOutFilePath(), true);
        EXPECT_EQ(output->getValueForKey(QStringLiteral("Title")).toString(),
                  QStringLiteral("Kept"));
        EXPECT_EQ(output->getValueForKey(QStringLiteral("Comment")).toString(),
                  copyTags ? comment : QString());
    }
}

// ffmpeg also ends with status 0 when it reads no audio, or 0.5 s of 4 s: no success either.
TEST(ConvertOperationFfmpeg, FailedConversionsLeaveNothing) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("badenc"));
    const QString source = makeSource(folder, QStringLiteral("sine.wav"));
    const QString noData = makeCutM4a(folder, QStringLiteral("no data.m4a"), 0.0);
    ASSERT_FALSE(source.isEmpty() || noData.isEmpty());
    const std::tuple<QString, const char*, const char*> cases[] = {
        {source, "mp3", "no-such-encoder"},
        {noData, "wav", "pcm_s16le"},
        {noData, "ac3", "ac3"},
        {makeCutM4a(folder, QStringLiteral("an eighth.m4a"), 0.125), "flac", "flac"}};
    for (const auto& [path, ext, encoder] : cases) {
        auto row = makeRow(path, QLatin1String(ext), QLatin1String(encoder));
        auto op = ConvertOperation::initWithMedia(row);
        const QString out = TestEnvironment::makeTempFolder(QStringLiteral("badencout"));
        op->setStrOutFilePath(out);
        RecordingDelegate delegate;
        ASSERT_TRUE(runJob(op, delegate));
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateFailed) << ext;
        EXPECT_EQ(op->iExitCode() == 0, path != source);
        EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
        EXPECT_DOUBLE_EQ(row->dConvertProgress.load(), QVProgressFailed);
    }
}

TEST(ConvertOperationFfmpeg, OddFileNamesConvert) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("odd"));
    const QStringList names{QStringLiteral("with space.wav"), QStringLiteral("it's \"quoted\".wav"),
                            QStringLiteral("-leading dash.wav"), QStringLiteral("Grüße ünï 音.wav"),
                            QStringLiteral("proto:col.wav")};
    OperationQueue queue;
    std::vector<std::shared_ptr<QVMusicInfo>> rows;
    std::vector<std::shared_ptr<ConvertOperation>> ops;
    for (const QString& name : names) {
        const QString source = makeSource(folder, name);
        ASSERT_FALSE(source.isEmpty()) << name.toStdString();
        rows.push_back(makeRow(source, QStringLiteral("mp3"), QStringLiteral("libmp3lame")));
        ops.push_back(ConvertOperation::initWithMedia(rows.back()));
        queue.addOperation(ops.back()); // into the source's own folder
    }
    ASSERT_TRUE(drain(queue));
    for (size_t i = 0; i < ops.size(); ++i) {
        SCOPED_TRACE(names[int(i)].toStdString());
        EXPECT_EQ(rows[i]->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
        const QString expected =
            folder + u'/' + QFileInfo(names[int(i)]).completeBaseName() + QStringLiteral(".mp3");
        EXPECT_EQ(ops[i]->strOutFilePath(), expected);
        EXPECT_EQ(MediaFixtures::firstAudioStream(
                      MediaFixtures::probe(QStringLiteral("file:") + expected))
                      .value(QStringLiteral("codec_name"))
                      .toString(),
                  QStringLiteral("mp3"));
    }
}

// A VBR MP3 without a Xing header probes shorter than it is (the length is estimated from
// its loud, dense start); converting the whole file must still give all of it.
TEST(ConvertOperationFfmpeg, AnUntrimmedConversionKeepsTheWholeSource) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("whole"));
    const QString source = folder + QStringLiteral("/loud then quiet.mp3");
    bool made = false;
    std::thread maker([&] {
        made = MediaFixtures::runFfmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("anoisesrc=d=3:a=0.5:r=44100"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("anullsrc=r=44100"),
             QStringLiteral("-filter_complex"),
             QStringLiteral("[0][1]concat=n=2:v=0:a=1,atrim=duration=20"), QStringLiteral("-ac"),
             QStringLiteral("1"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
             QStringLiteral("-q:a"), QStringLiteral("0"), QStringLiteral("-write_xing"),
             QStringLiteral("0"), source});
    });
    maker.join();
    ASSERT_TRUE(made);

    auto row = makeRow(source, QStringLiteral("flac"), QStringLiteral("flac"), 0.0,
                       QStringLiteral("FLAC"));
    LSMediaDecoder().dumpMediaStreamInfoWithFileMedia(source, *row->mediaInfo);
    ASSERT_EQ(row->mediaInfo->eumErrorCode, LSMediaErrorNone);
    ASSERT_LT(row->mediaInfo->dTrimLength, 15.0); // the estimate really is short
    row->mediaInfo->iAOChanels = 1;
    auto op = ConvertOperation::initWithMedia(row);
    op->setStrOutFilePath(TestEnvironment::makeTempFolder(QStringLiteral("wholeout")));
    RecordingDelegate delegate;
    ASSERT_TRUE(runJob(op, delegate));
    EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
    const double duration = MediaFixtures::probe(op->strOutFilePath())
                                .value(QStringLiteral("format"))
                                .toObject()
                                .value(QStringLiteral("duration"))
                                .toString()
                                .toDouble();
    EXPECT_NEAR(duration, 20.0, 0.1);
}

// A film soundtrack through the job as a run starts it: probed, converted and tagged, its
// speakers kept where the format holds them and the change logged where it does not.
TEST(ConvertOperationFfmpeg, SurroundSpeakersAreKeptOrTheChangeIsLogged) {
    if (!haveFfmpeg())
        GTEST_SKIP() << "no ffmpeg program";
    gShouldCopyMetadata.store(true);
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("film"));
    const QString source = folder + QStringLiteral("/film.wav");
    bool made = false;
    std::thread maker(
        [&] { made = MediaFixtures::makeSpeakerTones(source, 4.0, 48000, "5.1(side)"); });
    maker.join();
    ASSERT_TRUE(made);
    const LogCapture log;
    for (const auto& [ext, encoder, written] :
         {std::tuple{"flac", "flac", "5.1(side)"}, std::tuple{"opus", "libopus", "5.1"}}) {
        auto row = makeRow(source, ext, encoder, 4.0, QStringLiteral("FLAC"));
        LSMediaDecoder().dumpMediaStreamInfoWithFileMedia(source, *row->mediaInfo);
        row->mediaInfo->iAOChanels = row->mediaInfo->iChanels;
        row->mediaInfo->dAOSamplerate = 48000;
        row->dicToMetadata.insert(QStringLiteral("TIT2"), QStringLiteral("Film"));
        auto op = ConvertOperation::initWithMedia(row);
        op->setStrOutFilePath(TestEnvironment::makeTempFolder(QStringLiteral("filmout")));
        RecordingDelegate delegate;
        ASSERT_TRUE(runJob(op, delegate));
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), LSConvertStateSucceeded);
        const QJsonObject stream =
            MediaFixtures::firstAudioStream(MediaFixtures::probe(op->strOutFilePath()));
        EXPECT_EQ(stream.value(QStringLiteral("channel_layout")).toString(),
                  QLatin1String(written));
    }
    EXPECT_TRUE(LogCapture::contains(
        QStringLiteral("Converting \"%1\": 5.1(side) written as 5.1 (libopus cannot write "
                       "5.1(side))")
            .arg(source)))
        << LogCapture::lines().join(u'\n').toStdString();
    EXPECT_FALSE(LogCapture::contains(QStringLiteral("flac cannot")));
}
