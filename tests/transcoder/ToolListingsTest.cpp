#include "TranscoderTestSupport.h"

#include "transcoder/tool_banner.h"
#include "transcoder/tool_help.h"
#include "transcoder/tool_listings.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/samplefmt.h>
#include <libpostproc/postprocess.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace {

// The listing's lines that follow the header line `afterHeader`.
std::vector<std::string> bodyAfter(const std::string& out, const std::string& afterHeader) {
    std::vector<std::string> lines = linesOf(out);
    auto it = std::find(lines.begin(), lines.end(), afterHeader);
    EXPECT_NE(it, lines.end()) << afterHeader;
    return it == lines.end() ? std::vector<std::string>{}
                             : std::vector<std::string>(it + 1, lines.end());
}

TEST(Listings, FormatsMergeMuxersAndDemuxersInNameOrder) {
    std::set<std::string> muxers;
    std::set<std::string> demuxers;
    void* iter = nullptr;
    while (const AVOutputFormat* f = av_muxer_iterate(&iter))
        muxers.insert(f->name);
    iter = nullptr;
    while (const AVInputFormat* f = av_demuxer_iterate(&iter))
        demuxers.insert(f->name);

    const std::string out = capturedStdout([] { tool_show_formats(); });
    std::vector<std::string> names;
    for (const std::string& line : bodyAfter(out, " --")) {
        ASSERT_GE(line.size(), 5u) << line;
        const std::string name = line.substr(4, line.find(' ', 4) - 4);
        EXPECT_EQ(line[1] == 'D', demuxers.count(name) == 1) << line;
        EXPECT_EQ(line[2] == 'E', muxers.count(name) == 1) << line;
        EXPECT_TRUE(line[1] == 'D' || line[1] == ' ') << line;
        EXPECT_TRUE(line[2] == 'E' || line[2] == ' ') << line;
        names.push_back(name);
    }
    std::set<std::string> all(muxers);
    all.insert(demuxers.begin(), demuxers.end());
    ASSERT_EQ(names.size(), all.size()) << "one line per name, both sides merged";
    for (size_t i = 1; i < names.size(); ++i)
        EXPECT_LT(std::strcmp(names[i - 1].c_str(), names[i].c_str()), 0) << names[i];
    EXPECT_NE(out.find("\n DE wav "), std::string::npos);
}

struct FilterCase {
    const char* filter;
    const char* pads;
};

void PrintTo(const FilterCase& testCase, std::ostream* out) {
    *out << testCase.filter;
}

class FilterPads : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterPads, ShowMediaLettersOrABarForASideWithout) {
    const std::string out = capturedStdout([] { tool_show_filters(); });
    char expected[64];
    std::snprintf(expected, sizeof(expected), "\n%-16s %-10s ", GetParam().filter, GetParam().pads);
    EXPECT_NE(out.find(expected), std::string::npos) << expected;
}

const FilterCase kFilterCases[] = {
    {"anullsrc", "|->A"},
    {"anullsink", "A->|"},
    {"overlay", "VV->V"},
    {"amix", "|->A"},
};

INSTANTIATE_TEST_SUITE_P(Listings, FilterPads, ::testing::ValuesIn(kFilterCases),
                         [](const auto& info) { return std::string(info.param.filter); });

struct PixelCase {
    const char* line;
};

void PrintTo(const PixelCase& testCase, std::ostream* out) {
    *out << testCase.line;
}

class PixelFormats : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelFormats, ShowFlagsComponentsAndBits) {
    const std::string out = capturedStdout([] { tool_show_pixel_formats(); });
    EXPECT_NE(out.find(std::string("\n") + GetParam().line + "\n"), std::string::npos)
        << GetParam().line;
}

const PixelCase kPixelCases[] = {
    {"IO... yuv420p                3            12"},
    {"I..P. pal8                   1             8"},
    {"..H.. vaapi                  0             0"},
    {"IO..B monob                  1             1"},
};

INSTANTIATE_TEST_SUITE_P(Listings, PixelFormats, ::testing::ValuesIn(kPixelCases),
                         [](const auto& info) { return testNameFrom(info.param.line); });

TEST(Listings, SampleFormatsListEveryFormatAfterTheHeader) {
    const std::vector<std::string> lines =
        linesOf(capturedStdout([] { tool_show_sample_formats(); }));
    ASSERT_EQ(lines.size(), size_t(AV_SAMPLE_FMT_NB) + 1);
    EXPECT_EQ(lines.front().rfind("name", 0), 0u);
    EXPECT_EQ(lines[1 + AV_SAMPLE_FMT_S16].rfind("s16 ", 0), 0u);
    EXPECT_EQ(lines.back().rfind("s64p", 0), 0u);
}

const char* differentConfiguration() {
    return "--disable-everything";
}
unsigned fakeVersion() {
    return AV_VERSION_INT(58, 11, 100);
}

TEST(Banner, ConfigurationMismatchWarnsOnceAndNamesEachLibrary) {
    const ToolLibrary libraries[] = {
        {"same", AV_VERSION_INT(1, 2, 3), fakeVersion, tool_program_configuration},
        {"odd", AV_VERSION_INT(1, 2, 3), fakeVersion, differentConfiguration},
        {"other", AV_VERSION_INT(1, 2, 3), fakeVersion, differentConfiguration},
    };
    tc_state().warned_cfg = 0;
    LogCapture log;
    tool_print_library_list(libraries, 3, TOOL_BANNER_INDENT | TOOL_BANNER_SHOW_CONFIG,
                            AV_LOG_INFO);
    tool_print_library_list(libraries, 1, TOOL_BANNER_SHOW_VERSION, AV_LOG_INFO);
    EXPECT_EQ(log.str(), "  WARNING: library configuration mismatch\n"
                         "  odd         configuration: --disable-everything\n"
                         "  other       configuration: --disable-everything\n"
                         "libsame         1.  2.  3 / 58. 11.100\n");
}

// The real list: each of the eight linked libraries under its own name, with the version that
// library itself reports.
TEST(Banner, ListsEachLinkedLibraryWithItsRunningVersion) {
    const std::pair<const char*, unsigned> libraries[] = {
        {"avutil", avutil_version()},         {"avcodec", avcodec_version()},
        {"avformat", avformat_version()},     {"avdevice", avdevice_version()},
        {"avfilter", avfilter_version()},     {"swscale", swscale_version()},
        {"swresample", swresample_version()}, {"postproc", postproc_version()}};
    LogCapture log;
    tool_print_library_info(TOOL_BANNER_SHOW_VERSION, AV_LOG_INFO);
    const std::vector<std::string> lines = linesOf(log.str());
    ASSERT_EQ(lines.size(), std::size(libraries)) << log.str();
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto [name, version] = libraries[i];
        char running[16];
        std::snprintf(running, sizeof(running), "%2u.%3u.%3u", version >> 16, (version >> 8) & 255,
                      version & 255);
        EXPECT_TRUE(lines[i].starts_with(std::string("lib") + name + " ")) << lines[i];
        EXPECT_TRUE(lines[i].ends_with(running)) << lines[i];
    }
}

struct HelpCase {
    const char* description;
    const char* topic;
    std::vector<const char*> shown;
};

void PrintTo(const HelpCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class HelpTopics : public ::testing::TestWithParam<HelpCase> {};

std::string gDefaultHelpTopic;
void recordDefaultHelp(const char* topic) {
    gDefaultHelpTopic = std::string("[") + topic + "]";
    std::printf("default help\n");
}

TEST_P(HelpTopics, PrintWhatTheTopicNames) {
    tc_state().print_help = recordDefaultHelp;
    gDefaultHelpTopic.clear();
    const std::string out = capturedStdout([] { tool_show_help("h", GetParam().topic); });
    av_log_set_callback(av_log_default_callback);
    tc_state().print_help = nullptr;
    for (const char* text : GetParam().shown)
        EXPECT_NE((out + gDefaultHelpTopic).find(text), std::string::npos) << text << "\n" << out;
}

const HelpCase kHelpCases[] = {
    {"no topic gives the default help", nullptr, {"default help", "[]"}},
    {"unknown topic goes to the default help", "long", {"default help", "[long]"}},
    {"encoder with its sample formats",
     "encoder=pcm_s16le",
     {"Encoder pcm_s16le [PCM signed 16-bit little-endian]:\n",
      "    Supported sample formats: s16\n"}},
    {"codec by descriptor name",
     "encoder=mp3",
     {"Encoder libmp3lame [libmp3lame MP3 (MPEG audio layer 3)]:\n"}},
    {"codec without encoders",
     "encoder=vp6",
     {"Codec 'vp6' is known to FFmpeg, but no encoders for it are available."}},
    {"unknown codec", "decoder=nosuch", {"Codec 'nosuch' is not recognized by FFmpeg.\n"}},
    {"codec without name", "decoder", {"No codec name specified.\n"}},
    {"muxer with its defaults",
     "muxer=wav",
     {"Muxer wav [WAV / WAVE (Waveform Audio)]:\n", "    Common extensions: wav.\n",
      "    Mime type: audio/x-wav.\n", "    Default audio codec: pcm_s16le.\n"}},
    {"unknown muxer", "muxer=nosuch", {"Unknown format 'nosuch'.\n"}},
};

INSTANTIATE_TEST_SUITE_P(Help, HelpTopics, ::testing::ValuesIn(kHelpCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
