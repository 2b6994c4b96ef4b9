#pragma once

// Stream records built by hand, and helpers that look into a built filter graph and push
// generated frames through it.

#include "TranscoderTestSupport.h"
#include "transcoder/filter_graphs.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <mutex>

// 48 kHz planar float audio when channels > 0, else yuv420p video at 25 frames a second
// (subtitles when subtitle is set).
struct StreamSpec {
    int channels = 0;
    int width = 0;
    int height = 0;
    bool subtitle = false;
};
inline StreamSpec audioSpec(int channels) {
    return {channels, 0, 0, false};
}
inline StreamSpec videoSpec(int width, int height) {
    return {0, width, height, false};
}
inline StreamSpec subtitleSpec(int width = 0, int height = 0) {
    return {0, width, height, true};
}

// Appends a source file with its streams, as opening it would leave them.
inline void addSourceFile(const std::vector<StreamSpec>& specs) {
    TranscoderState& state = tc_state();
    auto file = std::make_unique<SourceFile>();
    file->ctx.reset(avformat_alloc_context());
    file->ist_index = int(state.input_streams.size());
    file->nb_streams = int(specs.size());
    for (const StreamSpec& spec : specs) {
        AVStream* st = avformat_new_stream(file->ctx.get(), nullptr);
        st->discard = AVDISCARD_ALL;
        st->time_base = spec.channels ? AVRational{1, 48000} : AVRational{1, 25};
        st->r_frame_rate = spec.channels ? AVRational{0, 0} : AVRational{25, 1};
        AVCodecParameters* par = st->codecpar;
        par->codec_type = spec.channels   ? AVMEDIA_TYPE_AUDIO
                          : spec.subtitle ? AVMEDIA_TYPE_SUBTITLE
                                          : AVMEDIA_TYPE_VIDEO;
        par->width = spec.width;
        par->height = spec.height;
        par->format = spec.channels ? int(AV_SAMPLE_FMT_FLTP) : int(AV_PIX_FMT_YUV420P);
        par->sample_rate = spec.channels ? 48000 : 0;
        av_channel_layout_default(&par->ch_layout, spec.channels);
        auto ist = std::make_unique<SourceStream>();
        ist->file_index = int(state.input_files.size());
        ist->st = st;
        ist->dec_ctx.reset(avcodec_alloc_context3(nullptr));
        avcodec_parameters_to_context(ist->dec_ctx.get(), par);
        state.input_streams.push_back(std::move(ist));
    }
    state.input_files.push_back(std::move(file));
}

inline SourceStream* sourceStream(size_t position) {
    return tc_state().input_streams.at(position).get();
}

// A target stream of output file 0 with the named encoder (null: none) at its defaults.
inline TargetStream* addTargetStream(const char* encoder, bool audio) {
    TranscoderState& state = tc_state();
    auto ost = std::make_unique<TargetStream>();
    ost->index = int(state.output_streams.size());
    ost->enc = encoder ? avcodec_find_encoder_by_name(encoder) : nullptr;
    ost->enc_ctx.reset(avcodec_alloc_context3(ost->enc));
    ost->sws_flags = SWS_BICUBIC;
    ost->avfilter = audio ? "anull" : "null";
    state.output_streams.push_back(std::move(ost));
    return state.output_streams.back().get();
}

inline AVFilterContext* filterNamed(const GraphRecord* fg, const std::string& name) {
    for (unsigned i = 0; fg->graph && i < fg->graph->nb_filters; ++i)
        if (name == fg->graph->filters[i]->name)
            return fg->graph->filters[i];
    return nullptr;
}

// The kinds of the first filters from this one downstream along output 0.
inline std::vector<std::string> chainFrom(const AVFilterContext* filter, size_t length) {
    std::vector<std::string> chain;
    for (; filter && chain.size() < length; filter = filter->outputs[0]->dst) {
        chain.push_back(filter->filter->name);
        if (!filter->nb_outputs || !filter->outputs[0])
            break;
    }
    return chain;
}

// Planar float audio at 48 kHz whose samples in channel c are all levels[c].
inline FramePtr audioFrame(const std::vector<float>& levels, int nb_samples, int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = 48000;
    av_channel_layout_default(&frame->ch_layout, int(levels.size()));
    frame->nb_samples = nb_samples;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (size_t c = 0; c < levels.size(); ++c)
        std::fill_n(reinterpret_cast<float*>(frame->extended_data[c]), nb_samples, levels[c]);
    return frame;
}

// Grey yuv420p video.
inline FramePtr videoFrame(int width, int height, int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane)
        std::memset(frame->data[plane], 128,
                    size_t(frame->linesize[plane]) * size_t(plane ? (height + 1) / 2 : height));
    return frame;
}

// Feeds the frames to the source, ends the stream there and returns all the sink gives.
inline std::vector<FramePtr> filterFrames(AVFilterContext* source, AVFilterContext* sink,
                                          std::vector<FramePtr> frames) {
    frames.emplace_back(); // the end of the stream
    std::vector<FramePtr> out;
    for (FramePtr& frame : frames) {
        EXPECT_GE(av_buffersrc_add_frame(source, frame.get()), 0);
        for (FramePtr got(av_frame_alloc()); av_buffersink_get_frame(sink, got.get()) >= 0;
             got.reset(av_frame_alloc()))
            out.push_back(std::move(got));
    }
    return out;
}

// The library's log while it lives, and the options each filter instance was given, as
// "key=value" joined by ':'. Filters rewrite some option texts as they start, so the
// library's report of setting each option is the faithful record of the arguments.
class FilterSettingsLog {
public:
    FilterSettingsLog() {
        current() = this;
        av_log_set_callback(&FilterSettingsLog::callback);
    }
    ~FilterSettingsLog() {
        av_log_set_callback(av_log_default_callback);
        current() = nullptr;
    }
    std::string str() const { return _text; }
    std::string settingsOf(const std::string& instance) const {
        const auto found = _settings.find(instance);
        return found == _settings.end() ? std::string() : found->second;
    }

private:
    static FilterSettingsLog*& current() {
        static FilterSettingsLog* log = nullptr;
        return log;
    }
    static void callback(void* ptr, int, const char* fmt, va_list args) {
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        va_list copy;
        va_copy(copy, args);
        char line[4096];
        std::vsnprintf(line, sizeof(line), fmt, args);
        if (FilterSettingsLog* log = current()) {
            log->_text += line;
            if (ptr && std::strcmp(fmt, "Setting '%s' to value '%s'\n") == 0) {
                const char* key = va_arg(copy, const char*);
                const char* value = va_arg(copy, const char*);
                const AVClass* cls = *static_cast<const AVClass**>(ptr);
                std::string& settings = log->_settings[cls->item_name(ptr)];
                settings += (settings.empty() ? "" : ":") + std::string(key) + "=" + value;
            }
        }
        va_end(copy);
    }
    std::string _text;
    std::map<std::string, std::string> _settings;
};

// Every test starts and ends with no records and the audio options at their defaults.
class GraphRecordsTest : public ::testing::Test {
protected:
    void SetUp() override { resetState(); }
    void TearDown() override { resetState(); }
    static void resetState() {
        TranscoderState& state = tc_state();
        state.freeRecords();
        state.audio_sync_method = 0;
        state.audio_volume = 256;
        state.audio_drift_threshold = 0.1f;
    }
};

template <class Case>
class GraphCaseTest : public GraphRecordsTest, public ::testing::WithParamInterface<Case> {};
// Parameterised cases are named after their descriptions.
#define GRAPH_CASES(prefix, suite, ...)                                                            \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::Values(__VA_ARGS__), [](const auto& info) { \
        return testNameFrom(info.param.description);                                               \
    })
