// Stream maps, channel maps and stream ids against real source files.
#include "OptionTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "file:stream>syncfile:syncstream" per entry, "x" before a disabled one, "[label]" for labels.
std::string mapsText(const PerFileOptions& o) {
    std::string text;
    for (const StreamMapEntry& m : o.stream_maps) {
        if (m.disabled)
            text += "x";
        if (!m.linklabel.empty())
            text += "[" + m.linklabel + "]";
        else
            text += std::to_string(m.file_index) + ":" + std::to_string(m.stream_index) + ">" +
                    std::to_string(m.sync_file_index) + ":" + std::to_string(m.sync_stream_index);
        text += " ";
    }
    return text;
}

std::string channelMapsText(const PerFileOptions& o) {
    std::string text;
    for (const ChannelMapEntry& m : o.audio_channel_maps)
        text += std::to_string(m.file_idx) + "," + std::to_string(m.stream_idx) + "," +
                std::to_string(m.channel_idx) + "," + std::to_string(m.ofile_idx) + "," +
                std::to_string(m.ostream_idx) + " ";
    return text;
}

// Source files of every case: 0 is video, stereo audio, mono audio; 1 is video and mono audio.
class SourceOptionTest : public OptionTest {
protected:
    void SetUp() override {
        OptionTest::SetUp();
        const OptionFixtures& f = optionFixtures();
        ASSERT_FALSE(f.palThreeStreams.isEmpty());
        ASSERT_FALSE(f.otherRateVideo.isEmpty());
        ASSERT_NO_FATAL_FAILURE(addSourceFile(f.palThreeStreams));
        ASSERT_NO_FATAL_FAILURE(addSourceFile(f.otherRateVideo));
    }
};

struct WordsCase {
    const char* description;
    std::vector<std::string> words;
    const char* expected;
};

void PrintTo(const WordsCase& c, std::ostream* out) {
    *out << c.description;
}

std::string caseName(const ::testing::TestParamInfo<WordsCase>& info) {
    return testNameFrom(info.param.description);
}

class StreamMaps : public SourceOptionTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(StreamMaps, GiveTheseEntries) {
    PerFileOptions o;
    parseWords(&o, GetParam().words);
    EXPECT_EQ(mapsText(o), GetParam().expected);
}

const WordsCase kMapCases[] = {
    {"a whole file maps each stream with itself as sync",
     {"-map", "0"},
     "0:0>0:0 0:1>0:1 0:2>0:2 "},
    {"a negative map disables the matching entry and appends nothing",
     {"-map", "0", "-map", "-0:1"},
     "0:0>0:0 x0:1>0:1 0:2>0:2 "},
    {"a type specifier picks the audio streams", {"-map", "0:a"}, "0:1>0:1 0:2>0:2 "},
    {"a sync part names the first matching stream", {"-map", "0:a,1:v"}, "0:1>1:0 0:2>1:0 "},
    {"a sync part after a bare file index", {"-map", "1,0:2"}, "1:0>0:2 1:1>0:2 "},
    {"the second file by index and stream", {"-map", "1:1"}, "1:1>1:1 "},
    {"a label in brackets carries only the label", {"-map", "[mixed]"}, "[mixed] "},
    {"a negative map leaves the other file's entries",
     {"-map", "1", "-map", "0", "-map", "-0"},
     "1:0>1:0 1:1>1:1 x0:0>0:0 x0:1>0:1 x0:2>0:2 "},
    {"a negative map passes over labels", {"-map", "[out]", "-map", "-0"}, "[out] "},
};

INSTANTIATE_TEST_SUITE_P(Options, StreamMaps, ::testing::ValuesIn(kMapCases), caseName);

class FatalMaps : public SourceOptionTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(FatalMaps, EndTheProgramWithTheMessage) {
    PerFileOptions o;
    LogCapture log;
    const auto status = exitStatusOf([&] { parseWords(&o, GetParam().words); });
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    EXPECT_NE(log.str().find(GetParam().expected), std::string::npos) << log.str();
}

const WordsCase kFatalMapCases[] = {
    {"an input index past the files", {"-map", "2"}, "Invalid input file index: 2.\n"},
    {"a negative input index", {"-map", "--1"}, "Invalid input file index: -1.\n"},
    {"a specifier matching nothing", {"-map", "0:s"}, "Stream map '0:s' matches no streams.\n"},
    {"a negative map with no entries yet",
     {"-map", "-0:a"},
     "Stream map '0:a' matches no streams.\n"},
    {"a sync file past the files", {"-map", "0,5"}, "Invalid sync file index: 5.\n"},
    {"a sync stream matching nothing",
     {"-map", "0,1:s"},
     "Sync stream specification in map 0,1:s does not match any streams.\n"},
    {"a label without its closing bracket", {"-map", "[out"}, "Invalid output link label: [out.\n"},
    {"an empty label", {"-map", "[]"}, "Invalid output link label: [].\n"},
    {"a specifier the library cannot read", {"-map", "0:q"}, "Invalid stream specifier: q.\n"},
};

INSTANTIATE_TEST_SUITE_P(Options, FatalMaps, ::testing::ValuesIn(kFatalMapCases), caseName);

class ChannelMaps : public SourceOptionTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(ChannelMaps, GiveTheseEntries) {
    PerFileOptions o;
    parseWords(&o, GetParam().words);
    EXPECT_EQ(channelMapsText(o), GetParam().expected);
}

const WordsCase kChannelMapCases[] = {
    {"minus one is a muted channel to any output", {"-map_channel", "-1"}, "-1,-1,-1,-1,-1 "},
    {"a muted channel for one output stream", {"-map_channel", "-1:0.1"}, "-1,-1,-1,0,1 "},
    {"a source channel to any output", {"-map_channel", "0.1.1"}, "0,1,1,-1,-1 "},
    {"a source channel to one output stream", {"-map_channel", "1.1.0:0.2"}, "1,1,0,0,2 "},
    {"entries keep their order",
     {"-map_channel", "0.1.1", "-map_channel", "0.1.0"},
     "0,1,1,-1,-1 0,1,0,-1,-1 "},
};

INSTANTIATE_TEST_SUITE_P(Options, ChannelMaps, ::testing::ValuesIn(kChannelMapCases), caseName);

const WordsCase kFatalChannelMapCases[] = {
    {"text that is no channel",
     {"-map_channel", "left"},
     "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]\n"},
    {"two numbers only",
     {"-map_channel", "0.1"},
     "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]\n"},
    {"an input past the files",
     {"-map_channel", "2.0.0"},
     "mapchan: invalid input file index: 2\n"},
    {"a stream past the file's streams",
     {"-map_channel", "0.3.0"},
     "mapchan: invalid input file stream index #0.3\n"},
    {"a negative stream",
     {"-map_channel", "0.-1.0"},
     "mapchan: invalid input file stream index #0.-1\n"},
    {"a video stream", {"-map_channel", "0.0.0"}, "mapchan: stream #0.0 is not an audio stream.\n"},
    {"a second channel of a mono stream",
     {"-map_channel", "0.2.1"},
     "mapchan: invalid audio channel #0.2.1\n"},
    {"a negative channel other than a mute",
     {"-map_channel", "0.1.-2"},
     "mapchan: invalid audio channel #0.1.-2\n"},
};

INSTANTIATE_TEST_SUITE_P(ChannelMapOptions, FatalMaps, ::testing::ValuesIn(kFatalChannelMapCases),
                         caseName);

TEST_F(OptionTest, StreamIdsGrowTheMapWithZeros) {
    PerFileOptions o;
    parseWords(&o, {"-streamid", "3:7", "-streamid", "1:2147483647"});
    EXPECT_EQ(o.streamid_map, (std::vector<int>{0, 2147483647, 0, 7}));
}

class FatalStreamIds : public OptionTest, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(FatalStreamIds, EndTheProgramWithTheMessage) {
    PerFileOptions o;
    LogCapture log;
    const auto status = exitStatusOf([&] { parseWords(&o, GetParam().words); });
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, 1);
    EXPECT_NE(log.str().find(GetParam().expected), std::string::npos) << log.str();
}

const WordsCase kFatalStreamIdCases[] = {
    {"an index of 1024 is out of range",
     {"-streamid", "1024:1"},
     "The value for streamid was 1024 which is not within 0.000000 - 1023.000000\n"},
    {"no colon",
     {"-streamid", "5"},
     "Invalid value '5' for option 'streamid', required syntax is 'index:value'\n"},
    {"a colon past the fifteenth character",
     {"-streamid", "1234567890123456:1"},
     "Invalid value '1234567890123456:1' for option 'streamid', required syntax is "
     "'index:value'\n"},
    {"a value cut at fifteen characters is still checked",
     {"-streamid", "2:99999999999999999"},
     "The value for streamid was 9999999999999 which is not within 0.000000 - "
     "2147483647.000000\n"},
    {"a negative value", {"-streamid", "0:-1"}, "The value for streamid was -1 which is not"},
};

INSTANTIATE_TEST_SUITE_P(Options, FatalStreamIds, ::testing::ValuesIn(kFatalStreamIdCases),
                         caseName);

} // namespace
