#include "transcoder/option_handlers.h"

#include "transcoder/option_table.h"
#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_generic_options.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <strings.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr size_t kCreationTimeMax = 128;
constexpr size_t kErrorTextMax = 64;
constexpr size_t kVstatsNameMax = 40;

// The written name's stream suffix with its ':', or an empty text.
const char* suffixOf(const char* opt) {
    const char* colon = std::strchr(opt, ':');
    return colon ? colon : "";
}

bool hasSuffix(const char* opt) {
    return std::strchr(opt, ':') != nullptr;
}

// The layout's channel mask and count. A layout given only by its channel count (or as
// channels in a custom order) takes that count's default layout, as a mask needs one.
bool channelLayoutMask(const char* text, uint64_t* mask, int* channels) {
    AVChannelLayout layout{};
    if (av_channel_layout_from_string(&layout, text) < 0)
        return false;
    if (layout.order != AV_CHANNEL_ORDER_NATIVE) {
        const int count = layout.nb_channels;
        av_channel_layout_uninit(&layout);
        av_channel_layout_default(&layout, count);
    }
    const bool native = layout.order == AV_CHANNEL_ORDER_NATIVE;
    *mask = native ? layout.u.mask : 0;
    *channels = layout.nb_channels;
    av_channel_layout_uninit(&layout);
    return native;
}

int setForcedCodec(std::string& forced, PerFileOptions* o, const char* option, const char* arg) {
    forced = arg;
    return tc_apply_option(o, option, arg);
}

} // namespace

int tc_apply_option(PerFileOptions* o, const char* name, const char* value) {
    const int ret = tool_parse_option(o, name, value, tc_options);
    return ret < 0 ? ret : 0;
}

int tc_opt_recording_timestamp(PerFileOptions* o, const char* opt, const char* arg) {
    const time_t seconds = static_cast<time_t>(tool_parse_time(opt, arg, 0) / 1000000);
    struct tm utc {};
    char text[kCreationTimeMax];
    if (!gmtime_r(&seconds, &utc) ||
        !std::strftime(text, sizeof(text), "creation_time=%FT%T%z", &utc)) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot write the date given to %s: %s\n", opt, arg);
        return AVERROR(EINVAL);
    }
    const int ret = tc_apply_option(o, "metadata", text);
    av_log(nullptr, AV_LOG_WARNING,
           "%s is deprecated, set the 'creation_time' metadata tag "
           "instead.\n",
           opt);
    return ret;
}

int tc_opt_progress(const char*, const char* arg) {
    const char* url = std::strcmp(arg, "-") ? arg : "pipe:";
    AVIOContext* io = nullptr;
    const int ret = avio_open2(&io, url, AVIO_FLAG_WRITE, &tc_interrupt_callback, nullptr);
    if (ret < 0) {
        char text[kErrorTextMax];
        av_strerror(ret, text, sizeof(text));
        av_log(nullptr, AV_LOG_ERROR, "Failed to open progress URL \"%s\": %s\n", url, text);
        return ret;
    }
    tc_state().progress_avio.reset(io);
    return 0;
}

// The last method given counts, and each one given is checked.
int tc_opt_vsync(const char* opt, const char* arg) {
    int& method = tc_state().video_sync_method;
    if (!strcasecmp(arg, "cfr"))
        method = 1;
    else if (!strcasecmp(arg, "vfr"))
        method = 2;
    else if (!strcasecmp(arg, "passthrough"))
        method = 0;
    else if (!strcasecmp(arg, "drop"))
        method = 255;
    else
        method = static_cast<int>(tool_parse_number(opt, arg, TOOLOPT_INT, -1, 2));
    return 0;
}

int tc_opt_qscale(PerFileOptions* o, const char* opt, const char* arg) {
    if (!hasSuffix(opt)) {
        av_log(nullptr, AV_LOG_WARNING, "Please use -q:a or -q:v, -qscale is ambiguous\n");
        return tc_apply_option(o, "q:v", arg);
    }
    return tc_apply_option(o, (std::string("q") + suffixOf(opt)).c_str(), arg);
}

int tc_opt_profile(PerFileOptions* o, const char* opt, const char* arg) {
    if (!hasSuffix(opt)) {
        av_log(nullptr, AV_LOG_WARNING,
               "Please use -profile:a or -profile:v, -profile is ambiguous\n");
        return tc_apply_option(o, "profile:v", arg);
    }
    return tool_set_generic_option(opt, arg);
}

int tc_opt_filter_complex(const char*, const char* arg) {
    auto& graphs = tc_state().filtergraphs;
    try {
        auto graph = std::make_unique<GraphRecord>();
        graph->index = static_cast<int>(graphs.size());
        graph->graph_desc = arg;
        graphs.push_back(std::move(graph));
    } catch (const std::bad_alloc&) {
        return AVERROR(ENOMEM);
    }
    return 0;
}

int tc_opt_removed_crop(const char* opt, const char*) {
    av_log(nullptr, AV_LOG_FATAL, "Option '%s' has been removed, use the crop filter instead\n",
           opt);
    return AVERROR(EINVAL);
}

int tc_opt_removed_pad(const char* opt, const char*) {
    av_log(nullptr, AV_LOG_FATAL, "Option '%s' has been removed, use the pad filter instead\n",
           opt);
    return AVERROR(EINVAL);
}

int tc_opt_video_codec(PerFileOptions* o, const char*, const char* arg) {
    return setForcedCodec(tc_state().video_codec_name, o, "codec:v", arg);
}

int tc_opt_audio_codec(PerFileOptions* o, const char*, const char* arg) {
    return setForcedCodec(tc_state().audio_codec_name, o, "codec:a", arg);
}

int tc_opt_subtitle_codec(PerFileOptions* o, const char*, const char* arg) {
    return setForcedCodec(tc_state().subtitle_codec_name, o, "codec:s", arg);
}

int tc_opt_data_codec(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "codec:d", arg);
}

int tc_opt_timecode(PerFileOptions* o, const char*, const char* arg) {
    const std::string entry = std::string("timecode=") + arg;
    const int ret = tc_apply_option(o, "metadata:g", entry.c_str());
    if (ret < 0)
        return ret;
    return tool_set_generic_option("gop_timecode", arg);
}

int tc_opt_pass(const char* opt, const char* arg) {
    tc_state().do_pass = static_cast<int>(tool_parse_number(opt, arg, TOOLOPT_INT, 1, 3));
    return 0;
}

int tc_opt_passlogfile(const char* opt, const char* arg) {
    tc_state().pass_logfilename_prefix = arg;
    return tool_set_generic_option(opt, arg);
}

int tc_opt_deinterlace(const char* opt, const char*) {
    av_log(nullptr, AV_LOG_WARNING, "-%s is deprecated, use -filter:v yadif instead\n", opt);
    tc_state().do_deinterlace = 1;
    return 0;
}

int tc_opt_vstats(const char*, const char*) {
    const time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    char name[kVstatsNameMax];
    std::snprintf(name, sizeof(name), "vstats_%02d%02d%02d.log", local.tm_hour, local.tm_min,
                  local.tm_sec);
    tc_state().vstats_filename = name;
    return 0;
}

int tc_opt_vstats_file(const char*, const char* arg) {
    tc_state().vstats_filename = arg;
    return 0;
}

int tc_opt_suffix_form(PerFileOptions* o, const char* opt, const char* arg) {
    const std::string name = std::string(opt + 1) + ':' + opt[0];
    return tc_apply_option(o, name.c_str(), arg);
}

int tc_opt_bitrate(PerFileOptions* o, const char* opt, const char* arg) {
    if (!hasSuffix(opt)) {
        av_log(nullptr, AV_LOG_WARNING, "Please use -b:a or -b:v, -b is ambiguous\n");
        return tc_apply_option(o, "b:v", arg);
    }
    return tool_set_generic_option(opt, arg);
}

int tc_opt_channel_layout(PerFileOptions* o, const char* opt, const char* arg) {
    uint64_t mask = 0;
    int channels = 0;
    if (!channelLayoutMask(arg, &mask, &channels)) {
        av_log(nullptr, AV_LOG_ERROR, "Unknown channel layout: %s\n", arg);
        return AVERROR(EINVAL);
    }
    char number[32];
    std::snprintf(number, sizeof(number), "%" PRIu64, mask);
    const int ret = tool_set_generic_option(opt, number);
    if (ret < 0)
        return ret;
    std::snprintf(number, sizeof(number), "%d", channels);
    return tc_apply_option(o, (std::string("ac") + suffixOf(opt)).c_str(), number);
}

int tc_opt_deprecated_alias(const char* opt, const char* arg) {
    const bool channel = !std::strncmp(opt, "vc", 2);
    av_log(nullptr, AV_LOG_WARNING, "%s",
           channel ? "This option is deprecated, use -channel.\n"
                   : "This option is deprecated, use -standard.\n");
    return tool_set_generic_option(channel ? "channel" : "standard", arg);
}

int tc_opt_data_frames(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "frames:d", arg);
}

int tc_opt_video_frames(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "frames:v", arg);
}

int tc_opt_audio_frames(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "frames:a", arg);
}

int tc_opt_audio_qscale(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "q:a", arg);
}

int tc_opt_video_filters(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "filter:v", arg);
}

int tc_opt_audio_filters(PerFileOptions* o, const char*, const char* arg) {
    return tc_apply_option(o, "filter:a", arg);
}
