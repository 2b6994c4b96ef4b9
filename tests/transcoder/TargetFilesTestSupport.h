#pragma once

// Source records opened straight from files or lavfi descriptions, an output context that a
// test owns, and the clean-up every output-side test needs.

#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

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
    void SetUp() override { resetState(); }
    void TearDown() override { resetState(); }

    static void resetState() {
        TranscoderState& state = tc_state();
        state.freeRecords();
        state.file_overwrite = 0;
        state.no_file_overwrite = 0;
        state.stdin_interaction = 1;
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
};
