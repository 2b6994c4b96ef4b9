#include "transcoder/option_table.h"

#include "transcoder/terminal_and_exit.h"

// Placeholder until the table is filled in.
const ToolOption tc_options[] = {{}};

void tc_reset_file_options(PerFileOptions* o, int /*is_input*/) {
    *o = PerFileOptions{};
}

void tc_print_usage() {}

void tc_print_help(const char* /*topic*/) {}
