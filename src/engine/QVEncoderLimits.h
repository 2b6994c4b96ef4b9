#pragma once

#include <QList>
#include <QString>

// What each encoder of the format catalogue accepts: the sample rates it can write and the
// most channels it takes. A "Use Source" choice carries the source's own rate and channel
// count, which an encoder may refuse (a 96 kHz source into MP3, a 5.1 source into WMA);
// these answers turn such values into the nearest ones the encoder takes, so the job never
// fails on them. Values the encoder takes pass unchanged.
class QVEncoderLimits {
public:
    // The rates the encoder writes, highest first; empty when it writes any rate.
    static QList<int> sampleRates(const QString& encoder);
    // The most channels the encoder takes.
    static int maxChannels(const QString& encoder);

    // The wanted rate when the encoder writes it; otherwise the lowest rate above it (no
    // detail is lost), or the highest rate when the wanted one is above them all.
    static double sampleRateFor(const QString& encoder, double wanted);
    // The wanted count, lowered to the most the encoder takes; an unknown count (0 or
    // less) is stereo.
    static int channelsFor(const QString& encoder, int wanted);
};
