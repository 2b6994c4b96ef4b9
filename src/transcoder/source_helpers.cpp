// The codec and decoder choice, the metadata specifier reader, the leftover-option check and
// the guessed channel layout (declared in source_files.h).

#include "transcoder/per_stream_values.h"
#include "transcoder/source_files.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include <climits>

namespace {

const AVCodec* findByName(const char* name, int encoder) {
    return encoder ? avcodec_find_encoder_by_name(name) : avcodec_find_decoder_by_name(name);
}

const AVCodec* findById(AVCodecID id, int encoder) {
    return encoder ? avcodec_find_encoder(id) : avcodec_find_decoder(id);
}

// A codec named after its format (for example "mp3" for the encoder libmp3lame).
const AVCodec* findByDescriptor(const char* name, int encoder, const char* kind) {
    const AVCodecDescriptor* desc = avcodec_descriptor_get_by_name(name);
    if (!desc)
        return nullptr;
    const AVCodec* codec = findById(desc->id, encoder);
    if (codec)
        av_log(nullptr, AV_LOG_VERBOSE, "Matched %s '%s' for codec '%s'.\n", kind, codec->name,
               desc->name);
    return codec;
}

} // namespace

const AVCodec* tc_find_codec(const char* name, AVMediaType type, int encoder) {
    const char* kind = encoder ? "encoder" : "decoder";
    const AVCodec* codec = findByName(name, encoder);
    if (!codec)
        codec = findByDescriptor(name, encoder, kind);
    if (!codec)
        tc_exit_fatal("Unknown %s '%s'\n", kind, name);
    if (codec->type != type)
        tc_exit_fatal("Invalid %s type '%s'\n", kind, name);
    return codec;
}

const AVCodec* tc_pick_decoder(PerFileOptions* o, AVFormatContext* s, AVStream* st) {
    const std::string* name = tc_per_stream<std::string>(o->codec_names, s, st);
    if (!name)
        return avcodec_find_decoder(st->codecpar->codec_id);
    const AVCodec* codec = tc_find_codec(name->c_str(), st->codecpar->codec_type, 0);
    st->codecpar->codec_id = codec->id;
    return codec;
}

void tc_parse_metadata_spec(const char* arg, char* type, int* index, const char** stream_spec) {
    *stream_spec = "";
    if (!*arg) {
        *type = 'g';
        return;
    }
    *type = *arg;
    const char* rest = arg + 1;
    switch (*arg) {
    case 'g':
        break;
    case 's':
        if (*rest && *rest != ':')
            tc_exit_fatal("Invalid metadata specifier %s.\n", arg);
        if (*rest == ':')
            *stream_spec = rest + 1;
        break;
    case 'c':
    case 'p':
        if (*rest == ':') {
            const ToolInteger number = tool_read_integer(rest + 1, 0);
            if (!number.within(INT_MIN, INT_MAX))
                tc_exit_fatal("Invalid metadata specifier %s.\n", arg);
            *index = number.asInt();
        }
        break;
    default:
        tc_exit_fatal("Invalid metadata type %c.\n", *arg);
    }
}

void tc_reject_leftover_options(AVDictionary* d) {
    if (const AVDictionaryEntry* left = av_dict_get(d, "", nullptr, AV_DICT_IGNORE_SUFFIX))
        tc_exit_fatal("Option %s not found.\n", left->key);
}

int tc_guess_source_layout(SourceStream* ist) {
    AVCodecContext* dec = ist->dec_ctx.get();
    if (!dec)
        return 0;
    if (dec->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        return 1;
    if (dec->ch_layout.nb_channels <= 0)
        return 0;
    AVChannelLayout guess{};
    av_channel_layout_default(&guess, dec->ch_layout.nb_channels);
    // Counts without a named layout come back unordered.
    if (guess.order == AV_CHANNEL_ORDER_UNSPEC)
        return 0;
    av_channel_layout_uninit(&dec->ch_layout);
    av_channel_layout_copy(&dec->ch_layout, &guess);
    // The stream's parameters carry the guess too, so a decoder opened from them agrees.
    if (ist->st) {
        av_channel_layout_uninit(&ist->st->codecpar->ch_layout);
        av_channel_layout_copy(&ist->st->codecpar->ch_layout, &guess);
    }

    char text[256];
    av_channel_layout_describe(&guess, text, sizeof(text));
    av_log(nullptr, AV_LOG_WARNING, "Guessed Channel Layout for  Input Stream #%d.%d : %s\n",
           ist->file_index, ist->st ? ist->st->index : 0, text);
    return 1;
}
