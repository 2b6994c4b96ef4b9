#pragma once

// Reading a per-stream option list for one stream: the value of the last element whose
// stream specifier matches it.

#include "transcoder/option_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

extern "C" {
#include <libavformat/avformat.h>
}

// The last element of list whose specifier matches st, or null. A bad specifier ends the
// program with status 1.
const SpecifiedValue* tc_last_matching(const SpecifiedList& list, AVFormatContext* s, AVStream* st);

// The matching element's value, or null when no element matches (or it holds another kind).
template <class T>
const T* tc_per_stream(const SpecifiedList& list, AVFormatContext* s, AVStream* st) {
    const SpecifiedValue* element = tc_last_matching(list, s, st);
    return element ? std::get_if<T>(&element->value) : nullptr;
}

// The codec options of tool_codec_options that apply to st's codec, as a new dictionary (null
// when none apply). A bad stream specifier among them ends the program with status 1.
AVDictionary* tc_codec_options_for(AVCodecID codec_id, AVFormatContext* s, AVStream* st,
                                   const AVCodec* codec);

// The option's name as written for the element: the row's name, then ':' and the element's
// specifier when it has one ("q:a").
std::string tc_written_name(const char* row, const SpecifiedValue& element);

// The codec tag of the last element of tags that matches st, or nothing. A tag is a number in
// any base, or else the text's first four characters as a little-endian code (a shorter text
// is padded with zero bytes). A number that does not fit 32 bits ends the program.
std::optional<uint32_t> tc_stream_codec_tag(const SpecifiedList& tags, AVFormatContext* s,
                                            AVStream* st);
