#include "transcoder/tool_listings.h"

extern "C" {
#include <libavcodec/bsf.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr size_t kPadDescriptionMax = 60;

struct FormatChoice {
    const char* name = nullptr;
    const char* long_name = nullptr;
    bool decode = false;
    bool encode = false;
};

bool isAfter(const char* candidate, const char* last) {
    return std::strcmp(candidate, last) > 0;
}

bool isBefore(const char* candidate, const char* chosen) {
    return !chosen || std::strcmp(candidate, chosen) < 0;
}

// The smallest muxer or demuxer name after last, with whether each side has it.
FormatChoice nextFormat(const char* last) {
    FormatChoice choice;
    void* iter = nullptr;
    while (const AVOutputFormat* ofmt = av_muxer_iterate(&iter)) {
        if (isBefore(ofmt->name, choice.name) && isAfter(ofmt->name, last)) {
            choice.name = ofmt->name;
            choice.long_name = ofmt->long_name;
            choice.encode = true;
        }
    }
    iter = nullptr;
    while (const AVInputFormat* ifmt = av_demuxer_iterate(&iter)) {
        if (isBefore(ifmt->name, choice.name) && isAfter(ifmt->name, last)) {
            choice.name = ifmt->name;
            choice.long_name = ifmt->long_name;
            choice.encode = false;
        }
        if (choice.name && !std::strcmp(ifmt->name, choice.name))
            choice.decode = true;
    }
    return choice;
}

const char* orEmpty(const char* text) {
    return text ? text : "";
}

void printCodecNamesIfDiffering(const AVCodecDescriptor* desc, int encoder) {
    void* iter = nullptr;
    bool differs = false;
    while (const AVCodec* codec = tool_next_codec_for_id(desc->id, &iter, encoder))
        differs = differs || std::strcmp(codec->name, desc->name) != 0;
    if (!differs)
        return;
    std::printf(" (%s: ", encoder ? "encoders" : "decoders");
    iter = nullptr;
    while (const AVCodec* codec = tool_next_codec_for_id(desc->id, &iter, encoder))
        std::printf("%s ", codec->name);
    std::printf(")");
}

bool hasCodec(AVCodecID id, int encoder) {
    void* iter = nullptr;
    return tool_next_codec_for_id(id, &iter, encoder) != nullptr;
}

int printCodecList(int encoder) {
    std::printf("%s:\n"
                " V..... = Video\n"
                " A..... = Audio\n"
                " S..... = Subtitle\n"
                " .F.... = Frame-level multithreading\n"
                " ..S... = Slice-level multithreading\n"
                " ...X.. = Codec is experimental\n"
                " ....B. = Supports draw_horiz_band\n"
                " .....D = Supports direct rendering method 1\n"
                " ------\n",
                encoder ? "Encoders" : "Decoders");
    const AVCodecDescriptor* desc = nullptr;
    while ((desc = avcodec_descriptor_next(desc))) {
        void* iter = nullptr;
        while (const AVCodec* codec = tool_next_codec_for_id(desc->id, &iter, encoder)) {
            const int caps = codec->capabilities;
            std::printf("%c%c%c%c%c%c", tool_media_type_letter(codec->type),
                        (caps & AV_CODEC_CAP_FRAME_THREADS) ? 'F' : '.',
                        (caps & AV_CODEC_CAP_SLICE_THREADS) ? 'S' : '.',
                        (caps & AV_CODEC_CAP_EXPERIMENTAL) ? 'X' : '.',
                        (caps & AV_CODEC_CAP_DRAW_HORIZ_BAND) ? 'B' : '.',
                        (caps & AV_CODEC_CAP_DR1) ? 'D' : '.');
            std::printf(" %-20s %s", codec->name, orEmpty(codec->long_name));
            if (std::strcmp(codec->name, desc->name))
                std::printf(" (codec %s)", desc->name);
            std::printf("\n");
        }
    }
    return 0;
}

// The media letters of one side's pads, or "|" for a side without pads.
std::string padLetters(const AVFilter* filter, int is_output) {
    const AVFilterPad* pads = is_output ? filter->outputs : filter->inputs;
    const unsigned count = avfilter_filter_pad_count(filter, is_output);
    if (!count)
        return "|";
    std::string letters;
    for (unsigned i = 0; i < count; ++i)
        letters += tool_media_type_letter(avfilter_pad_get_type(pads, static_cast<int>(i)));
    return letters;
}

} // namespace

char tool_media_type_letter(AVMediaType type) {
    switch (type) {
    case AVMEDIA_TYPE_VIDEO:
        return 'V';
    case AVMEDIA_TYPE_AUDIO:
        return 'A';
    case AVMEDIA_TYPE_DATA:
        return 'D';
    case AVMEDIA_TYPE_SUBTITLE:
        return 'S';
    case AVMEDIA_TYPE_ATTACHMENT:
        return 'T';
    default:
        return '?';
    }
}

const AVCodec* tool_next_codec_for_id(AVCodecID id, void** iter, int encoder) {
    while (const AVCodec* codec = av_codec_iterate(iter)) {
        if (codec->id == id && (encoder ? av_codec_is_encoder(codec) : av_codec_is_decoder(codec)))
            return codec;
    }
    return nullptr;
}

int tool_show_formats(const char*, const char*) {
    std::printf("File formats:\n"
                " D. = Demuxing supported\n"
                " .E = Muxing supported\n"
                " --\n");
    std::string last = "000";
    for (;;) {
        const FormatChoice choice = nextFormat(last.c_str());
        if (!choice.name)
            break;
        last = choice.name;
        std::printf(" %s%s %-15s %s\n", choice.decode ? "D" : " ", choice.encode ? "E" : " ",
                    choice.name, choice.long_name ? choice.long_name : " ");
    }
    return 0;
}

int tool_show_codecs(const char*, const char*) {
    std::printf("Codecs:\n"
                " D... = Decoding supported\n"
                " .E.. = Encoding supported\n"
                " ..V. = Video codec\n"
                " ..A. = Audio codec\n"
                " ..S. = Subtitle codec\n"
                " ...I = Intra frame-only codec\n"
                " -----\n");
    const AVCodecDescriptor* desc = nullptr;
    while ((desc = avcodec_descriptor_next(desc))) {
        std::printf("%c%c%c%c", hasCodec(desc->id, 0) ? 'D' : '.',
                    hasCodec(desc->id, 1) ? 'E' : '.', tool_media_type_letter(desc->type),
                    (desc->props & AV_CODEC_PROP_INTRA_ONLY) ? 'I' : '.');
        std::printf(" %-20s %s", desc->name, orEmpty(desc->long_name));
        printCodecNamesIfDiffering(desc, 0);
        printCodecNamesIfDiffering(desc, 1);
        std::printf("\n");
    }
    return 0;
}

int tool_show_decoders(const char*, const char*) {
    return printCodecList(0);
}

int tool_show_encoders(const char*, const char*) {
    return printCodecList(1);
}

int tool_show_bitstream_filters(const char*, const char*) {
    std::printf("Bitstream filters:\n");
    void* iter = nullptr;
    while (const AVBitStreamFilter* bsf = av_bsf_iterate(&iter))
        std::printf("%s\n", bsf->name);
    std::printf("\n");
    return 0;
}

int tool_show_protocols(const char*, const char*) {
    std::printf("Supported file protocols:\nInput:\n");
    void* opaque = nullptr;
    while (const char* name = avio_enum_protocols(&opaque, 0))
        std::printf("%s\n", name);
    std::printf("Output:\n");
    opaque = nullptr;
    while (const char* name = avio_enum_protocols(&opaque, 1))
        std::printf("%s\n", name);
    return 0;
}

int tool_show_filters(const char*, const char*) {
    std::printf("Filters:\n");
    void* iter = nullptr;
    while (const AVFilter* filter = av_filter_iterate(&iter)) {
        std::string pads = padLetters(filter, 0) + "->" + padLetters(filter, 1);
        if (pads.size() > kPadDescriptionMax)
            pads.resize(kPadDescriptionMax);
        std::printf("%-16s %-10s %s\n", filter->name, pads.c_str(), orEmpty(filter->description));
    }
    return 0;
}

int tool_show_pixel_formats(const char*, const char*) {
    std::printf("Pixel formats:\n"
                "I.... = Supported Input  format for conversion\n"
                ".O... = Supported Output format for conversion\n"
                "..H.. = Hardware accelerated format\n"
                "...P. = Paletted format\n"
                "....B = Bitstream format\n"
                "FLAGS NAME            NB_COMPONENTS BITS_PER_PIXEL\n"
                "-----\n");
    const AVPixFmtDescriptor* desc = nullptr;
    while ((desc = av_pix_fmt_desc_next(desc))) {
        if (!desc->name)
            continue;
        const AVPixelFormat format = av_pix_fmt_desc_get_id(desc);
        std::printf("%c%c%c%c%c %-16s       %d            %2d\n",
                    sws_isSupportedInput(format) ? 'I' : '.',
                    sws_isSupportedOutput(format) ? 'O' : '.',
                    (desc->flags & AV_PIX_FMT_FLAG_HWACCEL) ? 'H' : '.',
                    (desc->flags & AV_PIX_FMT_FLAG_PAL) ? 'P' : '.',
                    (desc->flags & AV_PIX_FMT_FLAG_BITSTREAM) ? 'B' : '.', desc->name,
                    desc->nb_components, av_get_bits_per_pixel(desc));
    }
    return 0;
}

int tool_show_sample_formats(const char*, const char*) {
    char line[128];
    for (int i = -1; i < AV_SAMPLE_FMT_NB; ++i)
        std::printf("%s\n", av_get_sample_fmt_string(line, sizeof(line), AVSampleFormat(i)));
    return 0;
}
