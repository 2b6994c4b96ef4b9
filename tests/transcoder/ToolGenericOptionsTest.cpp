#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/tool_generic_options.h"
#include "transcoder/tool_parser.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>

namespace {

// Fresh option holders around each test.
class GenericOptions : public ::testing::Test {
protected:
    void SetUp() override {
        tool_options_free();
        tool_options_init();
    }
    void TearDown() override { tool_options_free(); }
};

std::string entry(const AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
    return e ? e->value : "(none)";
}

std::string holderOption(void* holder, const char* name) {
    uint8_t* value = nullptr;
    if (av_opt_get(holder, name, 0, &value) < 0)
        return "(none)";
    std::string text = reinterpret_cast<char*>(value);
    av_free(value);
    return text;
}

struct RouteCase {
    const char* description;
    const char* opt;
    const char* arg;
    std::function<std::string()> stored;
    std::string expected;
};

void PrintTo(const RouteCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class GenericRouting : public GenericOptions, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(GenericRouting, StoresTheOptionWhereItBelongs) {
    ASSERT_EQ(tool_set_generic_option(GetParam().opt, GetParam().arg), 0);
    EXPECT_EQ(GetParam().stored(), GetParam().expected);
}

const RouteCase kRoutes[] = {
    {"codec option keeps its stream specifier", "b:a", "128k",
     [] { return entry(tool_codec_options, "b:a"); }, "128k"},
    {"codec option through a media letter", "ab", "96k",
     [] { return entry(tool_codec_options, "ab"); }, "96k"},
    {"private codec option of a child class", "compression_level", "5",
     [] { return entry(tool_codec_options, "compression_level"); }, "5"},
    {"format option", "probesize", "5000000",
     [] { return entry(tool_format_options, "probesize"); }, "5000000"},
    // The holders give back the numbers behind the names.
    {"scaler option", "sws_flags", "bilinear",
     [] { return holderOption(tool_sws_options, "sws_flags"); }, "0x00000002"},
    {"resampler option", "dither_method", "triangular",
     [] { return holderOption(tool_swr_options, "dither_method"); }, "2"},
};

INSTANTIATE_TEST_SUITE_P(Routing, GenericRouting, ::testing::ValuesIn(kRoutes),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(GenericOptions, FlagsOptionsAccumulate) {
    ASSERT_EQ(tool_set_generic_option("flags", "+bitexact"), 0);
    ASSERT_EQ(tool_set_generic_option("flags", "+global_header"), 0);
    EXPECT_EQ(entry(tool_codec_options, "flags"), "+bitexact+global_header");
}

TEST_F(GenericOptions, UnknownNameIsReportedAndRefused) {
    LogCapture log;
    EXPECT_EQ(tool_set_generic_option("nonsense", "1"), AVERROR_OPTION_NOT_FOUND);
    EXPECT_EQ(log.str(), "Unrecognized option 'nonsense'\n");
}

TEST_F(GenericOptions, BadScalerValueIsReportedAndReturned) {
    LogCapture log;
    EXPECT_LT(tool_set_generic_option("sws_flags", "no-such-flag"), 0);
    EXPECT_NE(log.str().find("Error setting option sws_flags.\n"), std::string::npos);
}

TEST(CommonHandlers, MaxAllocTakesOnlyAWholeNumber) {
    EXPECT_EQ(tool_set_max_alloc("max_alloc", "1000000"), 0);
    EXPECT_EQ(av_malloc(2000000), nullptr);
    av_max_alloc(INT_MAX);
    for (const char* bad : {"12x", "", "-5"}) {
        LogCapture log;
        EXPECT_EQ(exitStatusOf([&] { tool_set_max_alloc("max_alloc", bad); }), 1) << bad;
        EXPECT_EQ(log.str(), std::string("Invalid max_alloc \"") + bad + "\".\n");
    }
}

TEST(CommonHandlers, TimeLimitSetsTheCpuLimitInAChild) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        tool_set_time_limit("timelimit", "7");
        rlimit limit{};
        getrlimit(RLIMIT_CPU, &limit);
        _exit(limit.rlim_cur == 7 && limit.rlim_max == 8 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

int noop(const char*, const char*) {
    return 0;
}

const ToolOption kHelpOptions[] = {
    {"formats", TOOLOPT_EXIT, ToolHandler(noop), "show available formats"},
    {"y", TOOLOPT_FLAG, ToolHandler(noop), "overwrite output files"},
    {"vcodec", TOOLOPT_ARG | TOOLOPT_VIDEO | TOOLOPT_PER_FILE, ToolHandler(noop),
     "force video codec", "codec"},
    {"top", TOOLOPT_ARG | TOOLOPT_VIDEO | TOOLOPT_ADVANCED | TOOLOPT_SPECIFIED, ToolHandler(noop),
     "top=1/bottom=0/auto=-1 field first", ""},
    {"map_channel", TOOLOPT_ARG | TOOLOPT_PER_FILE | TOOLOPT_ADVANCED, ToolHandler(noop),
     "map an audio channel", "file.stream.channel[:syncfile.syncstream]:and.a.very.long.tail"},
    {},
};

struct HelpSectionCase {
    const char* description;
    uint32_t required;
    uint32_t rejected;
    uint32_t any;
    const char* printed;
};

void PrintTo(const HelpSectionCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class OptionHelp : public ::testing::TestWithParam<HelpSectionCase> {};

TEST_P(OptionHelp, PrintsTheQualifyingRowsUnderTheHeading) {
    const HelpSectionCase& c = GetParam();
    const std::string out = capturedStdout(
        [&] { tool_print_option_help(kHelpOptions, "Heading:", c.required, c.rejected, c.any); });
    EXPECT_EQ(out, c.printed);
}

const HelpSectionCase kHelpSections[] = {
    {"required flags", TOOLOPT_EXIT, 0, 0,
     "Heading:\n-formats            show available formats\n\n"},
    {"rejected flags", 0, 0xE804, 0, "Heading:\n-y                  overwrite output files\n\n"},
    {"any of", 0, TOOLOPT_ADVANCED, 0xE000, "Heading:\n-vcodec codec       force video codec\n\n"},
    {"empty argument name keeps its blank", TOOLOPT_VIDEO | TOOLOPT_ADVANCED, 0, 0,
     "Heading:\n-top                top=1/bottom=0/auto=-1 field first\n\n"},
    {"long name cut to 63 characters", TOOLOPT_ADVANCED | TOOLOPT_PER_FILE, 0, 0,
     "Heading:\n-map_channel file.stream.channel[:syncfile.syncstream]:and.a.ver  map an "
     "audio channel\n\n"},
    {"no heading without rows", TOOLOPT_SUBTITLE, 0, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Help, OptionHelp, ::testing::ValuesIn(kHelpSections),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
