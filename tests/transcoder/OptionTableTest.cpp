// The transcoder's option table as a whole: its rows, the help listing, the per-file reset and
// the targets.
#include "OptionTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The option names in the order the table must hold them (also the help listing's order).
const std::vector<std::string> kOptionNames = [] {
    std::istringstream words(
        "L h ? help -help version formats codecs decoders encoders bsfs protocols filters "
        "pix_fmts sample_fmts loglevel v debug fdebug report max_alloc cpuflags f i y n c codec "
        "pre map map_channel map_metadata map_chapters t fs ss itsoffset itsscale timestamp "
        "metadata dframes benchmark benchmark_all progress stdin timelimit dump hex re target "
        "vsync async adrift_threshold copyts copytb shortest dts_delta_threshold "
        "dts_error_threshold xerror copyinkf frames tag q qscale profile filter filter_complex "
        "stats attach dump_attachment debug_ts vframes r s aspect pix_fmt bits_per_raw_sample "
        "croptop cropbottom cropleft cropright padtop padbottom padleft padright padcolor intra "
        "vn vdt rc_override vcodec sameq same_quant timecode pass passlogfile deinterlace psnr "
        "vstats vstats_file vf intra_matrix inter_matrix top dc vtag qphist force_fps streamid "
        "force_key_frames b aframes aq ar ac an acodec atag vol sample_fmt channel_layout af sn "
        "scodec stag fix_sub_duration vc tvstd isync muxdelay muxpreload bsf absf vbsf apre vpre "
        "spre fpre dcodec dn default");
    return std::vector<std::string>(std::istream_iterator<std::string>(words), {});
}();

TEST(OptionTable, HoldsTheOptionsInListingOrderThenAnEmptyRow) {
    std::vector<std::string> names;
    for (const ToolOption* po = tc_options; po->name; ++po)
        names.push_back(po->name);
    EXPECT_EQ(kOptionNames.size(), 141u);
    EXPECT_EQ(names, kOptionNames);
    const ToolOption& end = tc_options[kOptionNames.size()];
    EXPECT_TRUE(!end.name && !end.flags && !end.help && !end.argname && !end.target.index());
}

// What the parser needs a row's target to be, by its flags; and what the target is, by the
// alternatives of ToolOptionTarget in their order.
std::string neededTarget(uint32_t flags) {
    const std::string where = (flags & TOOLOPT_FIELD) ? " field" : " variable";
    if (flags & TOOLOPT_SPECIFIED)
        return "list field";
    if (flags & (TOOLOPT_FLAG | TOOLOPT_INT))
        return "int" + where;
    if (flags & (TOOLOPT_INT64 | TOOLOPT_TIME))
        return "int64" + where;
    if (flags & TOOLOPT_FLOAT)
        return "float" + where;
    if (flags & TOOLOPT_DOUBLE)
        return "double" + where;
    if (flags & TOOLOPT_STRING)
        return "text" + where;
    return (flags & TOOLOPT_PER_FILE) ? "per-file handler" : "handler";
}

const char* const kTargetKinds[] = {
    "none",           "handler",        "per-file handler", "int variable",  "int64 variable",
    "int64 variable", "float variable", "double variable",  "text variable", "int field",
    "int64 field",    "int64 field",    "float field",      "double field",  "text field",
    "list field",     "int field"};
static_assert(std::size(kTargetKinds) == std::variant_size_v<ToolOptionTarget>);

bool isNullHandler(const ToolOptionTarget& target) {
    const auto* handler = std::get_if<ToolHandler>(&target);
    const auto* fileHandler = std::get_if<ToolFileHandler>(&target);
    return (handler && !*handler) || (fileHandler && !*fileHandler);
}

TEST(OptionTable, EachRowTargetsWhatItsFlagsNeed) {
    for (const ToolOption* po = tc_options; po->name; ++po) {
        EXPECT_EQ(kTargetKinds[po->target.index()], neededTarget(po->flags)) << po->name;
        EXPECT_FALSE(isNullHandler(po->target)) << po->name;
    }
}

struct HelpRun {
    std::optional<int> status;
    std::string out;
};

HelpRun runHelp(std::vector<std::string> words) {
    HelpRun run;
    run.out = capturedStdout([&] {
        run.status = exitStatusOf([&] {
            PerFileOptions o;
            parseWords(&o, words);
        });
    });
    return run;
}

const std::string kHelpHead =
    "Hyper fast Audio and Video encoder\n"
    "usage: ffmpeg [options] [[infile options] -i infile]... {[outfile options] outfile}...\n\n"
    "Getting help:\n"
    "    -h      -- print basic options\n"
    "    -h long -- print more options\n"
    "    -h full -- print all options (including all format and codec specific options, very "
    "long)\n"
    "    See man ffmpeg for detailed description of the options.\n\n"
    "Print help / information / capabilities:\n"
    "-L                  show license\n"
    "-h topic            show help\n";

TEST_F(OptionTest, BasicHelpListsTheMainSectionsOnly) {
    EXPECT_EQ(tc_state().print_help, &tc_print_help);
    const HelpRun run = runHelp({"-y", "--help"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    EXPECT_EQ(run.out.rfind(kHelpHead, 0), 0u) << run.out;
    for (const char* section :
         {"\n\nGlobal options (affect whole program instead of just one file:\n-loglevel loglevel  "
          "set libav* logging level\n",
          "\n\nPer-file main options:\n-f fmt              force format\n-i filename         input "
          "file name\n-c codec            codec name\n",
          "\n\nAudio options:\n-aframes number     set the number of audio frames to record\n",
          "\n\nSubtitle options:\n-s size             set frame size (WxH or abbreviation)\n-sn    "
          "             disable subtitle\n"})
        EXPECT_NE(run.out.find(section), std::string::npos) << section;
    EXPECT_EQ(run.out.find("Advanced"), std::string::npos);
}

TEST_F(OptionTest, LongHelpListsEveryRowAndFullHelpTheLibraryOptions) {
    const HelpRun run = runHelp({"-h", "long"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    for (const std::string& name : kOptionNames)
        EXPECT_NE(run.out.find("\n-" + name + " "), std::string::npos) << name;
    EXPECT_NE(run.out.find("\n\nAdvanced Audio options:\n"), std::string::npos);
    EXPECT_EQ(run.out.find("AVCodecContext AVOptions:"), std::string::npos);

    const std::string full = runHelp({"-help", "full"}).out;
    for (const char* cls : {"AVCodecContext AVOptions:", "AVFormatContext AVOptions:",
                            "SWScaler AVOptions:", "SWResampler AVOptions:", "AVFilter AVOptions:"})
        EXPECT_NE(full.find(cls), std::string::npos) << cls;
}

TEST_F(OptionTest, UnknownHelpTopicIsNamedThenTheBasicHelpFollows) {
    const HelpRun run = runHelp({"-?", "bogus"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    EXPECT_EQ(run.out.rfind("Unknown help option 'bogus'.\n" + kHelpHead, 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("Advanced"), std::string::npos);
}

TEST_F(OptionTest, ResetKeepsOnlyARecordingTimeWrittenBeforeAnInput) {
    PerFileOptions o;
    parseWords(&o, {"-t", "5", "-c", "flac", "-b:a", "1k", "-muxdelay", "3", "-fs", "10",
                    "-map_chapters", "0", "-streamid", "2:1", "-attach", "a", "-map", "[x]"});
    LogCapture log;
    tc_reset_file_options(&o, 1);
    EXPECT_EQ(o.recording_time, 5000000);
    EXPECT_TRUE(o.codec_names.empty() && o.streamid_map.empty() && o.attachments.empty() &&
                o.stream_maps.empty());
    EXPECT_EQ(o.mux_max_delay, 0.7f);
    EXPECT_EQ(o.limit_filesize, UINT64_MAX);
    EXPECT_EQ(o.chapters_input_file, std::nullopt);
    EXPECT_EQ(tool_codec_options, nullptr);
    EXPECT_TRUE(tool_sws_options && tool_swr_options);

    tc_reset_file_options(&o, 0);
    EXPECT_EQ(o.recording_time, INT64_MAX);
    tc_reset_file_options(&o, 1);
    EXPECT_EQ(log.str(), "-t is not an input option, keeping it for the next output; consider "
                         "fixing your command line.\n");
}

struct TargetCase {
    const char* target;
    QString OptionFixtures::*input; // null: no input open
    std::string expected;
};

void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.target;
}

std::string targetText(const PerFileOptions& o) {
    const TranscoderState& s = tc_state();
    char preload[16];
    std::snprintf(preload, sizeof(preload), "%.2f", o.mux_preload);
    return o.format + " " + listText(o.frame_sizes) + listText(o.frame_rates) +
           listText(o.frame_pix_fmts) + listText(o.audio_sample_rate) + listText(o.audio_channels) +
           " " + listText(o.codec_names) + s.video_codec_name + "/" + s.audio_codec_name + " g" +
           dictValue(tool_codec_options, "g") + " " + dictValue(tool_format_options, "muxrate") +
           " " + preload;
}

class Targets : public OptionTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(Targets, SetTheOptionsOfTheFileType) {
    const TargetCase& c = GetParam();
    if (c.input) {
        ASSERT_FALSE((optionFixtures().*c.input).isEmpty());
        ASSERT_NO_FATAL_FAILURE(addSourceFile(optionFixtures().*c.input));
    }
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-target", c.target});
    EXPECT_EQ(targetText(o), c.expected);
    if (c.input) {
        EXPECT_NE(log.str().find(c.input == &OptionFixtures::palThreeStreams
                                     ? "Assuming PAL for target.\n"
                                     : "Assuming NTSC for target.\n"),
                  std::string::npos);
    }
}

const TargetCase kTargetCases[] = {
    {"ntsc-dvd", nullptr,
     "dvd =720x480;=30000/1001;=yuv420p;=48000; v=mpeg2video;a=ac3;mpeg2video/ac3 g18 10080000 "
     "0.00"},
    {"film-vcd", nullptr,
     "vcd =352x240;=24000/1001;=44100;=2; v=mpeg1video;a=mp2;mpeg1video/mp2 g18 1411200 0.44"},
    {"pal-svcd", nullptr,
     "svcd =480x576;=25;=yuv420p;=44100; v=mpeg2video;a=mp2;mpeg2video/mp2 g15 (none) 0.00"},
    {"pal-dv50", nullptr, "dv =720x576;=25;=yuv422p;=48000;=2; / g(none) (none) 0.00"},
    {"ntsc-dv", nullptr, "dv =720x480;=30000/1001;=yuv411p;=48000;=2; / g(none) (none) 0.00"},
    {"vcd", &OptionFixtures::palThreeStreams,
     "vcd =352x288;=25;=44100;=2; v=mpeg1video;a=mp2;mpeg1video/mp2 g15 1411200 0.44"},
    {"dvd", &OptionFixtures::ntscVideo,
     "dvd =720x480;=30000/1001;=yuv420p;=48000; v=mpeg2video;a=ac3;mpeg2video/ac3 g18 10080000 "
     "0.00"},
    {"dv", &OptionFixtures::filmVideo,
     "dv =720x480;=30000/1001;=yuv411p;=48000;=2; / g(none) (none) 0.00"},
};

INSTANTIATE_TEST_SUITE_P(Options, Targets, ::testing::ValuesIn(kTargetCases), [](const auto& info) {
    return testNameFrom(info.param.target) + (info.param.input ? "_from_its_input" : "");
});

TEST_F(OptionTest, TargetWithoutANormEndsTheProgram) {
    for (const bool withInput : {false, true}) {
        resetTranscoderState();
        if (withInput) {
            ASSERT_NO_FATAL_FAILURE(addSourceFile(optionFixtures().otherRateVideo));
        }
        PerFileOptions o;
        LogCapture log;
        EXPECT_EQ(exitStatusOf([&] { parseWords(&o, {"-target", "vcd"}); }), std::optional<int>(1));
        EXPECT_NE(log.str().find("Could not determine norm (PAL/NTSC/NTSC-Film) for target.\n"
                                 "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\n"
                                 "or set a framerate with \"-r xxx\".\n"),
                  std::string::npos)
            << log.str();
    }
}

} // namespace
