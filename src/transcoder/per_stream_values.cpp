#include "transcoder/per_stream_values.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"

extern "C" {
#include <libavutil/macros.h>
}

#include <algorithm>
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

std::string tc_written_name(const char* row, const SpecifiedValue& element) {
    return element.specifier.empty() ? std::string(row)
                                     : std::string(row) + ':' + element.specifier;
}

std::optional<uint32_t> tc_stream_codec_tag(const SpecifiedList& tags, AVFormatContext* s,
                                            AVStream* st) {
    const SpecifiedValue* use = tc_last_matching(tags, s, st);
    const std::string* text = use ? std::get_if<std::string>(&use->value) : nullptr;
    if (!text)
        return std::nullopt;
    const ToolInteger number = tool_read_integer(text->c_str(), 0);
    if (number.found && !*number.rest) {
        // Read as a signed 64-bit number: a minus sign or a longer number is no 32-bit tag.
        if (!number.within(0, UINT32_MAX))
            tool_value_out_of_range(tc_written_name("tag", *use).c_str(), text->c_str(), 0,
                                    UINT32_MAX);
        return static_cast<uint32_t>(number.value);
    }
    unsigned char code[4] = {};
    std::memcpy(code, text->data(), std::min(text->size(), sizeof(code)));
    return MKTAG(code[0], code[1], code[2], code[3]);
}
