#pragma once

// Per-stream option lookup for the output side: the value of the last use of an option
// whose stream specifier matches a stream.

#include "player/tool_helpers.h"
#include "transcoder/option_records.h"
#include "transcoder/terminal_and_exit.h"

#include <variant>

// Null when no use matches; a bad specifier ends the program.
template <class T>
const T* tc_stream_option(const SpecifiedList& list, AVFormatContext* s, AVStream* st) {
    const T* found = nullptr;
    for (const SpecifiedValue& use : list) {
        const int match = tool_match_stream_specifier(s, st, use.specifier.c_str());
        if (match < 0)
            tc_cleanup_and_exit(1);
        if (match > 0)
            found = std::get_if<T>(&use.value);
    }
    return found;
}

template <class T>
T tc_stream_option_or(const SpecifiedList& list, AVFormatContext* s, AVStream* st, T fallback) {
    const T* found = tc_stream_option<T>(list, s, st);
    return found ? *found : fallback;
}

// The text of the matching use, or null.
inline const char* tc_stream_text(const SpecifiedList& list, AVFormatContext* s, AVStream* st) {
    const std::string* found = tc_stream_option<std::string>(list, s, st);
    return found ? found->c_str() : nullptr;
}
