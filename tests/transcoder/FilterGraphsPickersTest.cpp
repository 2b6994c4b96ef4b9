#include "FilterGraphsTestSupport.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>

namespace {

struct PixelPickCase {
    const char* description;
    const char* encoder; // null: none
    int strictness;
    AVPixelFormat wanted;
    std::vector<AVPixelFormat> allowed; // the result is one of these; empty: the wanted format
    bool warns;
};
using PixelFormatPickTest = GraphCaseTest<PixelPickCase>;

TEST_P(PixelFormatPickTest, KeepsASupportedFormatOrPicksFromTheEncoderList) {
    const PixelPickCase& c = GetParam();
    TargetStream* ost = addTargetStream(c.encoder, false);
    ost->enc_ctx->strict_std_compliance = c.strictness;
    LogCapture log;
    const AVPixelFormat picked = tc_pick_pixel_format(ost, ost->enc, c.wanted);

    if (c.allowed.empty())
        EXPECT_EQ(picked, c.wanted);
    else
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), picked), c.allowed.end());
    const std::string warning = c.warns ? std::string("Incompatible pixel format '") +
                                              av_get_pix_fmt_name(c.wanted) + "' for codec '" +
                                              c.encoder + "', auto-selecting format '" +
                                              av_get_pix_fmt_name(picked) + "'\n"
                                        : "Incompatible";
    EXPECT_EQ(log.str().find(warning) != std::string::npos, c.warns) << log.str();
}

const std::vector<AVPixelFormat> kLooseMjpeg{AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P,
                                             AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P};

GRAPH_CASES(Encoders, PixelFormatPickTest,
            PixelPickCase{"supported format kept", "png", 0, AV_PIX_FMT_RGB24, {}, false},
            PixelPickCase{"alpha format gets alpha",
                          "png",
                          0,
                          AV_PIX_FMT_ARGB,
                          {AV_PIX_FMT_RGBA, AV_PIX_FMT_RGBA64BE, AV_PIX_FMT_YA8, AV_PIX_FMT_YA16BE},
                          true},
            PixelPickCase{
                "MJPEG full list when official", "mjpeg", 0, AV_PIX_FMT_YUVJ444P, {}, false},
            PixelPickCase{"MJPEG fixed list when unofficial", "mjpeg", -1, AV_PIX_FMT_YUVJ444P,
                          kLooseMjpeg, true},
            PixelPickCase{"LJPEG fixed list keeps bgra", "ljpeg", -1, AV_PIX_FMT_BGRA, {}, false},
            PixelPickCase{"no wanted format picks silently", "mjpeg", -1, AV_PIX_FMT_NONE,
                          kLooseMjpeg, false},
            PixelPickCase{"no encoder keeps the format", nullptr, 0, AV_PIX_FMT_GRAY8, {}, false});

struct SamplePickCase {
    const char* description;
    const char* encoder;
    AVSampleFormat requested;
    AVSampleFormat expected;
    bool not_lossless;
    bool warns;
};
using SampleFormatPickTest = GraphCaseTest<SamplePickCase>;

TEST_P(SampleFormatPickTest, FallsBackToTheEncodersFirstFormat) {
    const SamplePickCase& c = GetParam();
    TargetStream* ost = addTargetStream(c.encoder, true);
    ost->enc_ctx->sample_fmt = c.requested;
    LogCapture log;
    tc_pick_sample_format(ost, ost->enc);

    EXPECT_EQ(ost->enc_ctx->sample_fmt, c.expected);
    EXPECT_EQ(log.str().find("Conversion will not be lossless.\n") != std::string::npos,
              c.not_lossless);
    const std::string warning =
        c.warns ? std::string("Incompatible sample format '") +
                      av_get_sample_fmt_name(c.requested) + "' for codec '" + c.encoder +
                      "', auto-selecting format '" + av_get_sample_fmt_name(c.expected) + "'\n"
                : "Incompatible";
    EXPECT_EQ(log.str().find(warning) != std::string::npos, c.warns) << log.str();
}

GRAPH_CASES(Encoders, SampleFormatPickTest,
            SamplePickCase{"FLAC from float", "flac", AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_S16, true,
                           true},
            SamplePickCase{"FLAC from 8 bit widens", "flac", AV_SAMPLE_FMT_U8, AV_SAMPLE_FMT_S16,
                           false, true},
            SamplePickCase{"FLAC keeps 32 bit", "flac", AV_SAMPLE_FMT_S32, AV_SAMPLE_FMT_S32, false,
                           false},
            SamplePickCase{"FLAC without a request", "flac", AV_SAMPLE_FMT_NONE, AV_SAMPLE_FMT_S16,
                           false, false},
            SamplePickCase{"lossy MP3 only warns", "libmp3lame", AV_SAMPLE_FMT_DBL,
                           AV_SAMPLE_FMT_S32P, false, true});

} // namespace
