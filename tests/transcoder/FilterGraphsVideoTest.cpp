#include "FilterGraphsTestSupport.h"
#include "TranscoderTestSupport.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

using FilterGraphsVideoTest = GraphRecordsTest;

struct SimpleVideo {
    SourceStream* ist;
    TargetStream* ost;
    GraphRecord* fg;
};

SimpleVideo simpleVideoGraph(const char* encoder, const StreamSpec& spec = videoSpec(320, 240)) {
    addSourceFile({spec});
    SimpleVideo graph{sourceStream(0), addTargetStream(encoder, AVMEDIA_TYPE_VIDEO), nullptr};
    graph.fg = tc_new_simple_graph(graph.ist, graph.ost);
    return graph;
}

AVFilterContext* named(const SimpleVideo& graph, const char* name) {
    return filterNamed(graph.fg->graph.get(), name);
}

TEST_F(FilterGraphsVideoTest, FramesComeOutScaledToTheAskedSizeAndFormat) {
    SimpleVideo graph = simpleVideoGraph("png");
    AVCodecContext* enc = graph.ost->enc_ctx.get();
    enc->width = 160;
    enc->height = 120;
    enc->pix_fmt = AV_PIX_FMT_RGB24;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    AVFilterContext* source = named(graph, "graph 0 input from stream 0:0");
    ASSERT_EQ(source, graph.fg->inputs[0]->filter);
    EXPECT_EQ(optionOf(source, "video_size"), "320x240");
    EXPECT_EQ(optionOf(source, "pix_fmt"), "yuv420p");
    EXPECT_EQ(optionOf(source, "time_base"), "1/25");
    EXPECT_EQ(optionOf(source, "frame_rate"), "25/1");
    AVFilterContext* scaler = named(graph, "scaler for output stream 0:0");
    EXPECT_EQ(optionOf(scaler, "w"), "160");
    EXPECT_EQ(optionOf(scaler, "h"), "120");
    EXPECT_EQ(optionOf(scaler, "flags"), "0x4");
    EXPECT_EQ(log.settingsOf("pixel format for output stream 0:0"), "pix_fmts=rgb24");
    EXPECT_STREQ(graph.fg->graph->scale_sws_opts, "flags=0x4");
    EXPECT_EQ(chainFrom(source),
              (std::vector<std::string>{"buffer", "null", "scale", "format", "buffersink"}));

    std::vector<FramePtr> frames;
    for (int i = 0; i < 3; ++i)
        frames.push_back(videoFrame(320, 240, AV_PIX_FMT_YUV420P, i));
    const auto out = filterFrames(source, graph.fg->outputs[0]->filter, std::move(frames));
    ASSERT_EQ(out.size(), 3u);
    for (const FramePtr& frame : out) {
        EXPECT_EQ(frame->width, 160);
        EXPECT_EQ(frame->height, 120);
        EXPECT_EQ(frame->format, AV_PIX_FMT_RGB24);
    }
}

struct PixelFormatCase {
    const char* description;
    const char* encoder;
    int strictness;
    AVPixelFormat codec_format;
    int keep_pix_fmt;
    const char* format_args; // null: no "format" filter
};

class PixelFormatFilterTest : public GraphRecordsTest,
                              public ::testing::WithParamInterface<PixelFormatCase> {};

TEST_P(PixelFormatFilterTest, FormatFilterNamesWhatTheOutputMayTake) {
    const PixelFormatCase& c = GetParam();
    SimpleVideo graph = simpleVideoGraph(c.encoder);
    graph.ost->enc_ctx->strict_std_compliance = c.strictness;
    graph.ost->enc_ctx->pix_fmt = c.codec_format;
    graph.ost->keep_pix_fmt = c.keep_pix_fmt;
    FilterSettingsLog log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    AVFilterContext* format = named(graph, "pixel format for output stream 0:0");
    if (c.format_args)
        EXPECT_EQ(log.settingsOf("pixel format for output stream 0:0"),
                  std::string("pix_fmts=") + c.format_args);
    else
        EXPECT_EQ(format, nullptr);
    EXPECT_EQ(graph.fg->graph->disable_auto_convert,
              c.keep_pix_fmt ? unsigned(AVFILTER_AUTO_CONVERT_NONE) : 0u);
    EXPECT_EQ(named(graph, "scaler for output stream 0:0"), nullptr);
    EXPECT_EQ(log.str().find("Incompatible pixel format"), std::string::npos) << log.str();
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, PixelFormatFilterTest,
    ::testing::Values(
        PixelFormatCase{"supported codec format", "png", 0, AV_PIX_FMT_RGB24, 0, "rgb24"},
        PixelFormatCase{"kept without codec format", "png", 0, AV_PIX_FMT_NONE, 1, nullptr},
        PixelFormatCase{"kept codec format is not checked", "png", 0, AV_PIX_FMT_YUV420P, 1,
                        "yuv420p"},
        PixelFormatCase{"unofficial MJPEG list", "mjpeg", -1, AV_PIX_FMT_NONE, 0,
                        "yuvj420p|yuvj422p|yuv420p|yuv422p"},
        PixelFormatCase{"unofficial LJPEG list", "ljpeg", -1, AV_PIX_FMT_NONE, 0,
                        "yuvj420p|yuvj422p|yuvj444p|yuv420p|yuv422p|yuv444p|bgra"}),
    [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(FilterGraphsVideoTest, UnsupportedCodecFormatIsReplacedWithAWarning) {
    SimpleVideo graph = simpleVideoGraph("png");
    graph.ost->enc_ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    LogCapture log;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    const std::string chosen =
        optionOf(named(graph, "pixel format for output stream 0:0"), "pix_fmts");
    EXPECT_NE(log.str().find("Incompatible pixel format 'yuv420p' for codec 'png', "
                             "auto-selecting format '" +
                             chosen + "'\n"),
              std::string::npos)
        << log.str();
    bool listed = false;
    for (const AVPixelFormat* p = graph.ost->enc->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
        listed = listed || chosen == av_get_pix_fmt_name(*p);
    EXPECT_TRUE(listed) << chosen;
}

TEST_F(FilterGraphsVideoTest, ForcedFrameRateNumbersTheFrames) {
    SimpleVideo graph = simpleVideoGraph("png");
    graph.ist->framerate = {30, 1};
    ASSERT_EQ(tc_build_graph(graph.fg), 0);

    AVFilterContext* source = graph.fg->inputs[0]->filter;
    EXPECT_EQ(optionOf(source, "time_base"), "1/30");
    EXPECT_EQ(optionOf(source, "frame_rate"), "30/1");
    AVFilterContext* setpts = named(graph, "force CFR for input from stream 0:0");
    ASSERT_NE(setpts, nullptr);
    EXPECT_EQ(optionOf(setpts, "expr"), "N");
    EXPECT_EQ(chainFrom(source)[1], "setpts");

    std::vector<FramePtr> frames;
    for (int64_t pts : {0, 7, 30})
        frames.push_back(videoFrame(320, 240, AV_PIX_FMT_YUV420P, pts));
    const auto out = filterFrames(source, graph.fg->outputs[0]->filter, std::move(frames));
    ASSERT_EQ(out.size(), 3u);
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(out[i]->pts, int64_t(i));
}

struct AspectCase {
    const char* description;
    AVRational stream_aspect;
    AVRational codec_aspect;
    const char* expected;
};

class PixelAspectTest : public GraphRecordsTest,
                        public ::testing::WithParamInterface<AspectCase> {};

TEST_P(PixelAspectTest, BufferTakesTheStreamsAspectFirst) {
    const AspectCase& c = GetParam();
    SimpleVideo graph = simpleVideoGraph("png");
    graph.ist->st->sample_aspect_ratio = c.stream_aspect;
    graph.ist->dec_ctx->sample_aspect_ratio = c.codec_aspect;
    ASSERT_EQ(tc_build_graph(graph.fg), 0);
    EXPECT_EQ(optionOf(graph.fg->inputs[0]->filter, "pixel_aspect"), c.expected);
    EXPECT_EQ(named(graph, "force CFR for input from stream 0:0"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Aspects, PixelAspectTest,
    ::testing::Values(AspectCase{"stream aspect", {16, 15}, {4, 3}, "16/15"},
                      AspectCase{"codec aspect when stream has none", {0, 1}, {4, 3}, "4/3"},
                      AspectCase{"zero denominator becomes zero over one", {0, 0}, {0, 0}, "0/1"}),
    [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(FilterGraphsVideoTest, ZeroTimeBaseIsRefused) {
    StreamSpec spec = videoSpec(320, 240);
    spec.time_base = {0, 1};
    SimpleVideo graph = simpleVideoGraph("png", spec);
    LogCapture log;
    EXPECT_EQ(tc_build_graph(graph.fg), AVERROR(EINVAL));
    EXPECT_NE(log.str().find("Invalid time base 0/1 for input stream 0:0.\n"), std::string::npos)
        << log.str();
}

TEST_F(FilterGraphsVideoTest, ForcedRateWithZeroDenominatorFallsBackToTheStreamTimeBase) {
    SimpleVideo graph = simpleVideoGraph("png");
    graph.ist->framerate = {30, 0};
    ASSERT_EQ(tc_build_graph(graph.fg), 0);
    EXPECT_EQ(optionOf(graph.fg->inputs[0]->filter, "time_base"), "1/25");
}

} // namespace
