#include "TranscoderTestSupport.h"

#include "transcoder/tool_services.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

namespace {

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : _name(name) {
        if (const char* old = std::getenv(name))
            _old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (_old)
            setenv(_name, _old->c_str(), 1);
        else
            unsetenv(_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* _name;
    std::optional<std::string> _old;
};

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("b=1000\n");
}

struct PresetCase {
    const char* description;
    bool dataDirSet;
    std::vector<const char*> files; // under the temporary folder: data/... and home/.ffmpeg/...
    const char* codec;
    const char* found; // relative to the temporary folder; null: none
};

void PrintTo(const PresetCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class PresetSearch : public ::testing::TestWithParam<PresetCase> {};

TEST_P(PresetSearch, TakesTheFirstFileInSearchOrder) {
    const PresetCase& c = GetParam();
    QTemporaryDir dir;
    for (const char* file : c.files)
        touch(dir.path() + "/" + file);
    const std::string data = (dir.path() + "/data").toStdString();
    const std::string home = (dir.path() + "/home").toStdString();
    ScopedEnv dataDir("FFMPEG_DATADIR", c.dataDirSet ? data.c_str() : nullptr);
    ScopedEnv homeDir("HOME", home.c_str());

    char name[1000] = {};
    FILE* f = tool_find_preset_file(name, sizeof(name), "quaverly-test", 0, c.codec);
    if (!c.found) {
        EXPECT_EQ(f, nullptr) << name;
        return;
    }
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(std::string(name), (dir.path() + "/" + c.found).toStdString());
}

const PresetCase kPresetCases[] = {
    {"data folder before home",
     true,
     {"data/quaverly-test.ffpreset", "home/.ffmpeg/quaverly-test.ffpreset"},
     nullptr,
     "data/quaverly-test.ffpreset"},
    {"plain name before the codec name in one folder",
     true,
     {"data/quaverly-test.ffpreset", "data/libx-quaverly-test.ffpreset"},
     "libx",
     "data/quaverly-test.ffpreset"},
    {"codec name in the data folder before plain name at home",
     true,
     {"data/libx-quaverly-test.ffpreset", "home/.ffmpeg/quaverly-test.ffpreset"},
     "libx",
     "data/libx-quaverly-test.ffpreset"},
    {"home folder when the data folder is not set",
     false,
     {"data/quaverly-test.ffpreset", "home/.ffmpeg/quaverly-test.ffpreset"},
     nullptr,
     "home/.ffmpeg/quaverly-test.ffpreset"},
    {"codec name only tried with a codec",
     true,
     {"data/libx-quaverly-test.ffpreset"},
     nullptr,
     nullptr},
    {"nothing found", true, {}, "libx", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Presets, PresetSearch, ::testing::ValuesIn(kPresetCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST(Presets, PathFlagOpensTheNameItselfAndLongNamesAreNotCut) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/my.preset").toStdString();
    touch(QString::fromStdString(path));
    char name[1000] = {};
    FILE* f = tool_find_preset_file(name, sizeof(name), path.c_str(), 1, nullptr);
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(std::string(name), path);

    char small[8] = {};
    EXPECT_EQ(tool_find_preset_file(small, sizeof(small), path.c_str(), 1, nullptr), nullptr);
}

struct ReadCase {
    const char* description;
    const char* path; // "%d": the temporary folder
    int result;
    const char* message; // what the error log holds; empty for success
};

void PrintTo(const ReadCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class ReadFile : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadFile, ReadsRegularFilesWholeAndRefusesTheRest) {
    QTemporaryDir dir;
    QFile text(dir.path() + "/text.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("abc\0def", 7);
    text.close();
    QFile(dir.path() + "/empty").open(QIODevice::WriteOnly);
    ASSERT_EQ(mkfifo((dir.path() + "/fifo").toLocal8Bit().constData(), 0600), 0);

    std::string path = GetParam().path;
    if (path.rfind("%d", 0) == 0)
        path = dir.path().toStdString() + path.substr(2);
    uint8_t* buf = nullptr;
    size_t size = 99;
    LogCapture log;
    const int ret = tool_read_file(path.c_str(), &buf, &size);
    EXPECT_EQ(ret, GetParam().result);
    if (ret == 0) {
        ASSERT_NE(buf, nullptr);
        EXPECT_EQ(buf[size], 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), size),
                  size ? std::string("abc\0def", 7) : std::string());
        EXPECT_EQ(log.str(), "");
    } else {
        EXPECT_EQ(buf, nullptr);
        EXPECT_EQ(log.str(), "Cannot read file '" + path + "': " + GetParam().message + "\n");
    }
    av_free(buf);
}

const ReadCase kReadCases[] = {
    {"regular file with a NUL byte", "%d/text.txt", 0, ""},
    {"empty file", "%d/empty", 0, ""},
    {"missing file", "%d/none", AVERROR(ENOENT), "No such file or directory"},
    {"named pipe is not waited on", "%d/fifo", AVERROR(ESPIPE), "Illegal seek"},
    {"directory", "%d", AVERROR(ESPIPE), "Illegal seek"},
    {"endless device", "/dev/zero", AVERROR(ESPIPE), "Illegal seek"},
};

INSTANTIATE_TEST_SUITE_P(Services, ReadFile, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct AnswerCase {
    const char* description;
    const char* input;
    int yes;
    const char* left; // what standard input still holds afterwards
};

void PrintTo(const AnswerCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class YesNo : public ::testing::TestWithParam<AnswerCase> {};

// Feeds the input through standard input; returns the answer and what is left unread.
std::pair<int, std::string> answerTo(const char* input) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    (void)!write(fds[1], input, std::strlen(input));
    close(fds[1]);
    const int saved = dup(STDIN_FILENO);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    clearerr(stdin);
    const int yes = tool_read_yes_no();
    std::string left;
    for (int c = std::getchar(); c != EOF; c = std::getchar())
        left += static_cast<char>(c);
    dup2(saved, STDIN_FILENO);
    close(saved);
    clearerr(stdin);
    return {yes, left};
}

TEST_P(YesNo, AnswersFromTheFirstCharacterAndDropsTheLine) {
    const auto [yes, left] = answerTo(GetParam().input);
    EXPECT_EQ(yes, GetParam().yes);
    EXPECT_EQ(left, GetParam().left);
}

const AnswerCase kAnswers[] = {
    {"y", "y\nnext\n", 1, "next\n"},
    {"yes consumes the whole line", "yes\nnext\n", 1, "next\n"},
    {"n", "n\n", 0, ""},
    {"empty line", "\nnext", 0, "next"},
    {"end of input", "", 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Services, YesNo, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
