#pragma once

// The records of the transcoder's files, streams and filter graphs. The process-wide lists
// that own them are in TranscoderState; a record's position in its list is its index.

#include "transcoder/ffmpeg_handles.h"
#include "transcoder/tool_buffer_pool.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

struct SourceStream;
struct TargetStream;
struct GraphRecord;

struct GraphInput {
    AVFilterContext* filter = nullptr; // the buffer source, owned by the graph
    SourceStream* ist = nullptr;
    GraphRecord* graph = nullptr;
    std::string name;
};

struct GraphOutput {
    AVFilterContext* filter = nullptr; // the sink, owned by the graph
    TargetStream* ost = nullptr;
    GraphRecord* graph = nullptr;
    std::string name;
    FilterInOutPtr out_tmp; // the parser's open output, kept until bound to a stream
};

struct GraphRecord {
    int index = 0;
    std::string graph_desc; // empty for a simple graph
    FilterGraphPtr graph;
    std::vector<std::unique_ptr<GraphInput>> inputs;
    std::vector<std::unique_ptr<GraphOutput>> outputs;
};

struct SourceFile {
    InputContextPtr ctx;
    int ist_index = 0; // position of its first stream in the source-stream list
    int64_t ts_offset = 0;
    // The part of ts_offset that itsoffset gave, and that option's argument as written, for a
    // message that refuses what it leads to.
    int64_t input_ts_offset = 0;
    std::string input_ts_offset_written;
    int nb_streams = 0;
    int rate_emu = 0;
};

struct SourceStream {
    int file_index = 0;
    AVStream* st = nullptr; // owned by the file's format context
    int discard = 1;
    int decoding_needed = 0;
    const AVCodec* dec = nullptr;
    // The pool outlives the decoder and frames that hold its buffers.
    BufferPoolPtr buffer_pool;
    CodecContextPtr dec_ctx;
    FramePtr decoded_frame;
    double ts_scale = 1.0;
    DictionaryPtr opts;
    AVRational framerate{0, 0};
    int top_field_first = -1;

    int resample_height = 0;
    int resample_width = 0;
    int resample_pix_fmt = 0;
    int resample_sample_fmt = 0;
    int resample_sample_rate = 0;
    int resample_channels = 0;
    uint64_t resample_channel_layout = 0;

    int fix_sub_duration = 0;
    struct {
        BufferRefPtr ref;
        int w = 0;
        int h = 0;
    } sub2video;

    std::vector<GraphInput*> filters; // graph inputs that read this stream
};

struct TargetFile {
    OutputContextPtr ctx;
    DictionaryPtr opts;
    int ost_index = 0; // position of its first stream in the target-stream list
    int64_t recording_time = INT64_MAX;
    int64_t start_time = 0;
    uint64_t limit_filesize = UINT64_MAX;
    int shortest = 0;
};

struct TargetStream {
    int file_index = 0;
    int index = 0; // within its file
    int source_index = -1;
    AVStream* st = nullptr; // owned by the file's format context
    SourceStream* sync_ist = nullptr;
    std::vector<BitstreamFilterPtr> bitstream_filters;
    const AVCodec* enc = nullptr;
    CodecContextPtr enc_ctx;
    int64_t max_frames = INT64_MAX;
    FramePtr filtered_frame;
    AVRational frame_rate{0, 0};
    int force_fps = 0;
    int top_field_first = -1;
    float frame_aspect_ratio = 0;
    std::string forced_keyframes;
    int audio_channels_map[32] = {};
    int audio_channels_mapped = 0;
    GraphOutput* filter = nullptr;
    std::string avfilter; // filter chain text
    int64_t sws_flags = 0;
    int64_t swr_dither_method = 0;
    double swr_dither_scale = 0;
    DictionaryPtr opts;
    int stream_copy = 0;
    std::string attachment_filename;
    int copy_initial_nonkeyframes = 0;
    int keep_pix_fmt = 0;
};
