#pragma once

#include "transcoder/terminal_and_exit.h"

extern "C" {
#include <libavutil/log.h>
}

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// tc_cleanup_and_exit ends the test through this exception instead of ending the program.
struct ExitCalled {
    int status;
};

[[noreturn]] inline void throwExit(int status) {
    throw ExitCalled{status};
}

// The exit status the call ended with, or nothing when it returned.
template <class Call> std::optional<int> exitStatusOf(Call&& call) {
    const TcExitFunction previous = tc_set_exit_function(throwExit);
    std::optional<int> status;
    try {
        call();
    } catch (const ExitCalled& exited) {
        status = exited.status;
    }
    tc_set_exit_function(previous);
    return status;
}

// Everything the library log receives while it lives, formatted, at every level.
class LogCapture {
public:
    LogCapture() {
        std::lock_guard lock(mutex());
        text().clear();
        av_log_set_callback(&LogCapture::callback);
    }
    ~LogCapture() { av_log_set_callback(av_log_default_callback); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string str() const {
        std::lock_guard lock(mutex());
        return text();
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::string& text() {
        static std::string t;
        return t;
    }
    static void callback(void*, int, const char* fmt, va_list args) {
        char line[2048];
        std::vsnprintf(line, sizeof(line), fmt, args);
        std::lock_guard lock(mutex());
        text() += line;
    }
};

// What the call writes to standard output (C stdio and file descriptor 1).
template <class Call> std::string capturedStdout(Call&& call) {
    std::fflush(stdout);
    FILE* sink = std::tmpfile();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(sink), STDOUT_FILENO);
    call();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string out;
    std::rewind(sink);
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), sink)) > 0)
        out.append(chunk, got);
    std::fclose(sink);
    return out;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// Test names from case descriptions: letters and digits kept, everything else '_'.
inline std::string testNameFrom(const char* description) {
    std::string name;
    for (const char* p = description; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}
