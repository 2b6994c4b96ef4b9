#pragma once

// The command-line option vocabulary: one option-table row, the values written per stream,
// and the options collected before each input or output file name.

#include <climits>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Flag bits of a ToolOption row.
enum : uint32_t {
    TOOLOPT_ARG = 0x1,
    TOOLOPT_FLAG = 0x2,
    TOOLOPT_ADVANCED = 0x4,
    TOOLOPT_STRING = 0x8,
    TOOLOPT_VIDEO = 0x10,
    TOOLOPT_AUDIO = 0x20,
    TOOLOPT_INT = 0x80,
    TOOLOPT_FLOAT = 0x100,
    TOOLOPT_SUBTITLE = 0x200,
    TOOLOPT_INT64 = 0x400,
    TOOLOPT_EXIT = 0x800,
    TOOLOPT_DATA = 0x1000,
    TOOLOPT_PER_FILE = 0x2000,
    TOOLOPT_FIELD = 0x4000,
    TOOLOPT_SPECIFIED = 0x8000,
    TOOLOPT_TIME = 0x10000,
    TOOLOPT_DOUBLE = 0x20000,
};

// The bits that make the parser store a value instead of calling a handler.
inline constexpr uint32_t TOOLOPT_VALUE_KINDS = TOOLOPT_STRING | TOOLOPT_FLAG | TOOLOPT_INT |
                                                TOOLOPT_INT64 | TOOLOPT_TIME | TOOLOPT_FLOAT |
                                                TOOLOPT_DOUBLE;

// One use of a per-stream option: the stream specifier written after the option name's
// first ':' (empty without one), the value of the row's kind, and the argument as written
// (for a message that refuses the value where it is converted).
struct SpecifiedValue {
    std::string specifier;
    std::variant<std::monostate, std::string, int, int64_t, float, double> value;
    std::string written = {};
};
using SpecifiedList = std::vector<SpecifiedValue>;

struct StreamMapEntry {
    int disabled = 0;
    int file_index = 0;
    int stream_index = 0;
    int sync_file_index = 0;
    int sync_stream_index = 0;
    std::string linklabel; // only for a map written as "[label]"
};

// A channel index of -1 is a muted channel; an output file or stream of -1 means any.
struct ChannelMapEntry {
    int file_idx = 0;
    int stream_idx = 0;
    int channel_idx = 0;
    int ofile_idx = 0;
    int ostream_idx = 0;
};

// The options written before one input or output file. A fresh record holds the values an
// output starts with.
struct PerFileOptions {
    int64_t start_time = 0;
    std::string format;

    SpecifiedList codec_names;
    SpecifiedList audio_channels;
    SpecifiedList audio_sample_rate;
    SpecifiedList frame_rates;
    SpecifiedList frame_sizes;
    SpecifiedList frame_pix_fmts;

    int64_t input_ts_offset = 0;
    int rate_emu = 0;
    SpecifiedList ts_scale;
    SpecifiedList dump_attachment;

    std::vector<StreamMapEntry> stream_maps;
    std::vector<ChannelMapEntry> audio_channel_maps;
    int metadata_global_manual = 0;
    int metadata_streams_manual = 0;
    int metadata_chapters_manual = 0;
    std::vector<std::string> attachments;

    std::optional<int> chapters_input_file; // none given: the first input that has chapters
    int64_t recording_time = INT64_MAX;     // INT64_MAX: no limit
    uint64_t limit_filesize = UINT64_MAX;
    float mux_preload = 0;
    float mux_max_delay = 0.7f;
    int shortest = 0;

    int video_disable = 0;
    int audio_disable = 0;
    int subtitle_disable = 0;
    int data_disable = 0;

    std::vector<int> streamid_map;

    SpecifiedList metadata;
    SpecifiedList max_frames;
    SpecifiedList bitstream_filters;
    SpecifiedList codec_tags;
    SpecifiedList sample_fmts;
    SpecifiedList qscale;
    SpecifiedList forced_key_frames;
    SpecifiedList force_fps;
    SpecifiedList frame_aspect_ratios;
    SpecifiedList rc_overrides;
    SpecifiedList intra_matrices;
    SpecifiedList inter_matrices;
    SpecifiedList top_field_first;
    SpecifiedList metadata_map;
    SpecifiedList presets;
    SpecifiedList copy_initial_nonkeyframes;
    SpecifiedList filters;
    SpecifiedList fix_sub_duration;

    // The arguments as written of the single-value options stored here, by row name, for a
    // message that refuses a value where it is converted.
    std::map<std::string, std::string, std::less<>> written;
};

using ToolHandler = int (*)(const char* opt, const char* arg);
using ToolFileHandler = int (*)(PerFileOptions* o, const char* opt, const char* arg);

// What a row acts on: a handler, a process-wide variable, or a field of PerFileOptions
// (TOOLOPT_FIELD for a single value, TOOLOPT_SPECIFIED for a per-stream list).
using ToolOptionTarget =
    std::variant<std::monostate, ToolHandler, ToolFileHandler, int*, int64_t*, uint64_t*, float*,
                 double*, std::string*, int PerFileOptions::*, int64_t PerFileOptions::*,
                 uint64_t PerFileOptions::*, float PerFileOptions::*, double PerFileOptions::*,
                 std::string PerFileOptions::*, SpecifiedList PerFileOptions::*,
                 std::optional<int> PerFileOptions::*>;

// One row of an option table. A table ends with a row whose name is null.
struct ToolOption {
    const char* name = nullptr; // without the leading '-'
    uint32_t flags = 0;
    ToolOptionTarget target;
    const char* help = nullptr;
    const char* argname = nullptr; // may be null or empty
};
