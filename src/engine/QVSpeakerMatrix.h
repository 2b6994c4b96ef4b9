#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <utility>

// Where each speaker of a source goes in an output arrangement, so that ffmpeg is told per
// channel what to write instead of remixing by layout name. A speaker goes on its own
// speaker where the output has it; else on the other surround pair's speaker (side for
// back, back for side) where that one is free; else it is folded at -3 dB into the nearest
// ear-level speakers (top speakers into the ones below them). No speaker is lost.
//
// A downmix to mono or stereo is written the same way, so that FFmpeg's resampler, which
// refuses some arrangements and lets a float downmix clip, is not asked to remix.
//
// Arrangements are FFmpeg channel masks (AV_CH_* bits); channels are in mask-bit order.
class QVSpeakerMatrix {
public:
    QVSpeakerMatrix(quint64 source, quint64 output);

    // The candidate that holds the source best: the LFE is kept where a candidate has one;
    // then no two speakers share a channel while a full-range channel stays silent; then the
    // most speakers kept on their own or their surround pair's speaker; then the fewest
    // speakers folded into a channel another speaker is on (a back centre spread over a
    // free back pair is heard behind, not mixed into the front); then the fewest channels;
    // then the most speakers on their own. 0 when there are no candidates.
    static quint64 bestOutput(quint64 source, const QList<quint64>& candidates);
    // A downmix to mono or stereo with the gains of FFmpeg's own (centre and surround
    // speakers at -3 dB, a back centre at -6 dB, the LFE left out unless it is all there is),
    // once the speakers it has no gain for (top, wide and the rarer ones) are folded into
    // the ear-level ones; scaled as a whole, as FFmpeg scales an integer downmix, so that no
    // channel can clip and the balance between them stays.
    static QVSpeakerMatrix downmix(quint64 source, quint64 output);
    // The speakers' names for the log: "FC, BL and BR".
    static QString speakerNames(quint64 speakers);
    // The arrangement's name as ffmpeg reads it: "5.1(side)", "4 channels (FL+FR+LFE+BC)".
    static QString layoutName(quint64 layout);

    quint64 source() const { return _source; }
    quint64 output() const { return _output; }
    bool isIdentity() const { return _source == _output; }
    // The ffmpeg audio filter that writes it, taking the source's channels by index; empty
    // when nothing moves.
    QString filter() const;
    // What happened to each speaker that left its own place, for the log.
    QStringList notes() const { return _notes; }
    // Output speakers that take nothing from the source.
    quint64 silentSpeakers() const;

private:
    struct Input {
        int channel = 0; // source channel index
        double gain = 1.0;
    };

    QVSpeakerMatrix() = default;

    void place(quint64 speaker, quint64 freeForMoves);
    void mix(qsizetype row, const Input& input);
    void scaleWhole();
    void noteFold(quint64 speaker, quint64 targets);
    void normalise();
    bool isPureMapping() const;
    int keptSpeakers() const;
    int mixedSpeakers() const;
    bool sharesWhileSilent() const;

    quint64 _source = 0;
    quint64 _output = 0;
    QList<QList<Input>> _rows; // one per output channel
    int _moved = 0;
    QList<std::pair<quint64, quint64>> _folds; // speaker, the output speakers it is folded into
    QStringList _notes;
};
