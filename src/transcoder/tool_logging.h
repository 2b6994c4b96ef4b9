#pragma once

// Log levels by name, the report file and the log callbacks of the command-line tools.

#include "transcoder/option_records.h"

#include <cstdarg>
#include <ctime>
#include <string>

struct ToolLogLevel {
    const char* name;
    int level;
};
// "quiet" to "debug", in that order.
extern const ToolLogLevel tool_log_levels[8];

// Sets the level by name or whole decimal number; anything else ends the program.
int tool_set_log_level(const char* opt, const char* arg);

// Applies "loglevel"/"v" and opens the report ("report" or FFREPORT) before the real parse,
// and writes the command line into the report.
void tool_early_log_options(int argc, char** argv, const ToolOption* options);

// Opens "<program>-<date>-<time>.log" in the current directory unless a report is open.
int tool_open_report(const char* opt = nullptr, const char* arg = nullptr);

// Puts the default log callback back and closes the report, if one is open.
void tool_close_report();

// The report's file name for a local time.
std::string tool_report_file_name(const struct tm& local);

// A command-line word as the report writes it: unchanged when it is made only of safe
// characters, otherwise in double quotes with escapes.
std::string tool_quote_report_word(const char* word);

void tool_log_to_report(void* ptr, int level, const char* fmt, va_list vl);
void tool_log_to_stdout(void* ptr, int level, const char* fmt, va_list vl);
