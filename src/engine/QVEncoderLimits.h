#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

struct LSMediaFields;

// What each encoder of the format catalogue accepts: the sample rates it can write, the
// speaker arrangements it carries and the bitrate it needs for them. A "Use Source" choice
// carries the source's own rate and speakers, which an encoder may refuse (a 96 kHz source
// into MP3, a 7.1 source into AC3) or write onto other speakers (a 5.1(side) film soundtrack
// into AAC); these answers turn such values into the nearest ones the encoder takes, so the
// job never fails on them and no speaker moves unannounced. Values the encoder takes pass
// unchanged.
//
// A speaker arrangement is an FFmpeg channel mask (AV_CH_* bits); 0 stands for a source that
// does not say where its speakers are.
class QVEncoderLimits {
public:
    // What one conversion writes.
    struct Output {
        int channels = 2;
        quint64 layout = 0; // the arrangement written; 0 when nothing can be written
        // Passed to ffmpeg as a count: mono, stereo, or nothing at all.
        bool byCount = true;
        // The ffmpeg audio filter that puts the source's channels on the written speakers;
        // empty when ffmpeg's own conversion by count is meant (mono and stereo sources).
        QString filter;
        double bitrate = 0.0; // kbit/s
        // What differs from the wanted speakers or bitrate, for the log.
        QStringList notes;
        // Why the source cannot be written at all; empty when it can.
        QString refusal;
    };

    // The rates the encoder writes, highest first; empty when it writes any rate.
    static QList<int> sampleRates(const QString& encoder);
    // The most channels the encoder takes.
    static int maxChannels(const QString& encoder);
    // The encoder writes the arrangement so that it reads back as the same one.
    static bool carries(const QString& encoder, quint64 layout);
    // The lowest bitrate in kbit/s the encoder takes for the channel count; 0 when any.
    static double minimumBitrate(const QString& encoder, int channels);

    // The wanted rate when the encoder writes it; otherwise the lowest rate above it (no
    // detail is lost), or the highest rate when the wanted one is above them all.
    static double sampleRateFor(const QString& encoder, double wanted);
    // The channel count written for a wanted count from a source that does not say where
    // its speakers are; an unknown count (0 or less) is stereo.
    static int channelsFor(const QString& encoder, int wanted);
    // What is written for the wanted channel count and bitrate from a source of the given
    // speakers (0: it does not say) and count (0: the wanted one). A source that does not say
    // has FFmpeg's arrangement for its count, or past the counts FFmpeg has one for, the
    // first speakers in FFmpeg's order, as a WAV file orders them. A wanted count of one or
    // two is mono or stereo; the source's own count is its arrangement. An arrangement the
    // encoder does not carry becomes the one it does that holds the source's speakers best
    // (QVSpeakerMatrix), with a filter saying where each source channel goes; an encoder of
    // at most two channels gets a downmix. The bitrate is raised to the least the encoder
    // needs for the channels.
    static Output outputFor(const QString& encoder, int wantedChannels, quint64 sourceLayout,
                            int sourceChannels, double wantedBitrate);
    // What a job of these values writes: the one answer the command line and the information
    // shown before a conversion both take.
    static Output outputFor(const LSMediaFields& m);
};
