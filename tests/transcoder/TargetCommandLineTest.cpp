// Whole command lines read through the option table, with each output word opening its file:
// complex graph outputs bound by label or to the next file, and the conversion job's own
// argument vectors down to a configured graph.

#include "TargetFilesTestSupport.h"

#include "engine/ConvertOperation.h"
#include "transcoder/filter_graphs.h"
#include "transcoder/option_table.h"
#include "transcoder/target_files.h"
#include "transcoder/tool_parser.h"

extern "C" {
#include <libavfilter/buffersink.h>
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct GraphCase {
    const char* description;
    std::vector<std::string> words;                    // "OUT" stands for the output file
    std::vector<std::pair<AVMediaType, int>> expected; // type and source (-1: a graph)
    const char* fatal;
};

void PrintTo(const GraphCase& c, std::ostream* out) {
    *out << c.description;
}

class GraphOutputs : public TargetFilesFixtures, public ::testing::WithParamInterface<GraphCase> {};

TEST_P(GraphOutputs, AreBoundToTheirStreams) {
    const GraphCase& c = GetParam();
    std::vector<std::string> words = {"-f", "lavfi", "-i", "aevalsrc=0|0:d=0.5",
                                      "-f", "lavfi", "-i", "testsrc=size=64x48:d=0.5"};
    const std::string out = outputPath("out.mkv");
    for (const std::string& word : c.words)
        words.push_back(word == "OUT" ? out : word);

    MessageCapture log;
    const std::optional<int> status = runCommandLine(words);
    if (c.fatal) {
        EXPECT_EQ(status, 1);
        EXPECT_EQ(log.str(), c.fatal);
        return;
    }
    ASSERT_EQ(status, std::nullopt) << log.str();
    std::vector<std::pair<AVMediaType, int>> made;
    for (const auto& ost : tc_state().output_streams) {
        made.emplace_back(ost->st->codecpar->codec_type, ost->source_index);
        if (ost->source_index >= 0)
            continue;
        ASSERT_NE(ost->filter, nullptr);
        EXPECT_EQ(ost->filter->ost, ost.get());
        EXPECT_EQ(ost->filter->out_tmp, nullptr);
        EXPECT_NE(ost->filter->graph->graph, nullptr);
    }
    EXPECT_EQ(made, c.expected);
}

// clang-format off
const GraphCase kGraphCases[] = {
    {"a labelled output mapped by its label",
     {"-filter_complex", "[0:a]volume=2[loud]", "-map", "[loud]", "OUT"},
     {{AVMEDIA_TYPE_AUDIO, -1}}, nullptr},
    {"an unlabelled output takes the place of its type in the next file",
     {"-filter_complex", "[0:a]volume=2", "OUT"},
     {{AVMEDIA_TYPE_AUDIO, -1}, {AVMEDIA_TYPE_VIDEO, 1}}, nullptr},
    {"a scaled picture and a mapped sound",
     {"-filter_complex", "[1:v]scale=32:24[small]", "-map", "[small]", "-map", "0:a", "OUT"},
     {{AVMEDIA_TYPE_VIDEO, -1}, {AVMEDIA_TYPE_AUDIO, 0}}, nullptr},
    {"a label used twice",
     {"-filter_complex", "[0:a]volume=2[loud]", "-map", "[loud]", "-map", "[loud]", "OUT"}, {},
     "Output with label 'loud' does not exist in any defined filter graph.\n"},
    {"a copy of a graph output",
     {"-filter_complex", "[0:a]volume=2[loud]", "-map", "[loud]", "-c", "copy", "OUT"}, {},
     "Streamcopy requested for output stream 0:0, which is fed from a complex filtergraph. "
     "Filtering and streamcopy cannot be used together.\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, GraphOutputs, ::testing::ValuesIn(kGraphCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

// The conversion job's argument vector for one output format, from a stereo wave source.
struct JobCase {
    const char* description;
    const char* encoder;
    const char* extension;
    double rate;
    int channels;
    double trimStart; // seconds; the source lasts 4 s
    double trimLength;
};

void PrintTo(const JobCase& c, std::ostream* out) {
    *out << c.description;
}

class JobCommandLine : public TargetFilesFixtures, public ::testing::WithParamInterface<JobCase> {};

TEST_P(JobCommandLine, OpensBothFilesAndConfiguresTheGraph) {
    const JobCase& c = GetParam();
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("job"));
    const QString source = folder + QStringLiteral("/-in put 'é'.wav");
    ASSERT_TRUE(MediaFixtures::makeSine(source, 4.0, 44100, 2));
    LSMediaFields media;
    media.strMediaFilePath_ = source;
    media.dMovieDuration = 4.0;
    media.dTrimStart = c.trimStart;
    media.dTrimLength = c.trimLength;
    media.vOACodecName = QString::fromUtf8(c.encoder);
    media.dAOSamplerate = c.rate;
    media.dAOBitrate = 128;
    media.iAOChanels = c.channels;
    const QString output = folder + QStringLiteral("/-out put é.") + c.extension;
    std::vector<std::string> words;
    for (const QString& arg : ConvertOperation::argumentVector(media, "ffmpeg", output).mid(1))
        words.push_back(arg.toStdString());

    MessageCapture log;
    ASSERT_EQ(runCommandLine(words), std::nullopt) << log.str();
    const TranscoderState& state = tc_state();
    ASSERT_EQ(state.input_files.size(), 1u);
    ASSERT_EQ(state.output_files.size(), 1u);
    ASSERT_EQ(state.output_streams.size(), 1u);
    TargetStream* ost = state.output_streams[0].get();
    EXPECT_EQ(ost->source_index, 0);
    ASSERT_NE(ost->enc, nullptr);
    EXPECT_STREQ(ost->enc->name, c.encoder);
    EXPECT_EQ(ost->enc_ctx->sample_rate, static_cast<int>(c.rate));
    EXPECT_EQ(ost->enc_ctx->ch_layout.nb_channels, c.channels);
    const int64_t expectedLength =
        c.trimLength < 4.0 ? static_cast<int64_t>(c.trimLength * AV_TIME_BASE) : INT64_MAX;
    EXPECT_EQ(state.output_files[0]->recording_time, expectedLength);

    GraphRecord* graph = tc_new_simple_graph(state.input_streams[0].get(), ost);
    ASSERT_EQ(tc_build_graph(graph), 0) << log.str();
    const AVFilterContext* sink = ost->filter->filter;
    EXPECT_EQ(av_buffersink_get_sample_rate(sink), static_cast<int>(c.rate));
    EXPECT_EQ(av_buffersink_get_channels(sink), c.channels);
    bool encoderTakesFormat = false;
    for (const AVSampleFormat* f = ost->enc->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
        encoderTakesFormat |= *f == av_buffersink_get_format(sink);
    EXPECT_TRUE(encoderTakesFormat);
    // The wave header names no layout; nothing else is worth a warning.
    EXPECT_EQ(log.str(), "Guessed Channel Layout for  Input Stream #0.0 : stereo\n");
}

// clang-format off
const JobCase kJobCases[] = {
    {"MP3 at 22050 Hz mono", "libmp3lame", "mp3", 22050, 1, 0, 4},
    {"MP3 trimmed", "libmp3lame", "mp3", 44100, 2, 0.5, 1.5},
    {"FLAC at 48000 Hz stereo", "flac", "flac", 48000, 2, 0, 4},
    {"FLAC mono at 8000 Hz", "flac", "flac", 8000, 1, 0, 4},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, JobCommandLine, ::testing::ValuesIn(kJobCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
