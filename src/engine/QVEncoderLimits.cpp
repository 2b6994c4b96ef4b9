#include "engine/QVEncoderLimits.h"

#include <QHash>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <bit>
#include <initializer_list>

namespace {

constexpr int kStereo = 2;
// Beyond 7.1 the lossless encoders refuse; PCM takes more, but no player expects it.
constexpr int kDefaultMaxChannels = 8;

struct Limits {
    QList<int> rates = {}; // highest first; empty: any rate
    // The arrangements it writes and reads back alike; empty: any up to the default most.
    QList<quint64> layouts = {};
    // Arrangements it takes but writes so that they read back as others.
    QList<quint64> misread = {};
    // The least kbit/s it needs, by channel count from one up; empty: no least.
    QList<double> minimumKbps = {};
};

quint64 maskOf(const AVChannelLayout& layout) {
    return layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0;
}

QList<quint64> layoutsNamed(std::initializer_list<const char*> names) {
    QList<quint64> masks;
    for (const char* name : names) {
        AVChannelLayout layout{};
        if (av_channel_layout_from_string(&layout, name) == 0)
            masks << maskOf(layout);
        av_channel_layout_uninit(&layout);
    }
    return masks;
}

int speakerCount(quint64 layout) {
    return std::popcount(layout);
}

// FFmpeg's own arrangement for a channel count, which it assumes for a source that does
// not say; 0 when it has none.
quint64 defaultLayout(int channels) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    const quint64 mask = maskOf(layout);
    av_channel_layout_uninit(&layout);
    return mask;
}

// The standard arrangements of at most the given count, in FFmpeg's order.
QList<quint64> standardLayouts(int maxChannels) {
    QList<quint64> masks;
    void* state = nullptr;
    while (const AVChannelLayout* layout = av_channel_layout_standard(&state)) {
        if (maskOf(*layout) && layout->nb_channels <= maxChannels)
            masks << maskOf(*layout);
    }
    return masks;
}

// Checked against the Debian encoders: each arrangement is written and read back with
// ffprobe. Vorbis, WMA and MPEG audio layer II take other rates only at some bitrates, so
// they are held to the rates the catalogue offers. Opus and Vorbis place channels by count
// alone; AAC leaves the arrangements it has no name for unnamed, AC-3 reads its surround
// pairs back as side pairs, and so do AIFF files (the only ones written as big-endian PCM)
// for quad, 5.0 and 5.1.
const QHash<QString, Limits>& limitsTable() {
    static const QList<quint64> kMonoStereo = layoutsNamed({"mono", "stereo"});
    static const QList<quint64> kByCount =
        layoutsNamed({"mono", "stereo", "3.0", "quad", "5.0", "5.1", "6.1", "7.1"});
    static const QHash<QString, Limits> table = {
        {QStringLiteral("libmp3lame"),
         {.rates = {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000},
          .layouts = kMonoStereo}},
        // The lower MPEG-2 rates refuse the higher bitrates.
        {QStringLiteral("mp2"), {.rates = {48000, 44100, 32000}, .layouts = kMonoStereo}},
        {QStringLiteral("aac"),
         {.rates = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025,
                    8000},
          .layouts = layoutsNamed({"mono", "stereo", "2.1", "3.0", "3.0(back)", "4.0", "quad",
                                   "quad(side)", "5.0", "5.1", "6.0(front)", "7.1"})}},
        {QStringLiteral("alac"),
         {.layouts = layoutsNamed(
              {"mono", "stereo", "3.0", "4.0", "5.0", "5.1", "6.1(back)", "7.1(wide)"})}},
        {QStringLiteral("ac3"),
         {.rates = {48000, 44100, 32000},
          .layouts = layoutsNamed({"mono", "stereo", "2.1", "3.0", "3.0(back)", "3.1", "4.0", "4.1",
                                   "quad(side)", "5.0(side)", "5.1(side)"})}},
        {QStringLiteral("libopus"), {.rates = {48000}, .layouts = kByCount}},
        {QStringLiteral("libvorbis"),
         {.rates = {48000, 44100},
          .layouts = kByCount,
          .minimumKbps = {32, 45, 96, 128, 160, 84, 224, 256}}},
        {QStringLiteral("wmav2"), {.rates = {48000, 44100, 32000, 22050}, .layouts = kMonoStereo}},
        {QStringLiteral("pcm_s16be"), {.misread = layoutsNamed({"quad", "5.0", "5.1"})}},
    };
    return table;
}

Limits limitsOf(const QString& encoder) {
    return limitsTable().value(encoder);
}

int maxChannelsOf(const Limits& limits) {
    int most = limits.layouts.isEmpty() ? kDefaultMaxChannels : 0;
    for (const quint64 layout : limits.layouts)
        most = std::max(most, speakerCount(layout));
    return most;
}

bool carriedBy(const Limits& limits, quint64 layout) {
    if (!limits.layouts.isEmpty())
        return limits.layouts.contains(layout);
    return speakerCount(layout) <= kDefaultMaxChannels && !limits.misread.contains(layout);
}

QList<quint64> candidatesOf(const Limits& limits) {
    if (!limits.layouts.isEmpty())
        return limits.layouts;
    QList<quint64> candidates = standardLayouts(maxChannelsOf(limits));
    candidates.removeIf([&](quint64 layout) { return limits.misread.contains(layout); });
    return candidates;
}

// The same speakers with the side and back pairs in each other's place.
quint64 withSurroundPairsSwapped(quint64 layout) {
    constexpr quint64 kSide = AV_CH_SIDE_LEFT | AV_CH_SIDE_RIGHT;
    constexpr quint64 kBack = AV_CH_BACK_LEFT | AV_CH_BACK_RIGHT;
    quint64 swapped = layout & ~(kSide | kBack);
    if (layout & AV_CH_SIDE_LEFT)
        swapped |= AV_CH_BACK_LEFT;
    if (layout & AV_CH_SIDE_RIGHT)
        swapped |= AV_CH_BACK_RIGHT;
    if (layout & AV_CH_BACK_LEFT)
        swapped |= AV_CH_SIDE_LEFT;
    if (layout & AV_CH_BACK_RIGHT)
        swapped |= AV_CH_SIDE_RIGHT;
    return swapped;
}

// How well an arrangement holds a source's speakers: a speaker is kept in its own place,
// or in the other surround pair's place when that one is free.
struct Fit {
    int kept = 0;
    int channels = 0;
    int inPlace = 0;

    Fit(quint64 source, quint64 candidate)
        : channels(speakerCount(candidate)), inPlace(speakerCount(source & candidate)) {
        const quint64 moved = withSurroundPairsSwapped(source & ~candidate) & candidate & ~source;
        kept = inPlace + speakerCount(moved);
    }

    // Most speakers kept, then fewest channels, then most speakers in their own place.
    bool isBetterThan(const Fit& other) const {
        if (kept != other.kept)
            return kept > other.kept;
        if (channels != other.channels)
            return channels < other.channels;
        return inPlace > other.inPlace;
    }
};

quint64 nearestCarried(const Limits& limits, quint64 wanted) {
    if (carriedBy(limits, wanted))
        return wanted;
    quint64 best = 0;
    for (const quint64 candidate : candidatesOf(limits)) {
        if (!best || Fit(wanted, candidate).isBetterThan(Fit(wanted, best)))
            best = candidate;
    }
    return best ? best : wanted;
}

QString arrangementNote(const QString& encoder, quint64 wanted, quint64 written,
                        bool speakersSaid) {
    const QString from = speakersSaid ? QVEncoderLimits::layoutName(wanted)
                                      : QStringLiteral("%1 channels").arg(speakerCount(wanted));
    const int change = speakerCount(written) - speakerCount(wanted);
    const QString how = change < 0   ? QStringLiteral("a downmix")
                        : change > 0 ? QStringLiteral("its added channels silent")
                                     : QStringLiteral("the same channels on the nearest speakers");
    return QStringLiteral("%1 cannot write %2; written as %3 (%4)")
        .arg(encoder.isEmpty() ? QStringLiteral("the encoder") : encoder, from,
             QVEncoderLimits::layoutName(written), how);
}

} // namespace

QList<int> QVEncoderLimits::sampleRates(const QString& encoder) {
    return limitsOf(encoder).rates;
}

int QVEncoderLimits::maxChannels(const QString& encoder) {
    return maxChannelsOf(limitsOf(encoder));
}

bool QVEncoderLimits::carries(const QString& encoder, quint64 layout) {
    return carriedBy(limitsOf(encoder), layout);
}

double QVEncoderLimits::minimumBitrate(const QString& encoder, int channels) {
    const QList<double> minimum = limitsOf(encoder).minimumKbps;
    return channels >= 1 && channels <= minimum.size() ? minimum.at(channels - 1) : 0.0;
}

double QVEncoderLimits::sampleRateFor(const QString& encoder, double wanted) {
    const QList<int> rates = sampleRates(encoder);
    if (rates.isEmpty())
        return wanted;
    if (wanted <= 0.0)
        return rates.first();
    // Highest first: the last rate at or above the wanted one is the nearest above it.
    int chosen = rates.first();
    for (const int rate : rates) {
        if (rate < wanted)
            break;
        chosen = rate;
    }
    return chosen;
}

int QVEncoderLimits::channelsFor(const QString& encoder, int wanted) {
    return outputFor(encoder, wanted, 0, 0.0).channels;
}

QVEncoderLimits::Output QVEncoderLimits::outputFor(const QString& encoder, int wantedChannels,
                                                   quint64 sourceLayout, double wantedBitrate) {
    const Limits limits = limitsOf(encoder);
    const int count = wantedChannels > 0 ? wantedChannels : kStereo;
    // Past two channels the source's own speakers are what is wanted, where it says them.
    const bool speakersSaid = speakerCount(sourceLayout) > kStereo;
    const quint64 wanted =
        speakersSaid && count == speakerCount(sourceLayout) ? sourceLayout : defaultLayout(count);
    Output output;
    if (wanted) {
        output.layout = nearestCarried(limits, wanted);
        output.channels = speakerCount(output.layout);
        output.byCount = !speakersSaid && output.layout == defaultLayout(output.channels);
        if (output.layout != wanted)
            output.notes << arrangementNote(encoder, wanted, output.layout, speakersSaid);
    } else {
        output.channels = std::min(count, maxChannelsOf(limits));
    }
    output.bitrate = wantedBitrate;
    const double minimum = minimumBitrate(encoder, output.channels);
    if (wantedBitrate < minimum) {
        output.bitrate = minimum;
        output.notes << QStringLiteral("%1 needs at least %2 kbit/s for %3 channels; %4 kbit/s "
                                       "raised to %2")
                            .arg(encoder)
                            .arg(minimum)
                            .arg(output.channels)
                            .arg(wantedBitrate);
    }
    return output;
}

QString QVEncoderLimits::layoutName(quint64 layout) {
    AVChannelLayout channels{};
    if (av_channel_layout_from_mask(&channels, layout) < 0)
        return QString();
    char name[128] = {};
    av_channel_layout_describe(&channels, name, sizeof name);
    av_channel_layout_uninit(&channels);
    return QString::fromUtf8(name);
}
