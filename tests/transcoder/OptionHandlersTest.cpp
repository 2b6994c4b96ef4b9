// Where the options of the transcoder's table land, and how their handlers fail. Two source
// files are open in every case: 0 holds video, stereo audio and mono audio; 1 video and mono
// audio.
#include "OptionTestSupport.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <QFile>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Options = const PerFileOptions&;

std::string codecOption(const char* key) {
    return dictValue(tool_codec_options, key);
}

std::string forcedCodecs() {
    const TranscoderState& s = tc_state();
    return s.video_codec_name + "/" + s.audio_codec_name + "/" + s.subtitle_codec_name;
}

// "file:stream>syncfile:syncstream" per entry, "x" before a disabled one.
std::string mapsText(Options o) {
    std::string text;
    for (const StreamMapEntry& m : o.stream_maps) {
        text += m.disabled ? "x" : "";
        text += m.linklabel.empty()
                    ? std::to_string(m.file_index) + ":" + std::to_string(m.stream_index) + ">" +
                          std::to_string(m.sync_file_index) + ":" +
                          std::to_string(m.sync_stream_index) + " "
                    : "[" + m.linklabel + "] ";
    }
    return text;
}

std::string channelMapsText(Options o) {
    std::string text;
    for (const ChannelMapEntry& m : o.audio_channel_maps)
        for (int v : {m.file_idx, m.stream_idx, m.channel_idx, m.ofile_idx, m.ostream_idx})
            text += std::to_string(v) + " ";
    return text;
}

class WithSources : public OptionTest {
protected:
    void SetUp() override {
        OptionTest::SetUp();
        const OptionFixtures& f = optionFixtures();
        ASSERT_FALSE(f.palThreeStreams.isEmpty() || f.otherRateVideo.isEmpty());
        ASSERT_NO_FATAL_FAILURE(addSourceFile(f.palThreeStreams));
        ASSERT_NO_FATAL_FAILURE(addSourceFile(f.otherRateVideo));
    }
};

struct RoutingCase {
    const char* description;
    std::vector<std::string> words;
    std::string (*probe)(Options);
    std::string expected;
};

void PrintTo(const RoutingCase& c, std::ostream* out) {
    *out << c.description;
}

class Routing : public WithSources, public ::testing::WithParamInterface<RoutingCase> {};

TEST_P(Routing, StoresWhatTheOptionMeans) {
    PerFileOptions o;
    parseWords(&o, GetParam().words);
    EXPECT_EQ(GetParam().probe(o), GetParam().expected);
}

const RoutingCase kRoutingCases[] = {
    {"a map of a whole file pairs each stream with itself",
     {"-map", "0"},
     mapsText,
     "0:0>0:0 0:1>0:1 0:2>0:2 "},
    {"a negative map disables and appends nothing",
     {"-map", "0", "-map", "-0:1"},
     mapsText,
     "0:0>0:0 x0:1>0:1 0:2>0:2 "},
    {"a sync part names the first matching stream",
     {"-map", "0:a,1:v"},
     mapsText,
     "0:1>1:0 0:2>1:0 "},
    {"a label carries only the label and no negative map touches it",
     {"-map", "[mixed]", "-map", "-0"},
     mapsText,
     "[mixed] "},
    {"minus one is a muted channel", {"-map_channel", "-1"}, channelMapsText, "-1 -1 -1 -1 -1 "},
    {"a muted channel for one output stream",
     {"-map_channel", "-1:0.1"},
     channelMapsText,
     "-1 -1 -1 0 1 "},
    {"a channel to any output and to one output stream",
     {"-map_channel", "0.1.1", "-map_channel", "1.1.0:0.2"},
     channelMapsText,
     "0 1 1 -1 -1 1 1 0 0 2 "},
    {"stream ids grow the map with zeros",
     {"-streamid", "3:7", "-streamid", "1:9"},
     [](Options o) {
         std::string text;
         for (int id : o.streamid_map)
             text += std::to_string(id) + " ";
         return text;
     },
     "0 9 0 7 "},
    {"forced codecs",
     {"-acodec", "mp2", "-vcodec", "mpeg4", "-scodec", "srt", "-dcodec", "copy"},
     [](Options o) { return listText(o.codec_names) + "|" + forcedCodecs(); },
     "a=mp2;v=mpeg4;s=srt;d=copy;|mpeg4/mp2/srt"},
    {"short forms add their stream type",
     {"-vtag", "xvid", "-absf", "b1", "-vbsf", "b2", "-vf", "f1", "-af", "f2", "-aframes", "2",
      "-dframes", "3", "-vframes", "4", "-aq", "5"},
     [](Options o) {
         return listText(o.codec_tags) + listText(o.bitstream_filters) + listText(o.filters) +
                listText(o.max_frames) + listText(o.qscale);
     },
     "v=xvid;a=b1;v=b2;v=f1;a=f2;a=2;d=3;v=4;a=5.000000;"},
    {"a bare qscale is the video scale",
     {"-qscale", "4", "-qscale:a", "2"},
     [](Options o) { return listText(o.qscale); },
     "v=4.000000;a=2.000000;"},
    {"bare b and profile are the video ones",
     {"-b", "300k", "-profile", "high", "-b:a", "96k"},
     [](Options) { return codecOption("b:v") + codecOption("profile:v") + codecOption("b:a"); },
     "300khigh96k"},
    {"a channel layout sets the layout and the channel count",
     {"-channel_layout", "5.1", "-channel_layout:a", "stereo", "-channel_layout:a:1", "3c"},
     [](Options o) {
         return codecOption("channel_layout") + codecOption("channel_layout:a") +
                codecOption("channel_layout:a:1") + "|" + listText(o.audio_channels);
     },
     "63311|=6;a=2;a:1=3;"},
    {"timecode and timestamp are metadata",
     {"-timecode", "01:00:00:00", "-timestamp", "2021-03-04T05:06:07Z"},
     [](Options o) { return listText(o.metadata) + codecOption("gop_timecode"); },
     "g=timecode=01:00:00:00;=creation_time=2021-03-04T05:06:07+0000;01:00:00:00"},
    {"attachments and graphs copy the words",
     {"-attach", "-x 'é'.ttf", "-filter_complex", "[0:a]anull", "-filter_complex", "anullsrc"},
     [](Options o) {
         std::string text = o.attachments.at(0);
         for (const auto& g : tc_state().filtergraphs)
             text += "|" + std::to_string(g->index) + ":" + g->graph_desc;
         return text;
     },
     "-x 'é'.ttf|0:[0:a]anull|1:anullsrc"},
    {"statistics file, pass and deinterlace",
     {"-vstats", "-vstats_file", "s one.log", "-pass", "3", "-passlogfile", "p x", "-deinterlace"},
     [](Options) {
         const TranscoderState& s = tc_state();
         return s.vstats_filename + "|" + std::to_string(s.do_pass) + s.pass_logfilename_prefix +
                codecOption("passlogfile") + std::to_string(s.do_deinterlace);
     },
     "s one.log|3p xp x1"},
};

INSTANTIATE_TEST_SUITE_P(Options, Routing, ::testing::ValuesIn(kRoutingCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct FatalCase {
    const char* description;
    std::vector<std::string> words;
    const char* message;
};

void PrintTo(const FatalCase& c, std::ostream* out) {
    *out << c.description;
}

class Fatal : public WithSources, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(Fatal, EndsTheProgramWithStatusOneAndTheMessage) {
    PerFileOptions o;
    LogCapture log;
    EXPECT_EQ(exitStatusOf([&] { parseWords(&o, GetParam().words); }), std::optional<int>(1));
    EXPECT_NE(log.str().find(GetParam().message), std::string::npos) << log.str();
}

const FatalCase kFatalCases[] = {
    {"map of an input past the files", {"-map", "2"}, "Invalid input file index: 2.\n"},
    {"map matching nothing", {"-map", "0:s"}, "Stream map '0:s' matches no streams.\n"},
    {"negative map before any map", {"-map", "-0:a"}, "Stream map '0:a' matches no streams.\n"},
    {"map with a sync file past the files", {"-map", "0,5"}, "Invalid sync file index: 5.\n"},
    {"map with a sync stream matching nothing",
     {"-map", "0,1:s"},
     "Sync stream specification in map 0,1:s does not match any streams.\n"},
    {"map of an unclosed label", {"-map", "[out"}, "Invalid output link label: [out.\n"},
    {"map with an unreadable specifier", {"-map", "0:q"}, "Invalid stream specifier: q.\n"},
    {"channel map that is no channel",
     {"-map_channel", "0.1"},
     "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]\n"},
    {"channel map of an input past the files",
     {"-map_channel", "2.0.0"},
     "mapchan: invalid input file index: 2\n"},
    {"channel map of a stream past the file's",
     {"-map_channel", "0.3.0"},
     "mapchan: invalid input file stream index #0.3\n"},
    {"channel map of a video stream",
     {"-map_channel", "0.0.0"},
     "mapchan: stream #0.0 is not an audio stream.\n"},
    {"channel map past a mono stream's channel",
     {"-map_channel", "0.2.1"},
     "mapchan: invalid audio channel #0.2.1\n"},
    {"stream id index 1024",
     {"-streamid", "1024:1"},
     "The value for streamid was 1024 which is not within 0.000000 - 1023.000000\n"},
    {"stream id without a colon",
     {"-streamid", "12"},
     "Invalid value '12' for option 'streamid', required syntax is 'index:value'\n"},
    {"stream id whose colon comes after 15 characters",
     {"-streamid", "1234567890123456:1"},
     "The value for streamid was 1234567890123456 which is not within 0.000000 - 1023.000000\n"},
    {"a removed crop option",
     {"-croptop", "10"},
     "Option 'croptop' has been removed, use the crop filter instead\n"},
    {"a removed pad option",
     {"-padcolor", "red"},
     "Option 'padcolor' has been removed, use the pad filter instead\n"},
    {"pass 4", {"-pass", "4"}, "The value for pass was 4 which is not within 1.000000 - 3.000000"},
    {"an unknown channel layout", {"-channel_layout", "bogus"}, "Unknown channel layout: bogus\n"},
    {"progress under a regular file",
     {"-progress", "/dev/null/p"},
     "Failed to open progress URL \"/dev/null/p\": "},
    {"vsync that is no method", {"-vsync", "auto"}, "Expected number for vsync but found: auto\n"},
    {"timestamp that is no date",
     {"-timestamp", "soon"},
     "Invalid date specification for timestamp: soon\n"},
    {"unknown target", {"-target", "pal-cd"}, "Unknown target: cd\n"},
    {"missing preset", {"-vpre", "no such"}, "File for preset 'no such' not found\n"},
    {"the lossless x264 preset",
     {"-vpre", "libx264-lossless_max"},
     "Please use -preset <speed> -qp 0\n"},
};

INSTANTIATE_TEST_SUITE_P(Options, Fatal, ::testing::ValuesIn(kFatalCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(OptionTest, VideoSyncTakesTheLastMethodGiven) {
    const std::pair<std::vector<std::string>, int> kRuns[] = {
        {{"-vsync", "drop", "-vsync", "1"}, 1},        {{"-vsync", "VFR"}, 2},
        {{"-vsync", "-1", "-vsync", "2"}, 2},          {{"-vsync", "1", "-vsync", "2"}, 2},
        {{"-vsync", "1", "-vsync", "passthrough"}, 0},
    };
    for (const auto& [words, method] : kRuns) {
        resetTranscoderState();
        PerFileOptions o;
        parseWords(&o, words);
        EXPECT_EQ(tc_state().video_sync_method, method) << words[1];
    }
}

TEST_F(OptionTest, AmbiguousAndDeprecatedOptionsWarn) {
    avdevice_register_all(); // the video devices own "channel" and "standard"
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-qscale", "1", "-profile", "main", "-b", "1M", "-deinterlace", "-timestamp",
                    "now", "-vc", "1", "-tvstd", "pal"});
    for (const char* warning : {"Please use -q:a or -q:v, -qscale is ambiguous\n",
                                "Please use -profile:a or -profile:v, -profile is ambiguous\n",
                                "Please use -b:a or -b:v, -b is ambiguous\n",
                                "-deinterlace is deprecated, use -filter:v yadif instead\n",
                                "timestamp is deprecated, set the 'creation_time' metadata tag",
                                "This option is deprecated, use -channel.\n",
                                "This option is deprecated, use -standard.\n"})
        EXPECT_NE(log.str().find(warning), std::string::npos) << warning;
    EXPECT_EQ(dictValue(tool_format_options, "channel") +
                  dictValue(tool_format_options, "standard"),
              "1pal");
}

TEST_F(OptionTest, ProgressWritesToItsFile) {
    const QString path = TestEnvironment::makeTempFolder() + "/progress 'é'.txt";
    PerFileOptions o;
    parseWords(&o, {"-progress", path.toStdString()});
    ASSERT_TRUE(tc_state().progress_avio);
    avio_write(tc_state().progress_avio.get(), reinterpret_cast<const uint8_t*>("frame=1"), 7);
    tc_state().progress_avio.reset();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "frame=1");
}

TEST_F(OptionTest, PresetFilesSetCodecsAndOptionsOrNameTheBadLine) {
    const QString folder = TestEnvironment::makeTempFolder("presets");
    const std::string previous = std::getenv("FFMPEG_DATADIR") ? std::getenv("FFMPEG_DATADIR") : "";
    setenv("FFMPEG_DATADIR", folder.toUtf8().constData(), 1);
    MediaFixtures::writeBytes(folder + "/fast.ffpreset", "# x=y\n\r\nb=96k\r\nacodec=mp2\n");
    MediaFixtures::writeBytes(folder + "/mpeg4-hq.ffpreset", "g=12\nvcodec=mpeg4\n");
    PerFileOptions o;
    parseWords(&o, {"-vcodec", "mpeg4", "-vpre", "hq", "-apre", "fast"});
    EXPECT_EQ(codecOption("b") + codecOption("g"), "96k12");
    EXPECT_EQ(listText(o.codec_names) + forcedCodecs(), "v=mpeg4;v=mpeg4;a=mp2;mpeg4/mp2/");

    const std::string bad = folder.toStdString() + "/bad one.txt";
    const std::pair<const char*, std::string> kBadLines[] = {
        {"novalue\n", ": Invalid syntax: 'novalue'\n"},
        {"key=\r\n", ": Invalid syntax: 'key='\n"},
        {"=x\n", ": Invalid syntax: '=x'\n"},
        {"bogus_key=1\n",
         ": Invalid option or argument: 'bogus_key=1', parsed as 'bogus_key' = '1'\n"},
    };
    for (const auto& [line, message] : kBadLines) {
        MediaFixtures::writeBytes(QString::fromStdString(bad), line);
        LogCapture log;
        EXPECT_EQ(exitStatusOf([&] { parseWords(&o, {"-fpre", bad}); }), std::optional<int>(1));
        EXPECT_NE(log.str().find(bad + message), std::string::npos) << log.str();
    }
    setenv("FFMPEG_DATADIR", previous.c_str(), 1);
    if (previous.empty())
        unsetenv("FFMPEG_DATADIR");
}

} // namespace
