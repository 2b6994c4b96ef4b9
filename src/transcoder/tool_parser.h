#pragma once

// Walking a command line through an option table: storing values, calling handlers, and the
// number and time parsing the options share. Every parse error ends the program with
// status 1 through tc_cleanup_and_exit.

#include "transcoder/option_records.h"

#include <cstdint>
#include <new>
#include <vector>

// Called for each word that is not an option (and every word after "--").
using ToolWordCallback = void (*)(PerFileOptions* o, const char* word);

void tool_parse_options(PerFileOptions* o, int argc, char** argv, const ToolOption* options,
                        ToolWordCallback parse_arg);

// Applies one option (name without its '-'). Returns 1 when the argument was used, 0 when
// not, or a negative error after logging it.
int tool_parse_option(PerFileOptions* o, const char* opt, const char* arg,
                      const ToolOption* options);

// The row whose name equals the part of name before its first ':', else the end row.
const ToolOption* tool_find_option(const ToolOption* options, const char* name);

// Index of the word that writes optname, 0 when absent.
int tool_locate_option(int argc, char** argv, const ToolOption* options, const char* optname);

// kind is TOOLOPT_INT, TOOLOPT_INT64, TOOLOPT_FLOAT or TOOLOPT_DOUBLE.
double tool_parse_number(const char* context, const char* numstr, uint32_t kind, double min,
                         double max);

// Microseconds; a date when is_duration is 0.
int64_t tool_parse_time(const char* context, const char* timestr, int is_duration);

// Grows array to new_count zeroed elements (never shrinks); ends the program when the count
// is too big or memory runs out.
[[noreturn]] void tool_array_too_big();
[[noreturn]] void tool_array_alloc_failed();

template <class T> void tool_grow_array(std::vector<T>& array, int new_count) {
    if (new_count >= INT_MAX / static_cast<int>(sizeof(T)))
        tool_array_too_big();
    if (new_count <= static_cast<int>(array.size()))
        return;
    try {
        array.resize(new_count);
    } catch (const std::bad_alloc&) {
        tool_array_alloc_failed();
    }
}
