#pragma once

// The catch-all option that routes a name to FFmpeg's codec, format, scaler or resampler
// options, the handlers of the common tool options, and option help.

#include "transcoder/option_records.h"

extern "C" {
#include <libavutil/log.h>
}

// opt may carry ':' and a stream specifier; codec options keep it in their key.
int tool_set_generic_option(const char* opt, const char* arg);

int tool_set_debug(const char* opt, const char* arg);
int tool_set_max_alloc(const char* opt, const char* arg);
int tool_set_cpu_flags(const char* opt, const char* arg);
int tool_set_time_limit(const char* opt, const char* arg);

// Prints the rows that have every required flag, no rejected flag and, when alt_flags is
// non-zero, at least one of alt_flags, under the heading msg.
void tool_print_option_help(const ToolOption* options, const char* msg, uint32_t req_flags,
                            uint32_t rej_flags, uint32_t alt_flags);

// Prints the options of an FFmpeg class and of its child classes.
void tool_print_class_help(const AVClass* cls, int flags);
