#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "engine/LSMediaDecoder.h"
#include "engine/QVAudioPlayer.h"
#include "engine/QVMusicInfo.h"
#include "platform/NotificationCenter.h"
#include "player/player_core.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

// The preview player end to end: real files through the core, SDL's dummy audio driver and
// the notification hub.
namespace {

struct Posted {
    QString name;
    QVariantMap info;
    qint64 atMs;
};

// Records every player notification, with the time it arrived.
class PlayerLog {
public:
    PlayerLog() {
        _clock.start();
        _connection = NotificationCenter::defaultCenter().addObserver(
            QString(), &_context, [this](const QString& name, const QVariantMap& info) {
                if (name.startsWith(QLatin1String("com.qvp.QVAudioPlayer")))
                    _posted.push_back({name, info, _clock.elapsed()});
            });
    }
    ~PlayerLog() { NotificationCenter::defaultCenter().removeObserver(_connection); }

    std::vector<Posted> named(const char* name) const {
        std::vector<Posted> found;
        for (const Posted& p : _posted)
            if (p.name == QLatin1String(name))
                found.push_back(p);
        return found;
    }
    bool ended() const { return !named(Notifications::kPlayEnd).empty(); }
    std::vector<double> times() const {
        std::vector<double> seconds;
        for (const Posted& p : named(Notifications::kPlayProgress))
            seconds.push_back(
                p.info.value(QString::fromLatin1(Notifications::kProgressInfoKey)).toDouble());
        return seconds;
    }
    size_t count() const { return _posted.size(); }
    std::vector<Posted> since(size_t index) const {
        return {_posted.begin() + std::ptrdiff_t(std::min(index, _posted.size())), _posted.end()};
    }

private:
    QObject _context;
    QMetaObject::Connection _connection;
    QElapsedTimer _clock;
    std::vector<Posted> _posted;
};

template <typename Predicate> bool runUntil(Predicate predicate, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!predicate() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return predicate();
}

void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

std::shared_ptr<QVMusicInfo> rowFor(const QString& path) {
    auto row = std::make_shared<QVMusicInfo>();
    row->strFilePath = path;
    row->strMusicType = QStringLiteral("MP3");
    return row;
}

QString rowPath(const Posted& posted) {
    const auto row = posted.info.value(QString::fromLatin1(Notifications::kMusicInfoKey))
                         .value<std::shared_ptr<QVMusicInfo>>();
    return row ? row->strFilePath : QString();
}

bool endedByUser(const Posted& end) {
    return end.info.value(QStringLiteral("kActionByUsert")).toBool();
}

QString sineWav(const QString& name, double seconds) {
    const QString path = ProbeSamples::folder() + u'/' + name;
    if (!QFile::exists(path))
        MediaFixtures::makeSine(path, seconds);
    return path;
}

class QVAudioPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
    }
    void SetUp() override { _baseline = TestEnvironment::threadCount(); }
    void TearDown() override {
        player().setPlayingMusic(nullptr);
        runFor(50);
        EXPECT_TRUE(runUntil([&] { return TestEnvironment::threadCount() <= _baseline; }, 2000))
            << TestEnvironment::threadCount() << " threads, " << _baseline << " before";
    }
    static QVAudioPlayer& player() { return QVAudioPlayer::shareAudioPlayer(); }

    int _baseline = 0;
};

TEST_F(QVAudioPlayerTest, FourSecondSinePlaysToTheEnd) {
    PlayerLog log;
    player().setPlayingMusic(rowFor(sineWav(QStringLiteral("player-4s.wav"), 4.0)));
    player().play();
    ASSERT_TRUE(runUntil([&] { return log.ended(); }, 8000));

    const auto starts = log.named(Notifications::kPlayStart);
    ASSERT_EQ(starts.size(), 1u);
    const auto progress = log.named(Notifications::kPlayProgress);
    ASSERT_GT(progress.size(), 10u);
    const double seconds = (progress.back().atMs - progress.front().atMs) / 1000.0;
    const double perSecond = (progress.size() - 1) / seconds;
    EXPECT_GT(perSecond, 20.0);
    EXPECT_LT(perSecond, 26.0);

    const std::vector<double> times = log.times();
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i], times[i - 1]) << "report " << i;
    EXPECT_GT(times.back(), 3.4);
    EXPECT_LT(times.back(), 3.6);

    const auto ends = log.named(Notifications::kPlayEnd);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_FALSE(endedByUser(ends[0]));
    EXPECT_EQ(ends[0]
                  .info.value(QString::fromLatin1(Notifications::kMusicInfoKey))
                  .value<std::shared_ptr<QVMusicInfo>>()
                  ->strFilePath,
              sineWav(QStringLiteral("player-4s.wav"), 4.0));
    EXPECT_FALSE(player().isPlaying());
    EXPECT_EQ(player().playingMusic(), nullptr);
}

TEST_F(QVAudioPlayerTest, PlayAfterPauseResumesWhereItStopped) {
    PlayerLog log;
    player().setPlayingMusic(rowFor(sineWav(QStringLiteral("player-8s.wav"), 8.0)));
    player().play();
    ASSERT_TRUE(runUntil([&] { return !log.times().empty() && log.times().back() > 1.0; }, 5000));

    player().pause();
    const VideoState* state = player().decoder()->videoState();
    const double pausedAt = player().decoder()->curDecodeTime();
    const size_t reportsBefore = log.count();
    runFor(600);
    EXPECT_EQ(log.count(), reportsBefore) << "reports while paused";
    EXPECT_DOUBLE_EQ(player().decoder()->curDecodeTime(), pausedAt);

    player().play();
    EXPECT_EQ(player().decoder()->videoState(), state);
    ASSERT_TRUE(runUntil([&] { return log.count() > reportsBefore + 3; }, 2000));
    const double resumedAt = log.times()[log.times().size() - 4];
    EXPECT_GE(resumedAt, pausedAt);
    EXPECT_LT(resumedAt, pausedAt + 0.3);
    EXPECT_EQ(log.named(Notifications::kPlayStart).size(), 1u);
}

// A paused preview belongs to its row: choosing another row (or none) ends it, and play then
// starts the new row from its beginning, under its own duration.
TEST_F(QVAudioPlayerTest, RowChosenWhilePausedReplacesThePausedPreview) {
    const QString first = sineWav(QStringLiteral("player-8s.wav"), 8.0);
    const QString second = sineWav(QStringLiteral("player-3s.wav"), 3.0);
    const struct Case {
        const char* name;
        QString next; // empty: no row
    } cases[] = {{"another row", second}, {"no row", QString()}};
    const Uint32 audioBefore = SDL_WasInit(SDL_INIT_AUDIO);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerLog log;
        player().setPlayingMusic(rowFor(first));
        player().play();
        ASSERT_TRUE(
            runUntil([&] { return !log.times().empty() && log.times().back() > 1.5; }, 6000));
        player().pause();
        player().setPlayingMusic(c.next.isEmpty() ? nullptr : rowFor(c.next));
        EXPECT_EQ(player().decoder()->videoState(), nullptr);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), audioBefore) << "the audio device is still held";
        EXPECT_TRUE(runUntil([&] { return TestEnvironment::threadCount() <= _baseline; }, 3000))
            << TestEnvironment::threadCount() << " threads, " << _baseline << " before";

        const size_t before = log.count();
        player().play();
        if (c.next.isEmpty()) {
            runFor(300);
            EXPECT_EQ(log.count(), before);
            continue;
        }
        ASSERT_TRUE(runUntil([&] { return log.since(before).size() > 3; }, 5000));
        EXPECT_NEAR(player().decoder()->movieDuration(), 3.0, 0.1);
        ASSERT_TRUE(runUntil([&] { return log.ended(); }, 8000));
        const std::vector<Posted> after = log.since(before);
        ASSERT_GE(after.size(), 3u);
        EXPECT_EQ(after.front().name, QLatin1String(Notifications::kPlayStart));
        EXPECT_EQ(after.back().name, QLatin1String(Notifications::kPlayEnd));
        EXPECT_FALSE(endedByUser(after.back()));
        std::vector<double> times;
        for (const Posted& p : after) {
            EXPECT_EQ(rowPath(p), second) << p.name.toStdString();
            if (p.name == QLatin1String(Notifications::kPlayProgress))
                times.push_back(
                    p.info.value(QString::fromLatin1(Notifications::kProgressInfoKey)).toDouble());
        }
        ASSERT_FALSE(times.empty());
        EXPECT_LT(times.front(), 1.0) << "the new row did not start from its beginning";
        EXPECT_GT(times.back(), 2.4);
        EXPECT_LT(times.back(), 3.0);
    }
}

TEST_F(QVAudioPlayerTest, StopMidFileEndsAtOnceOnTheUsersWord) {
    PlayerLog log;
    player().setPlayingMusic(rowFor(sineWav(QStringLiteral("player-8s.wav"), 8.0)));
    player().play();
    ASSERT_TRUE(runUntil([&] { return log.times().size() > 10; }, 5000));
    player().stop();
    const size_t afterStop = log.count();
    runFor(300);

    const auto ends = log.named(Notifications::kPlayEnd);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_TRUE(endedByUser(ends[0]));
    EXPECT_EQ(log.count(), afterStop);
    EXPECT_FALSE(player().isPlaying());
    EXPECT_EQ(player().decoder()->videoState(), nullptr);
}

TEST_F(QVAudioPlayerTest, PlayWithoutRowDoesNothing) {
    PlayerLog log;
    player().setPlayingMusic(nullptr);
    player().play();
    runFor(200);
    EXPECT_EQ(log.count(), 0u);
    EXPECT_FALSE(player().isPlaying());
}

TEST_F(QVAudioPlayerTest, UnplayableRowsEndInsteadOfPlayingForEver) {
    const QString junk = ProbeSamples::folder() + QStringLiteral("/player-junk.mp3");
    MediaFixtures::writeBytes(junk, MediaFixtures::randomBytes(30000, 11));
    struct Case {
        const char* name;
        QString path;
        const char* driver;
    } cases[] = {
        {"random bytes", junk, "dummy"},
        {"no audio device", sineWav(QStringLiteral("player-4s.wav"), 4.0), "no-such-driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        PlayerLog log;
        player().setPlayingMusic(rowFor(c.path));
        player().play();
        EXPECT_TRUE(runUntil([&] { return log.ended(); }, 3000));
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        const auto ends = log.named(Notifications::kPlayEnd);
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_FALSE(endedByUser(ends[0]));
        EXPECT_FALSE(player().isPlaying());
    }
}

// The header promises ten seconds, the data stops after four: the time stops moving and
// the stall rule ends playback.
TEST_F(QVAudioPlayerTest, CutXingMp3EndsByTheStallRule) {
    const QString whole = ProbeSamples::folder() + QStringLiteral("/player-xing.mp3");
    if (!QFile::exists(whole))
        MediaFixtures::makeSine(whole, 10.0, 44100, 2,
                                {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                                 QStringLiteral("-q:a"), QStringLiteral("4")});
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.contains("Xing") || bytes.contains("Info"));
    const QString cut = ProbeSamples::folder() + QStringLiteral("/player-xing-cut.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(cut, bytes.left(bytes.size() * 2 / 5)));

    PlayerLog log;
    player().setPlayingMusic(rowFor(cut));
    player().play();
    ASSERT_TRUE(runUntil([&] { return log.ended(); }, 9000));
    const std::vector<double> times = log.times();
    ASSERT_FALSE(times.empty());
    EXPECT_GT(times.back(), 3.5);
    EXPECT_LT(times.back(), 4.5);
    EXPECT_FALSE(endedByUser(log.named(Notifications::kPlayEnd)[0]));
}

} // namespace
