#include "support/MediaFixtures.h"
#include "support/ProbeSamples.h"
#include "support/TestEnvironment.h"

#include "player/player_core.h"
#include "player/player_internal.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

// The preview core played headless through SDL's dummy (or disk) audio driver.
namespace {

struct StateClose {
    void operator()(VideoState* is) const { player_close(is); }
};
using StatePtr = std::unique_ptr<VideoState, StateClose>;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Polls the predicate every intervalMs until it holds or timeoutMs of real time have gone.
template <typename Predicate>
bool waitFor(Predicate predicate, int timeoutMs, int intervalMs = 10) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (predicate())
            return true;
        sleepMs(intervalMs);
    }
    return predicate();
}

StatePtr startPreview(const QString& path) {
    StatePtr is(player_alloc_state());
    const QByteArray utf8 = path.toUtf8();
    std::strncpy(is->filename, utf8.constData(), sizeof(is->filename) - 1);
    is->show_mode = PLAYER_SHOW_MODE_NONE;
    player_start_time = 0;
    if (!player_start(is.get()))
        (void)is.release();
    return is;
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : _name(name) {
        if (const char* old = std::getenv(name))
            _old = old;
        _had = std::getenv(name) != nullptr;
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (_had)
            setenv(_name, _old.c_str(), 1);
        else
            unsetenv(_name);
    }

private:
    const char* _name;
    std::string _old;
    bool _had = false;
};

QString sine(const QString& name, double seconds, int rate, int channels,
             const QStringList& extra = {}) {
    const QString path = ProbeSamples::folder() + u'/' + name;
    if (!QFile::exists(path))
        MediaFixtures::makeSine(path, seconds, rate, channels, extra);
    return path;
}

QString mp3Sine(const QString& name, double seconds) {
    return sine(name, seconds, 44100, 2,
                {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-q:a"),
                 QStringLiteral("4")});
}

// Four seconds of noisy 640x480 pictures: about 12 MB a second, so pictures left lying in
// their queue would stop the reader (and the sound) within two seconds.
QString heavyVideoMp4() {
    const QString path = ProbeSamples::folder() + QStringLiteral("/heavy-video.mp4");
    if (!QFile::exists(path))
        MediaFixtures::runFfmpeg(
            {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc2=size=640x480:rate=25:duration=4,noise=alls=100:allf=t"),
             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("sine=frequency=440:sample_rate=48000:duration=4"),
             QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
             QStringLiteral("1"), QStringLiteral("-c:a"), QStringLiteral("aac"),
             QStringLiteral("-ac"), QStringLiteral("2"), path});
    return path;
}

class PreviewCoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        av_log_set_level(AV_LOG_QUIET);
        player_global_init();
        // A sanitizer starts its helper thread with the first thread of the process: let
        // that happen before any thread count is taken.
        std::thread([] {}).join();
    }
    void TearDown() override { player_set_audio_device_opener({}); }
};

struct SourceCase {
    const char* name;
    QString (*path)();
    int deviceRate;
    int deviceChannels;
};

void PrintTo(const SourceCase& c, std::ostream* os) {
    *os << c.name;
}

std::string caseName(const ::testing::TestParamInfo<SourceCase>& info) {
    return info.param.name;
}

class PreviewSourceTest : public PreviewCoreTest,
                          public ::testing::WithParamInterface<SourceCase> {};

// Each source plays: time passes at about the speed of the clock, in the source's own rate
// and channel count, and closing returns every thread.
TEST_P(PreviewSourceTest, PlaysAtItsOwnRateAndChannels) {
    const SourceCase& c = GetParam();
    const QString path = c.path();
    const int baseline = TestEnvironment::threadCount();
    {
        StatePtr is = startPreview(path);
        ASSERT_TRUE(is);
        ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > 0.2; }, 5000));
        const double from = player_current_time(is.get());
        sleepMs(1000);
        const double played = player_current_time(is.get()) - from;
        EXPECT_GT(played, 0.7);
        EXPECT_LT(played, 1.3);
        EXPECT_EQ(is->audio_tgt.freq, c.deviceRate);
        EXPECT_EQ(is->audio_tgt.channels, c.deviceChannels);
        EXPECT_FALSE(player_has_failed(is.get()));
    }
    EXPECT_TRUE(waitFor([&] { return TestEnvironment::threadCount() <= baseline; }, 2000))
        << TestEnvironment::threadCount() << " threads, " << baseline << " before";
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PreviewSourceTest,
    ::testing::Values(
        SourceCase{"Wav44100Mono", [] { return sine("mono-44100.wav", 4, 44100, 1); }, 44100, 1},
        SourceCase{"Flac48000SixChannels", [] { return sine("six-48000.flac", 4, 48000, 6); },
                   48000, 6},
        SourceCase{"Mp3Stereo", [] { return mp3Sine("stereo.mp3", 4); }, 44100, 2},
        SourceCase{"VideoWithAacMono", [] { return ProbeSamples::videoAndAudioMp4(); }, 22050, 1}),
    caseName);

TEST_F(PreviewCoreTest, VideoFilePlaysItsAudioToTheEnd) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer cannot demux 12 MB of pictures a second in real time; "
                    "the light video case covers the picture threads there";
#endif
    StatePtr is = startPreview(heavyVideoMp4());
    ASSERT_TRUE(is);
    EXPECT_TRUE(waitFor([&] { return player_current_time(is.get()) > 3.7; }, 7000))
        << player_current_time(is.get());
    // Pictures were taken in step with the sound (slower under the sanitizers).
    EXPECT_GT(is->video_current_pts, 1.0);
}

// The last samples of a file reach the device: the time comes to rest at the file's end.
TEST_F(PreviewCoreTest, PlaybackRunsToTheLastSample) {
    struct Case {
        const char* name;
        QString path;
    };
    const Case cases[] = {
        {"flac", sine("end-2s.flac", 2, 44100, 2)},
        {"mp3", mp3Sine("end-2s.mp3", 2)},
        {"wav", sine("end-2s.wav", 2, 44100, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatePtr is = startPreview(c.path);
        ASSERT_TRUE(is);
        ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > 1.0; }, 5000));
        // Resting: unchanged over a fifth of a second (several device callbacks).
        double last = -1.0;
        ASSERT_TRUE(waitFor(
            [&] {
                const double now = player_current_time(is.get());
                const bool resting = now == last;
                last = now;
                return resting;
            },
            8000, 200));
        EXPECT_NEAR(last, 2.0, 0.1);
    }
}

TEST_F(PreviewCoreTest, SeekRequestsMoveForwardAndBack) {
    StatePtr is = startPreview(sine("seek-10s.wav", 10, 44100, 2));
    ASSERT_TRUE(is);
    ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > 0.3; }, 5000));

    player_seek_to_time(is.get(), 7.0);
    EXPECT_TRUE(waitFor([&] { return player_current_time(is.get()) >= 7.0; }, 3000))
        << player_current_time(is.get());
    EXPECT_LT(player_current_time(is.get()), 8.0);

    player_seek_to_time(is.get(), 2.0);
    EXPECT_TRUE(waitFor([&] { return player_current_time(is.get()) < 3.0; }, 3000))
        << player_current_time(is.get());
    EXPECT_GE(player_current_time(is.get()), 1.9);
}

TEST_F(PreviewCoreTest, PausedDeviceHoldsThePosition) {
    StatePtr is = startPreview(sine("pause-6s.wav", 6, 44100, 2));
    ASSERT_TRUE(is);
    ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > 0.5; }, 5000));
    player_pause_audio(is.get(), 1);
    const double paused = player_current_time(is.get());
    sleepMs(500);
    EXPECT_DOUBLE_EQ(player_current_time(is.get()), paused);
    player_pause_audio(is.get(), 0);
    EXPECT_TRUE(waitFor([&] { return player_current_time(is.get()) > paused + 0.3; }, 3000));
}

// SDL's disk driver writes what the device is given: a 440 Hz tone, not silence, at the
// source's rate.
TEST_F(PreviewCoreTest, SamplesReachTheDevice) {
    const QString raw = ProbeSamples::folder() + QStringLiteral("/device.raw");
    QFile::remove(raw);
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", raw.toUtf8().constData());
    constexpr int kRate = 48000;
    constexpr int kSeconds = 4;
    {
        StatePtr is = startPreview(sine("tone-48000.wav", kSeconds, kRate, 1));
        ASSERT_TRUE(is);
        ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > kSeconds - 0.05; }, 15000))
            << player_current_time(is.get());
        EXPECT_EQ(is->audio_tgt.freq, kRate);
        sleepMs(300); // the device's last buffers reach the file
    }
    QFile written(raw);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    const auto* pcm = reinterpret_cast<const int16_t*>(bytes.constData());
    const std::vector<int16_t> samples(pcm, pcm + bytes.size() / 2);
    // The tone lies between the first and the last loud sample: all of it, with no gap (a
    // sine is near zero for only a few samples around each crossing).
    const auto loud = [](int16_t sample) { return std::abs(sample) >= 1000; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    ASSERT_NE(first, samples.end()) << "only silence was written";
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    EXPECT_NEAR(last - first, kSeconds * kRate, kRate / 100);
    int crossings = 0, peak = 0, quietRun = 0, longestQuietRun = 0;
    for (auto it = first + 1; it < last; ++it) {
        crossings += it[-1] < 0 && it[0] >= 0;
        peak = std::max(peak, std::abs(int(*it)));
        quietRun = loud(*it) ? 0 : quietRun + 1;
        longestQuietRun = std::max(longestQuietRun, quietRun);
    }
    EXPECT_NEAR(crossings, 440 * kSeconds, 3);
    EXPECT_GT(peak, 4000);
    EXPECT_LT(longestQuietRun, 20) << "a gap in the tone";
}

// Until the audio component is ready the owner cannot see the device: a resume in that
// window would run the callback with no decoder and no channel count.
TEST_F(PreviewCoreTest, OpenedDeviceStaysOutOfTheOwnersReachUntilReady) {
    StatePtr is(player_alloc_state());
    const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SDL_AudioDeviceID device = 0;
    ASSERT_GT(player_audio_open(is.get(), &stereo, 44100, &is->audio_tgt, &device), 0);
    ASSERT_NE(device, 0u);
    player_pause_audio(is.get(), 0);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(device), SDL_AUDIO_PAUSED);
    player_audio_publish(is.get(), device);
    EXPECT_EQ(is->audio_dev, device);
}

TEST_F(PreviewCoreTest, ChannelCountsAreRetriedInOrder) {
    struct Case {
        const char* name;
        int acceptUpTo; // the fake device takes at most this many channels; 0 takes none
        std::vector<int> tried;
        bool plays;
    } cases[] = {
        {"refuses all", 0, {6, 4, 2, 1}, false},
        {"takes stereo", 2, {6, 4, 2}, true},
    };
    ScopedEnv channels("SDL_AUDIO_CHANNELS", "6");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> tried;
        player_set_audio_device_opener([&](const SDL_AudioSpec& wanted, SDL_AudioSpec* obtained) {
            tried.push_back(wanted.channels);
            if (wanted.channels > c.acceptUpTo) {
                SDL_SetError("refused");
                return SDL_AudioDeviceID(0);
            }
            return SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained, 0);
        });
        ::testing::internal::CaptureStderr();
        StatePtr is = startPreview(sine("stereo-44100.wav", 4, 44100, 2));
        ASSERT_TRUE(is);
        ASSERT_TRUE(waitFor(
            [&] { return player_has_failed(is.get()) || player_current_time(is.get()) > 0.2; },
            5000));
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(tried, c.tried);
        EXPECT_EQ(player_has_failed(is.get()), !c.plays);
        EXPECT_NE(log.find("SDL_OpenAudio (6 channels): refused"), std::string::npos) << log;
        EXPECT_EQ(log.find("No more channel combinations to try, audio open failed") !=
                      std::string::npos,
                  !c.plays)
            << log;
        if (c.plays) {
            EXPECT_EQ(is->audio_tgt.channels, 2);
        }
    }
}

TEST_F(PreviewCoreTest, UnplayableInputsFailWithoutHanging) {
    struct Case {
        const char* name;
        QString path;
        const char* driver;
    };
    const QString junk = ProbeSamples::folder() + QStringLiteral("/junk.mp3");
    MediaFixtures::writeBytes(junk, MediaFixtures::randomBytes(20000));
    const Case cases[] = {
        {"missing file", ProbeSamples::folder() + QStringLiteral("/none.wav"), "dummy"},
        {"random bytes", junk, "dummy"},
        {"no audio driver", sine("stereo-44100.wav", 4, 44100, 2), "no-such-driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv driver("SDL_AUDIODRIVER", c.driver);
        const int baseline = TestEnvironment::threadCount();
        {
            StatePtr is = startPreview(c.path);
            ASSERT_TRUE(is);
            EXPECT_TRUE(waitFor([&] { return player_has_failed(is.get()); }, 5000));
        }
        EXPECT_TRUE(waitFor([&] { return TestEnvironment::threadCount() <= baseline; }, 2000));
    }
}

// Bytes overwritten in the middle of an MP3: decoding skips the damage and goes on (run
// under AddressSanitizer too).
TEST_F(PreviewCoreTest, CorruptedMp3KeepsPlaying) {
    QFile source(mp3Sine("whole-6s.mp3", 6));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    for (int i = 0; i < 4000; ++i)
        bytes[bytes.size() / 4 + i] = char((i * 37) & 0xff);
    const QString path = ProbeSamples::folder() + QStringLiteral("/corrupted.mp3");
    ASSERT_TRUE(MediaFixtures::writeBytes(path, bytes));
    StatePtr is = startPreview(path);
    ASSERT_TRUE(is);
    EXPECT_TRUE(waitFor([&] { return player_current_time(is.get()) > 2.5; }, 6000))
        << player_current_time(is.get());
}

// Whatever the state has reached, closing it gives back every thread and the audio device.
TEST_F(PreviewCoreTest, ClosingIsHarmlessForAnyState) {
    enum class Reached { Nothing, Allocated, Started, Playing, Paused };
    const struct Case {
        const char* name;
        Reached reached;
    } cases[] = {{"null state", Reached::Nothing},
                 {"never started", Reached::Allocated},
                 {"closed at once", Reached::Started},
                 {"closed while playing", Reached::Playing},
                 {"closed while paused", Reached::Paused}};
    const QString path = sine("stereo-44100.wav", 4, 44100, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int baseline = TestEnvironment::threadCount();
        const Uint32 audio = SDL_WasInit(SDL_INIT_AUDIO);
        StatePtr is(c.reached == Reached::Allocated ? player_alloc_state() : nullptr);
        if (c.reached >= Reached::Started) {
            is = startPreview(path);
            ASSERT_TRUE(is);
        }
        if (c.reached >= Reached::Playing) {
            ASSERT_TRUE(waitFor([&] { return player_current_time(is.get()) > 0.3; }, 5000));
        }
        if (c.reached == Reached::Paused)
            player_pause_audio(is.get(), 1);
        if (c.reached == Reached::Nothing)
            player_close(nullptr);
        is.reset();
        EXPECT_TRUE(waitFor([&] { return TestEnvironment::threadCount() <= baseline; }, 3000))
            << TestEnvironment::threadCount() << " threads, " << baseline << " before";
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), audio);
    }
}

} // namespace
