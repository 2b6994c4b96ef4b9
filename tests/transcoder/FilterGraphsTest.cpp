#include "FilterGraphsTestSupport.h"

namespace {

using FilterGraphsTest = GraphRecordsTest;

// A simple graph from the last stream of a new source file to a new target stream.
GraphRecord* simpleGraph(const std::vector<StreamSpec>& streams, const char* encoder) {
    addSourceFile(streams);
    TargetStream* ost = addTargetStream(encoder, streams.back().channels > 0);
    return tc_new_simple_graph(sourceStream(streams.size() - 1), ost);
}

AVCodecContext* encoderOf(const GraphRecord* fg) {
    return fg->outputs.at(0)->ost->enc_ctx.get();
}

std::vector<FramePtr> filterFrames(const GraphRecord* fg, std::vector<FramePtr> frames) {
    return filterFrames(fg->inputs.at(0)->filter, fg->outputs.at(0)->filter, std::move(frames));
}

struct TopologyCase {
    const char* description;
    std::vector<StreamSpec> streams; // the last one feeds the graph
    const char* encoder;
    void (*setup)(SourceStream*, TargetStream*);
    std::map<std::string, std::string> settings; // filter instance → its arguments; "": none
    std::vector<std::string> chain = {};         // from the buffer source
    const char* message = nullptr;
    int result = 0;
};
using TopologyTest = GraphCaseTest<TopologyCase>;

TEST_P(TopologyTest, BuildsTheFiltersWithTheirArguments) {
    const TopologyCase& c = GetParam();
    GraphRecord* fg = simpleGraph(c.streams, c.encoder);
    if (c.setup)
        c.setup(fg->inputs[0]->ist, fg->outputs[0]->ost);
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), c.result) << log.str();

    for (const auto& [instance, arguments] : c.settings) {
        EXPECT_EQ(filterNamed(fg, instance) != nullptr, !arguments.empty()) << instance;
        EXPECT_EQ(log.settingsOf(instance), arguments) << instance;
    }
    if (!c.chain.empty()) {
        EXPECT_EQ(chainFrom(fg->inputs[0]->filter, c.chain.size()), c.chain);
    }
    if (c.message) {
        EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    }
}

const std::string kStereoSource = "time_base=1/48000:sample_rate=48000:sample_fmt=fltp:"
                                  "channel_layout=0x3";
const std::string kVolume = "graph 0 volume for input stream 0:0";
const std::string kResample = "graph 0 aresample for input stream 0:0";
const std::string kAformat = "audio format for output stream 0:0";
const std::string kFormat = "pixel format for output stream 0:0";
const std::string kVideoSource = "graph 0 input from stream 0:0";
std::string canvasSource(const char* size) {
    return std::string("video_size=") + size + ":pix_fmt=" + std::to_string(AV_PIX_FMT_BGRA) +
           ":time_base=1/25:pixel_aspect=0/1:frame_rate=25/1";
}

using Source = SourceStream*;
using Target = TargetStream*;

// clang-format off
GRAPH_CASES(Graphs, TopologyTest,
    TopologyCase{"plain audio", {audioSpec(2)}, "flac", nullptr,
        {{"graph 0 input from stream 0:0", kStereoSource}, {kVolume, ""}, {kResample, ""}},
        {"abuffer", "anull"}},
    TopologyCase{"volume", {audioSpec(2)}, "flac",
        [](Source, Target) { tc_state().audio_volume = 512; },
        {{kVolume, "volume=2.000000"}, {kResample, ""}}, {"abuffer", "volume", "anull"},
        "-vol is forwarded to lavfi similarly to -af volume=2.000000.\n"},
    TopologyCase{"sync 1 after volume", {audioSpec(2)}, "flac",
        [](Source, Target) { tc_state().audio_sync_method = 1; tc_state().audio_volume = 512; },
        {{kResample, "min_comp=0.001:min_hard_comp=0.100000"}},
        {"abuffer", "volume", "aresample", "anull"},
        "-async is forwarded to lavfi similarly to -af "
        "aresample=min_comp=0.001:min_hard_comp=0.100000.\n"},
    TopologyCase{"sync 2 bounds the soft compensation", {audioSpec(2)}, "flac",
        [](Source, Target) { tc_state().audio_sync_method = 2; },
        {{kResample, "min_comp=0.001:min_hard_comp=0.100000:max_soft_comp=0.000042"}}},
    TopologyCase{"second pad of the graph's filter", {audioSpec(2)}, "flac",
        [](Source, Target ost) {
            tc_state().audio_sync_method = 1;
            tc_state().audio_volume = 512;
            ost->avfilter = "anullsrc[s];[s]amix=duration=first";
        },
        {}, {"abuffer", "volume", "aresample", "amix"}},
    TopologyCase{"channel map", {audioSpec(2)}, "pcm_f32le",
        [](Source, Target ost) {
            ost->audio_channels_map[0] = 1;
            ost->audio_channels_map[1] = -1; // muted
            ost->audio_channels_mapped = 2;
        },
        {{"pan", "args=0x3|c0=c1"}}, {},
        "-map_channel is forwarded to lavfi similarly to -af pan=0x3|c0=c1.\n"},
    TopologyCase{"encoder lists joined by bars", {audioSpec(2)}, "libmp3lame", nullptr,
        {{kAformat, "sample_fmts=s32p|fltp|s16p:sample_rates=44100|48000|32000|22050|24000|"
                    "16000|11025|12000|8000:channel_layouts=0x4|0x3"}}},
    TopologyCase{"no rate list and no rate", {audioSpec(2)}, "pcm_s16le", nullptr,
        {{kAformat, "sample_fmts=s16"}}},
    TopologyCase{"channel count alone gets the default layout", {audioSpec(2)}, "pcm_s16le",
        [](Source, Target ost) { ost->enc_ctx->ch_layout.nb_channels = 6; },
        {{kAformat, "sample_fmts=s16:channel_layouts=0x3f"}}},
    TopologyCase{"nothing known gives no aformat", {audioSpec(2)}, nullptr, nullptr,
        {{kAformat, ""}}, {"abuffer", "anull", "abuffersink"}},
    TopologyCase{"scaled", {videoSpec(320, 240)}, "png",
        [](Source ist, Target ost) {
            ist->dec_ctx->sample_aspect_ratio = {4, 3};
            ost->enc_ctx->width = 160;
            ost->enc_ctx->height = 120;
            ost->enc_ctx->pix_fmt = AV_PIX_FMT_RGB24;
        },
        {{kVideoSource,
          "video_size=320x240:pix_fmt=0:time_base=1/25:pixel_aspect=4/3:frame_rate=25/1"},
         {"scaler for output stream 0:0", "w=160:h=120:flags=0x4"}, {kFormat, "pix_fmts=rgb24"}},
        {"buffer", "null", "scale", "format", "buffersink"}},
    TopologyCase{"forced frame rate", {videoSpec(320, 240)}, "png",
        [](Source ist, Target) { ist->framerate = {30, 1}; },
        {{kVideoSource,
          "video_size=320x240:pix_fmt=0:time_base=1/30:pixel_aspect=0/1:frame_rate=30/1"},
         {"force CFR for input from stream 0:0", "expr=N"}},
        {"buffer", "setpts", "null"}},
    TopologyCase{"unsupported codec format", {videoSpec(320, 240)}, "png",
        [](Source, Target ost) { ost->enc_ctx->pix_fmt = AV_PIX_FMT_YUV420P; },
        {{kFormat, "pix_fmts=rgb24"}}, {},
        "Incompatible pixel format 'yuv420p' for codec 'png', auto-selecting format 'rgb24'\n"},
    TopologyCase{"kept without codec format", {videoSpec(320, 240)}, "png",
        [](Source, Target ost) { ost->keep_pix_fmt = 1; }, {{kFormat, ""}}},
    TopologyCase{"unofficial MJPEG list", {videoSpec(320, 240)}, "mjpeg",
        [](Source, Target ost) { ost->enc_ctx->strict_std_compliance = -1; },
        {{kFormat, "pix_fmts=yuvj420p|yuvj422p|yuv420p|yuv422p"}}},
    TopologyCase{"subtitle canvas of the files video", {videoSpec(1920, 1080), subtitleSpec()},
        "png", nullptr, {{"graph 0 input from stream 0:1", canvasSource("1920x1080")}}, {},
        "sub2video: using 1920x1080 canvas\n"},
    TopologyCase{"subtitle canvas without video", {subtitleSpec()}, "png", nullptr,
        {{kVideoSource, canvasSource("720x576")}}, {}, "sub2video: using 720x576 canvas\n"},
    TopologyCase{"subtitle canvas of largest width and height",
        {videoSpec(320, 200), videoSpec(640, 100), subtitleSpec()}, "png", nullptr,
        {{"graph 0 input from stream 0:2", canvasSource("640x200")}}},
    TopologyCase{"subtitle with its own size", {videoSpec(1920, 1080), subtitleSpec(640, 360)},
        "png", nullptr, {{"graph 0 input from stream 0:1", canvasSource("640x360")}}},
    TopologyCase{"split leaves two outputs", {audioSpec(2)}, "flac",
        [](Source, Target ost) { ost->avfilter = "asplit"; }, {}, {},
        "Simple filtergraph 'asplit' does not have exactly one input and output.\n",
        AVERROR(EINVAL)},
    TopologyCase{"audio without a rate", {audioSpec(2)}, "flac",
        [](Source ist, Target) { ist->dec_ctx->sample_rate = 0; }, {}, {},
        "Invalid sample rate 0 for input stream 0:0.\n", AVERROR(EINVAL)},
    TopologyCase{"video time base of zero", {videoSpec(320, 240)}, "png",
        [](Source ist, Target) { ist->st->time_base = {0, 1}; }, {}, {},
        "Invalid time base 0/1 for input stream 0:0.\n", AVERROR(EINVAL)});
// clang-format on

TEST_F(FilterGraphsTest, Mp3TargetGetsFiveOneDownmixedAndResampledToStereoS16p) {
    GraphRecord* fg = simpleGraph({audioSpec(6)}, "libmp3lame");
    AVCodecContext* enc = encoderOf(fg);
    enc->sample_rate = 44100;
    enc->sample_fmt = AV_SAMPLE_FMT_S16P;
    av_channel_layout_default(&enc->ch_layout, 2);
    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_EQ(fg->outputs[0]->ost->filter, fg->outputs[0].get());
    EXPECT_EQ(sourceStream(0)->filters, std::vector<GraphInput*>{fg->inputs[0].get()});
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(0)), 1);

    std::vector<FramePtr> frames; // one second in which only the front left channel sounds
    for (int i = 0; i < 10; ++i)
        frames.push_back(audioFrame({0.5f, 0, 0, 0, 0, 0}, 4800, i * 4800));
    const auto out = filterFrames(fg, std::move(frames));
    ASSERT_GT(out.size(), 2u);
    int total = 0;
    for (const FramePtr& frame : out) {
        EXPECT_EQ(frame->format, AV_SAMPLE_FMT_S16P);
        EXPECT_EQ(frame->sample_rate, 44100);
        EXPECT_EQ(frame->ch_layout.nb_channels, 2);
        total += frame->nb_samples;
    }
    EXPECT_NEAR(total, 44100, 64);
    EXPECT_GT(std::abs(reinterpret_cast<const int16_t*>(out[1]->extended_data[0])[10]), 3000);
    EXPECT_LT(std::abs(reinterpret_cast<const int16_t*>(out[1]->extended_data[1])[10]), 100);
}

TEST_F(FilterGraphsTest, VideoComesOutScaledInTheAskedFormatAndNumberedAtAForcedRate) {
    GraphRecord* fg = simpleGraph({videoSpec(320, 240)}, "png");
    AVCodecContext* enc = encoderOf(fg);
    enc->width = 160;
    enc->height = 120;
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    sourceStream(0)->framerate = {30, 1};
    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_STREQ(fg->graph->scale_sws_opts, "flags=0x4");

    std::vector<FramePtr> frames;
    for (int64_t pts : {0, 7, 30})
        frames.push_back(videoFrame(320, 240, pts));
    const auto out = filterFrames(fg, std::move(frames));
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i]->width, 160);
        EXPECT_EQ(out[i]->height, 120);
        EXPECT_EQ(out[i]->format, AV_PIX_FMT_RGB24);
        EXPECT_EQ(out[i]->pts, int64_t(i));
    }
}

TEST_F(FilterGraphsTest, LongFormatListsReachTheFilterWhole) {
    GraphRecord* fg = simpleGraph({audioSpec(2)}, "flac");
    std::vector<int> rates;
    std::string listed;
    for (int rate = 1000; rate <= 60000; rate += 1000) {
        rates.push_back(rate);
        listed += (listed.empty() ? "" : "|") + std::to_string(rate);
    }
    rates.push_back(0);
    AVCodec patched = *fg->outputs[0]->ost->enc;
    patched.supported_samplerates = rates.data();
    fg->outputs[0]->ost->enc = &patched;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_EQ(log.settingsOf(kAformat), "sample_fmts=s16|s32:sample_rates=" + listed);
}

} // namespace
