// The argument vectors a conversion job passes to the ffmpeg program, for every catalogue
// format and choice, read through this table: no option error, and the per-file values the
// job meant.
#include "OptionTestSupport.h"

#include "engine/ConvertOperation.h"
#include "engine/QVDataEngine.h"
#include "engine/QVEncoderLimits.h"
#include "platform/NumberText.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/eval.h>
}

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const char kUseSource[] = "Use Source";
constexpr int kSourceRate = 44100;
constexpr int kSourceChannels = 2;

// What the output word received: the record written before it and the codec options then.
struct CapturedOutput {
    int count = 0;
    std::string word;
    PerFileOptions options;
    DictionaryPtr codecOptions;
};
CapturedOutput gOutput;

void captureOutput(PerFileOptions* o, const char* word) {
    ++gOutput.count;
    gOutput.word = word;
    gOutput.options = *o;
    AVDictionary* copy = nullptr;
    av_dict_copy(&copy, tool_codec_options, 0);
    gOutput.codecOptions.reset(copy);
    tc_reset_file_options(o, 0);
}

// One run of a job: the media description, and a label for messages.
struct JobCase {
    std::string label;
    LSMediaFields media;
};

LSMediaFields mediaFor(const QVFormatSetting& format, const QString& source, const QString& rate,
                       const QString& bitrate, const QString& channels, bool trimmed) {
    LSMediaFields m;
    m.strMediaFilePath_ = source;
    m.vOACodecName = format.decodecName;
    m.dAOSamplerate =
        rate == QLatin1String(kUseSource) ? kSourceRate : NumberText::doubleValue(rate);
    m.dAOBitrate = bitrate == QLatin1String(kUseSource)
                       ? kSourceRate * kSourceChannels * 16 / 1000.0
                       : NumberText::doubleValue(bitrate);
    if (channels == QLatin1String(kUseSource))
        m.iAOChanels = kSourceChannels;
    else
        m.iAOChanels = channels == QLatin1String("Stereo") ? 2 : 1;
    m.dMovieStartTime = 0.5;
    m.dMovieDuration = 10.0;
    m.dTrimStart = trimmed ? 1.75 : 0.5;
    m.dTrimLength = trimmed ? 2.125 : 10.0;
    return m;
}

// Every format with its defaults, then with each offered rate, bitrate and channel choice,
// each once whole and once trimmed.
std::vector<JobCase> everyCatalogueJob(const QString& source) {
    std::vector<JobCase> jobs;
    auto add = [&](const QVFormatSetting& f, const QString& rate, const QString& bitrate,
                   const QString& channels) {
        for (const bool trimmed : {false, true}) {
            const QString label = QStringLiteral("%1: %2 Hz, %3 kbit/s, %4%5")
                                      .arg(f.fmtName, rate, bitrate, channels,
                                           trimmed ? QStringLiteral(", trimmed") : QString());
            jobs.push_back(
                {label.toStdString(), mediaFor(f, source, rate, bitrate, channels, trimmed)});
        }
    };
    for (const QVFormatSetting& f : QVDataEngine::shareInstance().audioFormats()) {
        add(f, f.sampleRate, f.biteRate, f.channels);
        for (const QString& rate : f.arySampleRate)
            add(f, rate, f.biteRate, f.channels);
        for (const QString& bitrate : f.aryBiteRate)
            add(f, f.sampleRate, bitrate, f.channels);
        for (const QString& channels : f.aryChannels)
            add(f, f.sampleRate, f.biteRate, channels);
    }
    return jobs;
}

int64_t microseconds(double seconds) {
    return std::llround(seconds * 1e6);
}

class JobArguments : public OptionTest {
protected:
    static void SetUpTestSuite() {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("job"));
        s_source = folder + QStringLiteral("/-in put 'é' \"q\".wav");
        s_output = folder + QStringLiteral("/-out put é.mp3");
        ASSERT_TRUE(MediaFixtures::makeSine(s_source, 0.3, kSourceRate, kSourceChannels,
                                            {QStringLiteral("-f"), QStringLiteral("wav")}));
    }

    // Parses the job's vector as the ffmpeg program would, capturing the output's options.
    static std::optional<int> parseJob(const LSMediaFields& m) {
        gOutput = CapturedOutput{};
        const QStringList args =
            ConvertOperation::argumentVector(m, QStringLiteral("ffmpeg"), s_output);
        std::vector<std::string> words;
        for (const QString& arg : args.mid(1))
            words.push_back(arg.toStdString());
        PerFileOptions o;
        return exitStatusOf([&] { parseWords(&o, words, captureOutput); });
    }

    static void expectMeant(const LSMediaFields& m) {
        const TranscoderState& state = tc_state();
        ASSERT_EQ(state.input_files.size(), 1u);
        EXPECT_EQ(std::string(state.input_files[0]->ctx->url),
                  "file:" + m.strMediaFilePath_.toStdString());
        ASSERT_EQ(gOutput.count, 1);
        EXPECT_EQ(gOutput.word, "file:" + s_output.toStdString());
        const PerFileOptions& out = gOutput.options;

        if (ConvertOperation::trimIsNarrowerThanFile(m)) {
            EXPECT_EQ(out.start_time, microseconds(m.dTrimStart - m.dMovieStartTime));
            EXPECT_EQ(out.recording_time, microseconds(m.dTrimLength));
        } else {
            EXPECT_EQ(out.start_time, 0);
            EXPECT_EQ(out.recording_time, INT64_MAX);
        }
        const std::string codec = m.vOACodecName.toStdString();
        EXPECT_EQ(listText(out.codec_names), codec.empty() ? "" : "a=" + codec + ";");
        EXPECT_EQ(state.audio_codec_name, codec);
        const long rate =
            std::lround(QVEncoderLimits::sampleRateFor(m.vOACodecName, m.dAOSamplerate));
        EXPECT_EQ(listText(out.audio_sample_rate), "=" + std::to_string(rate) + ";");
        const int channels = QVEncoderLimits::channelsFor(m.vOACodecName, m.iAOChanels);
        EXPECT_EQ(listText(out.audio_channels), "=" + std::to_string(channels) + ";");
        const std::string bitrate = dictValue(gOutput.codecOptions.get(), "b:a");
        EXPECT_NEAR(av_strtod(bitrate.c_str(), nullptr), m.dAOBitrate * 1000, 5.0) << bitrate;
        EXPECT_EQ(out.video_disable, 1);
        EXPECT_EQ(state.file_overwrite, 1);
    }

    static inline QString s_source;
    static inline QString s_output;
};

TEST_F(JobArguments, EveryCatalogueJobParsesToTheValuesItMeant) {
    const std::vector<JobCase> jobs = everyCatalogueJob(s_source);
    ASSERT_GT(jobs.size(), 50u);
    for (const JobCase& job : jobs) {
        SCOPED_TRACE(job.label);
        LogCapture log;
        const std::optional<int> status = parseJob(job.media);
        ASSERT_FALSE(status) << "ended with " << *status << ": " << log.str();
        expectMeant(job.media);
        resetTranscoderState();
    }
}

} // namespace
