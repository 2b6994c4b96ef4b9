#include "transcoder/option_table.h"

#include "player/tool_helpers.h"
#include "transcoder/option_handlers.h"
#include "transcoder/source_files.h"
#include "transcoder/tool_banner.h"
#include "transcoder/tool_generic_options.h"
#include "transcoder/tool_help.h"
#include "transcoder/tool_listings.h"
#include "transcoder/tool_logging.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>

namespace {

// Short names keep each row of the table on a line or two.
constexpr uint32_t ARG = TOOLOPT_ARG;
constexpr uint32_t FLAG = TOOLOPT_FLAG;
constexpr uint32_t ADV = TOOLOPT_ADVANCED;
constexpr uint32_t STR = TOOLOPT_STRING;
constexpr uint32_t VID = TOOLOPT_VIDEO;
constexpr uint32_t AUD = TOOLOPT_AUDIO;
constexpr uint32_t INT = TOOLOPT_INT;
constexpr uint32_t FLT = TOOLOPT_FLOAT;
constexpr uint32_t SUB = TOOLOPT_SUBTITLE;
constexpr uint32_t I64 = TOOLOPT_INT64;
constexpr uint32_t EXIT = TOOLOPT_EXIT;
constexpr uint32_t DATA = TOOLOPT_DATA;
constexpr uint32_t PF = TOOLOPT_PER_FILE;
constexpr uint32_t FIELD = TOOLOPT_FIELD;
constexpr uint32_t SPEC = TOOLOPT_SPECIFIED;
constexpr uint32_t TIME = TOOLOPT_TIME;
constexpr uint32_t DBL = TOOLOPT_DOUBLE;

TranscoderState& gState = tc_state();

} // namespace

const ToolOption tc_options[] = {
    {"L", EXIT, ToolHandler(tool_show_licence), "show license", nullptr},
    {"h", EXIT, ToolHandler(tool_show_help), "show help", "topic"},
    {"?", EXIT, ToolHandler(tool_show_help), "show help", "topic"},
    {"help", EXIT, ToolHandler(tool_show_help), "show help", "topic"},
    {"-help", EXIT, ToolHandler(tool_show_help), "show help", "topic"},
    {"version", EXIT, ToolHandler(tool_show_version), "show version", nullptr},
    {"formats", EXIT, ToolHandler(tool_show_formats), "show available formats", nullptr},
    {"codecs", EXIT, ToolHandler(tool_show_codecs), "show available codecs", nullptr},
    {"decoders", EXIT, ToolHandler(tool_show_decoders), "show available decoders", nullptr},
    {"encoders", EXIT, ToolHandler(tool_show_encoders), "show available encoders", nullptr},
    {"bsfs", EXIT, ToolHandler(tool_show_bitstream_filters), "show available bit stream filters",
     nullptr},
    {"protocols", EXIT, ToolHandler(tool_show_protocols), "show available protocols", nullptr},
    {"filters", EXIT, ToolHandler(tool_show_filters), "show available filters", nullptr},
    {"pix_fmts", EXIT, ToolHandler(tool_show_pixel_formats), "show available pixel formats",
     nullptr},
    {"sample_fmts", EXIT, ToolHandler(tool_show_sample_formats),
     "show available audio sample formats", nullptr},
    {"loglevel", ARG, ToolHandler(tool_set_log_level), "set libav* logging level", "loglevel"},
    {"v", ARG, ToolHandler(tool_set_log_level), "set libav* logging level", "loglevel"},
    {"debug", ARG, ToolHandler(tool_set_debug), "set debug flags", "flags"},
    {"fdebug", ARG, ToolHandler(tool_set_debug), "set debug flags", "flags"},
    {"report", 0, ToolHandler(tool_open_report), "generate a report", nullptr},
    {"max_alloc", ARG, ToolHandler(tool_set_max_alloc),
     "set maximum size of a single allocated block", "bytes"},
    {"cpuflags", ARG | ADV, ToolHandler(tool_set_cpu_flags), "force specific cpu flags", "flags"},
    {"f", ARG | STR | FIELD, &PerFileOptions::format, "force format", "fmt"},
    {"i", ARG | PF, ToolFileHandler(tc_open_source_file), "input file name", "filename"},
    {"y", FLAG, &gState.file_overwrite, "overwrite output files", nullptr},
    {"n", FLAG, &gState.no_file_overwrite, "do not overwrite output files", nullptr},
    {"c", ARG | STR | SPEC, &PerFileOptions::codec_names, "codec name", "codec"},
    {"codec", ARG | STR | SPEC, &PerFileOptions::codec_names, "codec name", "codec"},
    {"pre", ARG | STR | SPEC, &PerFileOptions::presets, "preset name", "preset"},
    {"map", ARG | ADV | PF, ToolFileHandler(tc_opt_map), "set input stream mapping",
     "[-]input_file_id[:stream_specifier][,sync_file_id[:stream_specifier]]"},
    {"map_channel", ARG | ADV | PF, ToolFileHandler(tc_opt_map_channel),
     "map an audio channel from one stream to another",
     "file.stream.channel[:syncfile.syncstream]"},
    {"map_metadata", ARG | STR | SPEC, &PerFileOptions::metadata_map,
     "set metadata information of outfile from infile", "outfile[,metadata]:infile[,metadata]"},
    {"map_chapters", ARG | ADV | INT | FIELD, &PerFileOptions::chapters_input_file,
     "set chapters mapping", "input_file_index"},
    {"t", ARG | FIELD | TIME, &PerFileOptions::recording_time,
     "record or transcode \"duration\" seconds of audio/video", "duration"},
    {"fs", ARG | I64 | FIELD, &PerFileOptions::limit_filesize, "set the limit file size in bytes",
     "limit_size"},
    {"ss", ARG | FIELD | TIME, &PerFileOptions::start_time, "set the start time offset",
     "time_off"},
    {"itsoffset", ARG | ADV | FIELD | TIME, &PerFileOptions::input_ts_offset,
     "set the input ts offset", "time_off"},
    {"itsscale", ARG | ADV | SPEC | DBL, &PerFileOptions::ts_scale, "set the input ts scale",
     "scale"},
    {"timestamp", ARG | PF, ToolFileHandler(tc_opt_recording_timestamp),
     "set the recording timestamp ('now' to set the current time)", "time"},
    {"metadata", ARG | STR | SPEC, &PerFileOptions::metadata, "add metadata", "string=string"},
    {"dframes", ARG | ADV | PF, ToolFileHandler(tc_opt_data_frames),
     "set the number of data frames to record", "number"},
    {"benchmark", FLAG | ADV, &gState.do_benchmark, "add timings for benchmarking", nullptr},
    {"benchmark_all", FLAG | ADV, &gState.do_benchmark_all, "add timings for each task", nullptr},
    {"progress", ARG | ADV, ToolHandler(tc_opt_progress),
     "write program-readable progress information", "url"},
    {"stdin", FLAG | ADV, &gState.stdin_interaction,
     "enable or disable interaction on standard input", nullptr},
    {"timelimit", ARG | ADV, ToolHandler(tool_set_time_limit), "set max runtime in seconds",
     "limit"},
    {"dump", FLAG | ADV, &gState.do_pkt_dump, "dump each input packet", nullptr},
    {"hex", FLAG | ADV, &gState.do_hex_dump, "when dumping packets, also dump the payload",
     nullptr},
    {"re", FLAG | ADV | FIELD, &PerFileOptions::rate_emu, "read input at native frame rate", ""},
    {"target", ARG | PF, ToolFileHandler(tc_opt_target),
     "specify target file type (\"vcd\", \"svcd\", \"dvd\", \"dv\", \"dv50\", \"pal-vcd\", "
     "\"ntsc-svcd\", ...)",
     "type"},
    {"vsync", ARG | ADV, ToolHandler(tc_opt_vsync), "video sync method", ""},
    {"async", ARG | ADV | INT, &gState.audio_sync_method, "audio sync method", ""},
    {"adrift_threshold", ARG | ADV | FLT, &gState.audio_drift_threshold, "audio drift threshold",
     "threshold"},
    {"copyts", FLAG | ADV, &gState.copy_ts, "copy timestamps", nullptr},
    {"copytb", ARG | ADV | INT, &gState.copy_tb, "copy input stream time base when stream copying",
     "mode"},
    {"shortest", FLAG | ADV | FIELD, &PerFileOptions::shortest,
     "finish encoding within shortest input", nullptr},
    {"dts_delta_threshold", ARG | ADV | FLT, &gState.dts_delta_threshold,
     "timestamp discontinuity delta threshold", "threshold"},
    {"dts_error_threshold", ARG | ADV | FLT, &gState.dts_error_threshold,
     "timestamp error delta threshold", "threshold"},
    {"xerror", FLAG | ADV, &gState.exit_on_error, "exit on error", "error"},
    {"copyinkf", FLAG | ADV | SPEC, &PerFileOptions::copy_initial_nonkeyframes,
     "copy initial non-keyframes", nullptr},
    {"frames", ARG | I64 | SPEC, &PerFileOptions::max_frames, "set the number of frames to record",
     "number"},
    {"tag", ARG | ADV | STR | SPEC, &PerFileOptions::codec_tags, "force codec tag/fourcc",
     "fourcc/tag"},
    {"q", ARG | ADV | SPEC | DBL, &PerFileOptions::qscale, "use fixed quality scale (VBR)", "q"},
    {"qscale", ARG | ADV | PF, ToolFileHandler(tc_opt_qscale), "use fixed quality scale (VBR)",
     "q"},
    {"profile", ARG | ADV | PF, ToolFileHandler(tc_opt_profile), "set profile", "profile"},
    {"filter", ARG | STR | SPEC, &PerFileOptions::filters, "set stream filterchain", "filter_list"},
    {"filter_complex", ARG | ADV, ToolHandler(tc_opt_filter_complex),
     "create a complex filtergraph", "graph_description"},
    {"stats", FLAG, &gState.print_stats, "print progress report during encoding", nullptr},
    {"attach", ARG | ADV | PF, ToolFileHandler(tc_opt_attach),
     "add an attachment to the output file", "filename"},
    {"dump_attachment", ARG | ADV | STR | SPEC, &PerFileOptions::dump_attachment,
     "extract an attachment into a file", "filename"},
    {"debug_ts", FLAG | ADV, &gState.debug_ts, "print timestamp debugging info", nullptr},
    {"vframes", ARG | VID | PF, ToolFileHandler(tc_opt_video_frames),
     "set the number of video frames to record", "number"},
    {"r", ARG | STR | VID | SPEC, &PerFileOptions::frame_rates,
     "set frame rate (Hz value, fraction or abbreviation)", "rate"},
    {"s", ARG | STR | VID | SUB | SPEC, &PerFileOptions::frame_sizes,
     "set frame size (WxH or abbreviation)", "size"},
    {"aspect", ARG | STR | VID | SPEC, &PerFileOptions::frame_aspect_ratios,
     "set aspect ratio (4:3, 16:9 or 1.3333, 1.7777)", "aspect"},
    {"pix_fmt", ARG | ADV | STR | VID | SPEC, &PerFileOptions::frame_pix_fmts, "set pixel format",
     "format"},
    {"bits_per_raw_sample", ARG | VID | INT, &gState.frame_bits_per_raw_sample,
     "set the number of bits per raw sample", "number"},
    {"croptop", ARG | VID, ToolHandler(tc_opt_removed_crop), "Removed, use the crop filter instead",
     "size"},
    {"cropbottom", ARG | VID, ToolHandler(tc_opt_removed_crop),
     "Removed, use the crop filter instead", "size"},
    {"cropleft", ARG | VID, ToolHandler(tc_opt_removed_crop),
     "Removed, use the crop filter instead", "size"},
    {"cropright", ARG | VID, ToolHandler(tc_opt_removed_crop),
     "Removed, use the crop filter instead", "size"},
    {"padtop", ARG | VID, ToolHandler(tc_opt_removed_pad), "Removed, use the pad filter instead",
     "size"},
    {"padbottom", ARG | VID, ToolHandler(tc_opt_removed_pad), "Removed, use the pad filter instead",
     "size"},
    {"padleft", ARG | VID, ToolHandler(tc_opt_removed_pad), "Removed, use the pad filter instead",
     "size"},
    {"padright", ARG | VID, ToolHandler(tc_opt_removed_pad), "Removed, use the pad filter instead",
     "size"},
    {"padcolor", ARG | VID, ToolHandler(tc_opt_removed_pad), "Removed, use the pad filter instead",
     "color"},
    {"intra", FLAG | ADV | VID, &gState.intra_only, "deprecated use -g 1", nullptr},
    {"vn", FLAG | VID | FIELD, &PerFileOptions::video_disable, "disable video", nullptr},
    {"vdt", ARG | ADV | VID | INT, &gState.video_discard, "discard threshold", "n"},
    {"rc_override", ARG | ADV | STR | VID | SPEC, &PerFileOptions::rc_overrides,
     "rate control override for specific intervals", "override"},
    {"vcodec", ARG | VID | PF, ToolFileHandler(tc_opt_video_codec),
     "force video codec ('copy' to copy stream)", "codec"},
    {"sameq", FLAG | ADV | VID, &gState.same_quant, "use same quantizer as source (implies VBR)",
     nullptr},
    {"same_quant", FLAG | ADV | VID, &gState.same_quant,
     "use same quantizer as source (implies VBR)", nullptr},
    {"timecode", ARG | VID | PF, ToolFileHandler(tc_opt_timecode), "set initial TimeCode value.",
     "hh:mm:ss[:;.]ff"},
    {"pass", ARG | VID, ToolHandler(tc_opt_pass), "select the pass number (1 or 2)", "n"},
    {"passlogfile", ARG | VID, ToolHandler(tc_opt_passlogfile),
     "select two pass log file name prefix", "prefix"},
    {"deinterlace", ADV | VID, ToolHandler(tc_opt_deinterlace),
     "this option is deprecated, use the yadif filter instead", nullptr},
    {"psnr", FLAG | ADV | VID, &gState.do_psnr, "calculate PSNR of compressed frames", nullptr},
    {"vstats", ADV | VID, ToolHandler(tc_opt_vstats), "dump video coding statistics to file",
     nullptr},
    {"vstats_file", ARG | ADV | VID, ToolHandler(tc_opt_vstats_file),
     "dump video coding statistics to file", "file"},
    {"vf", ARG | VID | PF, ToolFileHandler(tc_opt_video_filters), "video filters", "filter list"},
    {"intra_matrix", ARG | ADV | STR | VID | SPEC, &PerFileOptions::intra_matrices,
     "specify intra matrix coeffs", "matrix"},
    {"inter_matrix", ARG | ADV | STR | VID | SPEC, &PerFileOptions::inter_matrices,
     "specify inter matrix coeffs", "matrix"},
    {"top", ARG | ADV | VID | INT | SPEC, &PerFileOptions::top_field_first,
     "top=1/bottom=0/auto=-1 field first", ""},
    {"dc", ARG | ADV | VID | INT, &gState.intra_dc_precision, "intra_dc_precision", "precision"},
    {"vtag", ARG | ADV | VID | PF, ToolFileHandler(tc_opt_suffix_form), "force video tag/fourcc",
     "fourcc/tag"},
    {"qphist", FLAG | ADV | VID, &gState.qp_hist, "show QP histogram", nullptr},
    {"force_fps", FLAG | ADV | VID | SPEC, &PerFileOptions::force_fps,
     "force the selected framerate, disable the best supported framerate selection", nullptr},
    {"streamid", ARG | ADV | VID | PF, ToolFileHandler(tc_opt_streamid),
     "set the value of an outfile streamid", "streamIndex:value"},
    {"force_key_frames", ARG | ADV | STR | VID | SPEC, &PerFileOptions::forced_key_frames,
     "force key frames at specified timestamps", "timestamps"},
    {"b", ARG | VID | PF, ToolFileHandler(tc_opt_bitrate), "video bitrate (please use -b:v)",
     "bitrate"},
    {"aframes", ARG | AUD | PF, ToolFileHandler(tc_opt_audio_frames),
     "set the number of audio frames to record", "number"},
    {"aq", ARG | AUD | PF, ToolFileHandler(tc_opt_audio_qscale),
     "set audio quality (codec-specific)", "quality"},
    {"ar", ARG | AUD | INT | SPEC, &PerFileOptions::audio_sample_rate,
     "set audio sampling rate (in Hz)", "rate"},
    {"ac", ARG | AUD | INT | SPEC, &PerFileOptions::audio_channels, "set number of audio channels",
     "channels"},
    {"an", FLAG | AUD | FIELD, &PerFileOptions::audio_disable, "disable audio", nullptr},
    {"acodec", ARG | AUD | PF, ToolFileHandler(tc_opt_audio_codec),
     "force audio codec ('copy' to copy stream)", "codec"},
    {"atag", ARG | ADV | AUD | PF, ToolFileHandler(tc_opt_suffix_form), "force audio tag/fourcc",
     "fourcc/tag"},
    {"vol", ARG | AUD | INT, &gState.audio_volume, "change audio volume (256=normal)", "volume"},
    {"sample_fmt", ARG | ADV | STR | AUD | SPEC, &PerFileOptions::sample_fmts, "set sample format",
     "format"},
    {"channel_layout", ARG | ADV | AUD | PF, ToolFileHandler(tc_opt_channel_layout),
     "set channel layout", "layout"},
    {"af", ARG | AUD | PF, ToolFileHandler(tc_opt_audio_filters), "audio filters", "filter list"},
    {"sn", FLAG | SUB | FIELD, &PerFileOptions::subtitle_disable, "disable subtitle", nullptr},
    {"scodec", ARG | SUB | PF, ToolFileHandler(tc_opt_subtitle_codec),
     "force subtitle codec ('copy' to copy stream)", "codec"},
    {"stag", ARG | ADV | SUB | PF, ToolFileHandler(tc_opt_suffix_form), "force subtitle tag/fourcc",
     "fourcc/tag"},
    {"fix_sub_duration", FLAG | ADV | SUB | SPEC, &PerFileOptions::fix_sub_duration,
     "fix subtitles duration", nullptr},
    {"vc", ARG | ADV | VID, ToolHandler(tc_opt_deprecated_alias), "deprecated, use -channel",
     "channel"},
    {"tvstd", ARG | ADV | VID, ToolHandler(tc_opt_deprecated_alias), "deprecated, use -standard",
     "standard"},
    {"isync", FLAG | ADV, &gState.input_sync, "this option is deprecated and does nothing", ""},
    {"muxdelay", ARG | ADV | FLT | FIELD, &PerFileOptions::mux_max_delay,
     "set the maximum demux-decode delay", "seconds"},
    {"muxpreload", ARG | ADV | FLT | FIELD, &PerFileOptions::mux_preload,
     "set the initial demux-decode delay", "seconds"},
    {"bsf", ARG | ADV | STR | SPEC, &PerFileOptions::bitstream_filters,
     "A comma-separated list of bitstream filters", "bitstream_filters"},
    {"absf", ARG | ADV | AUD | PF, ToolFileHandler(tc_opt_suffix_form), "deprecated",
     "audio bitstream_filters"},
    {"vbsf", ARG | ADV | VID | PF, ToolFileHandler(tc_opt_suffix_form), "deprecated",
     "video bitstream_filters"},
    {"apre", ARG | ADV | AUD | PF, ToolFileHandler(tc_opt_preset),
     "set the audio options to the indicated preset", "preset"},
    {"vpre", ARG | ADV | VID | PF, ToolFileHandler(tc_opt_preset),
     "set the video options to the indicated preset", "preset"},
    {"spre", ARG | ADV | SUB | PF, ToolFileHandler(tc_opt_preset),
     "set the subtitle options to the indicated preset", "preset"},
    {"fpre", ARG | ADV | PF, ToolFileHandler(tc_opt_preset),
     "set options from indicated preset file", "filename"},
    {"dcodec", ARG | ADV | DATA | PF, ToolFileHandler(tc_opt_data_codec),
     "force data codec ('copy' to copy stream)", "codec"},
    {"dn", FLAG | VID | FIELD, &PerFileOptions::data_disable, "disable data", nullptr},
    {"default", ARG | ADV | VID | AUD, ToolHandler(tool_set_generic_option),
     "generic catch all option", ""},
    {},
};

namespace {

// tool_show_help falls back to the program's own help for the topics it does not know.
const bool kHelpInstalled = [] {
    tc_state().print_help = tc_print_help;
    return true;
}();

// Rows of tc_options that hold a per-stream list or a text of the per-file record are
// cleared by re-initialising the record, which owns every list, text and map.
PerFileOptions freshOptions(int64_t recording_time) {
    PerFileOptions fresh;
    fresh.recording_time = recording_time;
    fresh.mux_max_delay = 0.7f;
    fresh.limit_filesize = UINT64_MAX;
    return fresh;
}

struct HelpSection {
    const char* title;
    uint32_t required;
    uint32_t rejected;
    uint32_t any_of;
    bool advanced;
};

const HelpSection kHelpSections[] = {
    {"Print help / information / capabilities:", EXIT, 0, 0, false},
    {"Global options (affect whole program instead of just one file:", 0,
     SPEC | FIELD | PF | EXIT | ADV, 0, false},
    {"Advanced global options:", ADV, SPEC | FIELD | PF | EXIT, 0, true},
    {"Per-file main options:", 0, SUB | EXIT | AUD | VID | ADV, SPEC | FIELD | PF, false},
    {"Advanced per-file options:", ADV, SUB | AUD | VID, SPEC | FIELD | PF, true},
    {"Video options:", VID, AUD | ADV, 0, false},
    {"Advanced Video options:", VID | ADV, AUD, 0, true},
    {"Audio options:", AUD, VID | ADV, 0, false},
    {"Advanced Audio options:", AUD | ADV, VID, 0, true},
    {"Subtitle options:", SUB, 0, 0, false},
};

void printLibraryClassHelp() {
    const int flags = AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_DECODING_PARAM;
    tool_print_class_help(avcodec_get_class(), flags);
    tool_print_class_help(avformat_get_class(), flags);
    tool_print_class_help(sws_get_class(), flags);
    tool_print_class_help(swr_get_class(), AV_OPT_FLAG_AUDIO_PARAM);
    tool_print_class_help(avfilter_get_class(), AV_OPT_FLAG_FILTERING_PARAM);
}

} // namespace

void tc_reset_file_options(PerFileOptions* o, int is_input) {
    const int64_t recording_time = o->recording_time;
    *o = freshOptions(is_input ? recording_time : INT64_MAX);
    if (is_input && recording_time != INT64_MAX)
        av_log(nullptr, AV_LOG_WARNING,
               "-t is not an input option, keeping it for the next output; consider fixing "
               "your command line.\n");
    // Codec and format options written before one file apply to that file only.
    tool_options_free();
    tool_options_init();
}

void tc_print_usage() {
    av_log(nullptr, AV_LOG_INFO, "Hyper fast Audio and Video encoder\n");
    av_log(nullptr, AV_LOG_INFO,
           "usage: %s [options] [[infile options] -i infile]... {[outfile options] outfile}...\n",
           tool_program_name);
    av_log(nullptr, AV_LOG_INFO, "\n");
}

void tc_print_help(const char* topic) {
    const bool full = topic && !std::strcmp(topic, "full");
    const bool advanced = full || (topic && !std::strcmp(topic, "long"));
    if (topic && *topic && !advanced)
        av_log(nullptr, AV_LOG_ERROR, "Unknown help option '%s'.\n", topic);

    tc_print_usage();
    std::printf("Getting help:\n"
                "    -h      -- print basic options\n"
                "    -h long -- print more options\n"
                "    -h full -- print all options (including all format and codec specific "
                "options, very long)\n"
                "    See man %s for detailed description of the options.\n"
                "\n",
                tool_program_name);
    for (const HelpSection& section : kHelpSections) {
        if (section.advanced && !advanced)
            continue;
        tool_print_option_help(tc_options, section.title, section.required, section.rejected,
                               section.any_of);
    }
    std::printf("\n");
    if (full)
        printLibraryClassHelp();
}
