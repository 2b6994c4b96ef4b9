#include "TargetFilesTestSupport.h"

#include "TestEnvironment.h"

#include "transcoder/target_files.h"

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

SpecifiedValue text(const char* specifier, const char* value) {
    return {specifier, std::string(value)};
}

// Settings that end the program, each with its message.
struct RefusalCase {
    const char* description;
    AVMediaType type;
    std::function<void(PerFileOptions&)> set;
    const char* fatal;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.description;
}

class TargetStreamRefusals : public TargetFilesTestBase,
                             public ::testing::WithParamInterface<RefusalCase> {};

TargetStream* addTarget(PerFileOptions* o, AVFormatContext* oc, AVMediaType type) {
    switch (type) {
    case AVMEDIA_TYPE_VIDEO:
        return tc_add_video_target(o, oc, -1);
    case AVMEDIA_TYPE_AUDIO:
        return tc_add_audio_target(o, oc, -1);
    case AVMEDIA_TYPE_SUBTITLE:
        return tc_add_subtitle_target(o, oc, -1);
    default:
        return tc_add_target_stream(o, oc, type, -1);
    }
}

TEST_P(TargetStreamRefusals, EndTheProgramWithTheirMessage) {
    const RefusalCase& c = GetParam();
    TestOutputPtr oc = testOutput("out.mkv");
    PerFileOptions o;
    c.set(o);
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { addTarget(&o, oc.get(), c.type); }), 1);
    EXPECT_EQ(log.str(), c.fatal);
}

// clang-format off
const RefusalCase kRefusals[] = {
    {"an unknown bitstream filter after a known one", AVMEDIA_TYPE_AUDIO,
     [](PerFileOptions& o) { o.bitstream_filters = {text("", "null,nosuch")}; },
     "Unknown bitstream filter nosuch\n"},
    {"a frame rate that is no rate", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.frame_rates = {text("v", "-5")}; }, "Invalid framerate value: -5\n"},
    {"a frame size that is no size", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.frame_sizes = {text("", "12")}; }, "Invalid frame size: 12.\n"},
    {"a subtitle frame size that is no size", AVMEDIA_TYPE_SUBTITLE,
     [](PerFileOptions& o) { o.frame_sizes = {text("s", "wide")}; }, "Invalid frame size: wide.\n"},
    {"an aspect ratio of zero", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.frame_aspect_ratios = {text("", "0:1")}; },
     "Invalid aspect ratio: 0:1\n"},
    {"an unknown pixel format kept as asked", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.frame_pix_fmts = {text("", "+nosuch")}; },
     "Unknown pixel format requested: nosuch.\n"},
    {"a rate control override with two numbers", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.rc_overrides = {text("", "0,10,2/5,6")}; },
     "error parsing rc_override\n"},
    {"a matrix of three values", AVMEDIA_TYPE_VIDEO,
     [](PerFileOptions& o) { o.intra_matrices = {text("", "1,2,3")}; },
     "Syntax error in matrix \"1,2,3\" at coeff 2\n"},
    {"an unknown sample format", AVMEDIA_TYPE_AUDIO,
     [](PerFileOptions& o) { o.sample_fmts = {text("a", "s17")}; },
     "Invalid sample format 's17'\n"},
    {"a preset that no base holds", AVMEDIA_TYPE_AUDIO,
     [](PerFileOptions& o) { o.presets = {text("", "quaverly-no-such-preset")}; },
     "Preset quaverly-no-such-preset specified for stream 0:0, but could not be opened.\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetStreams, TargetStreamRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesTestBase, VideoSettingsReachTheEncoderContext) {
    TestOutputPtr oc = testOutput("out.mkv");
    PerFileOptions o;
    o.streamid_map = {0, 42};
    o.frame_sizes = {text("", "qvga")};
    o.frame_aspect_ratios = {text("v", "16:9")};
    o.frame_pix_fmts = {text("", "+yuv420p")};
    o.frame_rates = {text("", "30000/1001")};
    o.rc_overrides = {text("", "0,10,5/20,30,-50/40,50,-2147483648")};
    o.qscale = {{"", 3.0}, {"a", 7.0}};
    o.codec_tags = {text("", "ab")};
    o.bitstream_filters = {text("", "null,noise")};
    std::string matrix = "8";
    for (int i = 1; i < 64; ++i)
        matrix += "," + std::to_string(8 + i);
    o.inter_matrices = {text("", matrix.c_str())};
    tc_state().intra_only = 1;
    tc_state().do_pass = 3;

    tc_add_video_target(&o, oc.get(), -1);
    TargetStream* ost = tc_add_video_target(&o, oc.get(), -1);
    tc_state().intra_only = 0;
    tc_state().do_pass = 0;

    const AVCodecContext* video = ost->enc_ctx.get();
    EXPECT_EQ(ost->index, 1);
    EXPECT_EQ(ost->st->id, 42);
    EXPECT_EQ(video->codec_id, oc->oformat->video_codec);
    EXPECT_EQ(ost->enc, avcodec_find_encoder(oc->oformat->video_codec));
    EXPECT_EQ(video->width, 320);
    EXPECT_EQ(video->height, 240);
    EXPECT_FLOAT_EQ(ost->frame_aspect_ratio, 16.0f / 9.0f);
    EXPECT_EQ(video->pix_fmt, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(ost->keep_pix_fmt, 1);
    EXPECT_EQ(av_cmp_q(ost->frame_rate, AVRational{30000, 1001}), 0);
    ASSERT_EQ(video->rc_override_count, 3);
    EXPECT_EQ(video->rc_override[0].qscale, 5);
    EXPECT_FLOAT_EQ(video->rc_override[0].quality_factor, 1.0f);
    EXPECT_EQ(video->rc_override[1].qscale, 0);
    EXPECT_FLOAT_EQ(video->rc_override[1].quality_factor, 0.5f);
    EXPECT_FLOAT_EQ(video->rc_override[2].quality_factor, 21474836.48f);
    EXPECT_TRUE(video->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(video->global_quality, 3 * FF_QP2LAMBDA);
    EXPECT_EQ(video->codec_tag, MKTAG('a', 'b', 0, 0));
    EXPECT_EQ(ost->avfilter, "null");
    EXPECT_EQ(video->gop_size, 0);
    EXPECT_EQ(video->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2),
              AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2);
    ASSERT_NE(video->inter_matrix, nullptr);
    EXPECT_EQ(video->inter_matrix[0], 8);
    EXPECT_EQ(video->inter_matrix[63], 71);
    ASSERT_EQ(ost->bitstream_filters.size(), 2u);
    EXPECT_STREQ(ost->bitstream_filters[1]->filter->name, "noise");
    EXPECT_TRUE(video->flags & AV_CODEC_FLAG_GLOBAL_HEADER);
}

TEST_F(TargetFilesTestBase, AStreamCopyTakesOnlyTheRateAndInitialFrames) {
    TestOutputPtr oc = testOutput("out.mkv");
    PerFileOptions o;
    o.codec_names = {text("", "copy")};
    o.frame_sizes = {text("", "bad size is never read")};
    o.frame_rates = {text("", "25")};
    o.copy_initial_nonkeyframes = {{"", 1}};
    TargetStream* ost = tc_add_video_target(&o, oc.get(), -1);
    EXPECT_EQ(ost->stream_copy, 1);
    EXPECT_EQ(ost->enc, nullptr);
    EXPECT_EQ(ost->copy_initial_nonkeyframes, 1);
    EXPECT_EQ(av_cmp_q(ost->frame_rate, AVRational{25, 1}), 0);
    EXPECT_EQ(ost->enc_ctx->width, 0);
    EXPECT_TRUE(ost->avfilter.empty());
}

TEST_F(TargetFilesTestBase, AudioSettingsAndTheSourceReachTheStream) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0|0|0", "lavfi"));
    TestOutputPtr oc = testOutput("out.wav");
    PerFileOptions o;
    o.audio_channels = {{"", 2}, {"v", 6}};
    o.audio_sample_rate = {{"a", 22050}};
    o.sample_fmts = {text("", "s16")};
    o.filters = {text("", "volume=2")};
    av_opt_set(tool_sws_options, "sws_flags", "lanczos", 0);
    av_opt_set_int(tool_swr_options, "dither_method", 2, 0);
    TargetStream* ost = tc_add_audio_target(&o, oc.get(), 0);

    const AVCodecContext* audio = ost->enc_ctx.get();
    EXPECT_EQ(audio->ch_layout.nb_channels, 2);
    EXPECT_EQ(audio->ch_layout.order, AV_CHANNEL_ORDER_UNSPEC);
    EXPECT_EQ(audio->sample_rate, 22050);
    EXPECT_EQ(audio->sample_fmt, AV_SAMPLE_FMT_S16);
    EXPECT_EQ(ost->avfilter, "volume=2");
    EXPECT_EQ(ost->enc, avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE));
    EXPECT_EQ(ost->sws_flags, SWS_LANCZOS);
    EXPECT_EQ(ost->swr_dither_method, 2);
    const SourceStream* ist = tc_state().input_streams[0].get();
    EXPECT_EQ(ost->sync_ist, ist);
    EXPECT_EQ(ist->discard, 0);
    EXPECT_EQ(ist->st->discard, AVDISCARD_NONE);
}

ChannelMapEntry channel(int file, int stream, int ch, int ofile = -1, int ostream = -1) {
    return {file, stream, ch, ofile, ostream};
}

TEST_F(TargetFilesTestBase, ChannelMapsApplyToTheirSourceAndTarget) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0|0", "lavfi"));
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0|0", "lavfi"));
    TestOutputPtr oc = testOutput("out.wav");
    PerFileOptions o;
    o.audio_channel_maps = {channel(1, 0, 1),          channel(-1, -1, -1),
                            channel(0, 0, 1),          channel(1, 0, 0, 0, 0),
                            channel(1, 0, 0, 1, -1),   channel(1, 0, 0, -1, 1),
                            channel(-1, -1, -1, 0, 0), channel(1, 1, 0)};
    TargetStream* fromSecond = tc_add_audio_target(&o, oc.get(), 1);
    EXPECT_EQ(std::vector<int>(fromSecond->audio_channels_map,
                               fromSecond->audio_channels_map + fromSecond->audio_channels_mapped),
              (std::vector<int>{1, -1, 0, -1}));

    // A stream fed by a graph has no source: only muted channels apply.
    TargetStream* fromGraph = tc_add_audio_target(&o, oc.get(), -1);
    EXPECT_EQ(std::vector<int>(fromGraph->audio_channels_map,
                               fromGraph->audio_channels_map + fromGraph->audio_channels_mapped),
              (std::vector<int>{-1}));
}

TEST_F(TargetFilesTestBase, ChannelMapsBeyondThirtyTwoAreDroppedWithAMessage) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0|0", "lavfi"));
    TestOutputPtr oc = testOutput("out.wav");
    PerFileOptions o;
    for (int i = 0; i < 34; ++i)
        o.audio_channel_maps.push_back(channel(0, 0, i % 2));
    MessageCapture log;
    TargetStream* ost = tc_add_audio_target(&o, oc.get(), 0);
    EXPECT_EQ(ost->audio_channels_mapped, 32);
    EXPECT_EQ(ost->audio_channels_map[31], 1);
    EXPECT_EQ(log.str(), "Max channel mapping for output 0.0 reached\n"
                         "Max channel mapping for output 0.0 reached\n");
}

// Preset files, looked for in $AVCONV_DATADIR, $HOME/.avconv and /usr/local/share/ffmpeg.
struct PresetCase {
    const char* description;
    std::vector<std::string> files; // under the test folder: "data/..." or "home/.avconv/..."
    const char* expected;           // the file whose "b" value is taken
};

void PrintTo(const PresetCase& c, std::ostream* out) {
    *out << c.description;
}

class TargetPresets : public TargetFilesTestBase, public ::testing::WithParamInterface<PresetCase> {
protected:
    void SetUp() override {
        TargetFilesTestBase::SetUp();
        savedHome_ = std::getenv("HOME");
    }
    void TearDown() override {
        setenv("HOME", savedHome_.c_str(), 1);
        unsetenv("AVCONV_DATADIR");
        TargetFilesTestBase::TearDown();
    }

private:
    std::string savedHome_;
};

TEST_P(TargetPresets, TakeTheEncoderFileBeforeThePlainOneInEachBase) {
    const PresetCase& c = GetParam();
    const std::string folder = TestEnvironment::makeTempFolder().toStdString();
    for (const std::string& name : c.files) {
        std::filesystem::create_directories(
            std::filesystem::path(folder + "/" + name).parent_path());
        std::ofstream(folder + "/" + name) << "# made by the test\n\nb=" << name << "\nmaxrate=1\n";
    }
    setenv("AVCONV_DATADIR", (folder + "/data").c_str(), 1);
    setenv("HOME", (folder + "/home").c_str(), 1);

    TestOutputPtr oc = testOutput("out.wav");
    PerFileOptions o;
    o.presets = {text("a", "quaverly-test")};
    av_dict_set(&tool_codec_options, "maxrate", "9", 0);
    TargetStream* ost = tc_add_audio_target(&o, oc.get(), -1);
    const AVDictionaryEntry* b = av_dict_get(ost->opts.get(), "b", nullptr, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->value, c.expected);
    // Options already given are not overwritten by the preset.
    const AVDictionaryEntry* maxrate = av_dict_get(ost->opts.get(), "maxrate", nullptr, 0);
    ASSERT_NE(maxrate, nullptr);
    EXPECT_STREQ(maxrate->value, "9");
}

// clang-format off
const PresetCase kPresetCases[] = {
    {"encoder file in the data folder first",
     {"data/pcm_s16le-quaverly-test.avpreset", "data/quaverly-test.avpreset"},
     "data/pcm_s16le-quaverly-test.avpreset"},
    {"plain file in the data folder before anything at home",
     {"data/quaverly-test.avpreset", "home/.avconv/pcm_s16le-quaverly-test.avpreset"},
     "data/quaverly-test.avpreset"},
    {"encoder file at home when the data folder has none",
     {"home/.avconv/pcm_s16le-quaverly-test.avpreset", "home/.avconv/quaverly-test.avpreset"},
     "home/.avconv/pcm_s16le-quaverly-test.avpreset"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetStreams, TargetPresets, ::testing::ValuesIn(kPresetCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesTestBase, APresetLineWithoutEqualsEndsTheProgram) {
    const std::string folder = TestEnvironment::makeTempFolder().toStdString();
    std::ofstream(folder + "/broken.avpreset") << "b=1\nno equals here\n";
    setenv("AVCONV_DATADIR", folder.c_str(), 1);
    TestOutputPtr oc = testOutput("out.wav");
    PerFileOptions o;
    o.presets = {text("", "broken")};
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_add_audio_target(&o, oc.get(), -1); }), 1);
    unsetenv("AVCONV_DATADIR");
    EXPECT_EQ(log.str(), "Invalid line found in the preset file.\n");
}

TEST(TargetMatrix, ReadsSixtyFourValuesAndNamesTheMissingComma) {
    std::string text = "1";
    for (int i = 1; i < 64; ++i)
        text += "," + std::to_string(i * 3);
    uint16_t matrix[64] = {};
    tc_parse_matrix(matrix, text.c_str());
    EXPECT_EQ(matrix[0], 1);
    EXPECT_EQ(matrix[1], 3);
    EXPECT_EQ(matrix[63], 189);

    const std::string shortText = text.substr(0, text.rfind(','));
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_parse_matrix(matrix, shortText.c_str()); }), 1);
    tool_options_init();
    EXPECT_EQ(log.str(), "Syntax error in matrix \"" + shortText + "\" at coeff 62\n");
}

} // namespace
