#include "engine/QVEncoderLimits.h"

#include "engine/LSMedia.h"
#include "engine/QVSpeakerMatrix.h"

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
    // Without a list of arrangements, of one or two channels only mono and stereo.
    bool plainPairsOnly = false;
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

// Mono, stereo, or one or two channels that do not say where they go: what ffmpeg converts
// by count.
bool isPlain(quint64 layout) {
    return !layout || layout == AV_CH_LAYOUT_MONO || layout == AV_CH_LAYOUT_STEREO;
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

// Every speaker FFmpeg has a name for.
constexpr quint64 kNamedSpeakers = AV_CH_LAYOUT_22POINT2 | AV_CH_STEREO_LEFT | AV_CH_STEREO_RIGHT |
                                   AV_CH_WIDE_LEFT | AV_CH_WIDE_RIGHT | AV_CH_SURROUND_DIRECT_LEFT |
                                   AV_CH_SURROUND_DIRECT_RIGHT;

// The speakers of a source of more than two channels that does not say where they are:
// FFmpeg's own arrangement for the count, else the first speakers in FFmpeg's order (the
// order of a WAV file's channel mask); 0 for more channels than there are named speakers.
quint64 readingOf(int channels) {
    if (channels <= kStereo || channels > speakerCount(kNamedSpeakers))
        return 0;
    if (const quint64 mask = defaultLayout(channels))
        return mask;
    quint64 mask = 0;
    for (quint64 rest = kNamedSpeakers; speakerCount(mask) < channels; rest &= rest - 1)
        mask |= rest & -rest;
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

// Checked against the Debian encoders by ear: a source with one tone per speaker is written
// in each arrangement and decoded, and each channel must hold its own speaker's tone under
// the same arrangement name. Vorbis, WMA and MPEG audio layer II take other rates only at
// some bitrates, so they are held to the rates the catalogue offers. Vorbis places channels
// by count alone; Opus writes 5.0 and 6.1 with speakers swapped; AAC leaves the arrangements
// it has no name for unnamed; AC-3 reads its surround pairs back as side pairs, and so do
// AIFF files (the only ones written as big-endian PCM) for quad, 5.0 and 5.1. An AIFF file
// names any other speakers of three channels or more, but none of one or two.
const QHash<QString, Limits>& limitsTable() {
    static const QList<quint64> kMonoStereo = layoutsNamed({"mono", "stereo"});
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
          .layouts =
              layoutsNamed({"mono", "stereo", "2.1", "3.0", "3.0(back)", "3.1", "4.0", "4.1",
                            "quad(side)", "5.0(side)", "5.1(side)", "FC+LFE", "FL+FR+LFE+BC"})}},
        {QStringLiteral("libopus"),
         {.rates = {48000},
          .layouts = layoutsNamed({"mono", "stereo", "3.0", "quad", "5.1", "7.1"})}},
        {QStringLiteral("libvorbis"),
         {.rates = {48000, 44100},
          .layouts = layoutsNamed({"mono", "stereo", "3.0", "quad", "5.0", "5.1", "6.1", "7.1"}),
          .minimumKbps = {32, 45, 96, 128, 160, 84, 224, 256}}},
        {QStringLiteral("wmav2"), {.rates = {48000, 44100, 32000, 22050}, .layouts = kMonoStereo}},
        {QStringLiteral("pcm_s16be"),
         {.misread = layoutsNamed({"quad", "5.0", "5.1"}), .plainPairsOnly = true}},
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
    if (limits.plainPairsOnly && speakerCount(layout) <= kStereo && !isPlain(layout))
        return false;
    return speakerCount(layout) <= kDefaultMaxChannels && !limits.misread.contains(layout);
}

QList<quint64> candidatesOf(const Limits& limits) {
    if (!limits.layouts.isEmpty())
        return limits.layouts;
    QList<quint64> candidates = standardLayouts(maxChannelsOf(limits));
    candidates.removeIf([&](quint64 layout) { return !carriedBy(limits, layout); });
    return candidates;
}

// The arrangement the encoder writes nearest to the wanted one.
quint64 nearestCarried(const Limits& limits, quint64 wanted) {
    if (carriedBy(limits, wanted))
        return wanted;
    const quint64 best = QVSpeakerMatrix::bestOutput(wanted, candidatesOf(limits));
    return best ? best : wanted;
}

QString downmixNote(const QString& encoder, quint64 wanted, quint64 written, bool speakersSaid) {
    const QString from = speakersSaid ? QVSpeakerMatrix::layoutName(wanted)
                                      : QStringLiteral("%1 channels").arg(speakerCount(wanted));
    return QStringLiteral("%1 cannot write %2; written as %3 (a downmix)")
        .arg(encoder.isEmpty() ? QStringLiteral("the encoder") : encoder, from,
             QVSpeakerMatrix::layoutName(written));
}

QString rearrangementNote(const QString& encoder, const QVSpeakerMatrix& matrix) {
    const quint64 silent = matrix.silentSpeakers();
    const QString with =
        !silent ? QString()
        : std::popcount(silent) == 1
            ? QStringLiteral(" with a silent %1").arg(QVSpeakerMatrix::speakerNames(silent))
            : QStringLiteral(" with silent %1").arg(QVSpeakerMatrix::speakerNames(silent));
    return QStringLiteral("%1 written as %2%3 (%4 cannot write %1)")
        .arg(QVSpeakerMatrix::layoutName(matrix.source()),
             QVSpeakerMatrix::layoutName(matrix.output()), with,
             encoder.isEmpty() ? QStringLiteral("the encoder") : encoder);
}

// Past two channels the source's own speakers are what is wanted; any other count is
// FFmpeg's arrangement for it.
quint64 wantedLayout(quint64 source, int count) {
    return count == speakerCount(source) ? source : defaultLayout(count);
}

// An encoder of at most two channels writes mono or stereo by the wanted count; the others
// the arrangement they carry nearest to the wanted one.
quint64 writtenLayout(const Limits& limits, quint64 wanted, int count) {
    if (maxChannelsOf(limits) <= kStereo)
        return nearestCarried(limits, defaultLayout(std::min(count, kStereo)));
    return nearestCarried(limits, wanted);
}

// The filter that puts the source's speakers where output.layout has them, and its notes.
void placeSpeakers(QVEncoderLimits::Output& output, const QString& encoder, quint64 source,
                   quint64 wanted, bool speakersSaid, bool downmix) {
    if (downmix) {
        const QVSpeakerMatrix downmix = QVSpeakerMatrix::downmix(source, output.layout);
        output.filter = downmix.filter();
        if (output.layout != wanted)
            output.notes << downmixNote(encoder, wanted, output.layout, speakersSaid);
        output.notes << downmix.notes();
        return;
    }
    const QVSpeakerMatrix matrix(wanted, output.layout);
    output.filter = matrix.filter();
    if (!matrix.isIdentity())
        output.notes << rearrangementNote(encoder, matrix) << matrix.notes();
}

void raiseBitrate(QVEncoderLimits::Output& output, const QString& encoder, double wanted) {
    output.bitrate = wanted;
    const double minimum = QVEncoderLimits::minimumBitrate(encoder, output.channels);
    if (wanted >= minimum)
        return;
    output.bitrate = minimum;
    output.notes << QStringLiteral("%1 needs at least %2 kbit/s for %3 channels; %4 kbit/s "
                                   "raised to %2")
                        .arg(encoder)
                        .arg(minimum)
                        .arg(output.channels)
                        .arg(wanted);
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
    return outputFor(encoder, wanted, 0, 0, 0.0).channels;
}

QVEncoderLimits::Output QVEncoderLimits::outputFor(const LSMediaFields& m) {
    return outputFor(m.vOACodecName, m.iAOChanels, m.iChannelLayout, m.iChanels, m.dAOBitrate);
}

QVEncoderLimits::Output QVEncoderLimits::outputFor(const QString& encoder, int wantedChannels,
                                                   quint64 sourceLayout, int sourceChannels,
                                                   double wantedBitrate) {
    const Limits limits = limitsOf(encoder);
    const int count = wantedChannels > 0 ? wantedChannels : kStereo;
    const int channels = sourceChannels > 0 ? sourceChannels : count;
    const quint64 source = sourceLayout ? sourceLayout : readingOf(channels);
    Output output;
    if (channels <= kStereo && isPlain(source)) {
        // Mono and stereo sources are ffmpeg's own by count.
        output.layout = nearestCarried(limits, defaultLayout(std::min(count, kStereo)));
    } else if (const quint64 wanted = wantedLayout(source, count)) {
        if (!sourceLayout)
            output.notes << QStringLiteral("%1 channels without speaker positions are read as %2")
                                .arg(channels)
                                .arg(QVSpeakerMatrix::layoutName(source));
        output.layout = writtenLayout(limits, wanted, count);
        // Mono or stereo by choice or by the encoder is a downmix; as the arrangement that
        // holds the source best, it is the source's speakers placed on it.
        const bool downmix =
            isPlain(output.layout) && (isPlain(wanted) || maxChannelsOf(limits) <= kStereo);
        placeSpeakers(output, encoder, source, wanted, sourceLayout != 0, downmix);
    } else {
        output.refusal = QStringLiteral("its %1 channels do not say where their speakers are, "
                                        "and there are more of them than named speakers to "
                                        "read them as")
                             .arg(channels);
    }
    output.channels = speakerCount(output.layout);
    output.byCount = isPlain(output.layout);
    raiseBitrate(output, encoder, wantedBitrate);
    return output;
}
