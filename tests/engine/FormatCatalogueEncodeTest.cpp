// Every shipped format, with its default choices, with each single choice changed and
// with every channel choice from mono, stereo and 5.1 sources, must be accepted by the
// installed ffmpeg program and give what it promises. The argument vectors are the ones a
// conversion job passes.
#include "engine/ConvertOperation.h"
#include "engine/QVDataEngine.h"
#include "engine/QVEncoderLimits.h"

#include "platform/NumberText.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

const char kUseSource[] = "Use Source";

struct Source {
    const char* name;
    int sampleRate;
    int channels;
    QString path;
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
    int sampleRate = 0; // 0: not checked
    int channels = 0;   // 0: not checked
    bool ok = false;
    QJsonObject stream; // what ffprobe found
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
