#pragma once

// Source and target stream records built by hand, and helpers that look into a built filter
// graph and push generated frames through it.

#include "transcoder/filter_graphs.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct StreamSpec {
    AVMediaType type = AVMEDIA_TYPE_AUDIO;
    int width = 0;
    int height = 0;
    AVPixelFormat pix_fmt = AV_PIX_FMT_YUV420P;
    AVRational time_base{1, 25};
    AVRational frame_rate{25, 1};
    int sample_rate = 48000;
    AVSampleFormat sample_fmt = AV_SAMPLE_FMT_FLTP;
    int channels = 2;
};

inline StreamSpec audioSpec(int sample_rate, int channels) {
    StreamSpec spec;
    spec.sample_rate = sample_rate;
    spec.channels = channels;
    spec.time_base = {1, sample_rate};
    return spec;
}

inline StreamSpec videoSpec(int width, int height) {
    StreamSpec spec;
    spec.type = AVMEDIA_TYPE_VIDEO;
    spec.width = width;
    spec.height = height;
    return spec;
}

inline StreamSpec subtitleSpec(int width = 0, int height = 0) {
    StreamSpec spec = videoSpec(width, height);
    spec.type = AVMEDIA_TYPE_SUBTITLE;
    spec.pix_fmt = AV_PIX_FMT_NONE;
    spec.time_base = {1, 1000};
    spec.frame_rate = {0, 0};
    return spec;
}

inline AVCodecID codecFor(AVMediaType type) {
    switch (type) {
    case AVMEDIA_TYPE_AUDIO:
        return AV_CODEC_ID_PCM_F32LE;
    case AVMEDIA_TYPE_VIDEO:
        return AV_CODEC_ID_RAWVIDEO;
    default:
        return AV_CODEC_ID_SUBRIP;
    }
}

// Appends a source file with one stream per spec, as opening a file would leave them.
inline void addSourceFile(const std::vector<StreamSpec>& specs) {
    TranscoderState& state = tc_state();
    auto file = std::make_unique<SourceFile>();
    file->ctx.reset(avformat_alloc_context());
    file->ist_index = int(state.input_streams.size());
    file->nb_streams = int(specs.size());
    for (const StreamSpec& spec : specs) {
        AVStream* st = avformat_new_stream(file->ctx.get(), nullptr);
        st->time_base = spec.time_base;
        st->r_frame_rate = spec.frame_rate;
        st->discard = AVDISCARD_ALL;
        AVCodecParameters* par = st->codecpar;
        par->codec_type = spec.type;
        par->codec_id = codecFor(spec.type);
        par->width = spec.width;
        par->height = spec.height;
        par->sample_rate = spec.type == AVMEDIA_TYPE_AUDIO ? spec.sample_rate : 0;
        par->format = spec.type == AVMEDIA_TYPE_AUDIO ? int(spec.sample_fmt) : int(spec.pix_fmt);
        if (spec.type == AVMEDIA_TYPE_AUDIO)
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

// A target stream of output file 0 with the named encoder (null: none) and its defaults.
inline TargetStream* addTargetStream(const char* encoder, AVMediaType type) {
    TranscoderState& state = tc_state();
    auto ost = std::make_unique<TargetStream>();
    ost->index = int(state.output_streams.size());
    ost->enc = encoder ? avcodec_find_encoder_by_name(encoder) : nullptr;
    ost->enc_ctx.reset(avcodec_alloc_context3(ost->enc));
    ost->enc_ctx->codec_type = type;
    ost->sws_flags = SWS_BICUBIC;
    ost->avfilter = type == AVMEDIA_TYPE_AUDIO ? "anull" : "null";
    state.output_streams.push_back(std::move(ost));
    return state.output_streams.back().get();
}

inline AVFilterContext* filterNamed(const AVFilterGraph* graph, const std::string& name) {
    for (unsigned i = 0; graph && i < graph->nb_filters; ++i)
        if (name == graph->filters[i]->name)
            return graph->filters[i];
    return nullptr;
}

// The kinds of the filters from this one downstream along output 0.
inline std::vector<std::string> chainFrom(const AVFilterContext* filter) {
    std::vector<std::string> chain;
    while (filter) {
        chain.push_back(filter->filter->name);
        filter = filter->nb_outputs && filter->outputs[0] ? filter->outputs[0]->dst : nullptr;
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

// Planar float audio whose every sample in channel c is levels[c].
inline FramePtr audioFrame(int sample_rate, int channels, int nb_samples,
                           const std::vector<float>& levels, int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = sample_rate;
    av_channel_layout_default(&frame->ch_layout, channels);
    frame->nb_samples = nb_samples;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int c = 0; c < channels; ++c) {
        auto* samples = reinterpret_cast<float*>(frame->extended_data[c]);
        for (int i = 0; i < nb_samples; ++i)
            samples[i] = levels.at(size_t(c));
    }
    return frame;
}

inline FramePtr videoFrame(int width, int height, AVPixelFormat format, int64_t pts) {
    FramePtr frame(av_frame_alloc());
    frame->format = format;
    frame->width = width;
    frame->height = height;
    frame->pts = pts;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS && frame->buf[plane]; ++plane)
        std::memset(frame->buf[plane]->data, 128, frame->buf[plane]->size);
    return frame;
}

// Feeds the frames into the source, ends the stream and returns everything the sink gives.
inline std::vector<FramePtr> filterFrames(AVFilterContext* source, AVFilterContext* sink,
                                          std::vector<FramePtr> frames) {
    std::vector<FramePtr> out;
    auto drain = [&] {
        for (;;) {
            FramePtr filtered(av_frame_alloc());
            if (av_buffersink_get_frame(sink, filtered.get()) < 0)
                return;
            out.push_back(std::move(filtered));
        }
    };
    for (FramePtr& frame : frames) {
        EXPECT_GE(av_buffersrc_add_frame(source, frame.get()), 0);
        drain();
    }
    EXPECT_GE(av_buffersrc_add_frame(source, nullptr), 0);
    drain();
    return out;
}

// Everything the library logs while it lives, and the options each filter instance was given
// as the library reports setting them. Filters rewrite some option texts while they start up,
// so the report is the faithful record of the arguments built for them.
class FilterSettingsLog {
public:
    FilterSettingsLog() {
        std::lock_guard lock(mutex());
        current() = this;
        av_log_set_callback(&FilterSettingsLog::callback);
    }
    ~FilterSettingsLog() {
        av_log_set_callback(av_log_default_callback);
        std::lock_guard lock(mutex());
        current() = nullptr;
    }
    FilterSettingsLog(const FilterSettingsLog&) = delete;
    FilterSettingsLog& operator=(const FilterSettingsLog&) = delete;

    std::string str() const {
        std::lock_guard lock(mutex());
        return _text;
    }
    // "key=value" for each option set on the instance, in order, joined by ':'.
    std::string settingsOf(const std::string& instance) const {
        std::lock_guard lock(mutex());
        const auto found = _settings.find(instance);
        return found == _settings.end() ? std::string() : found->second;
    }

private:
    static constexpr const char* kSettingFormat = "Setting '%s' to value '%s'\n";

    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static FilterSettingsLog*& current() {
        static FilterSettingsLog* log = nullptr;
        return log;
    }
    static void callback(void* ptr, int, const char* fmt, va_list args) {
        va_list copy;
        va_copy(copy, args);
        char line[4096];
        std::vsnprintf(line, sizeof(line), fmt, args);
        std::lock_guard lock(mutex());
        FilterSettingsLog* log = current();
        if (log) {
            log->_text += line;
            if (ptr && std::strcmp(fmt, kSettingFormat) == 0) {
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
