#include "transcoder/option_handlers.h"

#include "player/tool_helpers.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstring>
#include <string>

namespace {

constexpr int kMaxStreamIndex = 1023;

int inputFileCount() {
    return static_cast<int>(tc_state().input_files.size());
}

AVFormatContext* inputContext(int file_index) {
    return tc_state().input_files[static_cast<size_t>(file_index)]->ctx.get();
}

// A specifier is checked once, when the map is read, whichever streams it is matched with
// later (a negative map may meet none of its file's).
void checkSpecifier(const char* spec) {
    if (tool_check_stream_specifier(spec) < 0)
        tc_cleanup_and_exit(1);
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

// The input file whose index text begins with. A text without a number names no file: the
// message (with a %s for it) then shows the text itself.
int inputFileIndex(const char* text, const char* message, const char** rest) {
    const ToolInteger file = tool_read_integer(text, 0);
    if (!file.found || !file.within(0, inputFileCount() - 1))
        tc_exit_fatal(message, file.found ? file.written.c_str() : text);
    *rest = file.rest;
    return file.asInt();
}

// "file[:spec]" after a map's ',': the first stream of that file that matches.
SyncSource findSyncSource(const char* text, const char* shownMap) {
    const char* rest = nullptr;
    const int file_index = inputFileIndex(text, "Invalid sync file index: %s.\n", &rest);
    if (*rest)
        ++rest;
    checkSpecifier(rest);
    AVFormatContext* ctx = inputContext(file_index);
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        if (streamMatches(ctx, ctx->streams[i], rest))
            return {file_index, static_cast<int>(i)};
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

// The numbers are checked as written, so that a message never shows a truncated one.
void validateChannelSource(const ToolInteger (&n)[5]) {
    const char* file = n[0].written.c_str();
    const char* stream = n[1].written.c_str();
    if (!n[0].within(0, inputFileCount() - 1))
        tc_exit_fatal("mapchan: invalid input file index: %s\n", file);
    AVFormatContext* ctx = inputContext(n[0].asInt());
    if (!n[1].within(0, static_cast<long long>(ctx->nb_streams) - 1))
        tc_exit_fatal("mapchan: invalid input file stream index #%s.%s\n", file, stream);
    const AVCodecParameters* par = ctx->streams[n[1].value]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO)
        tc_exit_fatal("mapchan: stream #%s.%s is not an audio stream.\n", file, stream);
    if (!n[2].within(0, par->ch_layout.nb_channels - 1))
        tc_exit_fatal("mapchan: invalid audio channel #%s.%s.%s\n", file, stream,
                      n[2].written.c_str());
}

[[noreturn]] void channelMapSyntaxError() {
    tc_exit_fatal("Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]\n");
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

    const char* spec = nullptr;
    const int file_index = inputFileIndex(map.c_str(), "Invalid input file index: %s.\n", &spec);
    if (*spec == ':')
        ++spec;
    checkSpecifier(spec);
    const bool found = negative ? disableMatchingMaps(o, file_index, spec)
                                : appendMatchingMaps(o, file_index, spec, sync);
    if (!found)
        tc_exit_fatal("Stream map '%s' matches no streams.\n", shown);
    return 0;
}

int tc_opt_map_channel(PerFileOptions* o, const char*, const char* arg) {
    o->audio_channel_maps.emplace_back();
    ChannelMapEntry& m = o->audio_channel_maps.back();

    ToolInteger n[5];
    int values = tool_read_integers(arg, ":.", n);
    if ((values == 1 || values == 3) && n[0].value == -1) {
        if (!tool_integers_fit_int(n, values))
            channelMapSyntaxError();
        m.channel_idx = -1;
        if (values == 3) {
            m.ofile_idx = n[1].asInt();
            m.ostream_idx = n[2].asInt();
        }
        muteChannel(m, values);
        return 0;
    }

    values = tool_read_integers(arg, "..:.", n);
    if (values != 3 && values != 5)
        channelMapSyntaxError();
    validateChannelSource(n);
    if (values == 5 && !tool_integers_fit_int(n + 3, 2))
        channelMapSyntaxError();
    m.file_idx = n[0].asInt();
    m.stream_idx = n[1].asInt();
    m.channel_idx = n[2].asInt();
    m.ofile_idx = values == 5 ? n[3].asInt() : -1;
    m.ostream_idx = values == 5 ? n[4].asInt() : -1;
    return 0;
}

// The whole argument is read: a value cut short would be another id.
int tc_opt_streamid(PerFileOptions* o, const char* opt, const char* arg) {
    const std::string text = arg;
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
