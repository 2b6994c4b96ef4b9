#include "transcoder/tool_logging.h"

#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

const ToolLogLevel tool_log_levels[8] = {
    {"quiet", AV_LOG_QUIET},     {"panic", AV_LOG_PANIC},     {"fatal", AV_LOG_FATAL},
    {"error", AV_LOG_ERROR},     {"warning", AV_LOG_WARNING}, {"info", AV_LOG_INFO},
    {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG},
};

namespace {

// Codec threads log at the same time: the report and its line prefix state share a lock.
std::mutex gReportMutex;
FILE* gReportFile = nullptr;
int gReportPrintPrefix = 1;

constexpr size_t kReportNameSize = 64;
constexpr int kReportLineSize = 1024;

bool isSafeReportChar(unsigned char c) {
    return (c >= '+' && c <= ':') || (c >= '@' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

void writeCommandLine(int argc, char** argv) {
    std::string line = "Command line:\n";
    for (int i = 0; i < argc; ++i) {
        line += tool_quote_report_word(argv[i]);
        line += i + 1 < argc ? ' ' : '\n';
    }
    std::lock_guard lock(gReportMutex);
    std::fputs(line.c_str(), gReportFile);
    std::fflush(gReportFile);
}

bool reportIsOpen() {
    std::lock_guard lock(gReportMutex);
    return gReportFile != nullptr;
}

} // namespace

int tool_set_log_level(const char*, const char* arg) {
    for (const ToolLogLevel& level : tool_log_levels) {
        if (!std::strcmp(level.name, arg)) {
            av_log_set_level(level.level);
            return 0;
        }
    }
    char* tail = nullptr;
    errno = 0;
    const long level = std::strtol(arg, &tail, 10);
    if (*tail || tail == arg || errno == ERANGE || level < INT_MIN || level > INT_MAX) {
        av_log(nullptr, AV_LOG_FATAL, "Invalid loglevel \"%s\". Possible levels are numbers or:\n",
               arg);
        for (const ToolLogLevel& known : tool_log_levels)
            av_log(nullptr, AV_LOG_FATAL, "\"%s\"\n", known.name);
        tc_cleanup_and_exit(1);
    }
    av_log_set_level(static_cast<int>(level));
    return 0;
}

void tool_early_log_options(int argc, char** argv, const ToolOption* options) {
    int idx = tool_locate_option(argc, argv, options, "loglevel");
    if (!idx)
        idx = tool_locate_option(argc, argv, options, "v");
    if (idx && idx + 1 < argc && argv[idx + 1])
        tool_set_log_level("loglevel", argv[idx + 1]);

    if (tool_locate_option(argc, argv, options, "report") || std::getenv("FFREPORT"))
        tool_open_report();
    if (reportIsOpen())
        writeCommandLine(argc, argv);
}

std::string tool_report_file_name(const struct tm& local) {
    char name[kReportNameSize];
    std::snprintf(name, sizeof(name), "%s-%04d%02d%02d-%02d%02d%02d.log", tool_program_name,
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec);
    return name;
}

std::string tool_quote_report_word(const char* word) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(word);
    bool safe = true;
    for (const unsigned char* p = bytes; *p && safe; ++p)
        safe = isSafeReportChar(*p);
    if (safe)
        return word;

    std::string quoted = "\"";
    for (const unsigned char* p = bytes; *p; ++p) {
        const unsigned char c = *p;
        if (c == '"' || c == '$' || c == '\\' || c == '`') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c >= 32 && c <= 126) {
            quoted += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", static_cast<unsigned>(c));
            quoted += escaped;
        }
    }
    quoted += '"';
    return quoted;
}

int tool_open_report(const char*, const char*) {
    if (reportIsOpen())
        return 0;
    const time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    const std::string name = tool_report_file_name(local);

    FILE* file = std::fopen(name.c_str(), "w");
    if (!file) {
        const int err = errno;
        av_log(nullptr, AV_LOG_ERROR, "Failed to open report \"%s\": %s\n", name.c_str(),
               std::strerror(err));
        return AVERROR(err);
    }
    {
        std::lock_guard lock(gReportMutex);
        gReportFile = file;
        gReportPrintPrefix = 1;
    }
    av_log_set_callback(tool_log_to_report);
    av_log(nullptr, AV_LOG_INFO,
           "%s started on %04d-%02d-%02d at %02d:%02d:%02d\nReport written to \"%s\"\n",
           tool_program_name, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
           local.tm_min, local.tm_sec, name.c_str());
    if (av_log_get_level() < AV_LOG_VERBOSE)
        av_log_set_level(AV_LOG_VERBOSE);
    return 0;
}

void tool_close_report() {
    av_log_set_callback(av_log_default_callback);
    std::lock_guard lock(gReportMutex);
    if (gReportFile)
        std::fclose(gReportFile);
    gReportFile = nullptr;
}

void tool_log_to_report(void* ptr, int level, const char* fmt, va_list vl) {
    va_list copy;
    va_copy(copy, vl);
    av_log_default_callback(ptr, level, fmt, vl);

    std::lock_guard lock(gReportMutex);
    if (gReportFile) {
        char line[kReportLineSize];
        av_log_format_line(ptr, level, fmt, copy, line, sizeof(line), &gReportPrintPrefix);
        std::fputs(line, gReportFile);
        std::fflush(gReportFile);
    }
    va_end(copy);
}

void tool_log_to_stdout(void*, int, const char* fmt, va_list vl) {
    std::vprintf(fmt, vl);
}
