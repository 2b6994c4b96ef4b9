#pragma once

// The metadata maps, chapters and metadata of an output file that has just been appended
// (its streams are the target streams from its first stream on). Failures end the program.

#include "transcoder/media_records.h"
#include "transcoder/option_records.h"

void tc_apply_target_metadata(PerFileOptions* o, TargetFile* of);
