#include "support/ProbeSamples.h"

#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "player/player_core.h"
#include "player/tool_helpers.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Outcome {
    int errorCode;
    QString codec;
    double rate;
    int channels;
    double duration;

    bool operator==(const Outcome&) const = default;
};

Outcome probeOnce(LSMediaDecoder& decoder, const QString& path) {
    LSMedia media;
    decoder.dumpMediaStreamInfoWithFileMedia(path, media);
    return {media.eumErrorCode, media.strACodecName, media.dSamplerate, media.iChanels,
            media.dMovieDuration};
}

// Four loaders probe at once, each with its own decoder: they must agree with a probe made
// alone, and (under ThreadSanitizer) touch no shared state without order.
TEST(LSMediaDecoderThreadsTest, FourThreadsProbeAtOnce) {
    av_log_set_level(AV_LOG_QUIET);
    player_global_init();
    // A codec option with a stream specifier makes every probe walk the shared options.
    av_dict_set(&tool_codec_options, "threads:a", "1", 0);

    QStringList paths;
    for (const ProbeSample& sample : ProbeSamples::catalogue())
        paths << sample.path;
    paths << ProbeSamples::videoAndAudioMp4() << ProbeSamples::subtitleOnlySrt()
          << ProbeSamples::wav(2.9) << ProbeSamples::folder() + QStringLiteral("/missing.wav");

    std::vector<Outcome> expected;
    LSMediaDecoder alone;
    for (const QString& path : paths)
        expected.push_back(probeOnce(alone, path));

    constexpr int kThreads = 4;
    constexpr int kRounds = 3;
    std::vector<std::vector<Outcome>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            LSMediaDecoder decoder;
            for (int round = 0; round < kRounds; ++round) {
                // Each thread starts at a different file so the same file is opened twice
                // at once now and then.
                for (int i = 0; i < int(paths.size()); ++i)
                    seen[t].push_back(probeOnce(decoder, paths[(i + t) % int(paths.size())]));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), size_t(kRounds * paths.size()));
        for (size_t k = 0; k < seen[t].size(); ++k) {
            const size_t file = (k % paths.size() + size_t(t)) % paths.size();
            EXPECT_EQ(seen[t][k], expected[file]) << paths[int(file)].toStdString();
        }
    }
    // Probing reads the shared options and never writes them.
    EXPECT_EQ(av_dict_count(tool_codec_options), 1);
    EXPECT_STREQ(av_dict_get(tool_codec_options, "threads:a", nullptr, 0)->value, "1");
    av_dict_free(&tool_codec_options);
}

} // namespace
