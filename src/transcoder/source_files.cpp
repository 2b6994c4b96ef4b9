#include "transcoder/source_files.h"

#include "player/tool_helpers.h"
#include "transcoder/option_table.h"
#include "transcoder/per_stream_values.h"
#include "transcoder/target_files.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
}

#include <cstring>
#include <optional>
#include <string>

namespace {

// What the steps of opening one input share.
struct OpeningFile {
    PerFileOptions* o;
    AVFormatContext* ic;
    const std::string& url;
    int fileIndex;
};

[[noreturn]] void reportAndExit(const std::string& name, int err) {
    tool_report_error(name.c_str(), err);
    tc_cleanup_and_exit(1);
}

const AVInputFormat* findInputFormat(const std::string& name) {
    if (name.empty())
        return nullptr;
    const AVInputFormat* format = av_find_input_format(name.c_str());
    if (!format)
        tc_exit_fatal("Unknown input format: '%s'\n", name.c_str());
    return format;
}

// Reading standard input leaves it no longer free for keyboard interaction.
std::string sourceUrl(const char* filename) {
    std::string url = std::strcmp(filename, "-") == 0 ? "pipe:" : filename;
    if (url.starts_with("pipe:") || url == "/dev/stdin")
        tc_state().stdin_interaction = 0;
    return url;
}

bool hasPrivateOption(const AVInputFormat* format, const char* name) {
    if (!format || !format->priv_class)
        return false;
    return av_opt_find(const_cast<const AVClass**>(&format->priv_class), name, nullptr, 0,
                       AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// The value of the list's final element, whatever stream it names.
template <class T> const T* lastValue(const SpecifiedList& list) {
    return list.empty() ? nullptr : std::get_if<T>(&list.back().value);
}

void addFormatOptions(const PerFileOptions& o, const AVInputFormat* format) {
    if (const int* rate = lastValue<int>(o.audio_sample_rate))
        av_dict_set_int(&tool_format_options, "sample_rate", *rate, 0);
    const int* channels = lastValue<int>(o.audio_channels);
    if (channels && hasPrivateOption(format, "channels"))
        av_dict_set_int(&tool_format_options, "channels", *channels, 0);
    const std::string* frameRate = lastValue<std::string>(o.frame_rates);
    if (frameRate && hasPrivateOption(format, "framerate"))
        av_dict_set(&tool_format_options, "framerate", frameRate->c_str(), 0);
    if (const std::string* size = lastValue<std::string>(o.frame_sizes))
        av_dict_set(&tool_format_options, "video_size", size->c_str(), 0);
    if (const std::string* pixelFormat = lastValue<std::string>(o.frame_pix_fmts))
        av_dict_set(&tool_format_options, "pixel_format", pixelFormat->c_str(), 0);
}

AVCodecID forcedCodecId(const std::string& name, AVMediaType type) {
    return name.empty() ? AV_CODEC_ID_NONE : tc_find_codec(name.c_str(), type, 0)->id;
}

InputContextPtr openInput(const PerFileOptions& o, const std::string& url,
                          const AVInputFormat* format) {
    InputContextPtr ctx(avformat_alloc_context());
    if (!ctx)
        reportAndExit(url, AVERROR(ENOMEM));
    addFormatOptions(o, format);
    const TranscoderState& state = tc_state();
    ctx->video_codec_id = forcedCodecId(state.video_codec_name, AVMEDIA_TYPE_VIDEO);
    ctx->audio_codec_id = forcedCodecId(state.audio_codec_name, AVMEDIA_TYPE_AUDIO);
    ctx->subtitle_codec_id = forcedCodecId(state.subtitle_codec_name, AVMEDIA_TYPE_SUBTITLE);
    ctx->flags |= AVFMT_FLAG_NONBLOCK;
    ctx->interrupt_callback = tc_interrupt_callback;

    // A failed open frees the context.
    AVFormatContext* ic = ctx.release();
    const int err = avformat_open_input(&ic, url.c_str(), format, &tool_format_options);
    if (err < 0)
        reportAndExit(url, err);
    ctx.reset(ic);
    tc_reject_leftover_options(tool_format_options);
    return ctx;
}

// The per-stream dictionaries given to avformat_find_stream_info. A bad stream specifier in
// the codec options (reported by the matcher) ends the program.
class StreamInfoOptions {
public:
    explicit StreamInfoOptions(AVFormatContext* ic) : count_(ic->nb_streams) {
        int error = 0;
        dicts_ = tool_stream_info_options(ic, tool_codec_options, &error);
        if (error < 0)
            tc_cleanup_and_exit(1);
    }
    ~StreamInfoOptions() {
        if (!dicts_)
            return;
        for (unsigned i = 0; i < count_; ++i)
            av_dict_free(&dicts_[i]);
        av_freep(&dicts_);
    }
    StreamInfoOptions(const StreamInfoOptions&) = delete;
    StreamInfoOptions& operator=(const StreamInfoOptions&) = delete;
    AVDictionary** dicts() const { return dicts_; }

private:
    AVDictionary** dicts_ = nullptr;
    unsigned count_;
};

void readStreamInfo(PerFileOptions* o, InputContextPtr& ctx, const std::string& url) {
    AVFormatContext* ic = ctx.get();
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        tc_pick_decoder(o, ic, ic->streams[i]);
    const StreamInfoOptions options(ic);
    if (avformat_find_stream_info(ic, options.dicts()) < 0) {
        av_log(nullptr, AV_LOG_FATAL, "%s: could not find codec parameters\n", url.c_str());
        ctx.reset();
        tc_cleanup_and_exit(1);
    }
}

// The start time on the file's own clock.
int64_t startTimestamp(const PerFileOptions& o, const AVFormatContext* ic) {
    int64_t timestamp = o.start_time;
    if (ic->start_time != AV_NOPTS_VALUE &&
        __builtin_add_overflow(o.start_time, ic->start_time, &timestamp))
        tool_time_out_of_range(o, "ss", o.start_time);
    return timestamp;
}

// What the file's timestamps are moved by. Without an offset of its own only a start time
// at the very bottom of the range can leave it; that start time is the value refused then.
int64_t timestampOffset(const PerFileOptions& o, int64_t timestamp) {
    int64_t offset = 0;
    if (__builtin_sub_overflow(o.input_ts_offset, tc_state().copy_ts ? 0 : timestamp, &offset)) {
        if (o.input_ts_offset)
            tool_time_out_of_range(o, "itsoffset", o.input_ts_offset);
        tool_time_out_of_range(o, "ss", o.start_time);
    }
    return offset;
}

void seekToStart(const PerFileOptions& o, AVFormatContext* ic, const std::string& url,
                 int64_t timestamp) {
    if (o.start_time != 0 && avformat_seek_file(ic, -1, INT64_MIN, timestamp, timestamp, 0) < 0)
        av_log(nullptr, AV_LOG_WARNING, "%s: could not seek to position %0.3f\n", url.c_str(),
               static_cast<double>(timestamp) / AV_TIME_BASE);
}

CodecContextPtr decoderContext(const SourceStream& ist, const std::string& url) {
    CodecContextPtr dec(avcodec_alloc_context3(ist.dec));
    if (!dec)
        reportAndExit(url, AVERROR(ENOMEM));
    const int err = avcodec_parameters_to_context(dec.get(), ist.st->codecpar);
    if (err < 0)
        reportAndExit(url, err);
    dec->pkt_timebase = ist.st->time_base;
    return dec;
}

// Low-resolution decoding needs no edge flag: decoders emulate picture edges themselves.
void takeVideoSettings(const OpeningFile& f, SourceStream& ist) {
    const AVCodecContext* dec = ist.dec_ctx.get();
    ist.resample_height = dec->height;
    ist.resample_width = dec->width;
    ist.resample_pix_fmt = dec->pix_fmt;
    const std::string* rate = tc_per_stream<std::string>(f.o->frame_rates, f.ic, ist.st);
    if (rate && av_parse_video_rate(&ist.framerate, rate->c_str()) < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Error parsing framerate %s.\n", rate->c_str());
        tc_cleanup_and_exit(1);
    }
    if (const int* top = tc_per_stream<int>(f.o->top_field_first, f.ic, ist.st))
        ist.top_field_first = *top;
}

void takeAudioSettings(SourceStream& ist) {
    tc_guess_source_layout(&ist);
    const AVCodecContext* dec = ist.dec_ctx.get();
    ist.resample_sample_fmt = dec->sample_fmt;
    ist.resample_sample_rate = dec->sample_rate;
    ist.resample_channels = dec->ch_layout.nb_channels;
    // Only a layout in native order has a mask; others are remembered as unknown (0).
    ist.resample_channel_layout =
        dec->ch_layout.order == AV_CHANNEL_ORDER_NATIVE ? dec->ch_layout.u.mask : 0;
}

void takeSettingsByType(const OpeningFile& f, SourceStream& ist) {
    switch (ist.st->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        takeVideoSettings(f, ist);
        break;
    case AVMEDIA_TYPE_AUDIO:
        takeAudioSettings(ist);
        break;
    case AVMEDIA_TYPE_DATA:
    case AVMEDIA_TYPE_SUBTITLE:
        if (const int* fix = tc_per_stream<int>(f.o->fix_sub_duration, f.ic, ist.st))
            ist.fix_sub_duration = *fix;
        break;
    default:
        break;
    }
}

void addSourceStream(const OpeningFile& f, AVStream* st) {
    TranscoderState& state = tc_state();
    const int index = static_cast<int>(state.input_streams.size());
    tool_grow_array(state.input_streams, index + 1);
    state.input_streams[index] = std::make_unique<SourceStream>();
    SourceStream& ist = *state.input_streams[index];

    ist.file_index = f.fileIndex;
    ist.st = st;
    ist.discard = 1;
    st->discard = AVDISCARD_ALL;
    ist.opts.reset(
        tc_codec_options_for(st->codecpar->codec_id, f.ic, st, tc_pick_decoder(f.o, f.ic, st)));
    if (const double* scale = tc_per_stream<double>(f.o->ts_scale, f.ic, st))
        ist.ts_scale = *scale;
    if (const std::optional<uint32_t> tag = tc_stream_codec_tag(f.o->codec_tags, f.ic, st))
        st->codecpar->codec_tag = *tag;
    ist.dec = tc_pick_decoder(f.o, f.ic, st);
    ist.dec_ctx = decoderContext(ist, f.url);
    takeSettingsByType(f, ist);
}

void addSourceFile(const PerFileOptions& o, InputContextPtr ctx, int64_t ts_offset) {
    TranscoderState& state = tc_state();
    const int index = static_cast<int>(state.input_files.size());
    tool_grow_array(state.input_files, index + 1);
    auto file = std::make_unique<SourceFile>();
    file->nb_streams = static_cast<int>(ctx->nb_streams);
    file->ist_index = static_cast<int>(state.input_streams.size()) - file->nb_streams;
    file->ts_offset = ts_offset;
    file->input_ts_offset = o.input_ts_offset;
    file->input_ts_offset_written =
        tool_written_value(o, "itsoffset", tool_seconds_text(o.input_ts_offset));
    file->rate_emu = o.rate_emu;
    file->ctx = std::move(ctx);
    state.input_files[index] = std::move(file);
}

// A name from a stream's tag comes from the file, not from the user: only its last path
// component is used, as a local file in the current folder.
std::string localNameFromTag(const AVStream* st) {
    const AVDictionaryEntry* tag = av_dict_get(st->metadata, "filename", nullptr, 0);
    if (!tag)
        return {};
    const char* slash = std::strrchr(tag->value, '/');
    const std::string base = slash ? slash + 1 : tag->value;
    return base.empty() ? base : "file:" + base;
}

// A write that fails (a full disk) ends the program: the file is not what was asked for.
void endOnWriteError(const std::string& name, int err) {
    if (err >= 0)
        return;
    char text[AV_ERROR_MAX_STRING_SIZE];
    av_strerror(err, text, sizeof(text));
    tc_exit_fatal("Could not write attachment to file %s: %s\n", name.c_str(), text);
}

void dumpAttachment(const OpeningFile& f, AVStream* st, const std::string& value) {
    const AVCodecParameters* par = st->codecpar;
    if (!par->extradata || par->extradata_size <= 0) {
        av_log(nullptr, AV_LOG_WARNING, "No extradata to dump in stream #%d:%d.\n", f.fileIndex,
               st->index);
        return;
    }
    const std::string name = value.empty() ? localNameFromTag(st) : value;
    if (name.empty())
        tc_exit_fatal("No filename specified and no 'filename' tagin stream #%d:%d.\n", f.fileIndex,
                      st->index);
    tc_confirm_overwrite(name.c_str());
    AVIOContext* opened = nullptr;
    if (avio_open2(&opened, name.c_str(), AVIO_FLAG_WRITE, &tc_interrupt_callback, nullptr) < 0)
        tc_exit_fatal("Could not open file %s for writing.\n", name.c_str());
    IOContextPtr out(opened);
    avio_write(out.get(), par->extradata, par->extradata_size);
    avio_flush(out.get());
    endOnWriteError(name, out->error);
    AVIOContext* closing = out.release();
    endOnWriteError(name, avio_closep(&closing));
}

void dumpAttachments(const OpeningFile& f) {
    for (const SpecifiedValue& element : f.o->dump_attachment) {
        const std::string* value = std::get_if<std::string>(&element.value);
        for (unsigned i = 0; value && i < f.ic->nb_streams; ++i) {
            AVStream* st = f.ic->streams[i];
            const int match = tool_match_stream_specifier(f.ic, st, element.specifier.c_str());
            if (match < 0)
                tc_cleanup_and_exit(1);
            if (match > 0)
                dumpAttachment(f, st, *value);
        }
    }
}

} // namespace

int tc_open_source_file(PerFileOptions* o, const char* /*opt*/, const char* filename) {
    const AVInputFormat* format = findInputFormat(o->format);
    const std::string url = sourceUrl(filename);
    InputContextPtr ctx = openInput(*o, url, format);
    readStreamInfo(o, ctx, url);
    const int64_t timestamp = startTimestamp(*o, ctx.get());
    const int64_t ts_offset = timestampOffset(*o, timestamp);
    seekToStart(*o, ctx.get(), url, timestamp);

    const OpeningFile opening{o, ctx.get(), url, static_cast<int>(tc_state().input_files.size())};
    for (unsigned i = 0; i < opening.ic->nb_streams; ++i)
        addSourceStream(opening, opening.ic->streams[i]);
    av_dump_format(opening.ic, opening.fileIndex, url.c_str(), 0);
    addSourceFile(*o, std::move(ctx), ts_offset);
    dumpAttachments(opening);

    tc_reset_file_options(o, 1);
    return 0;
}
