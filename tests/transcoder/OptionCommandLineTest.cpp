// Whole command lines with lavfi inputs: which options reach which file.
#include "OptionTestSupport.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<PerFileOptions> gOutputs;
std::vector<std::string> gOutputNames;

void collectOutput(PerFileOptions* o, const char* word) {
    gOutputs.push_back(*o);
    gOutputNames.push_back(word);
    tc_reset_file_options(o, 0);
}

class CommandLines : public OptionTest {
protected:
    static void SetUpTestSuite() { avdevice_register_all(); }
    void SetUp() override {
        OptionTest::SetUp();
        gOutputs.clear();
        gOutputNames.clear();
    }
};

const char kSine[] = "sine=frequency=440:sample_rate=8000:duration=0.2";
const char kTestSource[] = "testsrc=size=32x24:rate=25:duration=0.2";

TEST_F(CommandLines, RecordingTimeBeforeAnInputGoesToTheNextOutputOnly) {
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-t", "5", "-f", "lavfi", "-i", kSine, "first.wav", "second.wav"},
               collectOutput);
    ASSERT_EQ(gOutputs.size(), 2u);
    EXPECT_EQ(gOutputs[0].recording_time, 5000000);
    EXPECT_EQ(gOutputs[1].recording_time, INT64_MAX);
    const std::string warning = "-t is not an input option, keeping it for the next output";
    EXPECT_NE(log.str().find(warning), std::string::npos) << log.str();
    EXPECT_EQ(log.str().find(warning), log.str().rfind(warning)) << log.str();
}

TEST_F(CommandLines, OptionsBeforeEachFileStayWithThatFile) {
    PerFileOptions o;
    parseWords(&o,
               {"-itsoffset", "1", "-re", "-f", "lavfi", "-i", kSine, "-c:a", "flac", "-ar",
                "22050", "-metadata", "title=one", "out one.flac", "-ac", "1", "-y", "out two.wav"},
               collectOutput);
    ASSERT_EQ(tc_state().input_files.size(), 1u);
    ASSERT_EQ(gOutputs.size(), 2u);
    EXPECT_EQ(gOutputNames, (std::vector<std::string>{"out one.flac", "out two.wav"}));
    EXPECT_EQ(gOutputs[0].format, "");
    EXPECT_EQ(gOutputs[0].input_ts_offset, 0);
    EXPECT_EQ(gOutputs[0].rate_emu, 0);
    EXPECT_EQ(listText(gOutputs[0].audio_sample_rate), "=22050;");
    EXPECT_EQ(listText(gOutputs[0].codec_names), "a=flac;");
    EXPECT_EQ(listText(gOutputs[0].metadata), "=title=one;");
    EXPECT_EQ(listText(gOutputs[1].audio_sample_rate), "");
    EXPECT_EQ(listText(gOutputs[1].audio_channels), "=1;");
    EXPECT_EQ(listText(gOutputs[1].codec_names), "");
    EXPECT_EQ(tc_state().file_overwrite, 1);
}

TEST_F(CommandLines, MapsNameStreamsOfTheInputsOpenedBeforeThem) {
    PerFileOptions o;
    parseWords(&o,
               {"-f", "lavfi", "-i", kSine, "-f", "lavfi", "-i", kTestSource, "-map", "1:v", "-map",
                "0:a", "-map_channel", "0.0.0", "out.mkv"},
               collectOutput);
    ASSERT_EQ(gOutputs.size(), 1u);
    const std::vector<StreamMapEntry>& maps = gOutputs[0].stream_maps;
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0].file_index, 1);
    EXPECT_EQ(maps[0].stream_index, 0);
    EXPECT_EQ(maps[1].file_index, 0);
    EXPECT_EQ(maps[1].sync_file_index, 0);
    ASSERT_EQ(gOutputs[0].audio_channel_maps.size(), 1u);
    EXPECT_EQ(gOutputs[0].audio_channel_maps[0].ofile_idx, -1);
}

TEST_F(CommandLines, TargetTakesTheNormOfALavfiVideoInput) {
    PerFileOptions o;
    LogCapture log;
    parseWords(&o, {"-f", "lavfi", "-i", kTestSource, "-target", "dvd", "out.mpg"}, collectOutput);
    ASSERT_EQ(gOutputs.size(), 1u);
    EXPECT_NE(log.str().find("Assuming PAL for target.\n"), std::string::npos) << log.str();
    EXPECT_EQ(listText(gOutputs[0].frame_sizes), "=720x576;");
    EXPECT_EQ(gOutputs[0].format, "dvd");
}

TEST_F(CommandLines, ChannelMapOfAVideoStreamEndsTheProgram) {
    PerFileOptions o;
    LogCapture log;
    const auto status = exitStatusOf([&] {
        parseWords(&o, {"-f", "lavfi", "-i", kTestSource, "-map_channel", "0.0.0", "out.wav"},
                   collectOutput);
    });
    EXPECT_EQ(status, std::optional<int>(1));
    EXPECT_NE(log.str().find("mapchan: stream #0.0 is not an audio stream.\n"), std::string::npos)
        << log.str();
    EXPECT_TRUE(gOutputs.empty());
}

} // namespace
