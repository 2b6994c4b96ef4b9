#pragma once

// Everything the transcoder keeps for the whole process: the owned lists of files, streams
// and graphs, and the variables the option table sets. Reached through tc_state().

#include "transcoder/media_records.h"
#include "transcoder/option_records.h"

#include <memory>
#include <string>
#include <vector>

// The name the tools use in messages, help and the report file name.
inline constexpr const char* tool_program_name = "ffmpeg";

struct TranscoderState {
    std::vector<std::unique_ptr<SourceStream>> input_streams;
    std::vector<std::unique_ptr<SourceFile>> input_files;
    std::vector<std::unique_ptr<TargetStream>> output_streams;
    std::vector<std::unique_ptr<TargetFile>> output_files;
    std::vector<std::unique_ptr<GraphRecord>> filtergraphs;

    // Variables of the option table and its handlers.
    int file_overwrite = 0;
    int no_file_overwrite = 0;
    int do_benchmark = 0;
    int do_benchmark_all = 0;
    int stdin_interaction = 1;
    int do_pkt_dump = 0;
    int do_hex_dump = 0;
    int audio_sync_method = 0;
    float audio_drift_threshold = 0.1f;
    int copy_ts = 0;
    int copy_tb = -1;
    float dts_delta_threshold = 10;
    float dts_error_threshold = 3600 * 30;
    int exit_on_error = 0;
    int print_stats = 1;
    int debug_ts = 0;
    int frame_bits_per_raw_sample = 0;
    int intra_only = 0;
    int video_discard = 0;
    int same_quant = 0;
    int do_psnr = 0;
    int intra_dc_precision = 8;
    int qp_hist = 0;
    int audio_volume = 256;
    int input_sync = 0;
    int video_sync_method = -1;
    IOContextPtr progress_avio;
    std::string vstats_filename;
    int do_deinterlace = 0;
    int do_pass = 0;
    std::string pass_logfilename_prefix;
    std::string video_codec_name;
    std::string audio_codec_name;
    std::string subtitle_codec_name;

    // The listing's configuration mismatch warning is printed once per process.
    int warned_cfg = 0;
    // The program's default help for a topic (null or empty: basic help); set by whoever
    // provides the option table.
    void (*print_help)(const char* topic) = nullptr;
    // Uses of the network layer begun by tc_begin_network_use and not yet ended.
    int network_uses = 0;

    // Frees every file, stream and graph record (in the order that keeps each record's
    // references valid) and the statistics file name.
    void freeRecords();
};

TranscoderState& tc_state();

// Network layer uses are counted so that ending one never undoes an initialisation that
// this code did not make.
void tc_begin_network_use();
void tc_end_network_use();
