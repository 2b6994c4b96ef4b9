#include "transcoder/option_handlers.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxStreamIndex = 1023;
constexpr size_t kStreamIdTextMax = 15;

int inputFileCount() {
    return static_cast<int>(tc_state().input_files.size());
}

AVFormatContext* inputContext(int file_index) {
    return tc_state().input_files[static_cast<size_t>(file_index)]->ctx.get();
}

// A specifier the library cannot read has been reported by the matcher; it ends the program.
bool streamMatches(AVFormatContext* ctx, AVStream* st, const char* spec) {
    const int ret = tool_match_stream_specifier(ctx, st, spec);
    if (ret < 0)
        tc_cleanup_and_exit(1);
    return ret > 0;
}

struct SyncSource {
    int file_index = -1;
    int stream_index = -1;
};

// "file[:spec]" after a map's ',': the first stream of that file that matches.
SyncSource findSyncSource(const char* text, const char* shownMap) {
    char* rest = nullptr;
    const long file = std::strtol(text, &rest, 0);
    if (file < 0 || file >= inputFileCount())
        tc_exit_fatal("Invalid sync file index: %d.\n", static_cast<int>(file));
    if (*rest)
        ++rest;
    AVFormatContext* ctx = inputContext(static_cast<int>(file));
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        if (streamMatches(ctx, ctx->streams[i], rest))
            return {static_cast<int>(file), static_cast<int>(i)};
    }
    tc_exit_fatal("Sync stream specification in map %s does not match any streams.\n", shownMap);
}

void appendLabelMap(PerFileOptions* o, const std::string& map) {
    const std::string::size_type close = map.find(']');
    if (close == std::string::npos || close < 2) {
        av_log(nullptr, AV_LOG_ERROR, "Invalid output link label: %s.\n", map.c_str());
        tc_cleanup_and_exit(1);
    }
    StreamMapEntry entry;
    entry.linklabel = map.substr(1, close - 1);
    o->stream_maps.push_back(std::move(entry));
}

// Marks the matching entries of the file disabled; false when there were no entries to look at.
bool disableMatchingMaps(PerFileOptions* o, int file_index, const char* spec) {
    AVFormatContext* ctx = inputContext(file_index);
    bool examined = false;
    for (StreamMapEntry& entry : o->stream_maps) {
        examined = true;
        if (!entry.linklabel.empty() || entry.file_index != file_index || entry.stream_index < 0 ||
            entry.stream_index >= static_cast<int>(ctx->nb_streams))
            continue;
        if (streamMatches(ctx, ctx->streams[entry.stream_index], spec))
            entry.disabled = 1;
    }
    return examined;
}

bool appendMatchingMaps(PerFileOptions* o, int file_index, const char* spec,
                        const SyncSource& sync) {
    AVFormatContext* ctx = inputContext(file_index);
    bool appended = false;
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        if (!streamMatches(ctx, ctx->streams[i], spec))
            continue;
        StreamMapEntry entry;
        entry.file_index = file_index;
        entry.stream_index = static_cast<int>(i);
        entry.sync_file_index = sync.file_index >= 0 ? sync.file_index : file_index;
        entry.sync_stream_index = sync.file_index >= 0 ? sync.stream_index : static_cast<int>(i);
        o->stream_maps.push_back(std::move(entry));
        appended = true;
    }
    return appended;
}

void muteChannel(ChannelMapEntry& m, int values) {
    m.file_idx = m.stream_idx = -1;
    if (values == 1)
        m.ofile_idx = m.ostream_idx = -1;
}

void validateChannelSource(const ChannelMapEntry& m) {
    if (m.file_idx < 0 || m.file_idx >= inputFileCount())
        tc_exit_fatal("mapchan: invalid input file index: %d\n", m.file_idx);
    AVFormatContext* ctx = inputContext(m.file_idx);
    if (m.stream_idx < 0 || m.stream_idx >= static_cast<int>(ctx->nb_streams))
        tc_exit_fatal("mapchan: invalid input file stream index #%d.%d\n", m.file_idx,
                      m.stream_idx);
    const AVCodecParameters* par = ctx->streams[m.stream_idx]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO)
        tc_exit_fatal("mapchan: stream #%d.%d is not an audio stream.\n", m.file_idx, m.stream_idx);
    if (m.channel_idx < 0 || m.channel_idx >= par->ch_layout.nb_channels)
        tc_exit_fatal("mapchan: invalid audio channel #%d.%d.%d\n", m.file_idx, m.stream_idx,
                      m.channel_idx);
}

} // namespace

int tc_opt_map(PerFileOptions* o, const char*, const char* arg) {
    const bool negative = arg[0] == '-';
    const char* shown = negative ? arg + 1 : arg;
    std::string map = shown;

    SyncSource sync;
    const std::string::size_type comma = map.find(',');
    if (comma != std::string::npos) {
        sync = findSyncSource(map.c_str() + comma + 1, shown);
        map.resize(comma);
    }

    if (!map.empty() && map[0] == '[') {
        appendLabelMap(o, map);
        return 0;
    }

    char* rest = nullptr;
    const long file = std::strtol(map.c_str(), &rest, 0);
    if (file < 0 || file >= inputFileCount())
        tc_exit_fatal("Invalid input file index: %d.\n", static_cast<int>(file));
    const char* spec = *rest == ':' ? rest + 1 : rest;
    const int file_index = static_cast<int>(file);
    const bool found = negative ? disableMatchingMaps(o, file_index, spec)
                                : appendMatchingMaps(o, file_index, spec, sync);
    if (!found)
        tc_exit_fatal("Stream map '%s' matches no streams.\n", shown);
    return 0;
}

int tc_opt_map_channel(PerFileOptions* o, const char*, const char* arg) {
    o->audio_channel_maps.emplace_back();
    ChannelMapEntry& m = o->audio_channel_maps.back();

    int values = std::sscanf(arg, "%d:%d.%d", &m.channel_idx, &m.ofile_idx, &m.ostream_idx);
    if ((values == 1 || values == 3) && m.channel_idx == -1) {
        muteChannel(m, values);
        return 0;
    }

    values = std::sscanf(arg, "%d.%d.%d:%d.%d", &m.file_idx, &m.stream_idx, &m.channel_idx,
                         &m.ofile_idx, &m.ostream_idx);
    if (values != 3 && values != 5)
        tc_exit_fatal("Syntax error, mapchan usage: "
                      "[file.stream.channel|-1][:syncfile:syncstream]\n");
    if (values == 3)
        m.ofile_idx = m.ostream_idx = -1;
    validateChannelSource(m);
    return 0;
}

int tc_opt_streamid(PerFileOptions* o, const char* opt, const char* arg) {
    const std::string text = std::string(arg).substr(0, kStreamIdTextMax);
    const std::string::size_type colon = text.find(':');
    if (colon == std::string::npos)
        tc_exit_fatal("Invalid value '%s' for option '%s', required syntax is 'index:value'\n", arg,
                      opt);
    const std::string index_text = text.substr(0, colon);
    const int index = static_cast<int>(
        tool_parse_number(opt, index_text.c_str(), TOOLOPT_INT, 0, kMaxStreamIndex));
    tool_grow_array(o->streamid_map, index + 1);
    o->streamid_map[static_cast<size_t>(index)] =
        static_cast<int>(tool_parse_number(opt, text.c_str() + colon + 1, TOOLOPT_INT, 0, INT_MAX));
    return 0;
}

int tc_opt_attach(PerFileOptions* o, const char*, const char* arg) {
    o->attachments.emplace_back(arg);
    return 0;
}
