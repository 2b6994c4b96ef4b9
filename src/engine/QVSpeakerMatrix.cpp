#include "engine/QVSpeakerMatrix.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <bit>
#include <cmath>
#include <tuple>

namespace {

constexpr double kFoldGain = M_SQRT1_2; // -3 dB
constexpr int kMaxFoldDepth = 4;
constexpr quint64 kFrontPair = AV_CH_FRONT_LEFT | AV_CH_FRONT_RIGHT;
constexpr double kHalfGain = 0.5; // -6 dB
constexpr quint64 kLowFrequency = AV_CH_LOW_FREQUENCY | AV_CH_LOW_FREQUENCY_2;

// What each ear-level speaker gives the left, right and mono channel of FFmpeg's own
// downmix; it has none for the LFE.
struct DownmixGains {
    quint64 speaker;
    double left, right, mono;
};
constexpr DownmixGains kDownmixGains[] = {
    {AV_CH_FRONT_LEFT, 1.0, 0.0, kFoldGain},
    {AV_CH_FRONT_RIGHT, 0.0, 1.0, kFoldGain},
    {AV_CH_FRONT_CENTER, kFoldGain, kFoldGain, 1.0},
    {AV_CH_FRONT_LEFT_OF_CENTER, 1.0, 0.0, kFoldGain},
    {AV_CH_FRONT_RIGHT_OF_CENTER, 0.0, 1.0, kFoldGain},
    {AV_CH_BACK_LEFT, kFoldGain, 0.0, kHalfGain},
    {AV_CH_BACK_RIGHT, 0.0, kFoldGain, kHalfGain},
    {AV_CH_SIDE_LEFT, kFoldGain, 0.0, kHalfGain},
    {AV_CH_SIDE_RIGHT, 0.0, kFoldGain, kHalfGain},
    {AV_CH_BACK_CENTER, kHalfGain, kHalfGain, kHalfGain},
};
// The speakers FFmpeg's own downmix to stereo or mono takes; it drops the others.
constexpr quint64 kDownmixedSpeakers = AV_CH_LAYOUT_5POINT1_BACK | AV_CH_FRONT_LEFT_OF_CENTER |
                                       AV_CH_FRONT_RIGHT_OF_CENTER | AV_CH_BACK_CENTER |
                                       AV_CH_SIDE_LEFT | AV_CH_SIDE_RIGHT;

int channelIndex(quint64 layout, quint64 speaker) {
    return std::popcount(layout & (speaker - 1));
}

QList<quint64> speakersOf(quint64 layout) {
    QList<quint64> speakers;
    for (quint64 rest = layout; rest; rest &= rest - 1)
        speakers << (rest & -rest);
    return speakers;
}

QString speakerName(quint64 speaker) {
    char name[32] = {};
    av_channel_name(name, sizeof name, AVChannel(std::countr_zero(speaker)));
    return QString::fromLatin1(name);
}

// The other surround pair's speaker on the same side.
quint64 counterpartOf(quint64 speaker) {
    switch (speaker) {
    case AV_CH_SIDE_LEFT:
        return AV_CH_BACK_LEFT;
    case AV_CH_SIDE_RIGHT:
        return AV_CH_BACK_RIGHT;
    case AV_CH_BACK_LEFT:
        return AV_CH_SIDE_LEFT;
    case AV_CH_BACK_RIGHT:
        return AV_CH_SIDE_RIGHT;
    default:
        return 0;
    }
}

// The nearest ear-level speakers of one that the output lacks.
quint64 foldSpeakersOf(quint64 speaker, quint64 output) {
    switch (speaker) {
    case AV_CH_FRONT_CENTER:
        return kFrontPair;
    case AV_CH_TOP_CENTER:
        return AV_CH_FRONT_CENTER;
    case AV_CH_LOW_FREQUENCY:
        return output & AV_CH_FRONT_CENTER ? AV_CH_FRONT_CENTER : kFrontPair;
    case AV_CH_LOW_FREQUENCY_2:
        return AV_CH_LOW_FREQUENCY;
    // Without a centre, a speaker beside it stays on its own side.
    case AV_CH_FRONT_LEFT_OF_CENTER:
        return AV_CH_FRONT_LEFT | (output & AV_CH_FRONT_CENTER);
    case AV_CH_FRONT_RIGHT_OF_CENTER:
        return AV_CH_FRONT_RIGHT | (output & AV_CH_FRONT_CENTER);
    case AV_CH_BACK_CENTER:
        return AV_CH_BACK_LEFT | AV_CH_BACK_RIGHT;
    case AV_CH_TOP_FRONT_LEFT:
    case AV_CH_BOTTOM_FRONT_LEFT:
    case AV_CH_WIDE_LEFT:
    case AV_CH_STEREO_LEFT:
    case AV_CH_BACK_LEFT:
    case AV_CH_SIDE_LEFT:
        return AV_CH_FRONT_LEFT;
    case AV_CH_TOP_FRONT_RIGHT:
    case AV_CH_BOTTOM_FRONT_RIGHT:
    case AV_CH_WIDE_RIGHT:
    case AV_CH_STEREO_RIGHT:
    case AV_CH_BACK_RIGHT:
    case AV_CH_SIDE_RIGHT:
        return AV_CH_FRONT_RIGHT;
    case AV_CH_TOP_FRONT_CENTER:
    case AV_CH_BOTTOM_FRONT_CENTER:
        return AV_CH_FRONT_CENTER;
    case AV_CH_TOP_BACK_LEFT:
        return AV_CH_BACK_LEFT;
    case AV_CH_TOP_BACK_RIGHT:
        return AV_CH_BACK_RIGHT;
    case AV_CH_TOP_BACK_CENTER:
        return AV_CH_BACK_CENTER;
    case AV_CH_TOP_SIDE_LEFT:
    case AV_CH_SURROUND_DIRECT_LEFT:
        return AV_CH_SIDE_LEFT;
    case AV_CH_TOP_SIDE_RIGHT:
    case AV_CH_SURROUND_DIRECT_RIGHT:
        return AV_CH_SIDE_RIGHT;
    default: // front left and right, and speakers without a place
        return AV_CH_FRONT_CENTER;
    }
}

// The output speakers a speaker is heard on: its own, else its surround pair's, else those
// its nearest ear-level speakers are heard on.
quint64 targetsOf(quint64 speaker, quint64 output, int depth = 0) {
    if (speaker & output)
        return speaker;
    if (counterpartOf(speaker) & output)
        return counterpartOf(speaker);
    if (depth == kMaxFoldDepth)
        return 0;
    quint64 targets = 0;
    for (const quint64 nearest : speakersOf(foldSpeakersOf(speaker, output)))
        targets |= targetsOf(nearest, output, depth + 1);
    return targets;
}

// Where the rules find no place (an output of neither front pair nor centre), every
// channel of the output.
quint64 foldTargetsOf(quint64 speaker, quint64 output) {
    const quint64 targets = targetsOf(speaker, output);
    return targets ? targets : output;
}

// The source's speakers that FFmpeg's downmix has gains for, into which the others are
// folded first; front left and right where nothing else would be left.
quint64 earLevel(quint64 source) {
    const quint64 ear = source & kDownmixedSpeakers;
    return ear & (kFrontPair | AV_CH_FRONT_CENTER) ? ear : ear | kFrontPair;
}

// What an ear-level speaker gives one speaker of a mono or stereo output.
double downmixGain(quint64 speaker, quint64 output) {
    for (const DownmixGains& gains : kDownmixGains) {
        if (gains.speaker == speaker)
            return output == AV_CH_FRONT_LEFT    ? gains.left
                   : output == AV_CH_FRONT_RIGHT ? gains.right
                                                 : gains.mono;
    }
    return 0.0;
}

} // namespace

QVSpeakerMatrix::QVSpeakerMatrix(quint64 source, quint64 output)
    : _source(source), _output(output), _rows(std::popcount(output)) {
    // A free surround speaker is one no source speaker sits on.
    const quint64 freeForMoves = output & ~source;
    for (const quint64 speaker : speakersOf(source))
        place(speaker, freeForMoves);
    for (const auto& [speaker, targets] : std::as_const(_folds))
        noteFold(speaker, targets);
    normalise();
}

void QVSpeakerMatrix::place(quint64 speaker, quint64 freeForMoves) {
    const int input = channelIndex(_source, speaker);
    if (speaker & _output) {
        _rows[channelIndex(_output, speaker)] << Input{input, 1.0};
        return;
    }
    const quint64 counterpart = counterpartOf(speaker);
    if (counterpart & freeForMoves) {
        _rows[channelIndex(_output, counterpart)] << Input{input, 1.0};
        ++_moved;
        _notes
            << QStringLiteral("%1 moved to %2").arg(speakerName(speaker), speakerName(counterpart));
        return;
    }
    const quint64 targets = foldTargetsOf(speaker, _output);
    for (const quint64 target : speakersOf(targets))
        _rows[channelIndex(_output, target)] << Input{input, kFoldGain};
    _folds << std::pair{speaker, targets};
}

// Spread: the speaker alone on two or more channels; folded: mixed with other speakers.
void QVSpeakerMatrix::noteFold(quint64 speaker, quint64 targets) {
    const QList<quint64> speakers = speakersOf(targets);
    const bool alone = std::all_of(speakers.cbegin(), speakers.cend(), [&](quint64 target) {
        return _rows.at(channelIndex(_output, target)).size() == 1;
    });
    const QString how = speakers.size() > 1 && alone ? QStringLiteral("%1 spread over %2")
                                                     : QStringLiteral("%1 folded into %2");
    _notes << how.arg(speakerName(speaker), speakerNames(targets));
}

// A channel that takes several speakers must not clip when each plays at full scale.
void QVSpeakerMatrix::normalise() {
    for (QList<Input>& row : _rows) {
        double sum = 0.0;
        for (const Input& in : row)
            sum += in.gain;
        if (row.size() < 2 || sum <= 1.0)
            continue;
        for (Input& in : row)
            in.gain /= sum;
    }
}

void QVSpeakerMatrix::mix(qsizetype row, const Input& input) {
    if (input.gain <= 0.0)
        return;
    QList<Input>& inputs = _rows[row];
    const auto same = std::find_if(inputs.begin(), inputs.end(),
                                   [&](const Input& in) { return in.channel == input.channel; });
    if (same == inputs.end())
        inputs << input;
    else
        same->gain += input.gain;
}

void QVSpeakerMatrix::scaleWhole() {
    double most = 0.0;
    for (const QList<Input>& row : std::as_const(_rows)) {
        double sum = 0.0;
        for (const Input& in : row)
            sum += in.gain;
        most = std::max(most, sum);
    }
    if (most <= 1.0)
        return;
    for (QList<Input>& row : _rows) {
        for (Input& in : row)
            in.gain /= most;
    }
}

bool QVSpeakerMatrix::isPureMapping() const {
    return std::all_of(_rows.cbegin(), _rows.cend(), [](const QList<Input>& row) {
        return row.size() < 2 && (row.isEmpty() || row.first().gain == 1.0);
    });
}

quint64 QVSpeakerMatrix::silentSpeakers() const {
    quint64 silent = 0;
    const QList<quint64> speakers = speakersOf(_output);
    for (qsizetype i = 0; i < speakers.size(); ++i) {
        if (_rows.at(i).isEmpty())
            silent |= speakers.at(i);
    }
    return silent;
}

int QVSpeakerMatrix::keptSpeakers() const {
    return std::popcount(_source & _output) + _moved;
}

// Folded speakers that share a channel with another speaker.
int QVSpeakerMatrix::mixedSpeakers() const {
    return int(std::count_if(_folds.cbegin(), _folds.cend(), [this](const auto& fold) {
        const QList<quint64> targets = speakersOf(fold.second);
        return std::any_of(targets.cbegin(), targets.cend(), [this](quint64 target) {
            return _rows.at(channelIndex(_output, target)).size() > 1;
        });
    }));
}

bool QVSpeakerMatrix::sharesWhileSilent() const {
    const bool shares = std::any_of(_rows.cbegin(), _rows.cend(),
                                    [](const QList<Input>& row) { return row.size() > 1; });
    return shares && (silentSpeakers() & ~AV_CH_LOW_FREQUENCY);
}

QString QVSpeakerMatrix::filter() const {
    if (isIdentity())
        return QString();
    const QString outputName = layoutName(_output);
    const auto inputName = [](const Input& in) { return QStringLiteral("c%1").arg(in.channel); };

    // FFmpeg's pan filter misroutes a matrix of plain ones between two named arrangements,
    // so such a matrix goes by channel index.
    if (isPureMapping()) {
        QStringList map;
        for (const QList<Input>& row : _rows)
            map << (row.isEmpty() ? QString() : QString::number(row.first().channel));
        if (!map.contains(QString()) && std::popcount(_source) == std::popcount(_output))
            return QStringLiteral("channelmap=map=%1:channel_layout=%2")
                .arg(map.join(u'|'), outputName);
        QStringList pan{QStringLiteral("%1c").arg(_rows.size())};
        for (qsizetype i = 0; i < _rows.size(); ++i) {
            if (!_rows.at(i).isEmpty())
                pan << QStringLiteral("c%1=%2").arg(i).arg(inputName(_rows.at(i).first()));
        }
        // FFmpeg's resampler refuses to map some arrangements (FL+LFE) onto as many
        // channels; unnamed channels it maps whatever they are.
        const QString unnamed =
            std::popcount(_source) == _rows.size()
                ? QStringLiteral("channelmap=channel_layout=%1 channels,").arg(_rows.size())
                : QString();
        return unnamed + QStringLiteral("pan=%1,channelmap=channel_layout=%2")
                             .arg(pan.join(u'|'), outputName);
    }
    QStringList pan{outputName};
    for (qsizetype i = 0; i < _rows.size(); ++i) {
        QStringList terms;
        for (const Input& in : _rows.at(i)) {
            terms << (in.gain == 1.0 ? inputName(in)
                                     : QString::number(in.gain, 'f', 4) + u'*' + inputName(in));
        }
        if (!terms.isEmpty())
            pan << QStringLiteral("c%1=%2").arg(i).arg(terms.join(u'+'));
    }
    return QStringLiteral("pan=") + pan.join(u'|');
}

quint64 QVSpeakerMatrix::bestOutput(quint64 source, const QList<quint64>& candidates) {
    QList<quint64> allowed = candidates;
    if (source & AV_CH_LOW_FREQUENCY) {
        QList<quint64> withLfe = candidates;
        withLfe.removeIf([](quint64 layout) { return !(layout & AV_CH_LOW_FREQUENCY); });
        if (!withLfe.isEmpty())
            allowed = withLfe;
    }
    const auto rank = [source](quint64 candidate) {
        const QVSpeakerMatrix matrix(source, candidate);
        return std::make_tuple(!matrix.sharesWhileSilent(), matrix.keptSpeakers(),
                               -matrix.mixedSpeakers(), -std::popcount(candidate),
                               std::popcount(source & candidate));
    };
    quint64 best = 0;
    for (const quint64 candidate : allowed) {
        if (!best || rank(candidate) > rank(best))
            best = candidate;
    }
    return best;
}

QVSpeakerMatrix QVSpeakerMatrix::downmix(quint64 source, quint64 output) {
    const QVSpeakerMatrix fold(source, earLevel(source));
    QVSpeakerMatrix mixed;
    mixed._source = source;
    mixed._output = output;
    mixed._rows.resize(std::popcount(output));
    mixed._notes = fold._notes;
    // A source of nothing but low frequencies is heard as a centre.
    const bool lowOnly = !(source & ~kLowFrequency);
    const QList<quint64> ear = speakersOf(fold._output), written = speakersOf(output);
    for (qsizetype e = 0; e < ear.size(); ++e) {
        const quint64 speaker =
            lowOnly && ear.at(e) == AV_CH_LOW_FREQUENCY ? AV_CH_FRONT_CENTER : ear.at(e);
        for (qsizetype o = 0; o < written.size(); ++o) {
            const double gain = downmixGain(speaker, written.at(o));
            for (const Input& in : fold._rows.at(e))
                mixed.mix(o, Input{in.channel, in.gain * gain});
        }
    }
    mixed.scaleWhole();
    return mixed;
}

QString QVSpeakerMatrix::speakerNames(quint64 speakers) {
    QStringList names;
    for (const quint64 speaker : speakersOf(speakers))
        names << speakerName(speaker);
    if (names.size() < 2)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString QVSpeakerMatrix::layoutName(quint64 layout) {
    AVChannelLayout channels{};
    if (av_channel_layout_from_mask(&channels, layout) < 0)
        return QString();
    char name[128] = {};
    av_channel_layout_describe(&channels, name, sizeof name);
    av_channel_layout_uninit(&channels);
    return QString::fromUtf8(name);
}
