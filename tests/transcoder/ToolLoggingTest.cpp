#include "TranscoderTestSupport.h"

#include "transcoder/tool_logging.h"

extern "C" {
#include <libavutil/error.h>
}

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

const ToolOption kLogOptions[] = {
    {"loglevel", TOOLOPT_ARG, ToolHandler(tool_set_log_level), "", "loglevel"},
    {"v", TOOLOPT_ARG, ToolHandler(tool_set_log_level), "", "loglevel"},
    {"report", 0, ToolHandler(tool_open_report), ""},
    {"i", TOOLOPT_ARG, ToolHandler(tool_set_log_level), "", "file"},
    {},
};

// Keeps the library's log level across a test.
class LogLevelGuard {
public:
    LogLevelGuard() : _level(av_log_get_level()) {}
    ~LogLevelGuard() { av_log_set_level(_level); }

private:
    int _level;
};

struct LevelCase {
    const char* text;
    int level;
};

void PrintTo(const LevelCase& testCase, std::ostream* out) {
    *out << testCase.text;
}

class LogLevelNames : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LogLevelNames, SetTheLevel) {
    LogLevelGuard guard;
    EXPECT_EQ(tool_set_log_level("loglevel", GetParam().text), 0);
    EXPECT_EQ(av_log_get_level(), GetParam().level);
}

const LevelCase kLevels[] = {
    {"quiet", -8},   {"panic", 0},  {"fatal", 8}, {"error", 16}, {"warning", 24}, {"info", 32},
    {"verbose", 40}, {"debug", 48}, {"24", 24},   {"-8", -8},    {"56", 56},
};

INSTANTIATE_TEST_SUITE_P(Logging, LogLevelNames, ::testing::ValuesIn(kLevels),
                         [](const auto& info) { return testNameFrom(info.param.text); });

TEST(Logging, UnknownLevelListsTheNamesAndEndsWithStatusOne) {
    LogLevelGuard guard;
    for (const char* bad : {"loud", "", "12x"}) {
        LogCapture log;
        EXPECT_EQ(exitStatusOf([&] { tool_set_log_level("loglevel", bad); }), 1) << bad;
        EXPECT_EQ(log.str(), std::string("Invalid loglevel \"") + bad +
                                 "\". Possible levels are numbers or:\n\"quiet\"\n\"panic\"\n"
                                 "\"fatal\"\n\"error\"\n\"warning\"\n\"info\"\n\"verbose\"\n"
                                 "\"debug\"\n");
    }
}

TEST(Logging, EarlyOptionsApplyVWhenLoglevelIsAbsent) {
    LogLevelGuard guard;
    av_log_set_level(AV_LOG_INFO);
    char* argv[] = {const_cast<char*>("ffmpeg"), const_cast<char*>("-i"), const_cast<char*>("-v"),
                    const_cast<char*>("-v"), const_cast<char*>("warning")};
    tool_early_log_options(5, argv, kLogOptions);
    EXPECT_EQ(av_log_get_level(), AV_LOG_WARNING);
}

struct QuoteCase {
    const char* description;
    const char* word;
    const char* written;
};

void PrintTo(const QuoteCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class ReportQuoting : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(ReportQuoting, WritesTheWordSafely) {
    EXPECT_EQ(tool_quote_report_word(GetParam().word), GetParam().written);
}

const QuoteCase kQuoteCases[] = {
    {"plain word unchanged", "-b:a", "-b:a"},
    {"path characters unchanged", "user@host:/music/a_b+1.wav", "user@host:/music/a_b+1.wav"},
    {"empty word writes nothing", "", ""},
    {"blank is quoted", "in put.wav", "\"in put.wav\""},
    {"equals sign is quoted", "title=x", "\"title=x\""},
    {"shell specials are escaped", "a\"$\\`b", "\"a\\\"\\$\\\\\\`b\""},
    {"control bytes in hexadecimal", "a\tb", "\"a\\x09b\""},
    {"high bytes as unsigned", "caf\xc3\xa9", "\"caf\\xc3\\xa9\""},
};

INSTANTIATE_TEST_SUITE_P(Logging, ReportQuoting, ::testing::ValuesIn(kQuoteCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST(Logging, ReportNameHasTheProgramAndALocalTimeOf14Digits) {
    struct tm local {};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    EXPECT_EQ(tool_report_file_name(local), "ffmpeg-20260102-030405.log");
}

// Runs in a temporary current directory and closes the report afterwards.
class ReportFile : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(_dir.isValid());
        _previous = QDir::currentPath();
        QDir::setCurrent(_dir.path());
    }
    void TearDown() override {
        tool_close_report();
        unsetenv("FFREPORT");
        QDir::setCurrent(_previous);
    }
    QTemporaryDir _dir;
    QString _previous;
    LogLevelGuard _level;
};

std::string fileText(const QString& path) {
    std::ifstream in(path.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_P(ReportFile, StartsWithTheStartMessageAndTheQuotedCommandLine) {
    const bool byVariable = GetParam();
    std::vector<const char*> words{"ffmpeg", "-i", "in put.wav", "-v", "error"};
    if (byVariable)
        setenv("FFREPORT", "1", 1);
    else
        words.insert(words.begin() + 1, "-report");
    std::vector<char*> argv;
    for (const char* w : words)
        argv.push_back(const_cast<char*>(w));

    tool_early_log_options(int(argv.size()), argv.data(), kLogOptions);
    av_log(nullptr, AV_LOG_DEBUG, "after %d\n", 1);

    const QStringList reports = QDir(_dir.path()).entryList({"*.log"}, QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    const std::string name = reports.first().toStdString();
    // "ffmpeg-YYYYMMDD-HHMMSS.log"
    ASSERT_EQ(name.size(), 26u) << name;
    ASSERT_EQ(name.substr(0, 7), "ffmpeg-");
    ASSERT_EQ(name.substr(15, 1), "-");
    ASSERT_EQ(name.substr(22), ".log");
    for (size_t i : {7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21})
        ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(name[i]))) << name;
    const std::string started = "ffmpeg started on " + name.substr(7, 4) + "-" +
                                name.substr(11, 2) + "-" + name.substr(13, 2) + " at " +
                                name.substr(16, 2) + ":" + name.substr(18, 2) + ":" +
                                name.substr(20, 2) + "\n";
    const std::string commandLine = byVariable ? "ffmpeg -i \"in put.wav\" -v error\n"
                                               : "ffmpeg -report -i \"in put.wav\" -v error\n";
    EXPECT_EQ(fileText(reports.first()), started + "Report written to \"" + name +
                                             "\"\nCommand line:\n" + commandLine + "after 1\n");
    EXPECT_EQ(av_log_get_level(), AV_LOG_VERBOSE) << "the report raises the level -v set";
}

INSTANTIATE_TEST_SUITE_P(Logging, ReportFile, ::testing::Values(false, true), [](const auto& info) {
    return std::string(info.param ? "FFREPORT" : "ReportOption");
});

TEST(Logging, ReportThatCannotBeOpenedReturnsTheSystemError) {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    // A current directory that is gone: the report cannot be created there, even as root.
    const QString gone = dir.path() + "/gone";
    QDir().mkdir(gone);
    QDir::setCurrent(gone);
    QDir().rmdir(gone);
    LogCapture log;
    EXPECT_EQ(tool_open_report(), AVERROR(ENOENT));
    EXPECT_NE(log.str().find("Failed to open report \"ffmpeg-"), std::string::npos);
    EXPECT_NE(log.str().find("\": No such file or directory\n"), std::string::npos);
    QDir::setCurrent(previous);
}

} // namespace
