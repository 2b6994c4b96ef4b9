#pragma once

// Walking a command line through an option table: storing values, calling handlers, and the
// number and time parsing the options share. Every parse error ends the program with
// status 1 through tc_cleanup_and_exit.

#include "transcoder/option_records.h"

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
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

// Ends the program with tool_parse_number's out-of-range message: the option, the value as
// written and the bounds.
[[noreturn]] void tool_value_out_of_range(const char* context, const char* numstr, double min,
                                          double max);

// The argument of o's single-value option row as written; otherwise when o does not hold it
// (the value came from a default or from another option).
std::string tool_written_value(const PerFileOptions& o, const char* row, std::string otherwise);

// Microseconds as seconds with six decimals, exact for every 64-bit value.
std::string tool_seconds_text(int64_t us);

// Ends the program: the value of the time option row (shown), added to or subtracted from
// another time, takes a timestamp out of the 64-bit range.
[[noreturn]] void tool_time_out_of_range(const char* row, const std::string& shown);
// The same with o's value of the row: shown as written when o holds its text, else in seconds.
[[noreturn]] void tool_time_out_of_range(const PerFileOptions& o, const char* row, int64_t value);

// A value already multiplied by scale, for an integer field holding [min, max]. Outside it (or
// NaN) the program ends with the out-of-range message naming the option and the value as
// written, with the field's bounds in the option's own unit (min / scale, max / scale).
int64_t tool_scaled_integer(const char* context, const char* written, long double scaled,
                            double scale, int64_t min, int64_t max);

// An integer at the start of a text, as strtoll reads it in a base (0: by its prefix).
struct ToolInteger {
    long long value = 0;        // beyond the 64-bit range: that range's end of its sign
    const char* rest = nullptr; // the text after the number; the text itself without one
    std::string written;        // the number as written, for messages ("0" without one)
    bool found = false;

    bool within(long long min, long long max) const { return value >= min && value <= max; }
    // Only for a value found within the int range.
    int asInt() const { return static_cast<int>(value); }
};
ToolInteger tool_read_integer(const char* text, int base);

// Decimal integers separated by the characters of separators, read the way sscanf reads
// "%d.%d.%d" for ".." (out holds one more than separators): how many were read before the
// first mismatch.
int tool_read_integers(const char* text, std::string_view separators, ToolInteger* out);

// Whether each of the first count numbers fits an int.
bool tool_integers_fit_int(const ToolInteger* numbers, int count);

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
