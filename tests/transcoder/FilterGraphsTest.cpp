#include "FilterGraphsTestSupport.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

using FilterGraphsTest = GraphRecordsTest;

// A simple graph from the first stream of a new source file to a new target stream.
GraphRecord* simpleGraph(const StreamSpec& spec, const char* encoder, const char* chain = nullptr) {
    addSourceFile({spec});
    TargetStream* ost = addTargetStream(encoder, spec.channels > 0);
    if (chain)
        ost->avfilter = chain;
    return tc_new_simple_graph(sourceStream(0), ost);
}

TargetStream* target(const GraphRecord* fg) {
    return fg->outputs.at(0)->ost;
}

std::vector<FramePtr> filterThrough(const GraphRecord* fg, std::vector<FramePtr> frames) {
    return filterFrames(fg->inputs.at(0)->filter, fg->outputs.at(0)->filter, std::move(frames));
}

TEST_F(FilterGraphsTest, NewSimpleGraphIsListedAndLinkedToBothStreams) {
    addSourceFile({audioSpec(48000, 2), audioSpec(44100, 1)});
    tc_new_simple_graph(sourceStream(1), addTargetStream("flac", true));
    TargetStream* ost = addTargetStream("flac", true);
    GraphRecord* fg = tc_new_simple_graph(sourceStream(0), ost);

    EXPECT_EQ(fg->index, 1);
    EXPECT_EQ(tc_state().filtergraphs.at(1).get(), fg);
    EXPECT_EQ(ost->filter, fg->outputs.at(0).get());
    ASSERT_EQ(sourceStream(0)->filters.size(), 1u);
    EXPECT_EQ(sourceStream(0)->filters[0], fg->inputs.at(0).get());
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(0)), 1);
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(1)), 0);
}

TEST_F(FilterGraphsTest, Mp3TargetGetsFiveOneDownmixedAndResampledToStereoS16p) {
    GraphRecord* fg = simpleGraph(audioSpec(48000, 6), "libmp3lame");
    AVCodecContext* enc = target(fg)->enc_ctx.get();
    enc->sample_rate = 44100;
    enc->sample_fmt = AV_SAMPLE_FMT_S16P;
    av_channel_layout_default(&enc->ch_layout, 2);
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    EXPECT_EQ(fg->inputs[0]->filter, filterNamed(fg, "graph 0 input from stream 0:0"));
    EXPECT_EQ(fg->outputs[0]->filter, filterNamed(fg, "output stream 0:0"));
    EXPECT_EQ(log.settingsOf("graph 0 input from stream 0:0"),
              "time_base=1/48000:sample_rate=48000:sample_fmt=fltp:channel_layout=0x3f");
    EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"),
              "sample_fmts=s16p:sample_rates=44100:channel_layouts=0x3");
    EXPECT_EQ(fg->inputs[0]->name, "anull");

    std::vector<FramePtr> frames; // one second in which only the front left channel sounds
    for (int i = 0; i < 10; ++i)
        frames.push_back(audioFrame(48000, {0.5f, 0, 0, 0, 0, 0}, 4800, i * 4800));
    const auto out = filterThrough(fg, std::move(frames));
    ASSERT_GT(out.size(), 2u);
    int total = 0;
    for (const FramePtr& frame : out) {
        EXPECT_EQ(frame->format, AV_SAMPLE_FMT_S16P);
        EXPECT_EQ(frame->sample_rate, 44100);
        EXPECT_EQ(frame->ch_layout.nb_channels, 2);
        total += frame->nb_samples;
    }
    EXPECT_NEAR(total, 44100, 64);
    const auto* left = reinterpret_cast<const int16_t*>(out[1]->extended_data[0]);
    const auto* right = reinterpret_cast<const int16_t*>(out[1]->extended_data[1]);
    EXPECT_GT(std::abs(int(left[10])), 3000);
    EXPECT_LT(std::abs(int(right[10])), 100);
}

struct InputChainCase {
    const char* description;
    const char* chain_text;
    int sync_method;
    int volume;
    std::vector<std::string> chain; // from the buffer source to the chain's own filter
    const char* link_name;
    const char* message; // null: nothing forwarded
};
using AudioInputChainTest = GraphCaseTest<InputChainCase>;

TEST_P(AudioInputChainTest, VolumeAndResamplerGoBetweenSourceAndGraph) {
    const InputChainCase& c = GetParam();
    tc_state().audio_sync_method = c.sync_method;
    tc_state().audio_volume = c.volume;
    GraphRecord* fg = simpleGraph(audioSpec(48000, 2), "flac", c.chain_text);
    LogCapture log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    EXPECT_EQ(chainFrom(fg->inputs[0]->filter, c.chain.size()), c.chain);
    EXPECT_EQ(fg->inputs[0]->name, c.link_name);
    const bool forwarded = log.str().find("forwarded to lavfi") != std::string::npos;
    EXPECT_EQ(forwarded, c.message != nullptr) << log.str();
    if (c.message) {
        EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    }
}

GRAPH_CASES(Options, AudioInputChainTest,
            InputChainCase{"plain", "anull", 0, 256, {"abuffer", "anull"}, "anull", nullptr},
            InputChainCase{"volume",
                           "anull",
                           0,
                           512,
                           {"abuffer", "volume", "anull"},
                           "anull",
                           "-vol is forwarded to lavfi similarly to -af volume=2.000000.\n"},
            InputChainCase{"sync 1 and volume",
                           "anull",
                           1,
                           512,
                           {"abuffer", "volume", "aresample", "anull"},
                           "anull",
                           "-async is forwarded to lavfi similarly to -af "
                           "aresample=min_comp=0.001:min_hard_comp=0.100000.\n"},
            InputChainCase{
                "sync 2 bounds soft compensation",
                "anull",
                2,
                256,
                {"abuffer", "aresample", "anull"},
                "anull",
                "aresample=min_comp=0.001:min_hard_comp=0.100000:max_soft_comp=0.000042.\n"},
            InputChainCase{"second pad of the graph's filter",
                           "anullsrc[s];[s]amix=duration=first",
                           1,
                           512,
                           {"abuffer", "volume", "aresample", "amix"},
                           "amix:input1",
                           "-vol is forwarded to lavfi similarly to -af volume=2.000000.\n"});

TEST_F(FilterGraphsTest, VolumeScalesTheSamples) {
    tc_state().audio_volume = 128;
    GraphRecord* fg = simpleGraph(audioSpec(48000, 2), "pcm_f32le");
    target(fg)->enc_ctx->sample_rate = 48000;
    LogCapture log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(48000, {0.5f, -0.5f}, 1024, 0));
    const auto out = filterThrough(fg, std::move(frames));
    ASSERT_FALSE(out.empty());
    const auto* interleaved = reinterpret_cast<const float*>(out[0]->data[0]);
    EXPECT_NEAR(interleaved[200], 0.25f, 1e-4);
    EXPECT_NEAR(interleaved[201], -0.25f, 1e-4);
}

struct ChannelMapCase {
    const char* description;
    std::vector<int> map;
    const char* pan_args;
    std::vector<float> levels; // of the output channels when the input's are 0.25 and 0.75
};
using ChannelMapTest = GraphCaseTest<ChannelMapCase>;

TEST_P(ChannelMapTest, MappedChannelsGoThroughPan) {
    const ChannelMapCase& c = GetParam();
    GraphRecord* fg = simpleGraph(audioSpec(48000, 2), "pcm_f32le");
    TargetStream* ost = target(fg);
    std::copy(c.map.begin(), c.map.end(), ost->audio_channels_map);
    ost->audio_channels_mapped = int(c.map.size());
    ost->enc_ctx->sample_rate = 48000;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    EXPECT_NE(log.str().find(std::string("-map_channel is forwarded to lavfi similarly to -af "
                                         "pan=") +
                             c.pan_args + ".\n"),
              std::string::npos);
    EXPECT_EQ(log.settingsOf("pan"), std::string("args=") + c.pan_args);
    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(48000, {0.25f, 0.75f}, 1024, 0));
    const auto out = filterThrough(fg, std::move(frames));
    ASSERT_FALSE(out.empty());
    ASSERT_EQ(out[0]->ch_layout.nb_channels, int(c.levels.size()));
    for (size_t ch = 0; ch < c.levels.size(); ++ch) // interleaved
        EXPECT_NEAR(reinterpret_cast<const float*>(out[0]->data[0])[ch], c.levels[ch], 1e-4);
}

GRAPH_CASES(Maps, ChannelMapTest,
            ChannelMapCase{"swapped", {1, 0}, "0x3|c0=c1|c1=c0", {0.75f, 0.25f}},
            ChannelMapCase{"second muted", {1, -1}, "0x3|c0=c1", {0.75f, 0.0f}},
            ChannelMapCase{"right to mono", {1}, "0x4|c0=c1", {0.75f}});

struct AudioFormatCase {
    const char* description;
    const char* encoder;
    int sample_rate;
    int channels;          // set without a layout
    const char* arguments; // of "aformat"; null: no aformat
};
using AudioFormatTest = GraphCaseTest<AudioFormatCase>;

TEST_P(AudioFormatTest, AformatListsWhatTheCodecOrEncoderAllows) {
    const AudioFormatCase& c = GetParam();
    GraphRecord* fg = simpleGraph(audioSpec(48000, 2), c.encoder);
    AVCodecContext* enc = target(fg)->enc_ctx.get();
    enc->sample_rate = c.sample_rate;
    enc->ch_layout.nb_channels = c.channels;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    const AVFilterContext* aformat = filterNamed(fg, "audio format for output stream 0:0");
    EXPECT_EQ(aformat != nullptr, c.arguments != nullptr);
    if (c.arguments) {
        EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"), c.arguments);
    }
}

GRAPH_CASES(Encoders, AudioFormatTest,
            AudioFormatCase{"encoder lists joined by bars", "libmp3lame", 0, 0,
                            "sample_fmts=s32p|fltp|s16p:sample_rates=44100|48000|32000|22050|"
                            "24000|16000|11025|12000|8000:channel_layouts=0x4|0x3"},
            AudioFormatCase{"no rate list and no rate", "pcm_s16le", 0, 0, "sample_fmts=s16"},
            AudioFormatCase{"channel count alone gets the default layout", "pcm_s16le", 22050, 6,
                            "sample_fmts=s16:sample_rates=22050:channel_layouts=0x3f"},
            AudioFormatCase{"nothing known", nullptr, 0, 0, nullptr});

TEST_F(FilterGraphsTest, LongFormatListsReachTheFilterWhole) {
    GraphRecord* fg = simpleGraph(audioSpec(48000, 2), "flac");
    std::vector<int> rates;
    std::string listed;
    for (int rate = 1000; rate <= 60000; rate += 1000) {
        rates.push_back(rate);
        listed += (listed.empty() ? "" : "|") + std::to_string(rate);
    }
    rates.push_back(0);
    AVCodec patched = *target(fg)->enc;
    patched.supported_samplerates = rates.data();
    target(fg)->enc = &patched;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_EQ(log.settingsOf("audio format for output stream 0:0"),
              "sample_fmts=s16|s32:sample_rates=" + listed);
}

struct BuildErrorCase {
    const char* description;
    StreamSpec spec;
    const char* chain_text;
    void (*spoil)(SourceStream*);
    int error;           // 0: any negative code
    const char* message; // null: none of ours
};
using BuildErrorTest = GraphCaseTest<BuildErrorCase>;

TEST_P(BuildErrorTest, ReturnsTheErrorAndSaysWhy) {
    const BuildErrorCase& c = GetParam();
    GraphRecord* fg = simpleGraph(c.spec, "flac", c.chain_text);
    if (c.spoil)
        c.spoil(sourceStream(0));
    LogCapture log;
    const int ret = tc_build_graph(fg);
    if (c.error) {
        EXPECT_EQ(ret, c.error);
    } else {
        EXPECT_LT(ret, 0);
    }
    if (c.message) {
        EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    }
}

GRAPH_CASES(Graphs, BuildErrorTest,
            BuildErrorCase{
                "split leaves two outputs", audioSpec(48000, 2), "asplit", nullptr, AVERROR(EINVAL),
                "Simple filtergraph 'asplit' does not have exactly one input and output.\n"},
            BuildErrorCase{"unknown filter", audioSpec(48000, 2), "nosuchfilter", nullptr, 0,
                           nullptr},
            BuildErrorCase{"audio without a rate", audioSpec(48000, 2), "anull",
                           [](SourceStream* ist) { ist->dec_ctx->sample_rate = 0; },
                           AVERROR(EINVAL), "Invalid sample rate 0 for input stream 0:0.\n"},
            BuildErrorCase{"video time base of zero", videoSpec(320, 240), "null",
                           [](SourceStream* ist) {
                               ist->st->time_base = {0, 1};
                           },
                           AVERROR(EINVAL), "Invalid time base 0/1 for input stream 0:0.\n"});

TEST_F(FilterGraphsTest, VideoComesOutScaledToTheAskedSizeAndFormat) {
    GraphRecord* fg = simpleGraph(videoSpec(320, 240), "png");
    AVCodecContext* enc = target(fg)->enc_ctx.get();
    enc->width = 160;
    enc->height = 120;
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    sourceStream(0)->dec_ctx->sample_aspect_ratio = {4, 3};
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    EXPECT_EQ(log.settingsOf("graph 0 input from stream 0:0"),
              "video_size=320x240:pix_fmt=0:time_base=1/25:pixel_aspect=4/3:frame_rate=25/1");
    EXPECT_EQ(log.settingsOf("scaler for output stream 0:0"), "w=160:h=120:flags=0x4");
    EXPECT_EQ(log.settingsOf("pixel format for output stream 0:0"), "pix_fmts=rgb24");
    EXPECT_STREQ(fg->graph->scale_sws_opts, "flags=0x4");

    std::vector<FramePtr> frames;
    for (int i = 0; i < 3; ++i)
        frames.push_back(videoFrame(320, 240, i));
    const auto out = filterThrough(fg, std::move(frames));
    ASSERT_EQ(out.size(), 3u);
    for (const FramePtr& frame : out) {
        EXPECT_EQ(frame->width, 160);
        EXPECT_EQ(frame->height, 120);
        EXPECT_EQ(frame->format, AV_PIX_FMT_RGB24);
    }
}

TEST_F(FilterGraphsTest, ForcedFrameRateNumbersTheFrames) {
    GraphRecord* fg = simpleGraph(videoSpec(320, 240), "png");
    sourceStream(0)->framerate = {30, 1};
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    EXPECT_EQ(log.settingsOf("graph 0 input from stream 0:0"),
              "video_size=320x240:pix_fmt=0:time_base=1/30:pixel_aspect=0/1:frame_rate=30/1");
    EXPECT_EQ(log.settingsOf("force CFR for input from stream 0:0"), "expr=N");
    EXPECT_EQ(chainFrom(fg->inputs[0]->filter, 3),
              (std::vector<std::string>{"buffer", "setpts", "null"}));
    std::vector<FramePtr> frames;
    for (int64_t pts : {0, 7, 30})
        frames.push_back(videoFrame(320, 240, pts));
    const auto out = filterThrough(fg, std::move(frames));
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(out[i]->pts, int64_t(i));
}

struct PixelFormatCase {
    const char* description;
    const char* encoder;
    int strictness;
    AVPixelFormat codec_format;
    int keep_pix_fmt;
    const char* formats; // given to "format"; null: no format filter
};
using PixelFormatFilterTest = GraphCaseTest<PixelFormatCase>;

TEST_P(PixelFormatFilterTest, FormatFilterNamesWhatTheOutputMayTake) {
    const PixelFormatCase& c = GetParam();
    GraphRecord* fg = simpleGraph(videoSpec(320, 240), c.encoder);
    TargetStream* ost = target(fg);
    ost->enc_ctx->strict_std_compliance = c.strictness;
    ost->enc_ctx->pix_fmt = c.codec_format;
    ost->keep_pix_fmt = c.keep_pix_fmt;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    const std::string formats = log.settingsOf("pixel format for output stream 0:0");
    EXPECT_EQ(formats, c.formats ? std::string("pix_fmts=") + c.formats : "");
    EXPECT_EQ(fg->graph->disable_auto_convert,
              c.keep_pix_fmt ? unsigned(AVFILTER_AUTO_CONVERT_NONE) : 0u);
    EXPECT_EQ(filterNamed(fg, "scaler for output stream 0:0"), nullptr);
    if (c.codec_format == AV_PIX_FMT_YUV420P && !c.keep_pix_fmt) {
        EXPECT_NE(log.str().find("Incompatible pixel format 'yuv420p' for codec 'png', "
                                 "auto-selecting format '" +
                                 formats.substr(9) + "'\n"),
                  std::string::npos);
    }
}

GRAPH_CASES(Outputs, PixelFormatFilterTest,
            PixelFormatCase{"supported codec format", "png", 0, AV_PIX_FMT_RGB24, 0, "rgb24"},
            PixelFormatCase{"unsupported codec format", "png", 0, AV_PIX_FMT_YUV420P, 0, "rgb24"},
            PixelFormatCase{"kept without codec format", "png", 0, AV_PIX_FMT_NONE, 1, nullptr},
            PixelFormatCase{"kept codec format unchecked", "png", 0, AV_PIX_FMT_YUV420P, 1,
                            "yuv420p"},
            PixelFormatCase{"unofficial MJPEG list", "mjpeg", -1, AV_PIX_FMT_NONE, 0,
                            "yuvj420p|yuvj422p|yuv420p|yuv422p"},
            PixelFormatCase{"unofficial LJPEG list", "ljpeg", -1, AV_PIX_FMT_NONE, 0,
                            "yuvj420p|yuvj422p|yuvj444p|yuv420p|yuv422p|yuv444p|bgra"});

} // namespace
