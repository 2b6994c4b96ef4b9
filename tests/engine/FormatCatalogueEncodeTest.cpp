// Every shipped format, with its default choices and with each single choice changed,
// must be accepted by the installed ffmpeg program and give what it promises.
#include "engine/QVDataEngine.h"

#include "platform/NumberText.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"

#include <QFileInfo>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr int kSourceRate = 44100;
constexpr int kSourceChannels = 2;
constexpr double kSourceBitrate = 1411200.0; // 16-bit stereo PCM

const char kUseSource[] = "Use Source";

struct Choices {
    double sampleRate;
    double bitrateKbps;
    int channels;
};

// The choice texts as a run turns them into numbers.
Choices resolve(const QString& rate, const QString& bitrate, const QString& channels) {
    Choices c;
    c.sampleRate = rate == QLatin1String(kUseSource) ? kSourceRate : NumberText::doubleValue(rate);
    c.bitrateKbps = bitrate == QLatin1String(kUseSource) ? kSourceBitrate / 1000.0
                                                         : NumberText::doubleValue(bitrate);
    c.channels = channels == QLatin1String(kUseSource)
                     ? kSourceChannels
                     : (channels == QLatin1String("Stereo") ? 2 : 1);
    return c;
}

// ffmpeg can write no ".m4r" file: ringtones are written as m4a and renamed afterwards.
QString writableExtension(const QVFormatSetting& format) {
    return format.outputExtName == QLatin1String("m4r") ? QStringLiteral("m4a")
                                                        : format.outputExtName;
}

QStringList arguments(const QString& source, const QVFormatSetting& format, const Choices& c,
                      const QString& output) {
    return {QStringLiteral("-i"),
            source,
            QStringLiteral("-vn"),
            QStringLiteral("-acodec"),
            format.decodecName,
            QStringLiteral("-ar"),
            NumberText::fromDouble(c.sampleRate, 2),
            QStringLiteral("-b:a"),
            NumberText::fromDouble(c.bitrateKbps, 2) + u'k',
            QStringLiteral("-ac"),
            QString::number(c.bitrateKbps > 192.0 ? 2 : c.channels),
            output};
}

QString codecOf(const QString& encoder) {
    if (encoder.startsWith(QLatin1String("lib")))
        return encoder.mid(3) == QLatin1String("mp3lame") ? QStringLiteral("mp3") : encoder.mid(3);
    return encoder;
}

class CatalogueEncode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = TestEnvironment::makeTempFolder(QStringLiteral("encode"));
        s_source = s_folder + QStringLiteral("/source.wav");
        ASSERT_TRUE(MediaFixtures::makeSine(s_source, 2.0, kSourceRate, kSourceChannels));
    }
    static inline QString s_folder;
    static inline QString s_source;
};

} // namespace

TEST_F(CatalogueEncode, EveryFormatConvertsWithItsDefaults) {
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        SCOPED_TRACE(format.fmtName.toStdString());
        const Choices c = resolve(format.sampleRate, format.biteRate, format.channels);
        const QString output =
            s_folder +
            QStringLiteral("/default-%1.%2").arg(format.fmtName, writableExtension(format));
        ASSERT_TRUE(MediaFixtures::runFfmpeg(arguments(s_source, format, c, output)));

        const QJsonObject stream = MediaFixtures::firstAudioStream(MediaFixtures::probe(output));
        EXPECT_EQ(stream.value(QStringLiteral("codec_name")).toString(),
                  codecOf(format.decodecName));
        EXPECT_EQ(stream.value(QStringLiteral("sample_rate")).toString().toInt(),
                  int(c.sampleRate));
        EXPECT_EQ(stream.value(QStringLiteral("channels")).toInt(),
                  c.bitrateKbps > 192.0 ? 2 : c.channels);
    }
}

TEST_F(CatalogueEncode, EveryOfferedChoiceIsAcceptedByTheEncoder) {
    struct Run {
        QString label;
        QStringList arguments;
        bool ok = false;
    };
    std::vector<Run> runs;
    for (const QVFormatSetting& format : QVDataEngine::shareInstance().audioFormats()) {
        auto add = [&](const QString& rate, const QString& bitrate, const QString& channels) {
            const QString output =
                s_folder +
                QStringLiteral("/choice-%1.%2").arg(runs.size()).arg(writableExtension(format));
            runs.push_back(
                {QStringLiteral("%1 %2 Hz %3 kbit/s %4")
                     .arg(format.fmtName, rate, bitrate, channels),
                 QStringList{QStringLiteral("-t"), QStringLiteral("0.3")} +
                     arguments(s_source, format, resolve(rate, bitrate, channels), output)});
        };
        for (const QString& rate : format.arySampleRate)
            for (const QString& channels : format.aryChannels)
                add(rate, format.biteRate, channels);
        for (const QString& bitrate : format.aryBiteRate)
            for (const QString& channels : format.aryChannels)
                add(format.sampleRate, bitrate, channels);
    }
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 6; ++w)
        workers.emplace_back([&] {
            for (size_t i = next++; i < runs.size(); i = next++)
                runs[i].ok = MediaFixtures::runFfmpeg(runs[i].arguments);
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_GT(runs.size(), 100u);
    for (const Run& run : runs)
        EXPECT_TRUE(run.ok) << run.label.toStdString();
}
