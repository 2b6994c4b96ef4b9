#include "transcoder/tool_parser.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
#include <libavutil/eval.h>
#include <libavutil/log.h>
#include <libavutil/parseutils.h>
}

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

using OptionValue = std::variant<std::monostate, std::string, int, int64_t, float, double>;

template <class T> bool assignValue(T& destination, const OptionValue& value) {
    return std::visit(
        [&](const auto& stored) -> bool {
            using Stored = std::decay_t<decltype(stored)>;
            if constexpr (std::is_same_v<Stored, std::monostate>)
                return false;
            else if constexpr (std::is_same_v<T, std::string> !=
                               std::is_same_v<Stored, std::string>)
                return false;
            else {
                destination = static_cast<T>(stored);
                return true;
            }
        },
        value);
}

// Stores a parsed value into whatever the row points at.
struct StoreValue {
    PerFileOptions* o;
    const char* row;
    const std::string& specifier;
    OptionValue value;
    const char* written;

    bool operator()(std::monostate) const { return false; }
    bool operator()(ToolHandler) const { return false; }
    bool operator()(ToolFileHandler) const { return false; }
    bool operator()(SpecifiedList PerFileOptions::*list) const {
        if (!o)
            return false;
        (o->*list).push_back(SpecifiedValue{specifier, value, written});
        return true;
    }
    template <class T> bool operator()(T* variable) const { return assignValue(*variable, value); }
    template <class T> bool operator()(T PerFileOptions::*field) const {
        if (!o || !assignValue(o->*field, value))
            return false;
        o->written[row] = written;
        return true;
    }
};

OptionValue parseValue(const ToolOption* po, const char* opt, const char* written, int flagValue) {
    const char* arg = written ? written : "";
    if (po->flags & TOOLOPT_STRING)
        return std::string(arg);
    if (po->flags & TOOLOPT_FLAG)
        return flagValue;
    if (po->flags & TOOLOPT_INT)
        return static_cast<int>(tool_parse_number(opt, arg, TOOLOPT_INT64, INT_MIN, INT_MAX));
    if (po->flags & TOOLOPT_INT64)
        return static_cast<int64_t>(tool_parse_number(opt, arg, TOOLOPT_INT64,
                                                      static_cast<double>(INT64_MIN),
                                                      static_cast<double>(INT64_MAX)));
    if (po->flags & TOOLOPT_TIME)
        return tool_parse_time(opt, arg, 1);
    // Float options hold finite values: converting a double beyond FLT_MAX is undefined.
    if (po->flags & TOOLOPT_FLOAT)
        return static_cast<float>(tool_parse_number(opt, arg, TOOLOPT_FLOAT, -FLT_MAX, FLT_MAX));
    return tool_parse_number(opt, arg, TOOLOPT_DOUBLE, -INFINITY, INFINITY);
}

std::string specifierOf(const char* opt) {
    const char* colon = std::strchr(opt, ':');
    return colon ? std::string(colon + 1) : std::string();
}

int callHandler(PerFileOptions* o, const ToolOption* po, const char* opt, const char* arg) {
    if (po->flags & TOOLOPT_PER_FILE) {
        if (const auto* handler = std::get_if<ToolFileHandler>(&po->target))
            return (*handler)(o, opt, arg);
    } else if (const auto* handler = std::get_if<ToolHandler>(&po->target)) {
        return (*handler)(opt, arg);
    }
    return AVERROR(EINVAL);
}

// The metadata lists are named by file, chapter and program as well as by stream: their
// specifiers are read where the metadata is set.
bool holdsStreamSpecifiers(const ToolOption* po) {
    const auto* list = std::get_if<SpecifiedList PerFileOptions::*>(&po->target);
    return list && *list != &PerFileOptions::metadata && *list != &PerFileOptions::metadata_map;
}

int applyOption(PerFileOptions* o, const ToolOption* po, const char* opt, const char* arg,
                int flagValue) {
    if (!(po->flags & TOOLOPT_VALUE_KINDS))
        return callHandler(o, po, opt, arg);
    const std::string specifier = specifierOf(opt);
    // Checked once here: the file's streams may never be matched against it.
    if (holdsStreamSpecifiers(po) && tool_check_stream_specifier(specifier.c_str()) < 0)
        return AVERROR(EINVAL);
    const StoreValue store{o, po->name, specifier, parseValue(po, opt, arg, flagValue),
                           arg ? arg : ""};
    return std::visit(store, po->target) ? 0 : AVERROR(EINVAL);
}

bool startsWithNo(const char* opt) {
    return opt[0] == 'n' && opt[1] == 'o';
}

constexpr double kTwoToThe63 = 9223372036854775808.0;

[[noreturn]] void numberError(const char* format, const char* context, const char* numstr) {
    av_log(nullptr, AV_LOG_FATAL, format, context, numstr);
    tc_cleanup_and_exit(1);
}

} // namespace

void tool_parse_options(PerFileOptions* o, int argc, char** argv, const ToolOption* options,
                        ToolWordCallback parse_arg) {
    bool handleOptions = true;
    int optindex = 1;
    while (optindex < argc) {
        const char* word = argv[optindex++];
        if (handleOptions && word[0] == '-' && word[1]) {
            if (word[1] == '-' && !word[2]) {
                handleOptions = false;
                continue;
            }
            const char* arg = optindex < argc ? argv[optindex] : nullptr;
            const int used = tool_parse_option(o, word + 1, arg, options);
            if (used < 0)
                tc_cleanup_and_exit(1);
            optindex += used;
        } else if (parse_arg) {
            parse_arg(o, word);
        }
    }
}

int tool_parse_option(PerFileOptions* o, const char* opt, const char* next,
                      const ToolOption* options) {
    const char* name = opt;
    int flagValue = 1;
    const ToolOption* po = tool_find_option(options, opt);
    if (!po->name && startsWithNo(opt)) {
        const ToolOption* negated = tool_find_option(options, opt + 2);
        if (negated->name) {
            po = negated;
            name = opt + 2;
            if (po->flags & TOOLOPT_FLAG)
                flagValue = 0;
        }
    }
    if (!po->name)
        po = tool_find_option(options, "default");
    if (!po->name) {
        av_log(nullptr, AV_LOG_ERROR, "Unrecognized option '%s'\n", opt);
        return AVERROR(EINVAL);
    }
    // Only a row that takes an argument sees the next word, and a row that ends the program:
    // the help rows read an optional topic from it, and nothing is parsed after them.
    const char* arg = (po->flags & (TOOLOPT_ARG | TOOLOPT_EXIT)) ? next : nullptr;
    if ((po->flags & TOOLOPT_ARG) && !arg) {
        av_log(nullptr, AV_LOG_ERROR, "Missing argument for option '%s'\n", opt);
        return AVERROR(EINVAL);
    }

    const int ret = applyOption(o, po, name, arg, flagValue);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Failed to set value '%s' for option '%s'\n", arg ? arg : "",
               opt);
        return ret;
    }
    if (po->flags & TOOLOPT_EXIT)
        tc_cleanup_and_exit(0);
    return (po->flags & TOOLOPT_ARG) ? 1 : 0;
}

const ToolOption* tool_find_option(const ToolOption* options, const char* name) {
    const char* colon = std::strchr(name, ':');
    const size_t length = colon ? static_cast<size_t>(colon - name) : std::strlen(name);
    const ToolOption* po = options;
    for (; po->name; ++po) {
        if (std::strlen(po->name) == length && !std::strncmp(po->name, name, length))
            break;
    }
    return po;
}

int tool_locate_option(int argc, char** argv, const ToolOption* options, const char* optname) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (word[0] != '-')
            continue;
        const char* opt = word + 1;
        const ToolOption* po = tool_find_option(options, opt);
        if (!po->name && startsWithNo(opt))
            po = tool_find_option(options, opt + 2);
        if ((!po->name && !std::strcmp(opt, optname)) ||
            (po->name && !std::strcmp(optname, po->name)))
            return i;
        if (po->name && (po->flags & TOOLOPT_ARG))
            ++i;
    }
    return 0;
}

double tool_parse_number(const char* context, const char* numstr, uint32_t kind, double min,
                         double max) {
    char* tail = nullptr;
    const double d = av_strtod(numstr, &tail);
    const bool integral = std::trunc(d) == d;
    if (*tail || tail == numstr)
        numberError("Expected number for %s but found: %s\n", context, numstr);
    // NaN fails every comparison: it is within no range.
    if (!(d >= min && d <= max))
        tool_value_out_of_range(context, numstr, min, max);
    // A double of 2^63 passes an INT64_MAX bound but has no int64 value.
    if (kind == TOOLOPT_INT64 && (!integral || d >= kTwoToThe63))
        numberError("Expected int64 for %s but found %s\n", context, numstr);
    if (kind == TOOLOPT_INT && (!integral || d < INT_MIN || d > INT_MAX))
        numberError("Expected int for %s but found %s\n", context, numstr);
    return d;
}

void tool_value_out_of_range(const char* context, const char* numstr, double min, double max) {
    av_log(nullptr, AV_LOG_FATAL, "The value for %s was %s which is not within %f - %f\n", context,
           numstr, min, max);
    tc_cleanup_and_exit(1);
}

std::string tool_written_value(const PerFileOptions& o, const char* row, std::string otherwise) {
    const auto written = o.written.find(row);
    return written != o.written.end() ? written->second : std::move(otherwise);
}

std::string tool_seconds_text(int64_t us) {
    // Whole seconds and microseconds apart: a double would round the microseconds away.
    const uint64_t magnitude = us < 0 ? 0 - static_cast<uint64_t>(us) : us;
    char seconds[48];
    std::snprintf(seconds, sizeof(seconds), "%s%llu.%06llu", us < 0 ? "-" : "",
                  static_cast<unsigned long long>(magnitude / AV_TIME_BASE),
                  static_cast<unsigned long long>(magnitude % AV_TIME_BASE));
    return seconds;
}

void tool_time_out_of_range(const char* row, const std::string& shown) {
    av_log(nullptr, AV_LOG_FATAL, "The value for %s was %s which puts a timestamp out of range\n",
           row, shown.c_str());
    tc_cleanup_and_exit(1);
}

void tool_time_out_of_range(const PerFileOptions& o, const char* row, int64_t value) {
    tool_time_out_of_range(row, tool_written_value(o, row, tool_seconds_text(value)));
}

int64_t tool_scaled_integer(const char* context, const char* written, long double scaled,
                            double scale, int64_t min, int64_t max) {
    // Both bounds are exact in a long double, INT64_MAX included.
    if (!(scaled >= static_cast<long double>(min) && scaled <= static_cast<long double>(max)))
        tool_value_out_of_range(context, written, static_cast<double>(min) / scale,
                                static_cast<double>(max) / scale);
    return static_cast<int64_t>(scaled);
}

ToolInteger tool_read_integer(const char* text, int base) {
    ToolInteger number;
    char* rest = nullptr;
    number.value = std::strtoll(text, &rest, base);
    number.rest = rest;
    number.found = rest != text;
    const char* first = text;
    while (number.found && std::isspace(static_cast<unsigned char>(*first)))
        ++first;
    number.written = number.found ? std::string(first, number.rest) : "0";
    return number;
}

int tool_read_integers(const char* text, std::string_view separators, ToolInteger* out) {
    for (size_t count = 0;; ++count) {
        out[count] = tool_read_integer(text, 10);
        if (!out[count].found)
            return static_cast<int>(count);
        text = out[count].rest;
        if (count == separators.size() || *text != separators[count])
            return static_cast<int>(count + 1);
        ++text;
    }
}

bool tool_integers_fit_int(const ToolInteger* numbers, int count) {
    return std::all_of(numbers, numbers + count,
                       [](const ToolInteger& n) { return n.within(INT_MIN, INT_MAX); });
}

int64_t tool_parse_time(const char* context, const char* timestr, int is_duration) {
    int64_t us = 0;
    if (av_parse_time(&us, timestr, is_duration) < 0) {
        av_log(nullptr, AV_LOG_FATAL, "Invalid %s specification for %s: %s\n",
               is_duration ? "duration" : "date", context, timestr);
        tc_cleanup_and_exit(1);
    }
    return us;
}

void tool_array_too_big() {
    tc_exit_fatal("Array too big.\n");
}

void tool_array_alloc_failed() {
    tc_exit_fatal("Could not alloc buffer.\n");
}
