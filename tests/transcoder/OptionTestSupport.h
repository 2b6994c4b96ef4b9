#pragma once

// Helpers of the option table tests: command lines, source files opened straight into the
// transcoder's lists, and a clean process-wide state after each test.

#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/option_table.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// argv for tool_parse_options: the program name, then the words. The texts live as long as
// the object.
class CommandLine {
public:
    CommandLine(std::initializer_list<std::string> words) : CommandLine(std::vector(words)) {}
    explicit CommandLine(std::vector<std::string> words) : _words(std::move(words)) {
        _words.insert(_words.begin(), "ffmpeg");
        for (std::string& word : _words)
            _argv.push_back(word.data());
        _argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(_words.size()); }
    char** argv() { return _argv.data(); }

private:
    std::vector<std::string> _words;
    std::vector<char*> _argv;
};

// Parses the words through tc_options into o; words that are not options go to onWord.
inline void parseWords(PerFileOptions* o, std::vector<std::string> words,
                       ToolWordCallback onWord = nullptr) {
    CommandLine line(std::move(words));
    tool_parse_options(o, line.argc(), line.argv(), tc_options, onWord);
}

// Opens a media file as the next source file, as an input's opening leaves it for the
// options that look at inputs (stream maps, targets).
inline void addSourceFile(const QString& path) {
    AVFormatContext* ctx = nullptr;
    const QByteArray name = path.toUtf8();
    ASSERT_EQ(avformat_open_input(&ctx, name.constData(), nullptr, nullptr), 0);
    auto file = std::make_unique<SourceFile>();
    file->ctx.reset(ctx);
    ASSERT_GE(avformat_find_stream_info(ctx, nullptr), 0);
    file->nb_streams = static_cast<int>(ctx->nb_streams);
    file->ist_index = static_cast<int>(tc_state().input_streams.size());
    tc_state().input_files.push_back(std::move(file));
}

// Puts every record and option variable back to how a process starts, keeping the help hook
// and the counters that are not options.
inline void resetTranscoderState() {
    TranscoderState& state = tc_state();
    state.freeRecords();
    auto* const printHelp = state.print_help;
    const int warnedConfig = state.warned_cfg;
    const int networkUses = state.network_uses;
    state = TranscoderState{};
    state.print_help = printHelp;
    state.warned_cfg = warnedConfig;
    state.network_uses = networkUses;
    tool_options_free();
}

// Every option test starts and ends with a fresh state and the default log callback. An
// unexpected end of the program fails the test instead of ending the test program.
class OptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        _previousExit = tc_set_exit_function(throwExit);
        resetTranscoderState();
    }
    void TearDown() override {
        resetTranscoderState();
        av_log_set_callback(av_log_default_callback);
        tc_set_exit_function(_previousExit);
    }

private:
    TcExitFunction _previousExit = nullptr;
};

// A dictionary entry's value, or "(none)".
inline std::string dictValue(const AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
    return e ? e->value : "(none)";
}

// "spec=value;" per element, whatever the value's kind.
inline std::string listText(const SpecifiedList& list) {
    std::string text;
    for (const SpecifiedValue& v : list) {
        text += v.specifier + "=";
        if (const auto* s = std::get_if<std::string>(&v.value))
            text += *s;
        else if (const auto* i = std::get_if<int>(&v.value))
            text += std::to_string(*i);
        else if (const auto* l = std::get_if<int64_t>(&v.value))
            text += std::to_string(*l);
        else if (const auto* f = std::get_if<float>(&v.value))
            text += std::to_string(*f);
        else if (const auto* d = std::get_if<double>(&v.value))
            text += std::to_string(*d);
        text += ";";
    }
    return text;
}

// Small Matroska files, made once per run with the ffmpeg program. A path is empty when its
// file could not be made.
struct OptionFixtures {
    QString palThreeStreams; // 0: video 25 fps, 1: stereo audio, 2: mono audio
    QString ntscVideo;       // video 30000/1001
    QString filmVideo;       // video 24000/1001
    QString otherRateVideo;  // video 10 fps and mono audio
};

inline QString makeVideoFixture(const QString& folder, const char* name, const char* rate,
                                const QStringList& audioInputs) {
    const QString path = folder + QStringLiteral("/%1.mkv").arg(QLatin1String(name));
    QStringList args{
        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("testsrc=size=64x48:duration=0.2:rate=%1").arg(QLatin1String(rate))};
    for (const QString& audio : audioInputs)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i") << audio;
    for (int i = 0; i <= audioInputs.size(); ++i)
        args << QStringLiteral("-map") << QString::number(i);
    args << QStringLiteral("-c:v") << QStringLiteral("mpeg4") << QStringLiteral("-c:a")
         << QStringLiteral("pcm_s16le") << path;
    return MediaFixtures::runFfmpeg(args) ? path : QString();
}

inline const OptionFixtures& optionFixtures() {
    static const OptionFixtures fixtures = [] {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("options"));
        const QString stereo =
            QStringLiteral("aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=44100:d=0.2");
        const QString mono = QStringLiteral("sine=frequency=880:sample_rate=22050:duration=0.2");
        OptionFixtures f;
        f.palThreeStreams = makeVideoFixture(folder, "pal", "25", {stereo, mono});
        f.ntscVideo = makeVideoFixture(folder, "ntsc", "30000/1001", {});
        f.filmVideo = makeVideoFixture(folder, "film", "24000/1001", {});
        f.otherRateVideo = makeVideoFixture(folder, "other", "10", {mono});
        return f;
    }();
    return fixtures;
}
