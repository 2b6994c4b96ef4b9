#include "TranscoderTestSupport.h"

#include "transcoder/tool_parser.h"

extern "C" {
#include <libavutil/error.h>
}

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Variables {
    int flag = 0;
    int integer = 0;
    int64_t int64 = 0;
    float single = 0;
    double dbl = 0;
    std::string text;
    int64_t time = 0;
    std::string handled; // "opt=arg" per handler call
};
Variables gVars;

int recordHandler(const char* opt, const char* arg) {
    gVars.handled += std::string(opt) + "=" + (arg ? arg : "(none)") + ";";
    return 0;
}

int recordFileHandler(PerFileOptions* o, const char* opt, const char* arg) {
    o->format = std::string("file:") + opt + "=" + arg;
    return 0;
}

int failingHandler(const char*, const char*) {
    return AVERROR(EINVAL);
}

const ToolOption kOptions[] = {
    {"flag", TOOLOPT_FLAG, &gVars.flag, "a flag"},
    {"int", TOOLOPT_ARG | TOOLOPT_INT, &gVars.integer, "an int", "n"},
    {"int64", TOOLOPT_ARG | TOOLOPT_INT64, &gVars.int64, "an int64", "n"},
    {"float", TOOLOPT_ARG | TOOLOPT_FLOAT, &gVars.single, "a float", "x"},
    {"double", TOOLOPT_ARG | TOOLOPT_DOUBLE, &gVars.dbl, "a double", "x"},
    {"str", TOOLOPT_ARG | TOOLOPT_STRING, &gVars.text, "a text", "text"},
    {"time", TOOLOPT_ARG | TOOLOPT_TIME, &gVars.time, "a duration", "time"},
    {"t", TOOLOPT_ARG | TOOLOPT_TIME | TOOLOPT_FIELD, &PerFileOptions::recording_time, "", "d"},
    {"f", TOOLOPT_ARG | TOOLOPT_STRING | TOOLOPT_FIELD, &PerFileOptions::format, "", "fmt"},
    {"fs", TOOLOPT_ARG | TOOLOPT_INT64 | TOOLOPT_FIELD, &PerFileOptions::limit_filesize, "", "n"},
    {"muxdelay", TOOLOPT_ARG | TOOLOPT_FLOAT | TOOLOPT_FIELD, &PerFileOptions::mux_max_delay, ""},
    {"vn", TOOLOPT_FLAG | TOOLOPT_FIELD, &PerFileOptions::video_disable, ""},
    {"c", TOOLOPT_ARG | TOOLOPT_STRING | TOOLOPT_SPECIFIED, &PerFileOptions::codec_names, ""},
    {"ar", TOOLOPT_ARG | TOOLOPT_INT | TOOLOPT_SPECIFIED, &PerFileOptions::audio_sample_rate, ""},
    {"itsscale", TOOLOPT_ARG | TOOLOPT_DOUBLE | TOOLOPT_SPECIFIED, &PerFileOptions::ts_scale, ""},
    {"copyinkf", TOOLOPT_FLAG | TOOLOPT_SPECIFIED, &PerFileOptions::copy_initial_nonkeyframes, ""},
    {"handler", TOOLOPT_ARG, ToolHandler(recordHandler), ""},
    {"bare", 0, ToolHandler(recordHandler), ""},
    {"perfile", TOOLOPT_ARG | TOOLOPT_PER_FILE, ToolFileHandler(recordFileHandler), ""},
    {"fail", TOOLOPT_ARG, ToolHandler(failingHandler), ""},
    {"leave", TOOLOPT_EXIT, ToolHandler(recordHandler), ""},
    {},
};

const ToolOption kOptionsWithDefault[] = {
    {"flag", TOOLOPT_FLAG, &gVars.flag, ""},
    {"default", TOOLOPT_ARG, ToolHandler(recordHandler), ""},
    {},
};

std::string listText(const SpecifiedList& list) {
    std::string text;
    for (const SpecifiedValue& v : list) {
        text += v.specifier + "=";
        if (const auto* s = std::get_if<std::string>(&v.value))
            text += *s;
        else if (const auto* i = std::get_if<int>(&v.value))
            text += std::to_string(*i);
        else if (const auto* d = std::get_if<double>(&v.value))
            text += std::to_string(*d);
        text += ";";
    }
    return text;
}

using Observer = std::function<std::string(const PerFileOptions&)>;

struct ParseCase {
    const char* description;
    std::vector<const char*> words; // after the program name
    Observer observed;
    std::string expected;
};

void PrintTo(const ParseCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class ParseValues : public ::testing::TestWithParam<ParseCase> {};

std::vector<char*> commandLine(const std::vector<const char*>& words) {
    std::vector<char*> argv{const_cast<char*>("ffmpeg")};
    for (const char* w : words)
        argv.push_back(const_cast<char*>(w));
    return argv;
}

TEST_P(ParseValues, StoresWhatTheOptionMeans) {
    gVars = Variables{};
    PerFileOptions o;
    std::vector<char*> argv = commandLine(GetParam().words);
    const auto status = exitStatusOf(
        [&] { tool_parse_options(&o, int(argv.size()), argv.data(), kOptions, nullptr); });
    ASSERT_FALSE(status) << "ended with status " << *status;
    EXPECT_EQ(GetParam().observed(o), GetParam().expected);
}

std::string num(double v) {
    return std::to_string(v);
}

const ParseCase kParseCases[] = {
    {"flag sets 1", {"-flag"}, [](auto&) { return num(gVars.flag); }, num(1)},
    {"no prefix clears a flag",
     {"-flag", "-noflag"},
     [](auto&) { return num(gVars.flag); },
     num(0)},
    {"int lowest",
     {"-int", "-2147483648"},
     [](auto&) { return num(gVars.integer); },
     num(-2147483648.0)},
    {"int in hexadecimal", {"-int", "0x10"}, [](auto&) { return num(gVars.integer); }, num(16)},
    {"int with SI suffix", {"-int", "2k"}, [](auto&) { return num(gVars.integer); }, num(2000)},
    {"int64 beyond 32 bits",
     {"-int64", "-8589934592"},
     [](auto&) { return std::to_string(gVars.int64); },
     "-8589934592"},
    {"float", {"-float", "1.5"}, [](auto&) { return num(gVars.single); }, num(1.5)},
    {"double", {"-double", "-0.25"}, [](auto&) { return num(gVars.dbl); }, num(-0.25)},
    {"string copied", {"-str", "in put.wav"}, [](auto&) { return gVars.text; }, "in put.wav"},
    {"duration in microseconds",
     {"-time", "1:02.5"},
     [](auto&) { return std::to_string(gVars.time); },
     "62500000"},
    {"field duration",
     {"-t", "200.5"},
     [](const PerFileOptions& o) { return std::to_string(o.recording_time); },
     "200500000"},
    {"field string", {"-f", "wav"}, [](const PerFileOptions& o) { return o.format; }, "wav"},
    {"list without specifier",
     {"-c", "copy"},
     [](const PerFileOptions& o) { return listText(o.codec_names); },
     "=copy;"},
    {"list keeps the stream specifier",
     {"-c:a:0", "libmp3lame"},
     [](const PerFileOptions& o) { return listText(o.codec_names); },
     "a:0=libmp3lame;"},
    {"list grows one element per use",
     {"-c:v", "mpeg4", "-c:a", "aac"},
     [](const PerFileOptions& o) { return listText(o.codec_names); },
     "v=mpeg4;a=aac;"},
    {"list of int",
     {"-ar:a", "44100"},
     [](const PerFileOptions& o) { return listText(o.audio_sample_rate); },
     "a=44100;"},
    {"no prefix on a list flag",
     {"-nocopyinkf:v"},
     [](const PerFileOptions& o) { return listText(o.copy_initial_nonkeyframes); },
     "v=0;"},
    {"no prefix on a non-flag applies the option",
     {"-nostr", "abc"},
     [](auto&) { return gVars.text; },
     "abc"},
    {"handler gets the name as written",
     {"-handler:a", "x"},
     [](auto&) { return gVars.handled; },
     "handler:a=x;"},
    {"handler without argument leaves the next word",
     {"-bare", "-flag"},
     [](auto&) { return gVars.handled + num(gVars.flag); },
     "bare=(none);" + num(1)},
    {"per-file handler gets the record",
     {"-perfile", "y"},
     [](const PerFileOptions& o) { return o.format; },
     "file:perfile=y"},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParseValues, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct FailCase {
    const char* description;
    std::vector<const char*> words;
    int status;
    const char* message; // empty: none expected
};

void PrintTo(const FailCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class ParseFailures : public ::testing::TestWithParam<FailCase> {};

TEST_P(ParseFailures, EndWithStatusAndMessage) {
    gVars = Variables{};
    PerFileOptions o;
    std::vector<char*> argv = commandLine(GetParam().words);
    LogCapture log;
    const auto status = exitStatusOf(
        [&] { tool_parse_options(&o, int(argv.size()), argv.data(), kOptions, nullptr); });
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, GetParam().status);
    EXPECT_NE(log.str().find(GetParam().message), std::string::npos) << log.str();
}

const FailCase kFailCases[] = {
    {"unknown option", {"-bogus"}, 1, "Unrecognized option 'bogus'\n"},
    {"missing argument", {"-int"}, 1, "Missing argument for option 'int'\n"},
    {"int above range",
     {"-int", "2147483648"},
     1,
     "The value for int was 2147483648 which is not within -2147483648.000000 - "
     "2147483647.000000\n"},
    {"trailing characters", {"-int", "12abc"}, 1, "Expected number for int but found: 12abc\n"},
    {"empty number", {"-float", ""}, 1, "Expected number for float but found: \n"},
    {"fraction for an int", {"-int", "1.5"}, 1, "Expected int64 for int but found 1.5\n"},
    {"int64 of 2 to the 63 has no int64 value",
     {"-int64", "9223372036854775808"},
     1,
     "Expected int64 for int64 but found 9223372036854775808\n"},
    {"bad duration", {"-time", "soon"}, 1, "Invalid duration specification for time: soon\n"},
    {"failing handler", {"-fail", "v"}, 1, "Failed to set value 'v' for option 'fail'\n"},
    {"exit option", {"-leave"}, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParseFailures, ::testing::ValuesIn(kFailCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

std::vector<std::string> gWords;
void collectWord(PerFileOptions*, const char* word) {
    gWords.push_back(word);
}

TEST(Parser, WordsAfterDoubleDashAndLoneDashGoToTheCallback) {
    gVars = Variables{};
    gWords.clear();
    PerFileOptions o;
    std::vector<char*> argv = commandLine({"in.wav", "-flag", "-", "--", "-int", "x", "--"});
    tool_parse_options(&o, int(argv.size()), argv.data(), kOptions, collectWord);
    EXPECT_EQ(gVars.flag, 1);
    EXPECT_EQ(gVars.integer, 0);
    EXPECT_EQ(gWords, (std::vector<std::string>{"in.wav", "-", "-int", "x", "--"}));
}

TEST(Parser, UnknownNamesGoToTheDefaultRowUnderTheirWrittenName) {
    gVars = Variables{};
    PerFileOptions o;
    EXPECT_EQ(tool_parse_option(&o, "b:a", "128k", kOptionsWithDefault), 1);
    EXPECT_EQ(tool_parse_option(&o, "noflag", nullptr, kOptionsWithDefault), 0);
    EXPECT_EQ(gVars.handled, "b:a=128k;");
    EXPECT_EQ(gVars.flag, 0);
}

TEST(Parser, FindOptionComparesTheNameBeforeTheColonExactly) {
    EXPECT_STREQ(tool_find_option(kOptions, "f:a")->name, "f");
    EXPECT_STREQ(tool_find_option(kOptions, "fs")->name, "fs");
    EXPECT_EQ(tool_find_option(kOptions, "fl")->name, nullptr);
    EXPECT_EQ(tool_find_option(kOptions, "flags")->name, nullptr);
}

struct LocateCase {
    const char* description;
    std::vector<const char*> words;
    const char* wanted;
    int index;
};

void PrintTo(const LocateCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class LocateOption : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateOption, FindsTheWordIndex) {
    std::vector<char*> argv = commandLine(GetParam().words);
    EXPECT_EQ(tool_locate_option(int(argv.size()), argv.data(), kOptions, GetParam().wanted),
              GetParam().index);
}

const LocateCase kLocateCases[] = {
    {"after an option with argument", {"-int", "5", "-flag"}, "flag", 3},
    {"through the no prefix", {"-noflag"}, "flag", 1},
    {"a word without a row", {"in.wav", "-report"}, "report", 2},
};

INSTANTIATE_TEST_SUITE_P(Parser, LocateOption, ::testing::ValuesIn(kLocateCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST(Parser, GrowArrayZeroesNewElementsAndRefusesHugeCounts) {
    std::vector<int> map{7};
    tool_grow_array(map, 4);
    EXPECT_EQ(map, (std::vector<int>{7, 0, 0, 0}));
    tool_grow_array(map, 2);
    EXPECT_EQ(map.size(), 4u);

    LogCapture log;
    EXPECT_EQ(exitStatusOf([&] { tool_grow_array(map, INT_MAX / 4); }), 1);
    EXPECT_NE(log.str().find("Array too big.\n"), std::string::npos);
}

} // namespace
