#pragma once

// The program banner, version and licence notice. The versions and configuration shown are
// those of the FFmpeg libraries this build links against.

#include "transcoder/option_records.h"

enum : int {
    TOOL_BANNER_INDENT = 1,
    TOOL_BANNER_SHOW_VERSION = 2,
    TOOL_BANNER_SHOW_CONFIG = 4,
    TOOL_BANNER_SHOW_COPYRIGHT = 8,
};

// One FFmpeg library as the banner lists it.
struct ToolLibrary {
    const char* name;
    unsigned built_version; // the headers this build was compiled with
    unsigned (*version)();  // the running library
    const char* (*configuration)();
};

// The eight libraries in listing order.
extern const ToolLibrary tool_libraries[8];

// The configuration the program compares each library's with.
const char* tool_program_configuration();

void tool_print_program_info(int flags, int level);
void tool_print_library_info(int flags, int level);
// The same over any list of libraries (tests give mismatching ones).
void tool_print_library_list(const ToolLibrary* libraries, int count, int flags, int level);

void tool_show_banner(int argc, char** argv, const ToolOption* options);
int tool_show_version(const char* opt = nullptr, const char* arg = nullptr);
int tool_show_licence(const char* opt = nullptr, const char* arg = nullptr);
