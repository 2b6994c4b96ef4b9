#pragma once

// The transcoder's option vocabulary: the table the parser walks, the per-file reset and the
// program's default help.

#include "transcoder/option_records.h"

// Ends with a row whose name is null.
extern const ToolOption tc_options[];

// Frees and re-initialises o; is_input is 1 for an input file, 0 for an output file.
void tc_reset_file_options(PerFileOptions* o, int is_input);

void tc_print_usage();
// topic may be null or empty (basic help).
void tc_print_help(const char* topic);
