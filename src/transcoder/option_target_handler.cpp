#include "transcoder/option_handlers.h"

#include "transcoder/terminal_and_exit.h"
#include "transcoder/tool_generic_options.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstring>

namespace {

enum class Norm { Unknown, Pal, Ntsc, Film };

bool startsWith(const char* text, const char* prefix) {
    return !std::strncmp(text, prefix, std::strlen(prefix));
}

Norm normFromPrefix(const char** name) {
    static const struct {
        const char* prefix;
        Norm norm;
    } kPrefixes[] = {{"pal-", Norm::Pal}, {"ntsc-", Norm::Ntsc}, {"film-", Norm::Film}};
    for (const auto& entry : kPrefixes) {
        if (startsWith(*name, entry.prefix)) {
            *name += std::strlen(entry.prefix);
            return entry.norm;
        }
    }
    return Norm::Unknown;
}

// Frames per thousand seconds of a video stream, 0 when its rate is unknown.
long long milliFrameRate(const AVStream* st) {
    AVRational rate = st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = st->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        return 0;
    return static_cast<long long>(rate.num) * 1000 / rate.den;
}

Norm normOfInputs() {
    for (const auto& file : tc_state().input_files) {
        const AVFormatContext* ctx = file->ctx.get();
        for (unsigned i = 0; ctx && i < ctx->nb_streams; ++i) {
            const AVStream* st = ctx->streams[i];
            if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
                continue;
            const long long fr = milliFrameRate(st);
            if (fr == 25000)
                return Norm::Pal;
            if (fr == 29970 || fr == 23976)
                return Norm::Ntsc;
        }
    }
    return Norm::Unknown;
}

Norm guessNorm() {
    const Norm norm = normOfInputs();
    if (norm != Norm::Unknown) {
        av_log(nullptr, AV_LOG_INFO, "Assuming %s for target.\n",
               norm == Norm::Pal ? "PAL" : "NTSC");
        return norm;
    }
    av_log(nullptr, AV_LOG_FATAL, "Could not determine norm (PAL/NTSC/NTSC-Film) for target.\n");
    av_log(nullptr, AV_LOG_FATAL, "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\n");
    av_log(nullptr, AV_LOG_FATAL, "or set a framerate with \"-r xxx\".\n");
    tc_cleanup_and_exit(1);
}

// Applies one setting of a target. Table options go through the table, the others (generic)
// to the codec, format, scaler and resampler options.
class TargetSettings {
public:
    TargetSettings(PerFileOptions* o, Norm norm) : _o(o), _norm(norm) {}

    bool pal() const { return _norm == Norm::Pal; }
    // PAL's value, or the other one for NTSC and film.
    const char* byNorm(const char* palValue, const char* otherValue) const {
        return pal() ? palValue : otherValue;
    }
    const char* frameRate() const {
        if (_norm == Norm::Pal)
            return "25";
        return _norm == Norm::Ntsc ? "30000/1001" : "24000/1001";
    }

    TargetSettings& table(const char* name, const char* value) {
        if (_status >= 0)
            _status = tc_apply_option(_o, name, value);
        return *this;
    }
    TargetSettings& generic(const char* name, const char* value) {
        if (_status >= 0)
            _status = tool_set_generic_option(name, value);
        return *this;
    }
    TargetSettings& codecs(const char* video, const char* audio) {
        if (_status >= 0)
            _status = tc_opt_video_codec(_o, "c:v", video);
        if (_status >= 0)
            _status = tc_opt_audio_codec(_o, "c:a", audio);
        return *this;
    }
    int status() const { return _status < 0 ? _status : 0; }

private:
    PerFileOptions* _o;
    Norm _norm;
    int _status = 0;
};

int applyVcd(PerFileOptions* o, TargetSettings& set) {
    set.codecs("mpeg1video", "mp2")
        .table("f", "vcd")
        .table("s", set.byNorm("352x288", "352x240"))
        .table("r", set.frameRate())
        .generic("g", set.byNorm("15", "18"))
        .generic("b:v", "1150000")
        .generic("maxrate", "1150000")
        .generic("minrate", "1150000")
        .generic("bufsize", "327680")
        .generic("b:a", "224000")
        .table("ar", "44100")
        .table("ac", "2")
        .generic("packetsize", "2324")
        .generic("muxrate", "1411200");
    // The program stream's start-up delay: 36000 + 3 * 1200 ticks of 90 kHz.
    o->mux_preload = 0.44f;
    return set.status();
}

int applySvcd(TargetSettings& set) {
    set.codecs("mpeg2video", "mp2")
        .table("f", "svcd")
        .table("s", set.byNorm("480x576", "480x480"))
        .table("r", set.frameRate())
        .table("pix_fmt", "yuv420p")
        .generic("g", set.byNorm("15", "18"))
        .generic("b:v", "2040000")
        .generic("maxrate", "2516000")
        .generic("minrate", "0")
        .generic("bufsize", "1835008")
        .generic("scan_offset", "1")
        .generic("b:a", "224000")
        .table("ar", "44100")
        .generic("packetsize", "2324");
    return set.status();
}

int applyDvd(TargetSettings& set) {
    set.codecs("mpeg2video", "ac3")
        .table("f", "dvd")
        .table("s", set.byNorm("720x576", "720x480"))
        .table("r", set.frameRate())
        .table("pix_fmt", "yuv420p")
        .generic("g", set.byNorm("15", "18"))
        .generic("b:v", "6000000")
        .generic("maxrate", "9000000")
        .generic("minrate", "0")
        .generic("bufsize", "1835008")
        .generic("packetsize", "2048")
        .generic("muxrate", "10080000")
        .generic("b:a", "448000")
        .table("ar", "48000");
    return set.status();
}

int applyDv(const char* name, TargetSettings& set) {
    const char* pixelFormat = set.byNorm("yuv420p", "yuv411p");
    if (startsWith(name, "dv50"))
        pixelFormat = "yuv422p";
    set.table("f", "dv")
        .table("s", set.byNorm("720x576", "720x480"))
        .table("pix_fmt", pixelFormat)
        .table("r", set.frameRate())
        .table("ar", "48000")
        .table("ac", "2");
    return set.status();
}

} // namespace

int tc_opt_target(PerFileOptions* o, const char*, const char* arg) {
    const char* name = arg;
    Norm norm = normFromPrefix(&name);
    if (norm == Norm::Unknown)
        norm = guessNorm();

    TargetSettings set(o, norm);
    if (!std::strcmp(name, "vcd"))
        return applyVcd(o, set);
    if (!std::strcmp(name, "svcd"))
        return applySvcd(set);
    if (!std::strcmp(name, "dvd"))
        return applyDvd(set);
    if (startsWith(name, "dv"))
        return applyDv(name, set);
    av_log(nullptr, AV_LOG_ERROR, "Unknown target: %s\n", name);
    return AVERROR(EINVAL);
}
