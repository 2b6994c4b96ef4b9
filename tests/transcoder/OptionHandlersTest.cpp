// Where each option of the transcoder's table lands, and how the handlers fail.
#include "OptionTestSupport.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

using Probe = std::function<std::string(const PerFileOptions&)>;

std::string codecOption(const char* key) {
    return dictValue(tool_codec_options, key);
}

std::string forcedCodecs() {
    const TranscoderState& s = tc_state();
    return s.video_codec_name + "/" + s.audio_codec_name + "/" + s.subtitle_codec_name;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string text;
    for (const std::string& t : texts)
        text += t + ";";
    return text;
}

std::string graphsText() {
    std::string text;
    for (const auto& graph : tc_state().filtergraphs)
        text += std::to_string(graph->index) + ":" + graph->graph_desc + ";";
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

struct RoutingCase {
    const char* description;
    std::vector<std::string> words;
    Probe probe;
    std::string expected;
};

void PrintTo(const RoutingCase& c, std::ostream* out) {
    *out << c.description;
}

class OptionRouting : public OptionTest, public ::testing::WithParamInterface<RoutingCase> {};

TEST_P(OptionRouting, StoresWhereTheOptionMeans) {
    PerFileOptions o;
    parseWords(&o, GetParam().words);
    EXPECT_EQ(GetParam().probe(o), GetParam().expected);
}

const RoutingCase kRoutingCases[] = {
    {"acodec sets the audio codec and the forced audio codec",
     {"-acodec", "libmp3lame"},
     [](auto& o) { return listText(o.codec_names) + "|" + forcedCodecs(); },
     "a=libmp3lame;|/libmp3lame/"},
    {"vcodec and scodec set their own forced codecs",
     {"-vcodec", "mpeg4", "-scodec", "srt"},
     [](auto& o) { return listText(o.codec_names) + "|" + forcedCodecs(); },
     "v=mpeg4;s=srt;|mpeg4//srt"},
    {"dcodec sets the data codec only",
     {"-dcodec", "copy"},
     [](auto& o) { return listText(o.codec_names) + "|" + forcedCodecs(); },
     "d=copy;|//"},
    {"c and codec keep their stream specifiers",
     {"-c:a:1", "flac", "-codec", "copy"},
     [](auto& o) { return listText(o.codec_names); },
     "a:1=flac;=copy;"},
    {"the tag short forms add their stream type",
     {"-vtag", "xvid", "-atag", "mp4a", "-stag", "tx3g", "-tag:d", "none"},
     [](auto& o) { return listText(o.codec_tags); },
     "v=xvid;a=mp4a;s=tx3g;d=none;"},
    {"the bitstream filter short forms add their stream type",
     {"-absf", "aac_adtstoasc", "-vbsf", "h264_mp4toannexb", "-bsf:s", "null"},
     [](auto& o) { return listText(o.bitstream_filters); },
     "a=aac_adtstoasc;v=h264_mp4toannexb;s=null;"},
    {"vf and af are filter chains of their stream type",
     {"-vf", "scale=32:24", "-af", "volume=2", "-filter:s", "null"},
     [](auto& o) { return listText(o.filters); },
     "v=scale=32:24;a=volume=2;s=null;"},
    {"the frame count short forms add their stream type",
     {"-vframes", "10", "-aframes", "20", "-dframes", "3", "-frames:s", "4"},
     [](auto& o) { return listText(o.max_frames); },
     "v=10;a=20;d=3;s=4;"},
    {"aq is the audio quality scale",
     {"-aq", "3", "-q:v", "2.5"},
     [](auto& o) { return listText(o.qscale); },
     "a=3.000000;v=2.500000;"},
    {"a bare qscale is the video quality scale",
     {"-qscale", "4"},
     [](auto& o) { return listText(o.qscale); },
     "v=4.000000;"},
    {"qscale with a stream suffix keeps it",
     {"-qscale:a", "2"},
     [](auto& o) { return listText(o.qscale); },
     "a=2.000000;"},
    {"rates and channels written with decimals are whole numbers",
     {"-ar", "44100.00", "-ac:a", "2"},
     [](auto& o) { return listText(o.audio_sample_rate) + listText(o.audio_channels); },
     "=44100;a=2;"},
    {"a bare b is the video bitrate",
     {"-b", "300k"},
     [](auto&) { return codecOption("b:v"); },
     "300k"},
    {"b with a suffix is a codec option",
     {"-b:a", "128.00k"},
     [](auto&) { return codecOption("b:a"); },
     "128.00k"},
    {"a bare profile is the video profile",
     {"-profile", "high"},
     [](auto&) { return codecOption("profile:v"); },
     "high"},
    {"profile with a suffix is a codec option",
     {"-profile:a", "aac_low"},
     [](auto&) { return codecOption("profile:a"); },
     "aac_low"},
    {"a channel layout name sets the layout and its channel count",
     {"-channel_layout", "5.1"},
     [](auto& o) { return codecOption("channel_layout") + "|" + listText(o.audio_channels); },
     "63|=6;"},
    {"a channel layout with a suffix counts channels for that stream",
     {"-channel_layout:a", "stereo"},
     [](auto& o) { return codecOption("channel_layout:a") + "|" + listText(o.audio_channels); },
     "3|a=2;"},
    {"a channel layout given by its count takes the default layout",
     {"-channel_layout", "3c"},
     [](auto& o) { return codecOption("channel_layout") + "|" + listText(o.audio_channels); },
     "11|=3;"},
    {"timecode is global metadata and the encoder's GOP timecode",
     {"-timecode", "01:00:00:00"},
     [](auto& o) { return listText(o.metadata) + "|" + codecOption("gop_timecode"); },
     "g=timecode=01:00:00:00;|01:00:00:00"},
    {"timestamp becomes the creation time in UTC",
     {"-timestamp", "2021-03-04T05:06:07Z"},
     [](auto& o) { return listText(o.metadata); },
     "=creation_time=2021-03-04T05:06:07+0000;"},
    {"attachments keep odd names",
     {"-attach", "font one.ttf", "-attach", "-x 'é'.ttf"},
     [](auto& o) { return joined(o.attachments); },
     "font one.ttf;-x 'é'.ttf;"},
    {"filter_complex adds graphs in order",
     {"-filter_complex", "[0:a]anull", "-filter_complex", "anullsrc"},
     [](auto&) { return graphsText(); },
     "0:[0:a]anull;1:anullsrc;"},
    {"deinterlace sets its flag",
     {"-deinterlace"},
     [](auto&) { return std::to_string(tc_state().do_deinterlace); },
     "1"},
    {"vstats_file names the statistics file",
     {"-vstats", "-vstats_file", "stats one.log"},
     [](auto&) { return tc_state().vstats_filename; },
     "stats one.log"},
    {"pass and passlogfile",
     {"-pass", "3", "-passlogfile", "pre fix"},
     [](auto&) {
         return std::to_string(tc_state().do_pass) + "|" + tc_state().pass_logfilename_prefix +
                "|" + codecOption("passlogfile");
     },
     "3|pre fix|pre fix"},
    {"flags of the whole program, also written with no",
     {"-y", "-nostdin", "-copyts", "-benchmark", "-nostats", "-isync"},
     [](auto&) {
         const TranscoderState& s = tc_state();
         return std::to_string(s.file_overwrite) + std::to_string(s.stdin_interaction) +
                std::to_string(s.copy_ts) + std::to_string(s.do_benchmark) +
                std::to_string(s.print_stats) + std::to_string(s.input_sync);
     },
     "101101"},
    {"numbers of the whole program",
     {"-async", "1", "-adrift_threshold", "0.5", "-vol", "512", "-dc", "10", "-copytb", "1",
      "-dts_delta_threshold", "3", "-bits_per_raw_sample", "10", "-vdt", "2"},
     [](auto&) {
         const TranscoderState& s = tc_state();
         return std::to_string(s.audio_sync_method) + " " + number(s.audio_drift_threshold) + " " +
                std::to_string(s.audio_volume) + " " + std::to_string(s.intra_dc_precision) + " " +
                std::to_string(s.copy_tb) + " " + number(s.dts_delta_threshold) + " " +
                std::to_string(s.frame_bits_per_raw_sample) + " " + std::to_string(s.video_discard);
     },
     "1 0.5 512 10 1 3 10 2"},
    {"single values of the file",
     {"-f", "matroska", "-ss", "1.5", "-t", "2.25", "-fs", "1000", "-itsoffset", "-0.5",
      "-muxdelay", "0.2", "-muxpreload", "0.1", "-map_chapters", "1"},
     [](auto& o) {
         return o.format + " " + std::to_string(o.start_time) + " " +
                std::to_string(o.recording_time) + " " + std::to_string(o.limit_filesize) + " " +
                std::to_string(o.input_ts_offset) + " " + number(o.mux_max_delay) + " " +
                number(o.mux_preload) + " " + std::to_string(o.chapters_input_file);
     },
     "matroska 1500000 2250000 1000 -500000 0.2 0.1 1"},
    {"flags of the file",
     {"-shortest", "-vn", "-an", "-sn", "-dn", "-re"},
     [](auto& o) {
         return std::to_string(o.shortest) + std::to_string(o.video_disable) +
                std::to_string(o.audio_disable) + std::to_string(o.subtitle_disable) +
                std::to_string(o.data_disable) + std::to_string(o.rate_emu);
     },
     "111111"},
    {"per-stream picture options",
     {"-s", "64x48", "-r:v", "25", "-pix_fmt", "yuv420p", "-aspect", "4:3", "-top", "1",
      "-force_fps", "-copyinkf:v"},
     [](auto& o) {
         return listText(o.frame_sizes) + listText(o.frame_rates) + listText(o.frame_pix_fmts) +
                listText(o.frame_aspect_ratios) + listText(o.top_field_first) +
                listText(o.force_fps) + listText(o.copy_initial_nonkeyframes);
     },
     "=64x48;v=25;=yuv420p;=4:3;=1;=1;v=1;"},
    {"per-stream text options",
     {"-sample_fmt", "s16", "-metadata:s:a", "title=x y", "-map_metadata", "0:g",
      "-dump_attachment:t", "out.ttf", "-itsscale", "2", "-pre", "fast"},
     [](auto& o) {
         return listText(o.sample_fmts) + listText(o.metadata) + listText(o.metadata_map) +
                listText(o.dump_attachment) + listText(o.ts_scale) + listText(o.presets);
     },
     "=s16;s:a=title=x y;=0:g;t=out.ttf;=2.000000;=fast;"},
    {"unknown names go to the codec options",
     {"-compression_level", "5"},
     [](auto&) { return codecOption("compression_level"); },
     "5"},
};

INSTANTIATE_TEST_SUITE_P(Options, OptionRouting, ::testing::ValuesIn(kRoutingCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct WarningCase {
    const char* description;
    std::vector<std::string> words;
    const char* warning;
};

void PrintTo(const WarningCase& c, std::ostream* out) {
    *out << c.description;
}

class OptionWarnings : public OptionTest, public ::testing::WithParamInterface<WarningCase> {};

TEST_P(OptionWarnings, AreLoggedAndTheOptionApplies) {
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, GetParam().words);
    EXPECT_NE(log.str().find(GetParam().warning), std::string::npos) << log.str();
}

const WarningCase kWarningCases[] = {
    {"bare qscale", {"-qscale", "4"}, "Please use -q:a or -q:v, -qscale is ambiguous\n"},
    {"bare profile",
     {"-profile", "main"},
     "Please use -profile:a or -profile:v, -profile is ambiguous\n"},
    {"bare b", {"-b", "1M"}, "Please use -b:a or -b:v, -b is ambiguous\n"},
    {"deinterlace", {"-deinterlace"}, "-deinterlace is deprecated, use -filter:v yadif instead\n"},
    {"timestamp",
     {"-timestamp", "now"},
     "timestamp is deprecated, set the 'creation_time' metadata tag instead.\n"},
};

INSTANTIATE_TEST_SUITE_P(Options, OptionWarnings, ::testing::ValuesIn(kWarningCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct FatalCase {
    const char* description;
    std::vector<std::string> words;
    std::vector<std::string> messages; // each must be logged
};

void PrintTo(const FatalCase& c, std::ostream* out) {
    *out << c.description;
}

class FatalOptions : public OptionTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalOptions, EndTheProgramWithStatusOne) {
    PerFileOptions o;
    LogCapture log;
    const auto status = exitStatusOf([&] { parseWords(&o, GetParam().words); });
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    for (const std::string& message : GetParam().messages)
        EXPECT_NE(log.str().find(message), std::string::npos) << message << "\n" << log.str();
}

const FatalCase kFatalCases[] = {
    {"a removed crop option",
     {"-croptop", "10"},
     {"Option 'croptop' has been removed, use the crop filter instead\n",
      "Failed to set value '10' for option 'croptop'\n"}},
    {"a removed pad option",
     {"-padcolor", "red"},
     {"Option 'padcolor' has been removed, use the pad filter instead\n"}},
    {"a pass number above three",
     {"-pass", "4"},
     {"The value for pass was 4 which is not within 1.000000 - 3.000000\n"}},
    {"an unknown channel layout",
     {"-channel_layout", "bogus"},
     {"Unknown channel layout: bogus\n", "Failed to set value 'bogus' for option "
                                         "'channel_layout'\n"}},
    {"a progress file under a regular file",
     {"-progress", "/dev/null/progress"},
     {"Failed to open progress URL \"/dev/null/progress\": "}},
    {"a vsync text that is no method",
     {"-vsync", "auto"},
     {"Expected number for vsync but found: auto\n"}},
    {"a vsync number out of range",
     {"-vsync", "3"},
     {"The value for vsync was 3 which is not within -1.000000 - 2.000000\n"}},
    {"a timestamp that is no date",
     {"-timestamp", "soon"},
     {"Invalid date specification for timestamp: soon\n"}},
    {"an unknown target", {"-target", "pal-cd"}, {"Unknown target: cd\n"}},
    {"a target without a norm and without inputs",
     {"-target", "dvd"},
     {"Could not determine norm (PAL/NTSC/NTSC-Film) for target.\n",
      "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\n",
      "or set a framerate with \"-r xxx\".\n"}},
    {"a missing preset",
     {"-vpre", "no such preset"},
     {"File for preset 'no such preset' not found\n"}},
    {"the lossless x264 preset that no longer exists",
     {"-vpre", "libx264-lossless_fast"},
     {"Please use -preset <speed> -qp 0\n"}},
};

INSTANTIATE_TEST_SUITE_P(Options, FatalOptions, ::testing::ValuesIn(kFatalCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct VsyncCase {
    const char* description;
    std::vector<std::string> words;
    int method;
};

void PrintTo(const VsyncCase& c, std::ostream* out) {
    *out << c.description;
}

class VideoSync : public OptionTest, public ::testing::WithParamInterface<VsyncCase> {};

TEST_P(VideoSync, EndsAsThisMethod) {
    PerFileOptions o;
    parseWords(&o, GetParam().words);
    EXPECT_EQ(tc_state().video_sync_method, GetParam().method);
}

const VsyncCase kVsyncCases[] = {
    {"drop then a number keeps drop", {"-vsync", "drop", "-vsync", "1"}, 255},
    {"names in any case", {"-vsync", "VFR"}, 2},
    {"cfr", {"-vsync", "cfr"}, 1},
    {"passthrough", {"-vsync", "passthrough"}, 0},
    {"a number is read while the method is automatic", {"-vsync", "-1", "-vsync", "2"}, 2},
    {"a second number is not read", {"-vsync", "1", "-vsync", "2"}, 1},
    {"a name after a number replaces it", {"-vsync", "1", "-vsync", "drop"}, 255},
};

INSTANTIATE_TEST_SUITE_P(Options, VideoSync, ::testing::ValuesIn(kVsyncCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

// The video input devices own the options "channel" and "standard" once registered.
TEST_F(OptionTest, DeprecatedDeviceAliasesWarnAndReachTheDeviceOptions) {
    avdevice_register_all();
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-vc", "1", "-tvstd", "pal"});
    EXPECT_EQ(dictValue(tool_format_options, "channel"), "1");
    EXPECT_EQ(dictValue(tool_format_options, "standard"), "pal");
    EXPECT_NE(log.str().find("This option is deprecated, use -channel.\n"), std::string::npos);
    EXPECT_NE(log.str().find("This option is deprecated, use -standard.\n"), std::string::npos);
}

TEST_F(OptionTest, ProgressOpensItsFileForWriting) {
    const QString path = TestEnvironment::makeTempFolder() + QStringLiteral("/progress 'é'.txt");
    PerFileOptions o;
    parseWords(&o, {"-progress", path.toStdString()});
    ASSERT_TRUE(tc_state().progress_avio);
    avio_write(tc_state().progress_avio.get(), reinterpret_cast<const unsigned char*>("frame=1"),
               7);
    tc_state().progress_avio.reset();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("frame=1"));
}

TEST_F(OptionTest, VstatsNamesTheFileAfterTheTimeOfDay) {
    PerFileOptions o;
    parseWords(&o, {"-vstats_file", "old.log", "-vstats"});
    EXPECT_TRUE(std::regex_match(tc_state().vstats_filename, std::regex(R"(vstats_\d{6}\.log)")))
        << tc_state().vstats_filename;
}

// Preset files in a folder that FFMPEG_DATADIR names for the test's duration.
class PresetFiles : public OptionTest {
protected:
    void SetUp() override {
        OptionTest::SetUp();
        _folder = TestEnvironment::makeTempFolder(QStringLiteral("presets"));
        const char* previous = std::getenv("FFMPEG_DATADIR");
        _previous = previous ? previous : "";
        _hadPrevious = previous != nullptr;
        setenv("FFMPEG_DATADIR", _folder.toUtf8().constData(), 1);
    }
    void TearDown() override {
        if (_hadPrevious)
            setenv("FFMPEG_DATADIR", _previous.c_str(), 1);
        else
            unsetenv("FFMPEG_DATADIR");
        OptionTest::TearDown();
    }
    std::string write(const QString& name, const QByteArray& text) {
        const QString path = _folder + u'/' + name;
        EXPECT_TRUE(MediaFixtures::writeBytes(path, text));
        return path.toStdString();
    }
    // Parses the words and returns the log, expecting the program to end with status 1.
    std::string fatalLog(std::vector<std::string> words) {
        PerFileOptions o;
        LogCapture log;
        const auto status = exitStatusOf([&] { parseWords(&o, std::move(words)); });
        EXPECT_EQ(status, std::optional<int>(1));
        return log.str();
    }

    QString _folder;
    std::string _previous;
    bool _hadPrevious = false;
};

TEST_F(PresetFiles, NamedPresetSetsCodecAndOptionsAndSkipsComments) {
    write(QStringLiteral("fast.ffpreset"),
          "# a comment=with equals\n\r\nb=96k\r\nacodec=mp2\ncompression_level=3\n");
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-apre", "fast"});
    EXPECT_EQ(codecOption("b"), "96k");
    EXPECT_EQ(codecOption("compression_level"), "3");
    EXPECT_EQ(listText(o.codec_names), "a=mp2;");
    EXPECT_EQ(tc_state().audio_codec_name, "mp2");
    EXPECT_NE(
        log.str().find("ffpreset[" + _folder.toStdString() + "/fast.ffpreset]: set 'b' = '96k'\n"),
        std::string::npos)
        << log.str();
}

TEST_F(PresetFiles, PresetOfTheForcedCodecIsFoundByItsQualifiedName) {
    write(QStringLiteral("mpeg4-hq.ffpreset"), "g=12\nvcodec=mpeg4\n");
    PerFileOptions o;
    parseWords(&o, {"-vcodec", "mpeg4", "-vpre", "hq"});
    EXPECT_EQ(codecOption("g"), "12");
    EXPECT_EQ(listText(o.codec_names), "v=mpeg4;v=mpeg4;");
}

TEST_F(PresetFiles, PresetFileByPathWithSpaces) {
    const std::string path =
        write(QStringLiteral("my preset 'x'.txt"), "dcodec=copy\nbufsize=1000");
    PerFileOptions o;
    parseWords(&o, {"-fpre", path});
    EXPECT_EQ(listText(o.codec_names), "d=copy;");
    EXPECT_EQ(codecOption("bufsize"), "1000");
    EXPECT_EQ(forcedCodecs(), "//");
}

TEST_F(PresetFiles, BadLinesEndTheProgramNamingFileAndLine) {
    struct BadLine {
        const char* text;
        std::string message;
    };
    const BadLine kBadLines[] = {
        {"novalue\n", ": Invalid syntax: 'novalue'\n"},
        {"=x\n", ": Invalid syntax: '=x'\n"},
        {"key=\r\n", ": Invalid syntax: 'key='\n"},
        {"bogus_key=1\n",
         ": Invalid option or argument: 'bogus_key=1', parsed as 'bogus_key' = '1'\n"},
    };
    for (const BadLine& bad : kBadLines) {
        SCOPED_TRACE(bad.text);
        const std::string path = write(QStringLiteral("bad.ffpreset"), bad.text);
        EXPECT_NE(fatalLog({"-fpre", path}).find(path + bad.message), std::string::npos);
        resetTranscoderState();
    }
}

} // namespace
