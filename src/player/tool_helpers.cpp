#include "player/tool_helpers.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

AVDictionary* tool_codec_options = nullptr;
AVDictionary* tool_format_options = nullptr;
SwsContext* tool_sws_options = nullptr;
SwrContext* tool_swr_options = nullptr;

void tool_options_init() {
    if (!tool_sws_options)
        tool_sws_options = sws_getContext(16, 16, AVPixelFormat(0), 16, 16, AVPixelFormat(0),
                                          SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!tool_swr_options)
        tool_swr_options = swr_alloc();
}

void tool_options_free() {
    sws_freeContext(tool_sws_options);
    tool_sws_options = nullptr;
    swr_free(&tool_swr_options);
    av_dict_free(&tool_format_options);
    av_dict_free(&tool_codec_options);
}

void tool_report_error(const char* name, int err) {
    char text[128];
    const char* shown = text;
    if (av_strerror(err, text, sizeof(text)) < 0)
        shown = std::strerror(-err);
    av_log(nullptr, AV_LOG_ERROR, "%s: %s\n", name, shown);
}

namespace {

// A number as strtol reads it in any base; false when there is none, or when it is outside
// the int that the library's matcher would cut it to.
bool skipNumber(const char*& p) {
    char* end = nullptr;
    const long number = std::strtol(p, &end, 0);
    if (end == p || number < INT_MIN || number > INT_MAX)
        return false;
    p = end;
    return true;
}

// The grammar the library's matcher accepts. It is checked first because the matcher logs a
// line of its own for a specifier it cannot read, and the user is to read the message once.
bool isWellFormedSpecifier(const char* p) {
    while (*p) {
        if (*p >= '0' && *p <= '9') // stream index, last
            return skipNumber(p) && !*p;
        if (std::strchr("vVasdt", *p)) { // media type
            ++p;
        } else if (p[0] == 'p' && p[1] == ':') { // program id
            p += 2;
            if (!skipNumber(p))
                return false;
        } else if (*p == '#' || (p[0] == 'i' && p[1] == ':')) { // stream id, last
            p += *p == '#' ? 1 : 2;
            return skipNumber(p) && !*p;
        } else if (p[0] == 'm' && p[1] == ':') { // metadata key and value: the rest
            return true;
        } else {
            return *p == 'u' && !p[1]; // usable streams, last
        }
        if (*p && *p++ != ':')
            return false;
    }
    return true;
}

void reportInvalidSpecifier(void* log_context, const char* spec) {
    av_log(log_context, AV_LOG_ERROR, "Invalid stream specifier: %s.\n", spec);
}

bool isCodecOption(const AVClass* cls, const char* key, int flags) {
    return cls && av_opt_find(&cls, key, nullptr, flags, AV_OPT_SEARCH_FAKE_OBJ);
}

const AVCodec* codecFor(AVCodecID codec_id, const AVFormatContext* s) {
    return s->oformat ? avcodec_find_encoder(codec_id) : avcodec_find_decoder(codec_id);
}

} // namespace

int tool_match_stream_specifier(AVFormatContext* s, AVStream* st, const char* spec) {
    const int ret = isWellFormedSpecifier(spec) ? avformat_match_stream_specifier(s, st, spec)
                                                : AVERROR(EINVAL);
    if (ret < 0)
        reportInvalidSpecifier(s, spec);
    return ret;
}

int tool_check_stream_specifier(const char* spec) {
    if (isWellFormedSpecifier(spec))
        return 0;
    reportInvalidSpecifier(nullptr, spec);
    return AVERROR(EINVAL);
}

AVDictionary* tool_filter_codec_options(const AVDictionary* opts, AVCodecID codec_id,
                                        AVFormatContext* s, AVStream* st, const AVCodec* codec,
                                        int* error) {
    if (error)
        *error = 0;
    int flags = s->oformat ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
    if (!codec)
        codec = codecFor(codec_id, s);
    if (!codec)
        return nullptr;

    char prefix = 0;
    switch (codec->type) {
    case AVMEDIA_TYPE_VIDEO:
        prefix = 'v';
        flags |= AV_OPT_FLAG_VIDEO_PARAM;
        break;
    case AVMEDIA_TYPE_AUDIO:
        prefix = 'a';
        flags |= AV_OPT_FLAG_AUDIO_PARAM;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        prefix = 's';
        flags |= AV_OPT_FLAG_SUBTITLE_PARAM;
        break;
    default:
        break;
    }

    const AVClass* genericClass = avcodec_get_class();
    AVDictionary* result = nullptr;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(opts, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        // The key is cut at its stream specifier in a private copy: the source dictionary
        // may be read by other threads at the same time.
        std::string key = entry->key;
        const std::string::size_type colon = key.find(':');
        if (colon != std::string::npos) {
            const int match = tool_match_stream_specifier(s, st, key.c_str() + colon + 1);
            if (match < 0) {
                av_dict_free(&result);
                if (error)
                    *error = match;
                return nullptr;
            }
            if (match == 0)
                continue;
            key.resize(colon);
        }
        if (isCodecOption(genericClass, key.c_str(), flags) ||
            isCodecOption(codec->priv_class, key.c_str(), flags))
            av_dict_set(&result, key.c_str(), entry->value, 0);
        else if (prefix && key.size() > 1 && key[0] == prefix &&
                 isCodecOption(genericClass, key.c_str() + 1, flags))
            av_dict_set(&result, key.c_str() + 1, entry->value, 0);
    }
    return result;
}

AVDictionary** tool_stream_info_options(AVFormatContext* s, const AVDictionary* codec_opts,
                                        int* error) {
    if (error)
        *error = 0;
    if (!s->nb_streams)
        return nullptr;
    auto** opts = static_cast<AVDictionary**>(av_calloc(s->nb_streams, sizeof(AVDictionary*)));
    if (!opts) {
        av_log(nullptr, AV_LOG_ERROR, "Could not alloc memory for stream options.\n");
        return nullptr;
    }
    for (unsigned i = 0; i < s->nb_streams; ++i) {
        opts[i] = tool_filter_codec_options(codec_opts, s->streams[i]->codecpar->codec_id, s,
                                            s->streams[i], nullptr, error);
        if (error && *error < 0) {
            for (unsigned j = 0; j < i; ++j)
                av_dict_free(&opts[j]);
            av_freep(&opts);
            return nullptr;
        }
    }
    return opts;
}
