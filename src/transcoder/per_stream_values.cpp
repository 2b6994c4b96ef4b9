#include "transcoder/per_stream_values.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"

extern "C" {
#include <libavutil/macros.h>
}

#include <cstdlib>
#include <cstring>

const SpecifiedValue* tc_last_matching(const SpecifiedList& list, AVFormatContext* s,
                                       AVStream* st) {
    const SpecifiedValue* found = nullptr;
    for (const SpecifiedValue& element : list) {
        const int match = tool_match_stream_specifier(s, st, element.specifier.c_str());
        if (match < 0)
            tc_cleanup_and_exit(1);
        if (match > 0)
            found = &element;
    }
    return found;
}

AVDictionary* tc_codec_options_for(AVCodecID codec_id, AVFormatContext* s, AVStream* st,
                                   const AVCodec* codec) {
    int error = 0;
    AVDictionary* options =
        tool_filter_codec_options(tool_codec_options, codec_id, s, st, codec, &error);
    if (error < 0)
        tc_cleanup_and_exit(1);
    return options;
}

uint32_t tc_parse_codec_tag(const char* text) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(text, &end, 0);
    if (!*end)
        return static_cast<uint32_t>(number);
    unsigned char code[4] = {};
    std::memcpy(code, text, strnlen(text, sizeof(code)));
    return MKTAG(code[0], code[1], code[2], code[3]);
}
