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
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// An audio stream when channels > 0, else video (subtitles when subtitle is set).
struct StreamSpec {
    int channels = 0;
    int rate_or_width = 0;
    int height = 0;
    bool subtitle = false;
};
inline StreamSpec audioSpec(int rate, int channels) {
    return {channels, rate, 0, false};
}
inline StreamSpec videoSpec(int width, int height) {
    return {0, width, height, false};
}
inline StreamSpec subtitleSpec(int width = 0, int height = 0) {
    return {0, width, height, true};
}

// Appends a source file as opening it would leave it: 48 kHz planar float audio, or
// yuv420p video at 25 frames a second.
inline void addSourceFile(const std::vector<StreamSpec>& specs) {
    TranscoderState& state = tc_state();
    auto file = std::make_unique<SourceFile>();
    file->ctx.reset(avformat_alloc_context());
    file->ist_index = int(state.input_streams.size());
    file->nb_streams = int(specs.size());
    for (const StreamSpec& spec : specs) {
        AVStream* st = avformat_new_stream(file->ctx.get(), nullptr);
        st->discard = AVDISCARD_ALL;
        AVCodecParameters* par = st->codecpar;
        if (spec.channels) {
            par->codec_type = AVMEDIA_TYPE_AUDIO;
            par->sample_rate = spec.rate_or_width;
            par->format = AV_SAMPLE_FMT_FLTP;
            av_channel_layout_default(&par->ch_layout, spec.channels);
            st->time_base = {1, spec.rate_or_width};
        } else {
            par->codec_type = spec.subtitle ? AVMEDIA_TYPE_SUBTITLE : AVMEDIA_TYPE_VIDEO;
            par->width = spec.rate_or_width;
            par->height = spec.height;
            par->format = spec.subtitle ? AV_PIX_FMT_NONE : AV_PIX_FMT_YUV420P;
            st->time_base = {1, 25};
            st->r_frame_rate = {25, 1};
        }
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

// An option's value as the filter holds it; "" when unset.
inline std::string optionOf(AVFilterContext* filter, const char* key) {
    uint8_t* value = nullptr;
    if (!filter || av_opt_get(filter, key, AV_OPT_SEARCH_CHILDREN, &value) < 0 || !value)
        return {};
    std::string text = reinterpret_cast<char*>(value);
    av_free(value);
    return text;
}

// Planar float audio whose samples in channel c are all levels[c].
inline FramePtr audioFrame(int rate, const std::vector<float>& levels, int nb_samples,
                           int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = rate;
    av_channel_layout_default(&frame->ch_layout, int(levels.size()));
    frame->nb_samples = nb_samples;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (size_t c = 0; c < levels.size(); ++c)
        std::fill_n(reinterpret_cast<float*>(frame->extended_data[c]), nb_samples, levels[c]);
    return frame;
}

inline FramePtr videoFrame(int width, int height, int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) // grey; the chroma planes have half the rows
        std::memset(frame->data[plane], 128,
                    size_t(frame->linesize[plane]) * size_t(plane ? (height + 1) / 2 : height));
    return frame;
}

// Feeds the frames to the source, ends the stream and returns all the sink gives.
inline std::vector<FramePtr> filterFrames(AVFilterContext* source, AVFilterContext* sink,
                                          std::vector<FramePtr> frames) {
    frames.emplace_back(); // the end of the stream
    std::vector<FramePtr> out;
    for (FramePtr& frame : frames) {
        EXPECT_GE(av_buffersrc_add_frame(source, frame.get()), 0);
        for (FramePtr filtered(av_frame_alloc());
             av_buffersink_get_frame(sink, filtered.get()) >= 0; filtered.reset(av_frame_alloc()))
            out.push_back(std::move(filtered));
    }
    return out;
}

// The library's log while it lives, and for each filter instance the options it was given,
// as "key=value" joined by ':'. Filters rewrite some option texts while they start, so the
// library's report of setting them is the faithful record of the arguments built for them.
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

// Parameterised cases print as their description.
template <class Case>
class GraphCaseTest : public GraphRecordsTest, public ::testing::WithParamInterface<Case> {};
#define GRAPH_CASES(prefix, suite, ...)                                                            \
    INSTANTIATE_TEST_SUITE_P(prefix, suite, ::testing::Values(__VA_ARGS__), [](const auto& info) { \
        return testNameFrom(info.param.description);                                               \
    })
