#include "FilterGraphsTestSupport.h"
#include "TranscoderTestSupport.h"

#include <algorithm>
#include <cmath>

namespace {

using FilterGraphsTest = GraphRecordsTest;

// A 48 kHz source stream and a target stream with the named encoder, joined by a simple graph.
struct SimpleAudio {
    SourceStream* ist;
    TargetStream* ost;
    GraphRecord* fg;
};

SimpleAudio simpleAudioGraph(int channels, const char* encoder, const char* chain = "anull") {
    addSourceFile({audioSpec(48000, channels)});
    SimpleAudio graph{sourceStream(0), addTargetStream(encoder, AVMEDIA_TYPE_AUDIO), nullptr};
    graph.ost->avfilter = chain;
    graph.fg = tc_new_simple_graph(graph.ist, graph.ost);
    return graph;
}

int peakOf(const AVFrame* frame, int channel) {
    const auto* samples = reinterpret_cast<const int16_t*>(frame->extended_data[channel]);
    int peak = 0;
    for (int i = 0; i < frame->nb_samples; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

TEST_F(FilterGraphsTest, NewSimpleGraphLinksBothStreamsAndIsListed) {
    addSourceFile({audioSpec(48000, 2), audioSpec(44100, 1)});
    TargetStream* ost = addTargetStream("flac", AVMEDIA_TYPE_AUDIO);
    tc_new_simple_graph(sourceStream(1), addTargetStream("flac", AVMEDIA_TYPE_AUDIO));
    GraphRecord* fg = tc_new_simple_graph(sourceStream(0), ost);

    EXPECT_EQ(fg->index, 1);
    EXPECT_EQ(tc_state().filtergraphs.at(1).get(), fg);
    ASSERT_EQ(fg->outputs.size(), 1u);
    EXPECT_EQ(ost->filter, fg->outputs[0].get());
    EXPECT_EQ(fg->outputs[0]->graph, fg);
    ASSERT_EQ(sourceStream(0)->filters.size(), 1u);
    EXPECT_EQ(sourceStream(0)->filters[0], fg->inputs.at(0).get());
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(0)), 1);
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(1)), 0);
}

TEST_F(FilterGraphsTest, Mp3TargetGetsFiveOneDownmixedAndResampledToStereoS16p) {
    SimpleAudio graph = simpleAudioGraph(6, "libmp3lame");
    AVCodecContext* enc = graph.ost->enc_ctx.get();
    enc->sample_rate = 44100;
    enc->sample_fmt = AV_SAMPLE_FMT_S16P;
    av_channel_layout_default(&enc->ch_layout, 2);
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    AVFilterGraph* g = graph.fg->graph.get();
    AVFilterContext* source = filterNamed(g, "graph 0 input from stream 0:0");
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source, graph.fg->inputs[0]->filter);
    EXPECT_EQ(optionOf(source, "sample_rate"), "48000");
    EXPECT_EQ(optionOf(source, "sample_fmt"), "fltp");
    EXPECT_EQ(optionOf(source, "channel_layout"), "0x3f"); // the default six-channel layout
    EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"),
              "sample_fmts=s16p:sample_rates=44100:channel_layouts=0x3");
    EXPECT_EQ(graph.fg->outputs[0]->filter, filterNamed(g, "output stream 0:0"));
    EXPECT_EQ(graph.fg->inputs[0]->name, "anull");
    EXPECT_EQ(graph.fg->outputs[0]->name, "anull");

    std::vector<FramePtr> frames;
    for (int i = 0; i < 10; ++i) // one second with only the front left channel sounding
        frames.push_back(audioFrame(48000, 6, 4800, {0.5f, 0, 0, 0, 0, 0}, i * 4800));
    const auto out = filterFrames(source, graph.fg->outputs[0]->filter, std::move(frames));
    ASSERT_FALSE(out.empty());
    int total = 0;
    for (const FramePtr& frame : out) {
        EXPECT_EQ(frame->format, AV_SAMPLE_FMT_S16P);
        EXPECT_EQ(frame->sample_rate, 44100);
        EXPECT_EQ(frame->ch_layout.nb_channels, 2);
        total += frame->nb_samples;
    }
    EXPECT_NEAR(total, 44100, 64);
    const AVFrame* middle = out[out.size() / 2].get();
    EXPECT_GT(peakOf(middle, 0), 3000);
    EXPECT_LT(peakOf(middle, 1), 100);
}

struct InputChainCase {
    const char* description;
    int sync_method;
    int volume;
    std::vector<std::string> chain; // from the buffer source to the chain's own filter
    const char* message;            // logged at info level; null: none
};

class AudioInputChainTest : public GraphRecordsTest,
                            public ::testing::WithParamInterface<InputChainCase> {};

TEST_P(AudioInputChainTest, InsertsVolumeThenResamplerAheadOfTheGraph) {
    const InputChainCase& c = GetParam();
    tc_state().audio_sync_method = c.sync_method;
    tc_state().audio_volume = c.volume;
    SimpleAudio graph = simpleAudioGraph(2, "flac");
    LogCapture log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    const std::vector<std::string> chain = chainFrom(graph.fg->inputs[0]->filter);
    ASSERT_GE(chain.size(), c.chain.size());
    EXPECT_EQ(std::vector<std::string>(chain.begin(), chain.begin() + long(c.chain.size())),
              c.chain);
    if (c.message)
        EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    else
        EXPECT_EQ(log.str().find("forwarded to lavfi"), std::string::npos) << log.str();
}

INSTANTIATE_TEST_SUITE_P(
    Options, AudioInputChainTest,
    ::testing::Values(
        InputChainCase{"no sync and unity volume", 0, 256, {"abuffer", "anull"}, nullptr},
        InputChainCase{"volume doubled",
                       0,
                       512,
                       {"abuffer", "volume", "anull"},
                       "-vol is forwarded to lavfi similarly to -af volume=2.000000.\n"},
        InputChainCase{"sync method 1",
                       1,
                       256,
                       {"abuffer", "aresample", "anull"},
                       "-async is forwarded to lavfi similarly to -af "
                       "aresample=min_comp=0.001:min_hard_comp=0.100000.\n"},
        InputChainCase{"sync method 1 and volume doubled",
                       1,
                       512,
                       {"abuffer", "volume", "aresample", "anull"},
                       "-vol is forwarded to lavfi similarly to -af volume=2.000000.\n"},
        InputChainCase{
            "sync method 2 bounds the soft compensation by the rate",
            2,
            256,
            {"abuffer", "aresample", "anull"},
            "aresample=min_comp=0.001:min_hard_comp=0.100000:max_soft_comp=0.000042.\n"}),
    [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(FilterGraphsTest, InsertedFiltersFeedAnInputPadThatIsNotTheFirst) {
    tc_state().audio_sync_method = 1;
    tc_state().audio_volume = 512;
    SimpleAudio graph = simpleAudioGraph(
        2, "flac", "anullsrc=r=48000:cl=stereo[silence];[silence]amix=inputs=2:duration=first");
    LogCapture log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    GraphInput* input = graph.fg->inputs[0].get();
    EXPECT_EQ(input->name, "amix:input1");
    const std::vector<std::string> chain = chainFrom(input->filter);
    ASSERT_GE(chain.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(chain.begin(), chain.begin() + 4),
              (std::vector<std::string>{"abuffer", "volume", "aresample", "amix"}));
    AVFilterContext* volume =
        filterNamed(graph.fg->graph.get(), "graph 0 volume for input stream 0:0");
    AVFilterContext* resample =
        filterNamed(graph.fg->graph.get(), "graph 0 aresample for input stream 0:0");
    ASSERT_NE(resample, nullptr);
    EXPECT_EQ(optionOf(volume, "volume"), "2.000000");
    AVFilterContext* amix = resample->outputs[0]->dst;
    ASSERT_EQ(amix->nb_inputs, 2u);
    EXPECT_EQ(amix->inputs[1]->src, resample);
}

TEST_F(FilterGraphsTest, VolumeScalesTheSamplesThatPassThrough) {
    tc_state().audio_volume = 128;
    SimpleAudio graph = simpleAudioGraph(2, "pcm_f32le");
    graph.ost->enc_ctx->sample_rate = 48000;
    LogCapture log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(48000, 2, 1024, {0.5f, -0.5f}, 0));
    const auto out =
        filterFrames(graph.fg->inputs[0]->filter, graph.fg->outputs[0]->filter, std::move(frames));
    ASSERT_FALSE(out.empty());
    const auto* interleaved = reinterpret_cast<const float*>(out[0]->data[0]);
    EXPECT_NEAR(interleaved[2 * 100], 0.25f, 1e-4);
    EXPECT_NEAR(interleaved[2 * 100 + 1], -0.25f, 1e-4);
}

struct ChannelMapCase {
    const char* description;
    std::vector<int> map;
    const char* pan_args;
    std::vector<float> expected_levels; // of each output channel for input levels 0.25, 0.75
};

class ChannelMapTest : public GraphRecordsTest,
                       public ::testing::WithParamInterface<ChannelMapCase> {};

TEST_P(ChannelMapTest, MappedChannelsGoThroughPan) {
    const ChannelMapCase& c = GetParam();
    SimpleAudio graph = simpleAudioGraph(2, "pcm_f32le");
    std::copy(c.map.begin(), c.map.end(), graph.ost->audio_channels_map);
    graph.ost->audio_channels_mapped = int(c.map.size());
    graph.ost->enc_ctx->sample_rate = 48000;
    LogCapture log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    EXPECT_NE(
        log.str().find(std::string("-map_channel is forwarded to lavfi similarly to -af pan=") +
                       c.pan_args + ".\n"),
        std::string::npos)
        << log.str();
    EXPECT_EQ(optionOf(filterNamed(graph.fg->graph.get(), "pan"), "args"), c.pan_args);
    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(48000, 2, 1024, {0.25f, 0.75f}, 0));
    const auto out =
        filterFrames(graph.fg->inputs[0]->filter, graph.fg->outputs[0]->filter, std::move(frames));
    ASSERT_FALSE(out.empty());
    ASSERT_EQ(out[0]->ch_layout.nb_channels, int(c.expected_levels.size()));
    for (size_t ch = 0; ch < c.expected_levels.size(); ++ch)
        EXPECT_NEAR(reinterpret_cast<const float*>(out[0]->data[0])[ch], // interleaved
                    c.expected_levels[ch], 1e-4)
            << "channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(
    Maps, ChannelMapTest,
    ::testing::Values(ChannelMapCase{"swapped", {1, 0}, "0x3|c0=c1|c1=c0", {0.75f, 0.25f}},
                      ChannelMapCase{"second muted", {1, -1}, "0x3|c0=c1", {0.75f, 0.0f}},
                      ChannelMapCase{"right to mono", {1}, "0x4|c0=c1", {0.75f}}),
    [](const auto& info) { return testNameFrom(info.param.description); });

struct AudioFormatCase {
    const char* description;
    const char* encoder;
    int sample_rate;
    int channels;          // set without a layout; 0: none
    const char* arguments; // of "aformat"; null: no aformat filter at all
};

class AudioFormatTest : public GraphRecordsTest,
                        public ::testing::WithParamInterface<AudioFormatCase> {};

TEST_P(AudioFormatTest, AformatListsWhatTheCodecOrEncoderAllows) {
    const AudioFormatCase& c = GetParam();
    SimpleAudio graph = simpleAudioGraph(2, c.encoder);
    AVCodecContext* enc = graph.ost->enc_ctx.get();
    enc->sample_rate = c.sample_rate;
    enc->ch_layout.nb_channels = c.channels;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    AVFilterContext* aformat =
        filterNamed(graph.fg->graph.get(), "audio format for output stream 0:0");
    if (!c.arguments) {
        EXPECT_EQ(aformat, nullptr);
        return;
    }
    ASSERT_NE(aformat, nullptr);
    EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"), c.arguments);
    if (c.channels) {
        EXPECT_EQ(enc->ch_layout.order, AV_CHANNEL_ORDER_NATIVE);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, AudioFormatTest,
    ::testing::Values(
        AudioFormatCase{"encoder lists joined by bars", "libmp3lame", 0, 0,
                        "sample_fmts=s32p|fltp|s16p:sample_rates=44100|48000|32000|22050|24000|"
                        "16000|11025|12000|8000:channel_layouts=0x4|0x3"},
        AudioFormatCase{"no rate list and no rate gives no rates", "pcm_s16le", 0, 0,
                        "sample_fmts=s16"},
        AudioFormatCase{"a channel count alone gets the default layout", "pcm_s16le", 22050, 6,
                        "sample_fmts=s16:sample_rates=22050:channel_layouts=0x3f"},
        AudioFormatCase{"nothing known gives no aformat", nullptr, 0, 0, nullptr}),
    [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(FilterGraphsTest, SimpleGraphWithTwoOutputsIsRefused) {
    SimpleAudio graph = simpleAudioGraph(2, "flac", "asplit");
    LogCapture log;
    EXPECT_EQ(tc_build_graph(graph.fg), AVERROR(EINVAL));
    EXPECT_NE(log.str().find("Simple filtergraph 'asplit' does not have exactly one input and "
                             "output.\n"),
              std::string::npos)
        << log.str();
}

TEST_F(FilterGraphsTest, ParseErrorIsReturned) {
    SimpleAudio graph = simpleAudioGraph(2, "flac", "nosuchfilter");
    LogCapture log;
    EXPECT_LT(tc_build_graph(graph.fg), 0);
    EXPECT_EQ(graph.fg->inputs[0]->filter, nullptr);
    EXPECT_EQ(log.str().find("Simple filtergraph"), std::string::npos);
}

TEST_F(FilterGraphsTest, LongFormatListsReachTheFilterWhole) {
    SimpleAudio graph = simpleAudioGraph(2, "flac");
    std::vector<int> rates;
    std::string expected;
    for (int rate = 1000; rate <= 60000; rate += 1000) {
        rates.push_back(rate);
        expected += (expected.empty() ? "" : "|") + std::to_string(rate);
    }
    rates.push_back(0);
    AVCodec patched = *graph.ost->enc;
    patched.supported_samplerates = rates.data();
    graph.ost->enc = &patched;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    ASSERT_GT(expected.size(), 300u);
    EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"),
              "sample_fmts=s16|s32:sample_rates=" + expected);
}

TEST_F(FilterGraphsTest, AudioSourceWithoutSampleRateIsAnError) {
    SimpleAudio graph = simpleAudioGraph(2, "flac");
    graph.ist->dec_ctx->sample_rate = 0;
    LogCapture log;
    EXPECT_EQ(tc_build_graph(graph.fg), AVERROR(EINVAL));
    EXPECT_NE(log.str().find("Invalid sample rate 0 for input stream 0:0.\n"), std::string::npos);
}

TEST_F(FilterGraphsTest, RebuildingReplacesOnlyTheConfiguredGraph) {
    SimpleAudio graph = simpleAudioGraph(2, "flac");
    ASSERT_EQ(tc_build_graph(graph.fg), 0);
    ASSERT_EQ(tc_build_graph(graph.fg), 0);
    EXPECT_NE(graph.fg->graph.get(), nullptr);
    EXPECT_EQ(graph.fg->inputs.size(), 1u);
    EXPECT_EQ(graph.fg->outputs.size(), 1u);
    EXPECT_EQ(graph.ist->filters.size(), 1u);
    EXPECT_EQ(graph.fg->outputs[0]->filter,
              filterNamed(graph.fg->graph.get(), "output stream 0:0"));
    EXPECT_EQ(graph.fg->inputs[0]->filter,
              filterNamed(graph.fg->graph.get(), "graph 0 input from stream 0:0"));
}

} // namespace
