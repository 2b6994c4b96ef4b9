// Every shipped format, with its default choices, with each single choice changed, with
// every channel choice from mono, stereo and 5.1 sources and from sources in every common
// speaker arrangement, must be accepted by the installed ffmpeg program and give what it
// promises. The argument vectors are the ones a conversion job passes.
#include "engine/ConvertOperation.h"
#include "engine/LSMedia.h"
#include "engine/LSMediaDecoder.h"
#include "engine/QVDataEngine.h"
#include "engine/QVEncoderLimits.h"
#include "engine/QVSpeakerMatrix.h"

#include "platform/NumberText.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonObject>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <atomic>
#include <bit>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace {

const char kUseSource[] = "Use Source";

struct Source {
    const char* name;
    int sampleRate;
    int channels;
    QString path;
    quint64 layout = 0; // as probed; 0: not said
};

// The choice texts as a run turns them into the media's output values.
LSMediaFields resolve(const QVFormatSetting& format, const Source& source, const QString& rate,
                      const QString& bitrate, const QString& channels) {
    LSMediaFields m;
    m.strMediaFilePath_ = source.path;
    m.vOACodecName = format.decodecName;
    const double sourceKbps = source.sampleRate * source.channels * 16 / 1000.0; // PCM
    m.dAOSamplerate =
        rate == QLatin1String(kUseSource) ? source.sampleRate : NumberText::doubleValue(rate);
    m.dAOBitrate =
        bitrate == QLatin1String(kUseSource) ? sourceKbps : NumberText::doubleValue(bitrate);
    if (channels == QLatin1String(kUseSource))
        m.iAOChanels = source.channels;
    else
        m.iAOChanels = channels == QLatin1String("Stereo") ? 2 : 1;
    m.iChannelLayout = source.layout;
    m.iChanels = source.channels;
    return m;
}

// ffmpeg can write no ".m4r" file: ringtones are written as m4a and renamed afterwards.
QString writableExtension(const QVFormatSetting& format) {
    return format.outputExtName == QLatin1String("m4r") ? QStringLiteral("m4a")
                                                        : format.outputExtName;
}

QString codecOf(const QString& encoder) {
    if (encoder.startsWith(QLatin1String("lib")))
        return encoder.mid(3) == QLatin1String("mp3lame") ? QStringLiteral("mp3") : encoder.mid(3);
    return encoder;
}

// One conversion: its label, the job's argument vector and what ffprobe must find.
struct Conversion {
    QString label;
    QStringList arguments;
    QString output;
    QString codec;
    int sampleRate = 0;            // 0: not checked
    int channels = 0;              // 0: not checked
    std::optional<QString> layout; // as ffprobe names it; "" when the file names none
    bool ok = false;
    QJsonObject stream;      // what ffprobe found
    QString sourceLayout;    // a makeSpeakerTones source: its tones are listened for
    QString written;         // the arrangement it is written in
    QList<QList<int>> heard; // per output channel, the source channels heard on it
    double peak = 0.0;       // the largest decoded sample of a listened-to output
    // Only outputs with a promised rate or channel count are probed; the others need only
    // be accepted.
    bool checked() const { return sampleRate || channels; }
};

void runAll(std::vector<Conversion>& runs) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 6; ++w)
        workers.emplace_back([&] {
            for (size_t i = next++; i < runs.size(); i = next++) {
                runs[i].ok = MediaFixtures::runFfmpeg(runs[i].arguments);
                if (runs[i].ok && runs[i].checked())
                    runs[i].stream =
                        MediaFixtures::firstAudioStream(MediaFixtures::probe(runs[i].output));
                if (runs[i].ok && !runs[i].sourceLayout.isEmpty())
                    runs[i].heard = MediaFixtures::heardSpeakerTones(
                        runs[i].output, runs[i].sourceLayout, &runs[i].peak);
            }
        });
    for (std::thread& worker : workers)
        worker.join();
}

void expectPromises(const std::vector<Conversion>& runs) {
    for (const Conversion& run : runs) {
        SCOPED_TRACE(run.label.toStdString());
        ASSERT_TRUE(run.ok);
        if (!run.checked())
            continue;
        const QJsonObject& stream = run.stream;
        EXPECT_EQ(stream.value(QStringLiteral("codec_name")).toString(), run.codec);
        if (run.sampleRate) {
            EXPECT_EQ(stream.value(QStringLiteral("sample_rate")).toString().toInt(),
                      run.sampleRate);
        }
        if (run.channels) {
            EXPECT_EQ(stream.value(QStringLiteral("channels")).toInt(), run.channels);
        }
        if (run.layout) {
            EXPECT_EQ(stream.value(QStringLiteral("channel_layout")).toString(), *run.layout);
        }
    }
}

class CatalogueEncode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = TestEnvironment::makeTempFolder(QStringLiteral("encode"));
        for (Source& source : s_sources) {
            source.path = s_folder + QStringLiteral("/%1.wav").arg(QLatin1String(source.name));
            ASSERT_TRUE(
                MediaFixtures::makeSine(source.path, 0.5, source.sampleRate, source.channels));
        }
    }

    static const Source& stereo() { return s_sources[1]; }

    static Conversion makeRun(const QVFormatSetting& format, const Source& source,
                              const QString& rate, const QString& bitrate,
                              const QString& channels) {
        Conversion run;
        run.label = QStringLiteral("%1 from %2: %3 Hz, %4 kbit/s, %5")
                        .arg(format.fmtName, QLatin1String(source.name), rate, bitrate, channels);
        run.output =
            s_folder + QStringLiteral("/%1.%2").arg(s_count++).arg(writableExtension(format));
        run.arguments =
            ConvertOperation::argumentVector(resolve(format, source, rate, bitrate, channels),
                                             QStringLiteral("ffmpeg"), run.output)
                .mid(1);
        run.codec = codecOf(format.decodecName);
        return run;
    }

    static inline QString s_folder;
    static inline int s_count = 0;
    static inline Source s_sources[] = {
        {"mono 22.05 kHz", 22050, 1, {}},
        {"stereo 44.1 kHz", 44100, 2, {}},
        {"5.1 96 kHz", 96000, 6, {}},
    };
};

// Where each format puts the speakers of a source: the source's own arrangement unless the
// row names another. FLAC and WAV keep every one; the formats of one or two channels get a
// stereo downmix of every surround source.
struct SurroundRow {
    const char* source; // as ffmpeg names the arrangement
    const char* aac;    // AAC and Ringtone
    const char* alac;   // ALAC and CAF
    const char* ogg;
    const char* opus;
    const char* ac3;
    const char* aiff; // and FLAC and WAV past eight channels
    const char* container = "wav";
    double amplitude = 0.1; // of each speaker's tone
};

constexpr const char* kSame = nullptr;

const SurroundRow kSurroundRows[] = {
    {"mono", kSame, kSame, kSame, kSame, kSame, kSame},
    {"stereo", kSame, kSame, kSame, kSame, kSame, kSame},
    // Only 5.1 holds a lone LFE there: its centre and back speakers stay silent.
    {"2.1", kSame, "5.1", "5.1", "5.1", kSame, kSame},
    {"3.0", kSame, kSame, kSame, kSame, kSame, kSame},
    {"quad", kSame, "5.0", kSame, kSame, "quad(side)", "quad(side)"},
    {"4.0", kSame, kSame, "6.1", "5.1", kSame, kSame},
    {"5.0", kSame, kSame, kSame, "5.1", "5.0(side)", "5.0(side)"},
    {"5.0(side)", "5.0", "5.0", "5.0", "5.1", kSame, kSame},
    {"5.1", kSame, kSame, kSame, kSame, "5.1(side)", "5.1(side)"},
    {"5.1(side)", "5.1", "5.1", "5.1", "5.1", kSame, kSame},
    {"6.1", "7.1", "6.1(back)", kSame, "7.1", "5.1(side)", kSame},
    {"7.1", kSame, "5.1", kSame, kSame, "5.1(side)", kSame},
    {"4.1", "5.1", "6.1(back)", "6.1", "5.1", kSame, kSame},
    {"hexagonal", "5.0", "6.1(back)", "6.1", "5.1", "5.0(side)", kSame},
    {"6.1(back)", "5.1", kSame, "6.1", "5.1", "5.1(side)", kSame},
    {"6.1(front)", "5.1", "7.1(wide)", "5.1", "5.1", "5.1(side)", kSame},
    {"7.1(wide-side)", "5.1", "7.1(wide)", "5.1", "5.1", "5.1(side)", kSame},
    {"FL+FR+FC+LFE+SL+SR+TFL+TFR", "5.1", "5.1", "5.1", "5.1", "5.1(side)", kSame},
    {"FL+FR+TFL+TFR", "stereo", "stereo", "stereo", "stereo", "stereo", kSame},
    {"FC+LFE", "5.1", "5.1", "5.1", "5.1", kSame, "3.1"},
    {"FL+LFE", "2.1", "5.1", "5.1", "5.1", "2.1", "2.1"},
    {"TFL+TFR+TBL+TBR", "quad", "5.0", "quad", "quad", "quad(side)", kSame},
    // Louder past eight channels, so that each of seven speakers in one channel is heard.
    {"FL+FR+FC+LFE+BL+BR+FLC+FRC+BC+SL+SR+TC", "7.1", "7.1(wide)", "7.1", "7.1", "5.1(side)", "7.1",
     "au", 0.3},
    {"FL+FR+FC+LFE+BL+BR+FLC+FRC+BC+SL", "5.1", "7.1(wide)", "6.1", "5.1", "5.1(side)", "7.1(wide)",
     "w64", 0.3},
    // Each speaker at -3 dBFS, decoded as float: no downmix may clip.
    {"5.1(side)", "5.1", "5.1", "5.1", "5.1", kSame, kSame, "ac3", M_SQRT1_2},
};

const QStringList kStereoFormats = {"MP3", "MPEG-2 Audio", "WMA"};
// These files name no arrangement for one or two channels.
const QStringList kUnnamedMonoAndStereo = {"WAV", "AIFF", "WMA"};

struct Arrangement {
    int channels = 0;
    quint64 mask = 0;
};

Arrangement arrangementNamed(const QString& name) {
    AVChannelLayout layout{};
    Arrangement arrangement;
    if (av_channel_layout_from_string(&layout, name.toUtf8().constData()) == 0)
        arrangement = {layout.nb_channels, layout.u.mask};
    av_channel_layout_uninit(&layout);
    return arrangement;
}

QString writtenArrangement(const SurroundRow& row, const QString& format) {
    const QString source = QString::fromLatin1(row.source);
    if (kStereoFormats.contains(format) && source != QLatin1String("mono"))
        return QStringLiteral("stereo");
    if (QStringList{"FLAC", "WAV"}.contains(format) && arrangementNamed(source).channels > 8)
        return QString::fromLatin1(row.aiff);
    const QHash<QString, const char*> elsewhere = {
        {"AAC", row.aac}, {"Ringtone", row.aac}, {"ALAC", row.alac}, {"CAF", row.alac},
        {"OGG", row.ogg}, {"Opus", row.opus},    {"AC3", row.ac3},   {"AIFF", row.aiff},
    };
    const char* written = elsewhere.value(format, kSame);
    return written ? QString::fromLatin1(written) : source;
}

QString readBackName(const QString& format, const QString& written) {
    const bool unnamed =
        kUnnamedMonoAndStereo.contains(format) && QStringList{"mono", "stereo"}.contains(written);
    return unnamed ? QString() : QVSpeakerMatrix::layoutName(arrangementNamed(written).mask);
}

quint64 speakerAt(quint64 mask, int index) {
    for (; index > 0; --index)
        mask &= mask - 1;
    return mask & -mask;
}

// Each source speaker is heard, on its own speaker where the output has one and nowhere
// else, and no two share a channel while a full-range channel is silent. A downmix to mono
// or stereo drops the LFE.
void expectSpeakersHeard(const Conversion& run) {
    const Arrangement source = arrangementNamed(run.sourceLayout);
    const Arrangement output = arrangementNamed(run.written);
    const bool downmix =
        run.written == QLatin1String("mono") || run.written == QLatin1String("stereo");
    ASSERT_EQ(run.heard.size(), output.channels);
    bool shared = false, silent = false;
    for (int c = 0; c < output.channels; ++c) {
        shared |= run.heard.at(c).size() > 1;
        silent |= run.heard.at(c).isEmpty() && speakerAt(output.mask, c) != AV_CH_LOW_FREQUENCY;
    }
    EXPECT_FALSE(!downmix && shared && silent);
    for (int s = 0; s < source.channels; ++s) {
        const quint64 speaker = speakerAt(source.mask, s);
        QList<int> on;
        for (int c = 0; c < output.channels; ++c)
            on << (run.heard.at(c).contains(s) ? c : -1);
        on.removeAll(-1);
        const bool downmixedLfe = speaker == AV_CH_LOW_FREQUENCY && downmix;
        EXPECT_TRUE(downmixedLfe || !on.isEmpty()) << "source channel " << s << " is lost";
        if (!downmix && (output.mask & speaker)) {
            EXPECT_EQ(on, QList<int>{std::popcount(output.mask & (speaker - 1))}) << s;
        }
    }
}

// The format's defaults, and its lowest rate and bitrate.
QList<std::pair<QString, QString>> defaultsAndLowest(const QVFormatSetting& format) {
    QList<std::pair<QString, QString>> choices{{format.sampleRate, format.biteRate}};
    const std::pair<QString, QString> lowest{format.arySampleRate.last(),
                                             format.aryBiteRate.last()};
    if (lowest != choices.first())
        choices << lowest;
    return choices;
}

} // namespace

TEST_F(CatalogueEncode, EveryFormatConvertsWithItsDefaults) {
    std::vector<Conversion> runs;
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        Conversion run =
            makeRun(format, stereo(), format.sampleRate, format.biteRate, format.channels);
        const LSMediaFields m =
            resolve(format, stereo(), format.sampleRate, format.biteRate, format.channels);
        run.sampleRate = int(m.dAOSamplerate);
        run.channels = m.iAOChanels;
        runs.push_back(run);
    }
    runAll(runs);
    expectPromises(runs);
}

TEST_F(CatalogueEncode, EveryOfferedChoiceIsAcceptedByTheEncoder) {
    std::vector<Conversion> runs;
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        for (const QString& rate : format.arySampleRate)
            for (const QString& channels : format.aryChannels)
                runs.push_back(makeRun(format, stereo(), rate, format.biteRate, channels));
        // Every bitrate also in mono: no encoder needs a second channel for any of them, so
        // mono above 192 kbit/s (once forced to stereo) is checked to stay mono.
        for (const QString& bitrate : format.aryBiteRate)
            for (const QString& channels : format.aryChannels) {
                Conversion run = makeRun(format, stereo(), format.sampleRate, bitrate, channels);
                const bool highMono =
                    channels == QLatin1String("Mono") && NumberText::doubleValue(bitrate) > 192.0;
                run.channels = highMono ? 1 : 0;
                runs.push_back(run);
            }
    }
    EXPECT_GT(runs.size(), 100u);
    runAll(runs);
    expectPromises(runs);
}

// The channel choice is honoured for every format, from every kind of source, with the
// top preset (the first value of each list, as quality 100 picks it): mono is one channel,
// stereo two, "Use Source" the source's own count (as many as the encoder takes). The top preset
// keeps the source's rate where the encoder writes it, and otherwise the nearest rate it does.
TEST_F(CatalogueEncode, ChannelChoicesAndTopPresetRatesFromEverySource) {
    // Expected output rate per format for the mono 22.05 kHz, stereo 44.1 kHz and
    // 5.1 96 kHz sources.
    const QHash<QString, std::vector<int>> topPresetRates = {
        {"MP3", {22050, 44100, 48000}},          {"AAC", {22050, 44100, 96000}},
        {"ALAC", {22050, 44100, 96000}},         {"Ringtone", {22050, 44100, 96000}},
        {"MPEG-2 Audio", {32000, 44100, 48000}}, {"FLAC", {22050, 44100, 96000}},
        {"WAV", {22050, 44100, 96000}},          {"AIFF", {22050, 44100, 96000}},
        {"OGG", {44100, 44100, 48000}},          {"Opus", {48000, 48000, 48000}},
        {"WMA", {22050, 44100, 48000}},          {"AC3", {32000, 44100, 48000}},
        {"CAF", {22050, 44100, 96000}},
    };
    std::vector<Conversion> runs;
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        ASSERT_TRUE(topPresetRates.contains(format.fmtName)) << format.fmtName.toStdString();
        for (size_t s = 0; s < std::size(s_sources); ++s) {
            const Source& source = s_sources[s];
            for (const QString& channels : format.aryChannels) {
                Conversion run = makeRun(format, source, format.arySampleRate.first(),
                                         format.aryBiteRate.first(), channels);
                run.sampleRate = topPresetRates.value(format.fmtName).at(s);
                if (channels == QLatin1String(kUseSource))
                    run.channels =
                        std::min(source.channels, QVEncoderLimits::maxChannels(format.decodecName));
                else
                    run.channels = channels == QLatin1String("Stereo") ? 2 : 1;
                runs.push_back(run);
            }
        }
    }
    runAll(runs);
    expectPromises(runs);
}

// Every common arrangement into every format, with its defaults and its lowest rate and
// bitrate, keeps its speakers in place or gets the nearest arrangement the format has, and
// the job's log names the change.
TEST_F(CatalogueEncode, SourceSpeakersStayInPlaceInEveryFormat) {
    std::vector<Source> sources;
    for (const SurroundRow& row : kSurroundRows) {
        Source source{row.source, 48000, 0,
                      s_folder + QStringLiteral("/speakers %1.%2")
                                     .arg(QLatin1String(row.source), QLatin1String(row.container))};
        ASSERT_TRUE(MediaFixtures::makeSpeakerTones(source.path, 0.5, source.sampleRate,
                                                    QLatin1String(row.source), row.amplitude));
        LSMedia probed;
        LSMediaDecoder().dumpMediaStreamInfoWithFileMedia(source.path, probed);
        const Arrangement made = arrangementNamed(QLatin1String(row.source));
        EXPECT_EQ(probed.iChanels, made.channels) << row.source;
        // WAV names no speakers for mono and stereo, AU none at all.
        const bool unsaid = made.mask == AV_CH_LAYOUT_MONO || made.mask == AV_CH_LAYOUT_STEREO ||
                            QLatin1String(row.container) == QLatin1String("au");
        EXPECT_EQ(probed.iChannelLayout, unsaid ? 0 : made.mask) << row.source;
        source.channels = probed.iChanels;
        source.layout = probed.iChannelLayout;
        sources.push_back(source);
    }
    std::vector<Conversion> runs;
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        for (size_t i = 0; i < std::size(kSurroundRows); ++i) {
            const QString written = writtenArrangement(kSurroundRows[i], format.fmtName);
            for (const auto& [rate, bitrate] : defaultsAndLowest(format)) {
                Conversion run = makeRun(format, sources[i], rate, bitrate, kUseSource);
                // The lowest bitrates starve the tones of eight channels: only the defaults
                // are listened to.
                if (rate == format.sampleRate && bitrate == format.biteRate)
                    run.sourceLayout = QLatin1String(kSurroundRows[i].source);
                run.written = written;
                run.channels = arrangementNamed(written).channels;
                run.layout = readBackName(format.fmtName, written);
                const LSMediaFields m = resolve(format, sources[i], rate, bitrate, kUseSource);
                const QString notes = QVEncoderLimits::outputFor(m).notes.join(u'|');
                if (written == QLatin1String(kSurroundRows[i].source))
                    EXPECT_FALSE(notes.contains(QLatin1String("cannot write")))
                        << notes.toStdString();
                else
                    EXPECT_TRUE(notes.contains(QStringLiteral("written as ") + written))
                        << notes.toStdString();
                runs.push_back(run);
            }
        }
    }
    runAll(runs);
    expectPromises(runs);
    for (const Conversion& run : runs) {
        SCOPED_TRACE(run.label.toStdString());
        if (!run.sourceLayout.isEmpty()) {
            expectSpeakersHeard(run);
            EXPECT_LT(run.peak, 1.0) << "clipped";
        }
    }
}
