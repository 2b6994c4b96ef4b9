#include "ShellTestSupport.h"

#include "engine/ConvertOperation.h"
#include "platform/OperationQueue.h"
#include "platform/PreferenceKeys.h"
#include "platform/SystemBeep.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/QVAppDelegate.h"
#include "shell/QVConvertRun.h"
#include "shell/QVSettingSheet.h"
#include "tags/MTEFileType.h"
#include "tags/MTETagCopy.h"
#include "util/GlobalFun.h"
#include "util/QVFileLocalManager.h"

#include "FakeFfmpeg.h"
#include "MediaFixtures.h"

#include <QAction>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QProgressBar>
#include <QSlider>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

QString key(const char* name) {
    return QString::fromLatin1(name);
}

QImage makeCover() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 200));
    QPainter painter(&image);
    painter.fillRect(0, 0, 32, 24, QColor(240, 200, 20));
    return image;
}

// Every regular file (or every entry) beneath a folder, relative to it, sorted.
QStringList filesBelow(const QString& folder, QDir::Filters filter = QDir::Files | QDir::Hidden) {
    QStringList files;
    QDirIterator it(folder, filter, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

constexpr QDir::Filters kAllEntries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;

QString formatTag(const QJsonObject& probe, const QString& name) {
    const QJsonObject tags =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    }
    return {};
}

// A tag whose key starts with the prefix (ffprobe names lyrics "lyrics-eng" and the like).
QString formatTagStartingWith(const QJsonObject& probe, const QString& prefix) {
    const QJsonObject tags =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().startsWith(prefix, Qt::CaseInsensitive))
            return it.value().toString();
    }
    return {};
}

bool hasAttachedPicture(const QJsonObject& probe) {
    for (const QJsonValue& stream : probe.value(QStringLiteral("streams")).toArray()) {
        if (stream.toObject()
                .value(QStringLiteral("disposition"))
                .toObject()
                .value(QStringLiteral("attached_pic"))
                .toInt() == 1)
            return true;
    }
    return false;
}

// A fake ffmpeg that fails for sources whose name holds "bad" and behaves as ffmpeg-ok
// otherwise (writing nothing for "hollow").
QString writeSelectiveFfmpeg(const QString& folder) {
    const QString path = folder + QStringLiteral("/ffmpeg-fails-bad");
    const QByteArray script = "#!/bin/sh\ncase \"$*\" in *bad*) echo 'Invalid data' >&2; exit 3;; "
                              "*hollow*) exit 0;; esac\nexec '" +
                              FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")).toUtf8() + "' \"$@\"\n";
    if (!writeFile(path, script))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

struct ConvertRun : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        QVAppDelegate::prepareMusicTagMapInfo();
        QVAppDelegate::setPreferenceValue();
        SystemBeep::resetCount();
        Workspace::setOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
        prompts = std::make_shared<FakePrompts>();
        controller = std::make_unique<QVMainAppController>(shippedCatalogue(), prompts);
        QObject::connect(&controller->convertRun(), &QVConvertRun::runDidEnd,
                         [this](const QString& summary) { summaries << summary; });
    }
    void TearDown() override {
        controller.reset();
        Workspace::setOpener({});
    }

    void setDefault(const char* name, const QVariant& value) {
        UserDefaults::standardUserDefaults().setObject(key(name), value);
    }

    // The panel answers with this folder and these boxes, and records what it offered.
    void answerPanel(const QString& folder, bool organized, bool openWhenDone) {
        controller->convertRun().setFolderChooser(
            [this, folder, organized, openWhenDone](QWidget*, const QVOutputFolderChoice& offer)
                -> std::optional<QVOutputFolderChoice> {
                offered.push_back(offer);
                if (folder.isEmpty())
                    return std::nullopt;
                return QVOutputFolderChoice{folder, organized, openWhenDone};
            });
    }

    bool add(const QStringList& paths) {
        controller->loadAndParseFiles(paths);
        return waitForIdle(*controller);
    }

    // WAV sources of 3.5 s named as given, in a new folder.
    QStringList makeWavs(const QStringList& names) {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("sources"));
        QStringList paths;
        for (const QString& name : names)
            paths << folder + u'/' + name;
        const bool made = std::all_of(paths.begin(), paths.end(), [](const QString& path) {
            return MediaFixtures::makeSine(path, 3.5, 22050, 1);
        });
        return made ? paths : QStringList();
    }

    bool waitForRunEnd(int timeoutMs = 60000) {
        return QTest::qWaitFor(
            [&] { return !summaries.isEmpty() && controller->enumAppState() == QVAppStateIdle; },
            timeoutMs);
    }

    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<QVMainAppController> controller;
    std::vector<QVOutputFolderChoice> offered;
    QList<QUrl> opened;
    QStringList summaries;
};

TEST_F(ConvertRun, ConvertsEveryFileEndToEndWithTagsAndOpensTheRunFolder) {
    const QString sources = TestEnvironment::makeTempFolder(QStringLiteral("e2e-sources"));
    const QString wavA = sources + QStringLiteral("/first 'one'.wav");
    const QString wavB = sources + QStringLiteral("/-second é.wav");
    const QString mp3 = sources + QStringLiteral("/tagged song.mp3");
    const QString junk = sources + QStringLiteral("/junk.mp3");
    ASSERT_TRUE(MediaFixtures::makeSine(wavA, 4.0, 44100, 2) &&
                MediaFixtures::makeSine(wavB, 4.0, 22050, 1) &&
                MediaFixtures::makeSine(mp3, 4.0, 44100, 2));
    const QString lyrics = QStringLiteral("First line of the song\nSecond line ✓");
    ASSERT_EQ(MTETagCopy::handleMetadataSave({{QStringLiteral("TIT2"), QStringLiteral("Été")},
                                              {QStringLiteral("TPE1"), QStringLiteral("The Band")},
                                              {QStringLiteral("USLT"), lyrics},
                                              {QStringLiteral("APIC"), makeCover()}},
                                             MTEFileTypeMpeg, mp3),
              MTETagWriteResult::Written);
    ASSERT_TRUE(MediaFixtures::writeBytes(junk, MediaFixtures::randomBytes(20000)));
    const QByteArray mp3Before = [&] {
        QFile file(mp3);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    ASSERT_TRUE(add({wavA, wavB, mp3, junk}));
    ASSERT_EQ(controller->getMusicCount(), 3);
    ASSERT_EQ(prompts->alerts.size(), 1u); // the junk file did not load
    prompts->alerts.clear();

    controller->settingSheet()->sldQuality->setValue(100);
    controller->formatPopUp()->setCurrentText(QStringLiteral("MP3"));
    controller->chooseFormat(QStringLiteral("MP3"), false);
    setDefault(PreferenceKeys::kRemoveAfterConverteKey, true);
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("e2e-out"));
    answerPanel(out, true, true);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    controller->convertRun().setNow([now] { return now; });

    controller->clickStart();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(controller->enumAppState(), QVAppStateConverting);
    EXPECT_EQ(controller->startButton()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(controller->startAction()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(controller->startAction()->toolTip(), QStringLiteral("Stop convert all files"));
    EXPECT_TRUE(controller->startAction()->isEnabled());
    EXPECT_FALSE(controller->addFilesAction()->isEnabled());
    EXPECT_FALSE(controller->formatPopUp()->isEnabled());
    EXPECT_FALSE(controller->totalProgress()->isHidden());
    ASSERT_TRUE(waitForRunEnd());

    const QString runFolder = out + QStringLiteral("/MP3/") + QVConvertRun::getTimeNamedFolder(now);
    EXPECT_EQ(filesBelow(out),
              (QStringList{QStringLiteral("MP3/") + QVConvertRun::getTimeNamedFolder(now) +
                               QStringLiteral("/-second é.mp3"),
                           QStringLiteral("MP3/") + QVConvertRun::getTimeNamedFolder(now) +
                               QStringLiteral("/first 'one'.mp3"),
                           QStringLiteral("MP3/") + QVConvertRun::getTimeNamedFolder(now) +
                               QStringLiteral("/tagged song.mp3")}));
    // Quality 100 keeps each source's own rate and channels ("Use Source" leads the lists).
    const std::tuple<QString, QString, int> outputs[] = {
        {QStringLiteral("/first 'one'.mp3"), QStringLiteral("44100"), 2},
        {QStringLiteral("/-second é.mp3"), QStringLiteral("22050"), 1},
        {QStringLiteral("/tagged song.mp3"), QStringLiteral("44100"), 2}};
    for (const auto& [name, rate, channels] : outputs) {
        const QJsonObject probe = MediaFixtures::probe(runFolder + name);
        const QJsonObject audio = MediaFixtures::firstAudioStream(probe);
        EXPECT_EQ(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("mp3"))
            << name.toStdString();
        EXPECT_EQ(audio.value(QStringLiteral("sample_rate")).toString(), rate);
        EXPECT_EQ(audio.value(QStringLiteral("channels")).toInt(), channels);
        const double duration = probe.value(QStringLiteral("format"))
                                    .toObject()
                                    .value(QStringLiteral("duration"))
                                    .toString()
                                    .toDouble();
        EXPECT_NEAR(duration, 4.0, 0.15) << name.toStdString();
    }
    const QJsonObject tagged = MediaFixtures::probe(runFolder + QStringLiteral("/tagged song.mp3"));
    EXPECT_EQ(formatTag(tagged, QStringLiteral("title")), QStringLiteral("Été"));
    EXPECT_EQ(formatTag(tagged, QStringLiteral("artist")), QStringLiteral("The Band"));
    EXPECT_EQ(formatTagStartingWith(tagged, QStringLiteral("lyrics")), lyrics);
    EXPECT_TRUE(hasAttachedPicture(tagged));

    // The sources are untouched; every row went; the drop area is back.
    QFile source(mp3);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(source.readAll(), mp3Before);
    EXPECT_EQ(controller->getMusicCount(), 0);
    EXPECT_TRUE(controller->dropInTipsView()->isVisibleTo(controller->tableView()->viewport()));
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts.front().title,
              QStringLiteral("3 files has been successfully converted. "));
    EXPECT_EQ(prompts->alerts.front().message, QString());
    EXPECT_EQ(prompts->alerts.front().style, QVUserPrompts::AlertStyle::Information);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(runFolder)});
    EXPECT_EQ(controller->startButton()->text(), QStringLiteral("Start"));
    EXPECT_EQ(controller->startAction()->text(), QStringLiteral("Start"));
    EXPECT_EQ(controller->startAction()->toolTip(), QStringLiteral("Start convert all files"));
    EXPECT_FALSE(controller->startAction()->isEnabled()); // the list is empty
    EXPECT_FALSE(controller->totalProgress()->isVisibleTo(controller->window()));
    // The panel's choices were stored for next time.
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults.stringForKey(key(PreferenceKeys::kDefaultOutputPathKey)), out);
    EXPECT_TRUE(defaults.boolForKey(key(PreferenceKeys::kDefaultSetOrganizedKey)));
    EXPECT_TRUE(defaults.boolForKey(key(PreferenceKeys::kDefaultSetOpenKey)));
}

TEST_F(ConvertRun, CancelAllEndsEveryRowCanceledWithoutPartialFiles) {
    const QStringList paths =
        makeWavs({QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav"),
                  QStringLiteral("d.wav"), QStringLiteral("e.wav")});
    ASSERT_EQ(paths.size(), 5);
    ASSERT_TRUE(add(paths));
    const FakeFfmpeg::Scope slow(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    setDefault(PreferenceKeys::kMaxTastKey, 2);
    setDefault(PreferenceKeys::kRemoveAfterConverteKey, true);
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("cancel-out"));
    answerPanel(out, false, true);

    controller->clickStart();
    ASSERT_EQ(controller->enumAppState(), QVAppStateConverting);
    // Two children run and have written part of their output; three rows wait.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            int started = 0;
            for (const auto& music : controller->fileList().musics())
                started += music->dConvertProgress.load() >= 0.0 ? 1 : 0;
            return started == 2;
        },
        20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return filesBelow(out).size() == 2; }, 10000));

    controller->clickStart(); // during a run: cancel all
    ASSERT_TRUE(waitForRunEnd(30000));

    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    ASSERT_EQ(controller->getMusicCount(), 5); // cancelled rows are never removed
    for (const auto& music : controller->fileList().musics()) {
        EXPECT_EQ(music->dConvertProgress.load(), QVProgressCanceled);
        EXPECT_EQ(music->mediaInfo->eumCvtState.load(), int(LSConvertStateCanceled));
    }
    EXPECT_EQ(filesBelow(out), QStringList());
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts.front().title,
              QStringLiteral("0 files has been successfully converted. "));
    // The run's folder went with its empty outputs, so there is nothing to open; the
    // chosen folder stays.
    EXPECT_EQ(filesBelow(out, kAllEntries), QStringList());
    EXPECT_TRUE(QFileInfo(out).isDir());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(controller->convertRun().queue()->maxConcurrentOperationCount(), 2);
    EXPECT_TRUE(controller->convertRun().queue()->isEmpty());
}

TEST_F(ConvertRun, ClosingTheWindowDuringARunCancelsItsJobs) {
    const QStringList paths =
        makeWavs({QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav")});
    ASSERT_EQ(paths.size(), 3);
    ASSERT_TRUE(add(paths));
    const FakeFfmpeg::Scope slow(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    setDefault(PreferenceKeys::kMaxTastKey, 1);
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("close-out"));
    answerPanel(out, false, false);
    controller->clickStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return filesBelow(out).size() == 1; }, 10000));
    const QVMusicList rows = controller->fileList().musics();

    prompts->closeAnswer = true;
    EXPECT_TRUE(controller->window()->close());
    EXPECT_EQ(controller->getMusicCount(), 0);
    ASSERT_TRUE(waitForRunEnd(30000));
    for (const auto& row : rows)
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), int(LSConvertStateCanceled));
    EXPECT_EQ(filesBelow(out), QStringList());
    EXPECT_TRUE(controller->convertRun().queue()->isEmpty());
}

TEST_F(ConvertRun, OpensNothingWhenTheRunFolderIsGoneAtTheEnd) {
    ASSERT_TRUE(add(makeWavs({QStringLiteral("a.wav")})));
    const FakeFfmpeg::Scope slow(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("gone-out"));
    answerPanel(out, true, true);
    controller->clickStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return filesBelow(out).size() == 1; }, 10000));
    const QString runFolder = controller->convertRun().outputPath();
    EXPECT_TRUE(runFolder.startsWith(out + QStringLiteral("/MP3/")));
    ASSERT_TRUE(QDir(out + QStringLiteral("/MP3")).removeRecursively());

    controller->clickCancelAll();
    ASSERT_TRUE(waitForRunEnd(30000));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(summaries, QStringList{QStringLiteral("0 files has been successfully converted. ")});
}

TEST_F(ConvertRun, ARowWithoutMediaGetsNoJobAndIsNeverCountedOrRemoved) {
    ASSERT_TRUE(add(makeWavs({QStringLiteral("a.wav")})));
    auto bare = std::make_shared<QVMusicInfo>();
    bare->strFilePath = QStringLiteral("/nowhere/bare.wav");
    controller->fileList().appendMusics({bare});
    const FakeFfmpeg::Scope ok(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    setDefault(PreferenceKeys::kRemoveAfterConverteKey, true);
    answerPanel(TestEnvironment::makeTempFolder(QStringLiteral("bare-out")), true, false);

    controller->clickStart();
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(controller->getMusicCount(), 1);
    EXPECT_EQ(controller->fileList().musicAt(0), bare);
    EXPECT_EQ(bare->dConvertProgress.load(), QVProgressWaiting);
    EXPECT_EQ(summaries, QStringList{QStringLiteral("1 files has been successfully converted. ")});
}

TEST_F(ConvertRun, AFailedRowIsKeptAndNamedEvenWithRemovalOn) {
    const QString tools = TestEnvironment::makeTempFolder(QStringLiteral("tools"));
    const QString fake = writeSelectiveFfmpeg(tools);
    ASSERT_FALSE(fake.isEmpty());
    QStringList paths = makeWavs({QStringLiteral("good 1.wav"), QStringLiteral("bad one.wav"),
                                  QStringLiteral("good 2.wav")});
    ASSERT_EQ(paths.size(), 3);
    // Its title cannot be written into what the fake ffmpeg leaves.
    paths << QFileInfo(paths.front()).path() + QStringLiteral("/tagged.wav");
    ASSERT_TRUE(MediaFixtures::makeSine(paths.back(), 3.5, 22050, 1,
                                        {QStringLiteral("-metadata"), QStringLiteral("title=T")}));
    paths << QFileInfo(paths.front()).path() + QStringLiteral("/hollow.wav");
    ASSERT_TRUE(MediaFixtures::makeSine(paths.back(), 3.5, 22050, 1));
    ASSERT_TRUE(add(paths));
    const FakeFfmpeg::Scope failing(fake);
    setDefault(PreferenceKeys::kRemoveAfterConverteKey, true);
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("fail-out"));
    answerPanel(out, false, false);

    controller->clickStart();
    ASSERT_TRUE(waitForRunEnd());

    ASSERT_EQ(controller->getMusicCount(), 3); // the hollow one last
    for (int row = 0; row < 2; ++row) {
        const auto kept = controller->fileList().musicAt(row);
        EXPECT_EQ(QFileInfo(kept->strFilePath).fileName(),
                  row ? QStringLiteral("tagged.wav") : QStringLiteral("bad one.wav"));
        EXPECT_EQ(kept->dConvertProgress.load(), QVProgressFailed);
    }
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts.front().title,
              QStringLiteral("2 files has been successfully converted. Except 3 files "
                             "failed,including: \nbad one \ntagged \nhollow"));
    EXPECT_EQ(prompts->alerts.front().style, QVUserPrompts::AlertStyle::Warning);
    // The output of a failed ffmpeg is not left behind, the converted ones are there, and so
    // is the one whose tags could not be written; nothing is opened.
    QStringList names;
    for (const QString& file : filesBelow(out))
        names << QFileInfo(file).fileName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("good 1.mp3"), QStringLiteral("good 2.mp3"),
                                  QStringLiteral("tagged.mp3")}));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(controller->dropInTipsView()->isVisibleTo(controller->tableView()->viewport()));
    EXPECT_TRUE(controller->startAction()->isEnabled());
}

TEST_F(ConvertRun, WithRemovalOffRowsStayAndShowTheirOutcome) {
    const QStringList paths =
        makeWavs({QStringLiteral("x bad.wav"), QStringLiteral("y.wav"), QStringLiteral("z.wav")});
    ASSERT_EQ(paths.size(), 3);
    ASSERT_TRUE(add(paths));
    const QString fake =
        writeSelectiveFfmpeg(TestEnvironment::makeTempFolder(QStringLiteral("tools")));
    const FakeFfmpeg::Scope failing(fake);
    setDefault(PreferenceKeys::kRemoveAfterConverteKey, false);
    setDefault(PreferenceKeys::kMaxTastKey, 0); // counts as one at a time
    answerPanel(TestEnvironment::makeTempFolder(QStringLiteral("keep-out")), true, false);

    controller->clickStart();
    EXPECT_EQ(controller->convertRun().queue()->maxConcurrentOperationCount(), 1);
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(controller->getMusicCount(), 3);
    const QVMusicList& rows = controller->fileList().musics();
    EXPECT_EQ(rows[0]->dConvertProgress.load(), QVProgressFailed);
    EXPECT_EQ(rows[1]->dConvertProgress.load(), 100.0);
    EXPECT_EQ(rows[2]->dConvertProgress.load(), 100.0);
    ASSERT_EQ(summaries.size(), 1);
    EXPECT_EQ(summaries.front(), QStringLiteral("2 files has been successfully converted. Except 1 "
                                                "files failed,including: \nx bad"));
}

// A run that writes nothing takes away the folders it made; a folder that holds anything,
// one that was there before and the chosen folder stay.
TEST_F(ConvertRun, FoldersTheRunMadeAndLeftEmptyAreRemoved) {
    struct Case {
        const char* name;
        bool oneConverts;
        const char* before; // below the chosen folder, a file when it ends in ".mp3"
        QStringList after;
    };
    const QString run = key("MP3/2026-12-07-22:22:00");
    const QString old = key("MP3/2026-01-01-10:00:00");
    const Case cases[] = {
        {"every row fails", false, "", {}},
        {"an earlier run in the format's folder",
         false,
         "MP3/2026-01-01-10:00:00/old.mp3",
         {key("MP3"), old, old + key("/old.mp3")}},
        {"the format's folder was there", false, "MP3", {key("MP3")}},
        {"one row converts", true, "", {key("MP3"), run, run + key("/good.mp3")}},
    };
    const FakeFfmpeg::Scope failing(
        writeSelectiveFfmpeg(TestEnvironment::makeTempFolder(QStringLiteral("tools"))));
    const QDateTime when(QDate(2026, 12, 7), QTime(22, 22, 0), Qt::UTC);
    controller->convertRun().setNow([when] { return when; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller->clickClear();
        ASSERT_TRUE(add(makeWavs(c.oneConverts ? QStringList{key("bad.wav"), key("good.wav")}
                                               : QStringList{key("bad.wav")})));
        // A chosen folder that does not exist yet: the run makes it, and keeps it.
        const QString out = TestEnvironment::makeTempFolder(key("left-out")) + key("/chosen");
        const QString before = out + u'/' + key(c.before);
        if (*c.before) {
            ASSERT_TRUE(before.endsWith(key(".mp3")) ? writeFile(before) : QDir().mkpath(before));
        }
        answerPanel(out, true, false);
        summaries.clear();
        controller->clickStart();
        ASSERT_TRUE(waitForRunEnd());
        EXPECT_EQ(filesBelow(out, kAllEntries), c.after);
        EXPECT_TRUE(QFileInfo(out).isDir());
    }
}

TEST_F(ConvertRun, AnUnwritableOutputFolderIsOneAlertBeforeAnyJob) {
    const QStringList paths = makeWavs({QStringLiteral("a.wav"), QStringLiteral("b.wav")});
    ASSERT_EQ(paths.size(), 2);
    ASSERT_TRUE(add(paths));
    // A folder under a regular file can never be made, also for root.
    const QString blocker =
        TestEnvironment::makeTempFolder(QStringLiteral("blocked")) + QStringLiteral("/a file");
    ASSERT_TRUE(writeFile(blocker));
    const FakeFfmpeg::Scope ok(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    answerPanel(blocker + QStringLiteral("/out"), true, true);

    controller->clickStart();
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts.front().title,
              QStringLiteral("The output folder cannot be written to."));
    EXPECT_TRUE(prompts->alerts.front().message.contains(blocker + QStringLiteral("/out/MP3/")));
    EXPECT_EQ(controller->convertRun().queue(), nullptr);
    QTest::qWait(QVConvertRun::kRefreshIntervalMs + 100);
    EXPECT_TRUE(summaries.isEmpty());
    EXPECT_EQ(prompts->alerts.size(), 1u);
    EXPECT_TRUE(opened.isEmpty());
    for (const auto& music : controller->fileList().musics())
        EXPECT_EQ(music->mediaInfo->eumCvtState.load(), int(LSConvertStateWaiting));
}

// A file system like FAT or exFAT refuses ':' in a name; the run then writes into the
// same dated folder with '.' in its place.
TEST_F(ConvertRun, DatedFolderFallsBackToDotsWhereColonsAreRefused) {
    struct Case {
        const char* fileSystem;
        std::function<bool(const QString&)> makeFolder;
        QString expectedFolder; // below the chosen folder; empty: nothing starts
    };
    const auto refuseColons = [](const QString& folder) {
        return !QFileInfo(folder).fileName().contains(u':') &&
               GlobalFun::MakeSureFolderExsist(folder);
    };
    const Case cases[] = {
        {"accepting colons", &GlobalFun::MakeSureFolderExsist,
         QStringLiteral("MP3/2026-12-07-22:22:00")},
        {"refusing colons", refuseColons, QStringLiteral("MP3/2026-12-07-22.22.00")},
        {"refusing everything", [](const QString&) { return false; }, QString()},
        {"refusing once the format's folder is made",
         [](const QString& folder) {
             QDir().mkpath(QFileInfo(folder).path());
             return false;
         },
         QString()},
    };
    ASSERT_TRUE(add(makeWavs({QStringLiteral("a.wav")})));
    const FakeFfmpeg::Scope ok(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    const QDateTime when(QDate(2026, 12, 7), QTime(22, 22, 0), Qt::UTC);
    controller->convertRun().setNow([when] { return when; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSystem);
        prompts->alerts.clear();
        summaries.clear();
        const QString out = TestEnvironment::makeTempFolder(QStringLiteral("fat-out"));
        answerPanel(out, true, false);
        controller->convertRun().setFolderMaker(c.makeFolder);
        controller->clickStart();
        if (c.expectedFolder.isEmpty()) {
            EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
            ASSERT_EQ(prompts->alerts.size(), 1u);
            EXPECT_EQ(prompts->alerts.front().title,
                      QStringLiteral("The output folder cannot be written to."));
            EXPECT_TRUE(prompts->alerts.front().message.contains(
                out + QStringLiteral("/MP3/2026-12-07-22:22:00")));
            EXPECT_EQ(filesBelow(out, kAllEntries), QStringList()); // nothing made is left
            continue;
        }
        ASSERT_TRUE(waitForRunEnd());
        EXPECT_EQ(controller->convertRun().outputPath(), out + u'/' + c.expectedFolder);
        EXPECT_EQ(filesBelow(out), QStringList{c.expectedFolder + QStringLiteral("/a.mp3")});
    }
    controller->convertRun().setFolderMaker({});
}

TEST_F(ConvertRun, PanelOffersTheStoredChoicesAndItsCancelStartsNothing) {
    ASSERT_TRUE(add(makeWavs({QStringLiteral("a.wav")})));
    answerPanel(QString(), true, true); // the user cancels
    controller->clickStart();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].folder, QVFileLocalManager::getDefaultUpperOutputDir());
    EXPECT_TRUE(offered[0].organized);
    EXPECT_FALSE(offered[0].openWhenDone);
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    EXPECT_FALSE(UserDefaults::standardUserDefaults().hasObjectForKey(
        key(PreferenceKeys::kDefaultOutputPathKey)));

    setDefault(PreferenceKeys::kDefaultOutputPathKey, QStringLiteral("/some/where"));
    setDefault(PreferenceKeys::kDefaultSetOrganizedKey, false);
    setDefault(PreferenceKeys::kDefaultSetOpenKey, true);
    controller->clickStart();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1].folder, QStringLiteral("/some/where"));
    EXPECT_FALSE(offered[1].organized);
    EXPECT_TRUE(offered[1].openWhenDone);
}

TEST_F(ConvertRun, NeverStartsWithAnEmptyList) {
    answerPanel(TestEnvironment::makeTempFolder(QStringLiteral("empty-out")), true, false);
    controller->clickStart();
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(SystemBeep::count(), 1);
    EXPECT_FALSE(controller->doRealConverterTask(TestEnvironment::makeTempFolder()));
    EXPECT_EQ(controller->enumAppState(), QVAppStateIdle);
    EXPECT_FALSE(controller->startAction()->isEnabled());
}

TEST_F(ConvertRun, PlaylistOnlyForPlaylistFormatsWhenAutoSyncIsOn) {
    struct Case {
        const char* format;
        bool autoSync;
        bool sent;
    };
    const Case cases[] = {
        {"MP3", true, true}, {"FLAC", true, false}, {"MP3", false, false}, {"ALAC", true, true}};
    const FakeFfmpeg::Scope ok(FakeFfmpeg::path(QStringLiteral("ffmpeg-ok")));
    ASSERT_TRUE(add(makeWavs({QStringLiteral("a.wav")})));
    setDefault(PreferenceKeys::kiTunesPlaylistNameKey, QStringLiteral("My list"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        setDefault(PreferenceKeys::kAutoSyncKey, c.autoSync);
        controller->formatPopUp()->setCurrentText(QString::fromLatin1(c.format));
        controller->chooseFormat(QString::fromLatin1(c.format), false);
        summaries.clear();
        ASSERT_TRUE(controller->doRealConverterTask(TestEnvironment::makeTempFolder()));
        const auto row = controller->fileList().musicAt(0);
        EXPECT_EQ(row->bIsSendingToiTunes, c.sent);
        EXPECT_EQ(row->striTunesPlaylistName, QStringLiteral("My list"));
        EXPECT_EQ(row->strMusicType, QString::fromLatin1(c.format));
        ASSERT_TRUE(waitForRunEnd());
    }
}

TEST_F(ConvertRun, MenuStartOutsideARunOpensThePanelAndStopDoesNothing) {
    QVAppDelegate delegate(&shippedCatalogue(), prompts);
    delegate.awakeFromNib();
    QVMainAppController& main = *delegate.coreMainWndCtlr();
    int asked = 0;
    main.convertRun().setFolderChooser(
        [&asked](QWidget*, const QVOutputFolderChoice&) -> std::optional<QVOutputFolderChoice> {
            ++asked;
            return std::nullopt;
        });
    main.loadAndParseFiles(makeWavs({QStringLiteral("a.wav")}));
    ASSERT_TRUE(waitForIdle(main));
    delegate.clickStop();
    EXPECT_EQ(asked, 0);
    delegate.clickStart();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(main.enumAppState(), QVAppStateIdle);
}

// Only the items routed to the menu target follow the run; the application's own items
// (Quit, Hide, About, Help, the web pages) stay usable, and Quit still asks first.
TEST_F(ConvertRun, DuringARunOnlyTheMenuTargetsItemsAreDisabledAndQuitAsksAndCancels) {
    QVAppDelegate delegate(&shippedCatalogue(), prompts);
    delegate.awakeFromNib();
    delegate.applicationDidFinishLaunching();
    QVMainAppController& main = *delegate.coreMainWndCtlr();
    main.loadAndParseFiles(makeWavs({QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
    ASSERT_TRUE(waitForIdle(main));
    const FakeFfmpeg::Scope slow(FakeFfmpeg::path(QStringLiteral("ffmpeg-hang")));
    const QString out = TestEnvironment::makeTempFolder(QStringLiteral("menu-out"));
    main.convertRun().setFolderChooser(
        [out](QWidget*, const QVOutputFolderChoice&) -> std::optional<QVOutputFolderChoice> {
            return QVOutputFolderChoice{out, false, false};
        });
    main.clickStart();
    ASSERT_EQ(main.enumAppState(), QVAppStateConverting);

    const QStringList enabledDuringRun = {
        QStringLiteral("clickStop:"),        QStringLiteral("clickQuit:"),
        QStringLiteral("clickHide:"),        QStringLiteral("clickAbout:"),
        QStringLiteral("clickHelp:"),        QStringLiteral("clickFeedback:"),
        QStringLiteral("clickRate:"),        QStringLiteral("clickSupport:"),
        QStringLiteral("clickMoreProducts:")};
    QStringList seen;
    for (const QAction* item : delegate.menuItems()) {
        seen << item->objectName();
        EXPECT_EQ(item->isEnabled(), enabledDuringRun.contains(item->objectName()))
            << item->objectName().toStdString();
    }
    for (const QString& name : enabledDuringRun)
        EXPECT_TRUE(seen.contains(name)) << name.toStdString();

    prompts->closeAnswer = false;
    delegate.clickQuit();
    EXPECT_EQ(prompts->closeQuestions, 1);
    EXPECT_EQ(main.enumAppState(), QVAppStateConverting);
    EXPECT_TRUE(main.window()->isVisible());

    prompts->closeAnswer = true;
    const QVMusicList rows = main.fileList().musics();
    delegate.clickQuit();
    EXPECT_EQ(prompts->closeQuestions, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main.enumAppState() == QVAppStateIdle; }, 30000));
    for (const auto& row : rows)
        EXPECT_EQ(row->mediaInfo->eumCvtState.load(), int(LSConvertStateCanceled));
    EXPECT_TRUE(filesBelow(out).isEmpty());
}

TEST(ConvertRunText, SummaryNamesAtMostThreeFailures) {
    struct Case {
        int succeeded;
        QStringList failed;
        QString expected;
    };
    const QStringList five = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("d"), QStringLiteral("e")};
    const Case cases[] = {
        {4, {}, QStringLiteral("4 files has been successfully converted. ")},
        {0,
         {QStringLiteral("only")},
         QStringLiteral("0 files has been successfully converted. Except 1 files "
                        "failed,including: \nonly")},
        {2, five.mid(0, 3),
         QStringLiteral("2 files has been successfully converted. Except 3 files "
                        "failed,including: \na \nb \nc")},
        {1, five,
         QStringLiteral("1 files has been successfully converted. Except 5 files "
                        "failed,including: \na \nb \nc...")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVConvertRun::summaryText(c.succeeded, c.failed), c.expected);
}

TEST(ConvertRunText, TotalProgressCountsEndedRowsAsDone) {
    struct Case {
        std::vector<double> rows;
        double expected;
    };
    const Case cases[] = {
        {{}, 0.0},
        {{QVProgressWaiting, QVProgressWaiting}, 0.0},
        {{50.0, QVProgressWaiting}, 0.25},
        {{100.0, QVProgressFailed, QVProgressCanceled, QVProgressSyncing}, 1.0},
        {{25.0, 75.0, 0.0, 100.0}, 0.5},
        {{250.0, -7.0}, 0.5}, // out of range values are clamped
    };
    for (const Case& c : cases) {
        QVMusicList rows;
        for (double value : c.rows) {
            auto row = std::make_shared<QVMusicInfo>();
            row->dConvertProgress.store(value);
            rows.push_back(row);
        }
        EXPECT_DOUBLE_EQ(QVConvertRun::getTotalConvertProgress(rows), c.expected);
    }
}

TEST(ConvertRunText, FormatSettingReachesTheRowsParameters) {
    struct Case {
        const char* biteRate;
        const char* sampleRate;
        const char* channels;
        double bitrate;
        double samplerate;
        int outChannels;
    };
    const Case cases[] = {
        {"Use Source", "Use Source", "Use Source", 705.6, 22050.0, 5},
        {"320", "48000", "Stereo", 320.0, 48000.0, 2},
        {"128", "44100", "Mono", 128.0, 44100.0, 1},
        {"96", "8000", "Surround", 96.0, 8000.0, 1},
    };
    for (const Case& c : cases) {
        LSMediaFields media;
        media.dABitrate = 705600.0;
        media.dSamplerate = 22050.0;
        media.iChanels = 5;
        media.eumDestFmtType = LSDestFmtTypeVideo;
        QVFormatSetting setting;
        setting.biteRate = QString::fromLatin1(c.biteRate);
        setting.sampleRate = QString::fromLatin1(c.sampleRate);
        setting.channels = QString::fromLatin1(c.channels);
        setting.decodecName = QStringLiteral("libmp3lame");
        setting.outputExtName = QStringLiteral("mp3");
        QVConvertRun::applyFormatSetting(media, setting);
        EXPECT_DOUBLE_EQ(media.dAOBitrate, c.bitrate);
        EXPECT_DOUBLE_EQ(media.dAOSamplerate, c.samplerate);
        EXPECT_EQ(media.iAOChanels, c.outChannels);
        EXPECT_EQ(media.vOACodecName, QStringLiteral("libmp3lame"));
        EXPECT_EQ(media.strOutFileExt, QStringLiteral("mp3"));
        EXPECT_EQ(media.eumDestFmtType, int(LSDestFmtTypeAudio));
    }
}

TEST(ConvertRunText, OutputFolderIsChosenFormatAndUtcTime) {
    EXPECT_EQ(QVConvertRun::colonFreeFolderName(QStringLiteral("2026-12-07-22:22:00")),
              QStringLiteral("2026-12-07-22.22.00"));
    const QDateTime utc(QDate(2026, 12, 7), QTime(22, 22, 0), Qt::UTC);
    EXPECT_EQ(QVConvertRun::getTimeNamedFolder(utc), QStringLiteral("2026-12-07-22:22:00"));
    const QDateTime berlin(QDate(2026, 12, 7), QTime(23, 22, 0), QTimeZone("Europe/Berlin"));
    EXPECT_EQ(QVConvertRun::getTimeNamedFolder(berlin), QStringLiteral("2026-12-07-22:22:00"));
    EXPECT_EQ(QVConvertRun::outputFolderFor(QStringLiteral("/m/out"), true, QStringLiteral("MP3"),
                                            QStringLiteral("D")),
              QStringLiteral("/m/out/MP3/D"));
    EXPECT_EQ(QVConvertRun::outputFolderFor(QStringLiteral("/m/out"), false, QStringLiteral("MP3"),
                                            QStringLiteral("D")),
              QStringLiteral("/m/out/D"));
}

} // namespace
