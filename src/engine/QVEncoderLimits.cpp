#include "engine/QVEncoderLimits.h"

#include <QHash>

#include <algorithm>

namespace {

constexpr int kStereo = 2;
// Beyond 7.1 the lossless encoders refuse; PCM takes more, but no player expects it.
constexpr int kDefaultMaxChannels = 8;

struct Limits {
    QList<int> rates; // highest first; empty: any rate
    int maxChannels = kDefaultMaxChannels;
};

// Checked against the Debian encoders by the catalogue's encode test. Vorbis, WMA and MPEG
// audio layer II take other rates only at some bitrates, so they are held to the rates the
// catalogue offers.
const QHash<QString, Limits>& limitsTable() {
    static const QHash<QString, Limits> table = {
        {QStringLiteral("libmp3lame"),
         {{48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000}, 2}},
        // The lower MPEG-2 rates refuse the higher bitrates.
        {QStringLiteral("mp2"), {{48000, 44100, 32000}, 2}},
        {QStringLiteral("aac"),
         {{96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000}, 8}},
        {QStringLiteral("ac3"), {{48000, 44100, 32000}, 6}},
        {QStringLiteral("libopus"), {{48000}, 8}},
        {QStringLiteral("libvorbis"), {{48000, 44100}, 8}},
        {QStringLiteral("wmav2"), {{48000, 44100, 32000, 22050}, 2}},
    };
    return table;
}

Limits limitsOf(const QString& encoder) {
    return limitsTable().value(encoder);
}

} // namespace

QList<int> QVEncoderLimits::sampleRates(const QString& encoder) {
    return limitsOf(encoder).rates;
}

int QVEncoderLimits::maxChannels(const QString& encoder) {
    return limitsOf(encoder).maxChannels;
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
    if (wanted <= 0)
        return kStereo;
    return std::min(wanted, maxChannels(encoder));
}
