// The transcoder's option table as a whole: its rows, the per-file reset, the targets and the
// help listing.
#include "OptionTestSupport.h"

#include "transcoder/tool_generic_options.h"

#include <gtest/gtest.h>

#include <bit>
#include <optional>
#include <string>
#include <vector>

namespace {

// The option names in the order the table must hold them (also the help listing's order).
const std::vector<std::string> kOptionNames = {"L",
                                               "h",
                                               "?",
                                               "help",
                                               "-help",
                                               "version",
                                               "formats",
                                               "codecs",
                                               "decoders",
                                               "encoders",
                                               "bsfs",
                                               "protocols",
                                               "filters",
                                               "pix_fmts",
                                               "sample_fmts",
                                               "loglevel",
                                               "v",
                                               "debug",
                                               "fdebug",
                                               "report",
                                               "max_alloc",
                                               "cpuflags",
                                               "f",
                                               "i",
                                               "y",
                                               "n",
                                               "c",
                                               "codec",
                                               "pre",
                                               "map",
                                               "map_channel",
                                               "map_metadata",
                                               "map_chapters",
                                               "t",
                                               "fs",
                                               "ss",
                                               "itsoffset",
                                               "itsscale",
                                               "timestamp",
                                               "metadata",
                                               "dframes",
                                               "benchmark",
                                               "benchmark_all",
                                               "progress",
                                               "stdin",
                                               "timelimit",
                                               "dump",
                                               "hex",
                                               "re",
                                               "target",
                                               "vsync",
                                               "async",
                                               "adrift_threshold",
                                               "copyts",
                                               "copytb",
                                               "shortest",
                                               "dts_delta_threshold",
                                               "dts_error_threshold",
                                               "xerror",
                                               "copyinkf",
                                               "frames",
                                               "tag",
                                               "q",
                                               "qscale",
                                               "profile",
                                               "filter",
                                               "filter_complex",
                                               "stats",
                                               "attach",
                                               "dump_attachment",
                                               "debug_ts",
                                               "vframes",
                                               "r",
                                               "s",
                                               "aspect",
                                               "pix_fmt",
                                               "bits_per_raw_sample",
                                               "croptop",
                                               "cropbottom",
                                               "cropleft",
                                               "cropright",
                                               "padtop",
                                               "padbottom",
                                               "padleft",
                                               "padright",
                                               "padcolor",
                                               "intra",
                                               "vn",
                                               "vdt",
                                               "rc_override",
                                               "vcodec",
                                               "sameq",
                                               "same_quant",
                                               "timecode",
                                               "pass",
                                               "passlogfile",
                                               "deinterlace",
                                               "psnr",
                                               "vstats",
                                               "vstats_file",
                                               "vf",
                                               "intra_matrix",
                                               "inter_matrix",
                                               "top",
                                               "dc",
                                               "vtag",
                                               "qphist",
                                               "force_fps",
                                               "streamid",
                                               "force_key_frames",
                                               "b",
                                               "aframes",
                                               "aq",
                                               "ar",
                                               "ac",
                                               "an",
                                               "acodec",
                                               "atag",
                                               "vol",
                                               "sample_fmt",
                                               "channel_layout",
                                               "af",
                                               "sn",
                                               "scodec",
                                               "stag",
                                               "fix_sub_duration",
                                               "vc",
                                               "tvstd",
                                               "isync",
                                               "muxdelay",
                                               "muxpreload",
                                               "bsf",
                                               "absf",
                                               "vbsf",
                                               "apre",
                                               "vpre",
                                               "spre",
                                               "fpre",
                                               "dcodec",
                                               "dn",
                                               "default"};

std::vector<std::string> tableNames() {
    std::vector<std::string> names;
    for (const ToolOption* po = tc_options; po->name; ++po)
        names.push_back(po->name);
    return names;
}

TEST(OptionTable, HoldsTheOptionsInListingOrderThenAnEmptyRow) {
    EXPECT_EQ(tableNames(), kOptionNames);
    const ToolOption& end = tc_options[kOptionNames.size()];
    EXPECT_EQ(end.name, nullptr);
    EXPECT_EQ(end.flags, 0u);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(end.target));
    EXPECT_EQ(end.help, nullptr);
    EXPECT_EQ(end.argname, nullptr);
}

TEST(OptionTable, EveryNameFindsItsOwnRow) {
    for (const ToolOption* po = tc_options; po->name; ++po)
        EXPECT_EQ(tool_find_option(tc_options, po->name), po) << po->name;
}

// The kind of target the parser needs for a row's flags.
std::string expectedTargetKind(uint32_t flags) {
    const uint32_t value = flags & TOOLOPT_VALUE_KINDS;
    if (flags & TOOLOPT_SPECIFIED)
        return "list field";
    const bool field = flags & TOOLOPT_FIELD;
    const std::string where = field ? " field" : " variable";
    if (value & (TOOLOPT_FLAG | TOOLOPT_INT))
        return "int" + where;
    if (value & (TOOLOPT_INT64 | TOOLOPT_TIME))
        return "int64" + where;
    if (value & TOOLOPT_FLOAT)
        return "float" + where;
    if (value & TOOLOPT_DOUBLE)
        return "double" + where;
    if (value & TOOLOPT_STRING)
        return "text" + where;
    return (flags & TOOLOPT_PER_FILE) ? "per-file handler" : "handler";
}

std::string targetKind(const ToolOptionTarget& target) {
    struct Kind {
        std::string operator()(std::monostate) const { return "none"; }
        std::string operator()(ToolHandler h) const { return h ? "handler" : "null handler"; }
        std::string operator()(ToolFileHandler h) const {
            return h ? "per-file handler" : "null handler";
        }
        std::string operator()(int*) const { return "int variable"; }
        std::string operator()(int64_t*) const { return "int64 variable"; }
        std::string operator()(uint64_t*) const { return "int64 variable"; }
        std::string operator()(float*) const { return "float variable"; }
        std::string operator()(double*) const { return "double variable"; }
        std::string operator()(std::string*) const { return "text variable"; }
        std::string operator()(int PerFileOptions::*) const { return "int field"; }
        std::string operator()(int64_t PerFileOptions::*) const { return "int64 field"; }
        std::string operator()(uint64_t PerFileOptions::*) const { return "int64 field"; }
        std::string operator()(float PerFileOptions::*) const { return "float field"; }
        std::string operator()(double PerFileOptions::*) const { return "double field"; }
        std::string operator()(std::string PerFileOptions::*) const { return "text field"; }
        std::string operator()(SpecifiedList PerFileOptions::*) const { return "list field"; }
    };
    return std::visit(Kind{}, target);
}

TEST(OptionTable, EachRowTargetsWhatItsFlagsMake) {
    for (const ToolOption* po = tc_options; po->name; ++po) {
        SCOPED_TRACE(po->name);
        EXPECT_LE(std::popcount(po->flags & TOOLOPT_VALUE_KINDS & ~TOOLOPT_TIME & ~TOOLOPT_INT64),
                  1);
        EXPECT_EQ(targetKind(po->target), expectedTargetKind(po->flags));
        EXPECT_NE(po->help, nullptr);
    }
}

TEST_F(OptionTest, HelpRowsReachTheProgramHelp) {
    EXPECT_EQ(tc_state().print_help, &tc_print_help);
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

const char kHelpHead[] =
    "Hyper fast Audio and Video encoder\n"
    "usage: ffmpeg [options] [[infile options] -i infile]... {[outfile options] outfile}...\n"
    "\n"
    "Getting help:\n"
    "    -h      -- print basic options\n"
    "    -h long -- print more options\n"
    "    -h full -- print all options (including all format and codec specific options, very "
    "long)\n"
    "    See man ffmpeg for detailed description of the options.\n"
    "\n"
    "Print help / information / capabilities:\n"
    "-L                  show license\n"
    "-h topic            show help\n";

TEST_F(OptionTest, BasicHelpListsTheMainSectionsAndEndsWithStatusZero) {
    const HelpRun run = runHelp({"-h"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    EXPECT_EQ(run.out.rfind(kHelpHead, 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Global options (affect whole program instead of just one file:\n"
                           "-loglevel loglevel  set libav* logging level\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Per-file main options:\n-f fmt              force format\n"
                           "-i filename         input file name\n"
                           "-c codec            codec name\n"),
              std::string::npos);
    EXPECT_NE(run.out.find(
                  "Audio options:\n-aframes number     set the number of audio frames to record\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("Subtitle options:\n-s size             set frame size (WxH or "
                           "abbreviation)\n-sn                 disable subtitle\n"),
              std::string::npos);
    EXPECT_EQ(run.out.find("Advanced"), std::string::npos);
}

TEST_F(OptionTest, LongHelpListsEveryRowAndTheAdvancedSections) {
    const HelpRun run = runHelp({"-h", "long"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    for (const char* title : {"Advanced global options:\n", "Advanced per-file options:\n",
                              "Advanced Video options:\n", "Advanced Audio options:\n"})
        EXPECT_NE(run.out.find(title), std::string::npos) << title;
    for (const std::string& name : kOptionNames)
        EXPECT_NE(run.out.find("\n-" + name + " "), std::string::npos) << name;
    EXPECT_EQ(run.out.find("AVCodecContext AVOptions:"), std::string::npos);
}

TEST_F(OptionTest, FullHelpAddsTheLibraryOptions) {
    const HelpRun run = runHelp({"-help", "full"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    for (const char* cls : {"AVCodecContext AVOptions:", "AVFormatContext AVOptions:",
                            "SWScaler AVOptions:", "SWResampler AVOptions:", "AVFilter AVOptions:"})
        EXPECT_NE(run.out.find(cls), std::string::npos) << cls;
}

TEST_F(OptionTest, UnknownHelpTopicIsNamedThenTheBasicHelpFollows) {
    const HelpRun run = runHelp({"-?", "bogus"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    const size_t unknown = run.out.find("Unknown help option 'bogus'.\n");
    ASSERT_NE(unknown, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(kHelpHead), unknown + std::strlen("Unknown help option 'bogus'.\n"));
    EXPECT_EQ(run.out.find("Advanced"), std::string::npos);
}

TEST_F(OptionTest, HelpAtTheEndOfTheLineIsTheBasicHelp) {
    const HelpRun run = runHelp({"-y", "--help"});
    EXPECT_EQ(run.status, std::optional<int>(0));
    EXPECT_NE(run.out.find(kHelpHead), std::string::npos);
    EXPECT_EQ(run.out.find("Unknown help option"), std::string::npos);
}

TEST_F(OptionTest, RecordingTimeBeforeAnInputIsKeptForTheNextOutputWithOneWarning) {
    PerFileOptions o;
    parseWords(&o, {"-t", "5", "-ss", "1", "-c", "flac", "-b:a", "1k", "-map_channel", "-1"});
    LogCapture log;
    tc_reset_file_options(&o, 1);
    EXPECT_EQ(o.recording_time, 5000000);
    EXPECT_EQ(o.start_time, 0);
    EXPECT_TRUE(o.codec_names.empty());
    EXPECT_TRUE(o.audio_channel_maps.empty());
    EXPECT_EQ(tool_codec_options, nullptr);
    EXPECT_NE(tool_sws_options, nullptr);
    EXPECT_NE(tool_swr_options, nullptr);

    tc_reset_file_options(&o, 0);
    EXPECT_EQ(o.recording_time, INT64_MAX);
    const std::string warning = "-t is not an input option, keeping it for the next output; "
                                "consider fixing your command line.\n";
    const std::string text = log.str();
    EXPECT_NE(text.find(warning), std::string::npos) << text;
    EXPECT_EQ(text.find(warning), text.rfind(warning)) << text;
}

TEST_F(OptionTest, ResetGivesAnOutputItsDefaults) {
    PerFileOptions o;
    parseWords(&o, {"-muxdelay", "3", "-fs", "10", "-map_chapters", "0", "-streamid", "2:1",
                    "-attach", "a.ttf", "-f", "wav", "-vn", "-metadata", "a=b", "-map", "[x]"});
    LogCapture log;
    tc_reset_file_options(&o, 1);
    EXPECT_EQ(log.str(), "");
    EXPECT_FLOAT_EQ(o.mux_max_delay, 0.7f);
    EXPECT_EQ(o.limit_filesize, UINT64_MAX);
    EXPECT_EQ(o.chapters_input_file, INT_MAX);
    EXPECT_EQ(o.recording_time, INT64_MAX);
    EXPECT_TRUE(o.streamid_map.empty());
    EXPECT_TRUE(o.attachments.empty());
    EXPECT_TRUE(o.stream_maps.empty());
    EXPECT_TRUE(o.metadata.empty());
    EXPECT_EQ(o.format, "");
    EXPECT_EQ(o.video_disable, 0);
}

enum class Source { None, Pal, Ntsc, Film };

struct TargetCase {
    const char* description;
    Source source;
    const char* target;
    std::string expected;
    const char* log; // "" when nothing is expected
};

void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.description;
}

std::string targetText(const PerFileOptions& o) {
    const TranscoderState& s = tc_state();
    char preload[16];
    std::snprintf(preload, sizeof(preload), "%.2f", o.mux_preload);
    return "f=" + o.format + " s" + listText(o.frame_sizes) + " r" + listText(o.frame_rates) +
           " pix" + listText(o.frame_pix_fmts) + " ar" + listText(o.audio_sample_rate) + " ac" +
           listText(o.audio_channels) + " c:" + listText(o.codec_names) +
           " forced=" + s.video_codec_name + "/" + s.audio_codec_name +
           " g=" + dictValue(tool_codec_options, "g") +
           " scan=" + dictValue(tool_codec_options, "scan_offset") +
           " mux=" + dictValue(tool_format_options, "muxrate") +
           " packet=" + dictValue(tool_format_options, "packetsize") + " preload=" + preload;
}

class Targets : public OptionTest, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(Targets, SetTheFileTypesOptions) {
    const OptionFixtures& f = optionFixtures();
    const Source source = GetParam().source;
    if (source != Source::None) {
        const QString& path = source == Source::Pal    ? f.palThreeStreams
                              : source == Source::Ntsc ? f.ntscVideo
                                                       : f.filmVideo;
        ASSERT_FALSE(path.isEmpty());
        ASSERT_NO_FATAL_FAILURE(addSourceFile(path));
    }
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-target", GetParam().target});
    EXPECT_EQ(targetText(o), GetParam().expected);
    EXPECT_NE(log.str().find(GetParam().log), std::string::npos) << log.str();
}

const TargetCase kTargetCases[] = {
    {"NTSC DVD", Source::None, "ntsc-dvd",
     "f=dvd s=720x480; r=30000/1001; pix=yuv420p; ar=48000; ac c:v=mpeg2video;a=ac3; "
     "forced=mpeg2video/ac3 g=18 scan=(none) mux=10080000 packet=2048 preload=0.00",
     ""},
    {"film VCD", Source::None, "film-vcd",
     "f=vcd s=352x240; r=24000/1001; pix ar=44100; ac=2; c:v=mpeg1video;a=mp2; "
     "forced=mpeg1video/mp2 g=18 scan=(none) mux=1411200 packet=2324 preload=0.44",
     ""},
    {"PAL SVCD", Source::None, "pal-svcd",
     "f=svcd s=480x576; r=25; pix=yuv420p; ar=44100; ac c:v=mpeg2video;a=mp2; "
     "forced=mpeg2video/mp2 g=15 scan=1 mux=(none) packet=2324 preload=0.00",
     ""},
    {"PAL DV50", Source::None, "pal-dv50",
     "f=dv s=720x576; r=25; pix=yuv422p; ar=48000; ac=2; c: forced=/ g=(none) scan=(none) "
     "mux=(none) packet=(none) preload=0.00",
     ""},
    {"NTSC DV", Source::None, "ntsc-dv",
     "f=dv s=720x480; r=30000/1001; pix=yuv411p; ar=48000; ac=2; c: forced=/ g=(none) "
     "scan=(none) mux=(none) packet=(none) preload=0.00",
     ""},
    {"PAL DV", Source::None, "pal-dv",
     "f=dv s=720x576; r=25; pix=yuv420p; ar=48000; ac=2; c: forced=/ g=(none) scan=(none) "
     "mux=(none) packet=(none) preload=0.00",
     ""},
    {"VCD for a 25 fps input is PAL", Source::Pal, "vcd",
     "f=vcd s=352x288; r=25; pix ar=44100; ac=2; c:v=mpeg1video;a=mp2; forced=mpeg1video/mp2 "
     "g=15 scan=(none) mux=1411200 packet=2324 preload=0.44",
     "Assuming PAL for target.\n"},
    {"DVD for an NTSC input", Source::Ntsc, "dvd",
     "f=dvd s=720x480; r=30000/1001; pix=yuv420p; ar=48000; ac c:v=mpeg2video;a=ac3; "
     "forced=mpeg2video/ac3 g=18 scan=(none) mux=10080000 packet=2048 preload=0.00",
     "Assuming NTSC for target.\n"},
    {"DV for a film input takes NTSC", Source::Film, "dv",
     "f=dv s=720x480; r=30000/1001; pix=yuv411p; ar=48000; ac=2; c: forced=/ g=(none) "
     "scan=(none) mux=(none) packet=(none) preload=0.00",
     "Assuming NTSC for target.\n"},
};

INSTANTIATE_TEST_SUITE_P(Options, Targets, ::testing::ValuesIn(kTargetCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(OptionTest, TargetWithoutANormFromAnOtherRateInputEndsTheProgram) {
    ASSERT_FALSE(optionFixtures().otherRateVideo.isEmpty());
    ASSERT_NO_FATAL_FAILURE(addSourceFile(optionFixtures().otherRateVideo));
    PerFileOptions o;
    LogCapture log;
    const auto status = exitStatusOf([&] { parseWords(&o, {"-target", "vcd"}); });
    EXPECT_EQ(status, std::optional<int>(1));
    EXPECT_NE(log.str().find("Could not determine norm (PAL/NTSC/NTSC-Film) for target.\n"),
              std::string::npos)
        << log.str();
}

} // namespace
