// Whole command lines with real inputs: which options reach which file, and the argument
// vectors a conversion job passes to the ffmpeg program, for every catalogue format and
// choice, read through this table without an error and with the values the job meant.
#include "OptionTestSupport.h"

#include "engine/ConvertOperation.h"
#include "engine/QVDataEngine.h"
#include "engine/QVEncoderLimits.h"
#include "platform/NumberText.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/eval.h>
}

#include <cmath>
#include <string>
#include <vector>

namespace {

// Each output word: its name, the record written before it, and the codec options then.
struct Output {
    std::string name;
    PerFileOptions options;
    DictionaryPtr codecOptions;
};
std::vector<Output> gOutputs;

void collectOutput(PerFileOptions* o, const char* word) {
    AVDictionary* codecOptions = nullptr;
    av_dict_copy(&codecOptions, tool_codec_options, 0);
    gOutputs.push_back({word, *o, DictionaryPtr(codecOptions)});
    tc_reset_file_options(o, 0);
}

class CommandLines : public OptionTest {
protected:
    static void SetUpTestSuite() { avdevice_register_all(); }
    void SetUp() override {
        OptionTest::SetUp();
        gOutputs.clear();
    }
    void TearDown() override {
        gOutputs.clear();
        OptionTest::TearDown();
    }
};

const char kSine[] = "sine=frequency=440:sample_rate=8000:duration=0.2";

TEST_F(CommandLines, RecordingTimeBeforeAnInputGoesToTheNextOutputOnly) {
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-t", "5", "-f", "lavfi", "-i", kSine, "one.wav", "two.wav"}, collectOutput);
    ASSERT_EQ(gOutputs.size(), 2u);
    EXPECT_EQ(gOutputs[0].options.recording_time, 5000000);
    EXPECT_EQ(gOutputs[1].options.recording_time, INT64_MAX);
    const std::string warning = "-t is not an input option, keeping it for the next output; "
                                "consider fixing your command line.\n";
    EXPECT_NE(log.str().find(warning), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find(warning), log.str().rfind(warning));
}

TEST_F(CommandLines, OptionsBeforeEachFileStayWithThatFile) {
    PerFileOptions o;
    parseWords(&o,
               {"-itsoffset", "1", "-f", "lavfi", "-i", kSine, "-c:a", "flac", "-map", "0:a",
                "out one.flac", "-ac", "1", "out two.wav"},
               collectOutput);
    ASSERT_EQ(gOutputs.size(), 2u);
    const PerFileOptions& one = gOutputs[0].options;
    EXPECT_EQ(gOutputs[0].name + "|" + one.format + "|" + std::to_string(one.input_ts_offset) +
                  "|" + listText(one.codec_names) + std::to_string(one.stream_maps.size()),
              "out one.flac||0|a=flac;1");
    const PerFileOptions& two = gOutputs[1].options;
    EXPECT_EQ(gOutputs[1].name + "|" + listText(two.codec_names) + listText(two.audio_channels) +
                  std::to_string(two.stream_maps.size()),
              "out two.wav|=1;0");
}

constexpr int kSourceRate = 44100;
constexpr int kSourceChannels = 2;

double choiceValue(const QString& choice, double sourceValue) {
    return choice == QLatin1String("Use Source") ? sourceValue : NumberText::doubleValue(choice);
}

LSMediaFields mediaFor(const QVFormatSetting& f, const QString& rate, const QString& bitrate,
                       const QString& channels, bool trimmed) {
    LSMediaFields m;
    m.vOACodecName = f.decodecName;
    m.dAOSamplerate = choiceValue(rate, kSourceRate);
    m.dAOBitrate = choiceValue(bitrate, kSourceRate * kSourceChannels * 16 / 1000.0);
    m.iAOChanels = channels == QLatin1String("Use Source") ? kSourceChannels
                   : channels == QLatin1String("Stereo")   ? 2
                                                           : 1;
    m.dMovieStartTime = 0.5;
    m.dMovieDuration = 10.0;
    m.dTrimStart = trimmed ? 1.75 : 0.5;
    m.dTrimLength = trimmed ? 2.125 : 10.0;
    return m;
}

// Every format with its defaults and with each offered rate, bitrate and channel choice,
// each whole and trimmed.
std::vector<LSMediaFields> everyCatalogueJob(const QString& source) {
    std::vector<LSMediaFields> jobs;
    auto add = [&](const QVFormatSetting& f, const QString& rate, const QString& bitrate,
                   const QString& channels) {
        for (const bool trimmed : {false, true}) {
            jobs.push_back(mediaFor(f, rate, bitrate, channels, trimmed));
            jobs.back().strMediaFilePath_ = source;
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

void expectWhatTheJobMeant(const LSMediaFields& m, const std::string& source,
                           const std::string& output) {
    ASSERT_EQ(tc_state().input_files.size(), 1u);
    EXPECT_EQ(tc_state().input_files[0]->ctx->url, "file:" + source);
    ASSERT_EQ(gOutputs.size(), 1u);
    EXPECT_EQ(gOutputs[0].name, "file:" + output);
    const PerFileOptions& out = gOutputs[0].options;
    const bool trimmed = ConvertOperation::trimIsNarrowerThanFile(m);
    EXPECT_EQ(out.start_time, trimmed ? std::llround((m.dTrimStart - m.dMovieStartTime) * 1e6) : 0);
    EXPECT_EQ(out.recording_time, trimmed ? std::llround(m.dTrimLength * 1e6) : INT64_MAX);
    const std::string codec = m.vOACodecName.toStdString();
    EXPECT_EQ(listText(out.codec_names), codec.empty() ? "" : "a=" + codec + ";");
    EXPECT_EQ(tc_state().audio_codec_name, codec);
    const double rate = QVEncoderLimits::sampleRateFor(m.vOACodecName, m.dAOSamplerate);
    EXPECT_EQ(listText(out.audio_sample_rate), "=" + std::to_string(std::lround(rate)) + ";");
    const int channels = QVEncoderLimits::channelsFor(m.vOACodecName, m.iAOChanels);
    EXPECT_EQ(listText(out.audio_channels), "=" + std::to_string(channels) + ";");
    const std::string bitrate = dictValue(gOutputs[0].codecOptions.get(), "b:a");
    EXPECT_NEAR(av_strtod(bitrate.c_str(), nullptr), m.dAOBitrate * 1000, 5.0) << bitrate;
    EXPECT_EQ(out.video_disable, 1);
    EXPECT_EQ(tc_state().file_overwrite, 1);
}

TEST_F(CommandLines, EveryCatalogueJobParsesToTheValuesItMeant) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("job"));
    const QString source = folder + "/-in put 'é' \"q\".wav";
    const QString output = folder + "/-out put é.mp3";
    ASSERT_TRUE(MediaFixtures::makeSine(source, 0.3, kSourceRate, kSourceChannels, {"-f", "wav"}));
    const std::vector<LSMediaFields> jobs = everyCatalogueJob(source);
    ASSERT_GT(jobs.size(), 50u);
    for (const LSMediaFields& m : jobs) {
        const QStringList args = ConvertOperation::argumentVector(m, "ffmpeg", output);
        SCOPED_TRACE(args.join(u' ').toStdString());
        std::vector<std::string> words;
        for (const QString& arg : args.mid(1))
            words.push_back(arg.toStdString());
        LogCapture log;
        PerFileOptions o;
        const auto status = exitStatusOf([&] { parseWords(&o, words, collectOutput); });
        ASSERT_FALSE(status) << "ended with " << *status << ": " << log.str();
        expectWhatTheJobMeant(m, source.toStdString(), output.toStdString());
        resetTranscoderState();
        gOutputs.clear();
    }
}

} // namespace
