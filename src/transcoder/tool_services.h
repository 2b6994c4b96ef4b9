#pragma once

// Small services of the command-line tools: the yes/no answer, reading a whole file, and
// finding preset files.

#include <cstddef>
#include <cstdint>
#include <cstdio>

// 1 when the answer on standard input begins with 'y' or 'Y'; the rest of the line is read.
int tool_read_yes_no();

// Reads a regular file whole into a NUL-terminated buffer the caller frees with av_free.
// Files whose size cannot be known (pipes) or that are too large fail with a message.
int tool_read_file(const char* filename, uint8_t** bufptr, size_t* size);

// Opens a preset file: the name itself with is_path, otherwise "<name>.ffpreset" (then
// "<codec>-<name>.ffpreset") under $FFMPEG_DATADIR, $HOME/.ffmpeg and /usr/local/share/ffmpeg
// in that order. The opened file's name is left in filename. Null when none opens.
FILE* tool_find_preset_file(char* filename, size_t filename_size, const char* preset_name,
                            int is_path, const char* codec_name);
