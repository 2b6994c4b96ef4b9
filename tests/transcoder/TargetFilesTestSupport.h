#pragma once

// Source records opened straight from files or lavfi descriptions, an output context that a
// test owns, and the clean-up every output-side test needs.

#include "MediaFixtures.h"
#include "TestEnvironment.h"
#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/option_table.h"
#include "transcoder/source_files.h"
#include "transcoder/target_files.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Appends a source file and its streams as the input side leaves them: every stream still
// discarded and without a decoder. Fails the test when the input does not open.
inline void appendSourceFile(const std::string& url, const char* format = nullptr) {
    avdevice_register_all();
    AVFormatContext* raw = nullptr;
    const AVInputFormat* input = format ? av_find_input_format(format) : nullptr;
    ASSERT_EQ(avformat_open_input(&raw, url.c_str(), input, nullptr), 0) << url;
    InputContextPtr ctx(raw);
    ASSERT_GE(avformat_find_stream_info(ctx.get(), nullptr), 0) << url;

    TranscoderState& state = tc_state();
    auto file = std::make_unique<SourceFile>();
    file->ist_index = static_cast<int>(state.input_streams.size());
    file->nb_streams = static_cast<int>(ctx->nb_streams);
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        auto ist = std::make_unique<SourceStream>();
        ist->file_index = static_cast<int>(state.input_files.size());
        ist->st = ctx->streams[i];
        ist->st->discard = AVDISCARD_ALL;
        state.input_streams.push_back(std::move(ist));
    }
    file->ctx = std::move(ctx);
    state.input_files.push_back(std::move(file));
}

// What the library log receives at warning level or above while it lives: the program's own
// messages without the libraries' verbose and debug notes.
class MessageCapture {
public:
    MessageCapture() {
        text().clear();
        av_log_set_callback(&MessageCapture::callback);
    }
    ~MessageCapture() { av_log_set_callback(av_log_default_callback); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::string str() const { return text(); }

private:
    static std::string& text() {
        static std::string t;
        return t;
    }
    static void callback(void*, int level, const char* fmt, va_list args) {
        if (level > AV_LOG_WARNING)
            return;
        char line[2048];
        std::vsnprintf(line, sizeof(line), fmt, args);
        text() += line;
    }
};

// Opens an input the way the "i" option does, with its decoders.
inline void openSourceFile(const std::string& url, const char* format = nullptr) {
    avdevice_register_all();
    PerFileOptions o;
    if (format)
        o.format = format;
    const std::optional<int> status =
        exitStatusOf([&] { tc_open_source_file(&o, "i", url.c_str()); });
    ASSERT_EQ(status, std::nullopt) << url;
}

// Parses words (without the program name) with tc_open_target_file for each output name: the
// status the program ended with, or nothing when the words were read to their end.
inline std::optional<int> runCommandLine(std::vector<std::string> words) {
    words.insert(words.begin(), "ffmpeg");
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    PerFileOptions o;
    return exitStatusOf([&] {
        tool_parse_options(&o, static_cast<int>(words.size()), argv.data(), tc_options,
                           tc_open_target_file);
    });
}

struct PendingOutputFree {
    void operator()(AVFormatContext* ctx) const { avformat_free_context(ctx); }
};
using TestOutputPtr = std::unique_ptr<AVFormatContext, PendingOutputFree>;

// An output context for a file name, not opened.
inline TestOutputPtr testOutput(const char* filename) {
    AVFormatContext* oc = nullptr;
    avformat_alloc_output_context2(&oc, nullptr, nullptr, filename);
    return TestOutputPtr(oc);
}

// Every output-side test starts from empty records and default variables, and leaves them so.
class TargetFilesTestBase : public ::testing::Test {
protected:
    // An unexpected end of the program fails the test instead of ending the test program.
    void SetUp() override {
        resetState();
        previousExit_ = tc_set_exit_function(throwExit);
    }
    void TearDown() override {
        tc_set_exit_function(previousExit_);
        resetState();
    }

    static void resetState() {
        TranscoderState& state = tc_state();
        state.freeRecords();
        state.file_overwrite = 0;
        state.no_file_overwrite = 0;
        state.stdin_interaction = 1;
        state.video_codec_name.clear();
        state.audio_codec_name.clear();
        state.subtitle_codec_name.clear();
        tool_options_free();
        tool_options_init();
    }

    // The output stream records of the first output file (or of an unfinished one).
    static std::vector<TargetStream*> targetStreams() {
        std::vector<TargetStream*> streams;
        for (const auto& ost : tc_state().output_streams)
            streams.push_back(ost.get());
        return streams;
    }

private:
    TcExitFunction previousExit_ = nullptr;
};

inline std::string gTargetFixtureFolder;

inline std::string fixture(const char* name) {
    return gTargetFixtureFolder + "/" + name;
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Small Matroska files made once: a 1280x720 picture with stereo sound, a picture with two
// subtitle streams, a tagged sound with three ten-second chapters, and a sound with a text
// attachment.
class TargetFilesFixtures : public TargetFilesTestBase {
public:
    static void SetUpTestSuite() {
        avdevice_register_all(); // lavfi inputs on the command line
        if (!gTargetFixtureFolder.empty())
            return;
        gTargetFixtureFolder =
            TestEnvironment::makeTempFolder(QStringLiteral("target-files")).toStdString();
        const QString folder = QString::fromStdString(gTargetFixtureFolder);
        ASSERT_TRUE(MediaFixtures::runFfmpeg(
            {"-f", "lavfi", "-i", "testsrc=size=1280x720:duration=0.2:rate=5", "-f", "lavfi", "-i",
             "sine=duration=0.2", "-ac", "2", "-metadata:s:a", "language=ger", "-c:v", "mpeg4",
             folder + "/hd_stereo.mkv"}));
        writeText(gTargetFixtureFolder + "/subs.srt", "1\n00:00:00,000 --> 00:00:00,100\nhello\n");
        ASSERT_TRUE(MediaFixtures::runFfmpeg(
            {"-f", "lavfi", "-i", "testsrc=size=320x240:duration=0.2:rate=5", "-i",
             folder + "/subs.srt", "-i", folder + "/subs.srt", "-map", "0", "-map", "1", "-map",
             "2", "-c:v", "mpeg4", folder + "/subs.mkv"}));
        writeText(gTargetFixtureFolder + "/chapters.txt",
                  ";FFMETADATA1\ntitle=Album\nartist=Someone\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=10000\ntitle=one\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=10000\nEND=20000\ntitle=two\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=20000\nEND=30000\ntitle=three\n");
        ASSERT_TRUE(MediaFixtures::runFfmpeg(
            {"-f", "lavfi", "-i", "sine=duration=30:sample_rate=8000", "-i",
             folder + "/chapters.txt", "-map", "0", "-map_metadata", "1", "-map_chapters", "1",
             "-metadata", "creation_time=2020-01-02T03:04:05Z", "-c:a", "flac",
             folder + "/chapters.mkv"}));
        ASSERT_TRUE(MediaFixtures::runFfmpeg(
            {"-f", "lavfi", "-i", "sine=duration=0.2", "-attach", folder + "/subs.srt",
             "-metadata:s:t", "mimetype=text/plain", "-c:a", "flac", folder + "/attached.mkv"}));
    }

protected:
    std::string outputPath(const char* name) {
        const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("out"));
        return folder.toStdString() + "/" + name;
    }
};
