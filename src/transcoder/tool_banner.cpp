#include "transcoder/tool_banner.h"

#include "transcoder/tool_logging.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/log.h>
#include <libpostproc/postprocess.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>

const ToolLibrary tool_libraries[8] = {
    {"avutil", LIBAVUTIL_VERSION_INT, avutil_version, avutil_configuration},
    {"avcodec", LIBAVCODEC_VERSION_INT, avcodec_version, avcodec_configuration},
    {"avformat", LIBAVFORMAT_VERSION_INT, avformat_version, avformat_configuration},
    {"avdevice", LIBAVDEVICE_VERSION_INT, avdevice_version, avdevice_configuration},
    {"avfilter", LIBAVFILTER_VERSION_INT, avfilter_version, avfilter_configuration},
    {"swscale", LIBSWSCALE_VERSION_INT, swscale_version, swscale_configuration},
    {"swresample", LIBSWRESAMPLE_VERSION_INT, swresample_version, swresample_configuration},
    {"postproc", LIBPOSTPROC_VERSION_INT, postproc_version, postproc_configuration},
};

namespace {

const char* indentFor(int flags) {
    return (flags & TOOL_BANNER_INDENT) ? "  " : "";
}

const char* compilerName() {
#if defined(__clang__)
    return "clang " __clang_version__;
#else
    return "gcc " __VERSION__;
#endif
}

void printVersionLine(const ToolLibrary& lib, const char* indent, int level) {
    const unsigned built = lib.built_version;
    const unsigned running = lib.version();
    av_log(nullptr, level, "%slib%-11s %2u.%3u.%3u / %2u.%3u.%3u\n", indent, lib.name, built >> 16,
           (built >> 8) & 255, built & 255, running >> 16, (running >> 8) & 255, running & 255);
}

void printConfigurationCheck(const ToolLibrary& lib, const char* indent, int level) {
    const char* configuration = lib.configuration();
    if (!std::strcmp(tool_program_configuration(), configuration))
        return;
    TranscoderState& state = tc_state();
    if (!state.warned_cfg) {
        av_log(nullptr, level, "%sWARNING: library configuration mismatch\n", indent);
        state.warned_cfg = 1;
    }
    av_log(nullptr, level, "%s%-11s configuration: %s\n", indent, lib.name, configuration);
}

} // namespace

const char* tool_program_configuration() {
    return avutil_configuration();
}

void tool_print_program_info(int flags, int level) {
    const char* indent = indentFor(flags);
    av_log(nullptr, level, "%s version %s", tool_program_name, av_version_info());
    if (flags & TOOL_BANNER_SHOW_COPYRIGHT)
        av_log(nullptr, level, " Copyright (c) 2000-2012 the FFmpeg developers");
    av_log(nullptr, level, "\n");
    av_log(nullptr, level, "%sbuilt on %s %s with %s\n", indent, __DATE__, __TIME__,
           compilerName());
    av_log(nullptr, level, "%sconfiguration: %s\n", indent, tool_program_configuration());
}

void tool_print_library_list(const ToolLibrary* libraries, int count, int flags, int level) {
    const char* indent = indentFor(flags);
    for (int i = 0; i < count; ++i) {
        if (flags & TOOL_BANNER_SHOW_VERSION)
            printVersionLine(libraries[i], indent, level);
        if (flags & TOOL_BANNER_SHOW_CONFIG)
            printConfigurationCheck(libraries[i], indent, level);
    }
}

void tool_print_library_info(int flags, int level) {
    tool_print_library_list(tool_libraries, 8, flags, level);
}

void tool_show_banner(int argc, char** argv, const ToolOption* options) {
    if (tool_locate_option(argc, argv, options, "version"))
        return;
    tool_print_program_info(TOOL_BANNER_INDENT | TOOL_BANNER_SHOW_COPYRIGHT, AV_LOG_INFO);
    tool_print_library_info(TOOL_BANNER_INDENT | TOOL_BANNER_SHOW_CONFIG, AV_LOG_INFO);
    tool_print_library_info(TOOL_BANNER_INDENT | TOOL_BANNER_SHOW_VERSION, AV_LOG_INFO);
}

int tool_show_version(const char*, const char*) {
    av_log_set_callback(tool_log_to_stdout);
    tool_print_program_info(0, AV_LOG_INFO);
    tool_print_library_info(TOOL_BANNER_SHOW_VERSION, AV_LOG_INFO);
    return 0;
}

int tool_show_licence(const char*, const char*) {
    std::printf("This version of %s has nonfree parts compiled in.\n"
                "Therefore it is not legally redistributable.\n",
                tool_program_name);
    return 0;
}
