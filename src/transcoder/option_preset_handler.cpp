#include "transcoder/option_handlers.h"

#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_generic_options.h"
#include "transcoder/tool_services.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kPresetLineMax = 1000;
constexpr size_t kPresetFileNameMax = 1000;

struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

// The forced codec whose presets the option looks for: video for vpre, audio for apre,
// subtitles for spre and fpre.
const std::string& presetCodecName(const char* opt) {
    const TranscoderState& state = tc_state();
    if (opt[0] == 'v')
        return state.video_codec_name;
    if (opt[0] == 'a')
        return state.audio_codec_name;
    return state.subtitle_codec_name;
}

std::string withoutLineEnd(const char* line) {
    return std::string(line, std::strcspn(line, "\r\n"));
}

struct PresetEntry {
    std::string key;
    std::string value;
};

// "key=value" up to the line's end; false when the key or value is missing.
bool splitPresetLine(const char* line, PresetEntry* entry) {
    const char* equals = std::strchr(line, '=');
    if (!equals || equals == line)
        return false;
    entry->key.assign(line, static_cast<size_t>(equals - line));
    entry->value = withoutLineEnd(equals + 1);
    return !entry->value.empty();
}

void applyPresetEntry(PerFileOptions* o, const char* filename, const char* line,
                      const PresetEntry& e) {
    const char* key = e.key.c_str();
    const char* value = e.value.c_str();
    if (e.key == "acodec")
        tc_opt_audio_codec(o, key, value);
    else if (e.key == "vcodec")
        tc_opt_video_codec(o, key, value);
    else if (e.key == "scodec")
        tc_opt_subtitle_codec(o, key, value);
    else if (e.key == "dcodec")
        tc_opt_data_codec(o, key, value);
    else if (tool_set_generic_option(key, value) < 0)
        tc_exit_fatal("%s: Invalid option or argument: '%s', parsed as '%s' = '%s'\n", filename,
                      withoutLineEnd(line).c_str(), key, value);
}

bool isSkippedLine(const char* line) {
    return line[0] == '#' || line[0] == '\n' || line[0] == '\r';
}

} // namespace

int tc_opt_preset(PerFileOptions* o, const char* opt, const char* arg) {
    const std::string& codec = presetCodecName(opt);
    const bool isPath = opt[0] == 'f';
    char filename[kPresetFileNameMax];
    FilePtr f(tool_find_preset_file(filename, sizeof(filename), arg, isPath ? 1 : 0,
                                    codec.empty() ? nullptr : codec.c_str()));
    if (!f) {
        if (!std::strncmp(arg, "libx264-lossless", std::strlen("libx264-lossless")))
            tc_exit_fatal("Please use -preset <speed> -qp 0\n");
        tc_exit_fatal("File for preset '%s' not found\n", arg);
    }

    char line[kPresetLineMax];
    while (std::fgets(line, sizeof(line), f.get())) {
        if (isSkippedLine(line))
            continue;
        PresetEntry entry;
        if (!splitPresetLine(line, &entry))
            tc_exit_fatal("%s: Invalid syntax: '%s'\n", filename, withoutLineEnd(line).c_str());
        av_log(nullptr, AV_LOG_DEBUG, "ffpreset[%s]: set '%s' = '%s'\n", filename,
               entry.key.c_str(), entry.value.c_str());
        applyPresetEntry(o, filename, line, entry);
    }
    return 0;
}
