#include "support/ProbeSamples.h"

#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Collects what the library's log receives at error level while a test runs.
class LogCapture {
public:
    LogCapture() {
        lines().clear();
        av_log_set_callback(&LogCapture::callback);
    }
    ~LogCapture() { av_log_set_callback(av_log_default_callback); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static std::vector<std::string>& lines() {
        static std::vector<std::string> collected;
        return collected;
    }

private:
    static void callback(void*, int level, const char* format, va_list args) {
        if (level > AV_LOG_ERROR)
            return;
        char text[512];
        std::vsnprintf(text, sizeof(text), format, args);
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        lines().push_back(text);
    }
};

struct InputClose {
    void operator()(AVFormatContext* ic) const { avformat_close_input(&ic); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

struct DictFree {
    void operator()(AVDictionary* dict) const { av_dict_free(&dict); }
};
using DictPtr = std::unique_ptr<AVDictionary, DictFree>;

// The generated video-with-audio file: stream 0 video, stream 1 audio.
InputPtr openVideoWithAudio() {
    AVFormatContext* ic = nullptr;
    const QByteArray path = ProbeSamples::videoAndAudioMp4().toUtf8();
    if (avformat_open_input(&ic, path.constData(), nullptr, nullptr) < 0)
        return nullptr;
    avformat_find_stream_info(ic, nullptr);
    return InputPtr(ic);
}

DictPtr dictionaryOf(const std::vector<std::pair<const char*, const char*>>& entries) {
    AVDictionary* dict = nullptr;
    for (const auto& [key, value] : entries)
        av_dict_set(&dict, key, value, 0);
    return DictPtr(dict);
}

std::string entriesOf(const AVDictionary* dict) {
    std::string text;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(dict, "", entry, AV_DICT_IGNORE_SUFFIX)))
        text += std::string(entry->key) + "=" + entry->value + ";";
    return text;
}

TEST(ProbeToolHelpersTest, FilterCodecOptionsPerStream) {
    const InputPtr ic = openVideoWithAudio();
    ASSERT_TRUE(ic);
    ASSERT_EQ(ic->nb_streams, 2u);
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> options;
        const char* video;
        const char* audio;
    };
    const std::vector<Case> cases{
        {"specifier for audio", {{"threads:a", "2"}}, "", "threads=2;"},
        {"specifier for video", {{"threads:v", "3"}}, "threads=3;", ""},
        {"stream index", {{"threads:1", "2"}}, "", "threads=2;"},
        {"audio prefix letter", {{"arequest_sample_fmt", "s16"}}, "", "request_sample_fmt=s16;"},
        {"video prefix letter", {{"vskip_frame", "nokey"}}, "skip_frame=nokey;", ""},
        {"audio decoding option", {{"request_sample_fmt", "s16"}}, "", "request_sample_fmt=s16;"},
        {"encoding-only option", {{"b", "64000"}}, "", ""},
        {"plain generic option", {{"threads", "3"}}, "threads=3;", "threads=3;"},
        {"unknown option", {{"no_such_option", "1"}}, "", ""},
        {"private option of the audio decoder",
         {{"dual_mono_mode", "main"}},
         "",
         "dual_mono_mode=main;"},
        {"mixed",
         {{"threads:a", "1"}, {"err_detect", "crccheck"}, {"arequest_sample_fmt", "flt"}},
         "err_detect=crccheck;",
         "threads=1;err_detect=crccheck;request_sample_fmt=flt;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DictPtr options = dictionaryOf(c.options);
        const std::string before = entriesOf(options.get());
        const DictPtr video(tool_filter_codec_options(
            options.get(), ic->streams[0]->codecpar->codec_id, ic.get(), ic->streams[0], nullptr));
        const DictPtr audio(tool_filter_codec_options(
            options.get(), ic->streams[1]->codecpar->codec_id, ic.get(), ic->streams[1], nullptr));
        EXPECT_EQ(entriesOf(video.get()), c.video);
        EXPECT_EQ(entriesOf(audio.get()), c.audio);
        EXPECT_EQ(entriesOf(options.get()), before) << "the source options were changed";
    }
}

TEST(ProbeToolHelpersTest, InvalidSpecifierEmptiesTheWholeResult) {
    const InputPtr ic = openVideoWithAudio();
    ASSERT_TRUE(ic);
    const DictPtr options = dictionaryOf({{"threads", "2"}, {"threads:zz", "1"}});
    LogCapture capture;
    const DictPtr audio(tool_filter_codec_options(options.get(), ic->streams[1]->codecpar->codec_id,
                                                  ic.get(), ic->streams[1], nullptr));
    EXPECT_EQ(audio.get(), nullptr);
    EXPECT_EQ(LogCapture::lines(), std::vector<std::string>{"Invalid stream specifier: zz.\n"});
}

// Read as the library reads them; a bad one is reported in one line, not also by the library.
TEST(ProbeToolHelpersTest, SpecifiersAreReadAsTheLibraryReadsThem) {
    const InputPtr ic = openVideoWithAudio();
    ASSERT_TRUE(ic);
    // clang-format off
    const char* const specifiers[] = {
        "", "a", "v:0", "a:", "0x1", "1", "p:0:a", "p:1:", "p: 1", "#1", "# 1", "i:0x1",
        "m:language", "m:", "u", "a:u", "V", "a:m:x:y", "q", "a:x", "08", "0:", "1x", "+1", " 1",
        "#", "i:", "#08", "m", "u:", "a::", "p:", "p:1x", "p:1:x", "a:0:0", "#1:a", "disp:default"};
    // clang-format on
    for (const char* spec : specifiers) {
        for (unsigned i = 0; i < ic->nb_streams; ++i) {
            SCOPED_TRACE(std::string("specifier '") + spec + "', stream " + std::to_string(i));
            LogCapture capture;
            const int library = avformat_match_stream_specifier(ic.get(), ic->streams[i], spec);
            LogCapture::lines().clear();
            const int ours = tool_match_stream_specifier(ic.get(), ic->streams[i], spec);
            EXPECT_EQ(ours < 0 ? -1 : ours, library < 0 ? -1 : library);
            EXPECT_EQ(LogCapture::lines().size(), library < 0 ? 1u : 0u);
        }
    }
}

TEST(ProbeToolHelpersTest, StreamInfoOptionsOnePerStream) {
    const InputPtr ic = openVideoWithAudio();
    ASSERT_TRUE(ic);
    const DictPtr options = dictionaryOf({{"threads:a", "2"}});
    AVDictionary** perStream = tool_stream_info_options(ic.get(), options.get());
    ASSERT_NE(perStream, nullptr);
    EXPECT_EQ(entriesOf(perStream[0]), "");
    EXPECT_EQ(entriesOf(perStream[1]), "threads=2;");
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        av_dict_free(&perStream[i]);
    av_freep(&perStream);

    AVFormatContext* empty = avformat_alloc_context();
    EXPECT_EQ(tool_stream_info_options(empty, options.get()), nullptr);
    avformat_free_context(empty);
}

TEST(ProbeToolHelpersTest, ReportErrorTexts) {
    LogCapture capture;
    tool_report_error("song.mp3", AVERROR(ENOENT));
    tool_report_error("odd.wav", AVERROR_INVALIDDATA);
    tool_report_error("x", -123456);
    ASSERT_EQ(LogCapture::lines().size(), 3u);
    EXPECT_EQ(LogCapture::lines()[0], "song.mp3: No such file or directory\n");
    EXPECT_EQ(LogCapture::lines()[1], "odd.wav: Invalid data found when processing input\n");
    EXPECT_EQ(LogCapture::lines()[2].rfind("x: ", 0), 0u);
    EXPECT_GT(LogCapture::lines()[2].size(), 4u);
}

TEST(ProbeToolHelpersTest, FreeThenInitStartsFromEmptyOptions) {
    tool_options_init();
    ASSERT_NE(tool_sws_options, nullptr);
    ASSERT_NE(tool_swr_options, nullptr);
    av_dict_set(&tool_codec_options, "threads", "1", 0);
    av_dict_set(&tool_format_options, "probesize", "5000", 0);
    tool_options_free();
    EXPECT_EQ(tool_codec_options, nullptr);
    EXPECT_EQ(tool_format_options, nullptr);
    EXPECT_EQ(tool_sws_options, nullptr);
    EXPECT_EQ(tool_swr_options, nullptr);
    tool_options_init();
    EXPECT_NE(tool_sws_options, nullptr);
    EXPECT_EQ(tool_codec_options, nullptr);
    tool_options_free();
}

} // namespace
