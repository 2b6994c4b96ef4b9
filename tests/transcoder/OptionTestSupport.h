#pragma once

// Helpers of the option table tests: command lines, source files opened straight into the
// transcoder's lists, fixtures, and a clean process-wide state around each test.

#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/option_table.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Parses the words (after a program name) through tc_options into o; words that are not
// options go to onWord.
inline void parseWords(PerFileOptions* o, std::vector<std::string> words,
                       ToolWordCallback onWord = nullptr) {
    words.insert(words.begin(), "ffmpeg");
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    tool_parse_options(o, static_cast<int>(words.size()), argv.data(), tc_options, onWord);
}

// Opens a media file as the next source file, as far as the options that look at inputs
// (stream maps, targets) need it.
inline void addSourceFile(const QString& path) {
    AVFormatContext* ctx = nullptr;
    ASSERT_EQ(avformat_open_input(&ctx, path.toUtf8().constData(), nullptr, nullptr), 0);
    auto file = std::make_unique<SourceFile>();
    file->ctx.reset(ctx);
    ASSERT_GE(avformat_find_stream_info(ctx, nullptr), 0);
    file->nb_streams = static_cast<int>(ctx->nb_streams);
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

inline std::string dictValue(const AVDictionary* dict, const char* key) {
    const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
    return e ? e->value : "(none)";
}

// "spec=value;" per element.
inline std::string listText(const SpecifiedList& list) {
    std::string text;
    for (const SpecifiedValue& v : list) {
        text += v.specifier + "=";
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::string>)
                    text += value;
                else if constexpr (!std::is_same_v<T, std::monostate>)
                    text += std::to_string(value);
            },
            v.value);
        text += ";";
    }
    return text;
}

// Small Matroska files, made once per run with the ffmpeg program; a path is empty when its
// file could not be made.
struct OptionFixtures {
    QString palThreeStreams; // 0: video 25 fps, 1: stereo audio, 2: mono audio
    QString ntscVideo;       // video 30000/1001
    QString filmVideo;       // video 24000/1001
    QString otherRateVideo;  // video 10 fps, mono audio
};

inline QString makeVideoFixture(const QString& name, const char* rate, const QStringList& audio) {
    const QString path = TestEnvironment::makeTempFolder(QStringLiteral("options")) + u'/' + name;
    const QString lavfi = QStringLiteral("lavfi");
    QStringList args{"-f", lavfi, "-i", QStringLiteral("testsrc=size=64x48:d=0.2:r=") + rate};
    for (const QString& source : audio)
        args << "-f" << lavfi << "-i" << source;
    for (int i = 0; i <= audio.size(); ++i)
        args << "-map" << QString::number(i);
    args << "-c:v"
         << "mpeg4"
         << "-c:a"
         << "pcm_s16le" << path;
    return MediaFixtures::runFfmpeg(args) ? path : QString();
}

inline const OptionFixtures& optionFixtures() {
    static const OptionFixtures fixtures = [] {
        const QString stereo = "aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=44100:d=0.2";
        const QString mono = "sine=frequency=880:sample_rate=22050:duration=0.2";
        return OptionFixtures{makeVideoFixture("pal.mkv", "25", {stereo, mono}),
                              makeVideoFixture("ntsc.mkv", "30000/1001", {}),
                              makeVideoFixture("film.mkv", "24000/1001", {}),
                              makeVideoFixture("other.mkv", "10", {mono})};
    }();
    return fixtures;
}
