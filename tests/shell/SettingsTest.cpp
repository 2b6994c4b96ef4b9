#include "ShellTestSupport.h"

#include "platform/NotificationCenter.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"
#include "shell/QVSettingSheet.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>

#include <gtest/gtest.h>

#include <array>

namespace {

QVFormatSetting settingWith(QStringList rates, QStringList bitrates, QStringList channels) {
    QVFormatSetting setting;
    setting.fmtName = QStringLiteral("Test");
    setting.arySampleRate = std::move(rates);
    setting.aryBiteRate = std::move(bitrates);
    setting.aryChannels = std::move(channels);
    return setting;
}

TEST(FormatSettings, SortingPutsWordsNumbersDescendingStereoThenMono) {
    struct Case {
        QStringList input, expected;
    };
    const Case cases[] = {
        {{"8000", "44100", "22050", "48000"}, {"48000", "44100", "22050", "8000"}},
        {{"Mono", "Stereo"}, {"Stereo", "Mono"}},
        {{"Mono", "Use Source", "Stereo"}, {"Use Source", "Stereo", "Mono"}},
        {{"128", "Use Source", "320", " 64 ", "-2"}, {"Use Source", "320", "128", " 64 ", "-2"}},
        {{"Stereo", "5.1", "Mono", "Use Source", "2"},
         {"5.1", "Use Source", "2", "Stereo", "Mono"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        QVFormatSetting setting = settingWith(c.input, c.input, c.input);
        QVMainAppController::sortFormatSettingParams(&setting);
        EXPECT_EQ(setting.arySampleRate, c.expected);
        EXPECT_EQ(setting.aryBiteRate, c.expected);
        EXPECT_EQ(setting.aryChannels, c.expected);
    }
    QVMainAppController::sortFormatSettingParams(nullptr); // nothing happens
}

TEST(FormatSettings, ChoiceOrderIsAStrictWeakOrdering) {
    const QStringList texts = {"44100", "8000", "Stereo", "Mono", "Use Source", "abc",
                               "",      "-2",   "128",    "12a",  " 64 ",       "0"};
    const auto less = &QVMainAppController::choiceComesBefore;
    const auto equivalent = [&](const QString& a, const QString& b) {
        return !less(a, b) && !less(b, a);
    };
    for (const QString& a : texts) {
        EXPECT_FALSE(less(a, a)) << a.toStdString();
        for (const QString& b : texts) {
            if (less(a, b)) {
                EXPECT_FALSE(less(b, a)) << a.toStdString() << " " << b.toStdString();
            }
            for (const QString& c : texts) {
                if (less(a, b) && less(b, c)) {
                    EXPECT_TRUE(less(a, c));
                }
                if (equivalent(a, b) && equivalent(b, c)) {
                    EXPECT_TRUE(equivalent(a, c));
                }
            }
        }
    }
}

TEST(FormatSettings, QualityPicksFirstMiddleOrLastEntries) {
    struct Case {
        int quality;
        QString rate, bitrate, channels;
    };
    const Case cases[] = {
        {100, "48000", "320", "Stereo"},
        {0, "8000", "96", "Mono"},
        {50, "32000", "192", "Mono"}, // five rates: the third; four bitrates: index 2
        {73, "32000", "192", "Mono"},
    };
    for (const Case& c : cases) {
        QVFormatSetting setting = settingWith({"48000", "44100", "32000", "16000", "8000"},
                                              {"320", "256", "192", "96"}, {"Stereo", "Mono"});
        ASSERT_EQ(QVMainAppController::getFormatWithQuality(&setting, c.quality), &setting);
        EXPECT_EQ(setting.sampleRate, c.rate) << c.quality;
        EXPECT_EQ(setting.biteRate, c.bitrate) << c.quality;
        EXPECT_EQ(setting.channels, c.channels) << c.quality;
    }
    EXPECT_EQ(QVMainAppController::getFormatWithQuality(nullptr, 100), nullptr);
}

TEST(FormatSettings, SliderPositionFollowsTheValues) {
    struct Case {
        QStringList rates;
        QString rate, bitrate, channels;
        int expected;
    };
    const Case cases[] = {
        {{"48000", "8000"}, "48000", "320", "Stereo", 100},
        {{"48000", "8000"}, "8000", "96", "Mono", 0},
        {{"48000", "8000"}, "48000", "96", "Stereo", 50},
        {{"44100"}, "44100", "320", "Stereo", 100}, // a one-entry list is also first
        {{}, "", "320", "Stereo", 50},
    };
    for (const Case& c : cases) {
        QVFormatSetting setting = settingWith(c.rates, {"320", "96"}, {"Stereo", "Mono"});
        setting.sampleRate = c.rate;
        setting.biteRate = c.bitrate;
        setting.channels = c.channels;
        EXPECT_EQ(QVMainAppController::qualityOfSetting(setting), c.expected)
            << c.rate.toStdString();
    }
    // One entry each: first and last coincide, the slider shows 0.
    QVFormatSetting single = settingWith({"44100"}, {"128"}, {"Stereo"});
    single.sampleRate = QStringLiteral("44100");
    single.biteRate = QStringLiteral("128");
    single.channels = QStringLiteral("Stereo");
    EXPECT_EQ(QVMainAppController::qualityOfSetting(single), 0);
}

struct FormatChoice : ::testing::Test {
    void SetUp() override {
        TestEnvironment::reset();
        controller = std::make_unique<QVMainAppController>(shippedCatalogue(),
                                                           std::make_shared<FakePrompts>());
        observer = NotificationCenter::defaultCenter().addObserver(
            QLatin1String(Notifications::kOutputFormatChange), &context,
            [this](const QString&, const QVariantMap& info) {
                posted << info.value(QLatin1String(Notifications::kFormatKey)).toString();
            });
    }
    QObject context;
    QMetaObject::Connection observer;
    QStringList posted;
    std::unique_ptr<QVMainAppController> controller;
};

TEST_F(FormatChoice, StartsWithMp3UnchangedFromTheCatalogue) {
    EXPECT_EQ(controller->getChooseOutputFmt(), QStringLiteral("MP3"));
    ASSERT_TRUE(controller->currentFormatSetting());
    EXPECT_EQ(*controller->currentFormatSetting(), *shippedCatalogue().getFormatWithName("MP3"));
    EXPECT_EQ(controller->formatPopUp()->count(), 13);
}

// A format choice gives "rate/bitrate/channels": its defaults as the window starts and after
// an untouched look at the sheet, then the same at slider 100, its middle at 50, its last at 0.
TEST_F(FormatChoice, ChoosingAFormatKeepsTheSlidersQualityAndTellsOthers) {
    // Lossless formats keep the source's rate and channels until the slider moves.
    const char *keep = "Use Source/Use Source/Use Source", *mid = "44100/Use Source/Stereo",
               *low = "8000/Use Source/Mono";
    const std::array<const char*, 4> cases[] = {
        {"MP3", "Use Source/320/Use Source", "44100/160/Stereo", "22050/32/Mono"},
        {"AAC", "Use Source/320/Use Source", "44100/128/Stereo", "8000/32/Mono"},
        {"ALAC", keep, mid, low},
        {"Ringtone", "Use Source/256/Use Source", "44100/128/Stereo", "22050/96/Mono"},
        {"MPEG-2 Audio", "Use Source/384/Use Source", "44100/192/Stereo", "32000/64/Mono"},
        {"FLAC", keep, mid, low},
        {"WAV", keep, mid, low},
        {"AIFF", keep, mid, low},
        {"OGG", "Use Source/192/Use Source", "48000/128/Stereo", "44100/64/Mono"},
        {"Opus", "48000/256/Use Source", "48000/128/Stereo", "48000/32/Mono"},
        {"WMA", "Use Source/192/Use Source", "44100/128/Stereo", "22050/64/Mono"},
        {"AC3", "Use Source/640/Use Source", "44100/256/Stereo", "32000/96/Mono"},
        {"CAF", keep, mid, low},
    };
    const auto values = [](const std::optional<QVFormatSetting>& s) {
        return s ? (s->sampleRate + u'/' + s->biteRate + u'/' + s->channels).toStdString() : "";
    };
    // A stored quality (start-up stores 100) does not set the slider apart from the values.
    UserDefaults::standardUserDefaults().setInteger(QLatin1String(PreferenceKeys::kQualityKey), 0);
    QVMainAppController fresh(shippedCatalogue(), std::make_shared<FakePrompts>());
    for (const auto& [format, start, middle, smallest] : cases) {
        SCOPED_TRACE(format);
        fresh.chooseFormat(QLatin1String(format), false);
        EXPECT_EQ(posted.last(), QLatin1String(format));
        EXPECT_EQ(values(fresh.currentFormatSetting()), start);
        QVMainAppController looked(shippedCatalogue(), std::make_shared<FakePrompts>());
        looked.clickSetting();
        looked.clickOK();
        looked.chooseFormat(QLatin1String(format), false);
        EXPECT_EQ(values(looked.currentFormatSetting()), start);
        for (const auto& [quality, expected] :
             {std::pair{100, start}, {50, middle}, {0, smallest}}) {
            looked.settingSheet()->sldQuality->setValue(quality);
            looked.chooseFormat(QLatin1String(format), false);
            EXPECT_EQ(values(looked.currentFormatSetting()), expected) << quality;
            EXPECT_EQ(looked.settingSheet()->sldQuality->value(), quality);
        }
        EXPECT_EQ(values(shippedCatalogue().getFormatWithName(QLatin1String(format))), start);
    }
}

TEST_F(FormatChoice, TheSheetFollowsTheSettingAndDrivesTheMainPopUp) {
    controller->clickSetting();
    QVSettingSheet* sheet = controller->settingSheet();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->popSettingFmts->currentText(), QStringLiteral("MP3"));
    EXPECT_EQ(sheet->popSampleRate->currentText(), QStringLiteral("Use Source"));
    EXPECT_EQ(sheet->popBitrate->currentText(), QStringLiteral("320"));
    EXPECT_EQ(sheet->sldQuality->value(), 100);

    sheet->popSettingFmts->setCurrentText(QStringLiteral("WAV"));
    Q_EMIT sheet->popSettingFmts->activated(sheet->popSettingFmts->currentIndex());
    EXPECT_EQ(controller->getChooseOutputFmt(), QStringLiteral("WAV"));
    EXPECT_EQ(posted, QStringList{QStringLiteral("WAV")});
    EXPECT_EQ(sheet->popChannels->itemText(0), QStringLiteral("Use Source"));

    sheet->popBitrate->setCurrentIndex(sheet->popBitrate->count() - 1);
    Q_EMIT sheet->popBitrate->activated(sheet->popBitrate->currentIndex());
    EXPECT_EQ(controller->currentFormatSetting()->biteRate, sheet->popBitrate->currentText());

    controller->clickOK();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(FormatChoice, AnUnknownTitleIsStillAnnounced) {
    controller->chooseFormat(QStringLiteral("mp3"), false);
    EXPECT_EQ(posted, QStringList{QStringLiteral("mp3")});
    EXPECT_FALSE(controller->currentFormatSetting());
}

TEST(FormatCatalogueFallback, WithoutMp3TheFirstFormatAndWithoutFormatsAClearMessage) {
    TestEnvironment::reset();
    QVariantMap noMp3 = PropertyList::dictionaryWithContentsOfFile(
        QStringLiteral(QUAVERLY_RESOURCE_DIR) + QStringLiteral("/Formats.plist"));
    QVariantList audios = noMp3.value(QStringLiteral("Audios")).toList();
    audios.removeFirst();
    noMp3.insert(QStringLiteral("Audios"), audios);
    QVDataEngine withoutMp3(noMp3);
    QVMainAppController first(withoutMp3, std::make_shared<FakePrompts>());
    EXPECT_EQ(first.getChooseOutputFmt(), QStringLiteral("AAC"));
    ASSERT_TRUE(first.currentFormatSetting());
    EXPECT_EQ(first.currentFormatSetting()->fmtName, QStringLiteral("AAC"));
    EXPECT_TRUE(first.startUnavailableReason().isEmpty());

    QVDataEngine empty{QVariantMap()};
    QVMainAppController none(empty, std::make_shared<FakePrompts>());
    EXPECT_FALSE(none.currentFormatSetting());
    EXPECT_FALSE(none.formatPopUp()->isEnabled());
    EXPECT_FALSE(none.settingButton()->isEnabled());
    EXPECT_TRUE(none.startUnavailableReason().contains(QStringLiteral("format catalogue")));
    EXPECT_EQ(none.tipsLabel()->text(), none.startUnavailableReason());
    none.clickSetting(); // no setting: the sheet opens with nothing to show, no crash
    none.clickOK();
}

// A damaged catalogue file reads as no catalogue: the window says so, nothing crashes.
TEST(FormatCatalogueFallback, HostileCatalogueFilesGiveTheNoFormatsState) {
    QFile shipped(QStringLiteral(QUAVERLY_RESOURCE_DIR) + QStringLiteral("/Formats.plist"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray good = shipped.readAll();
    ASSERT_TRUE(good.contains("<key>Audios</key>"));
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"NUL byte in a key",
         QByteArray(good).replace("<key>Audios</key>", QByteArray("<key>Aud\0ios</key>", 18))},
        {"100,000 nested arrays",
         QByteArray(good).replace("<key>Audios</key>", "<key>x</key>" +
                                                           QByteArray("<array>").repeated(100000) +
                                                           QByteArray("</array>").repeated(100000) +
                                                           "<key>Audios</key>")},
        {"cut in half", good.left(good.size() / 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestEnvironment::reset();
        const QString path =
            TestEnvironment::makeTempFolder(QStringLiteral("hostile")) + QStringLiteral("/F.plist");
        ASSERT_TRUE(writeFile(path, c.bytes));
        QVDataEngine catalogue(PropertyList::dictionaryWithContentsOfFile(path));
        EXPECT_TRUE(catalogue.getAllOutputFormats().isEmpty());
        QVMainAppController controller(catalogue, std::make_shared<FakePrompts>());
        EXPECT_FALSE(controller.formatPopUp()->isEnabled());
        EXPECT_EQ(controller.tipsLabel()->text(),
                  QStringLiteral("No output formats are available: the format catalogue is "
                                 "missing or empty."));
    }
}

} // namespace
