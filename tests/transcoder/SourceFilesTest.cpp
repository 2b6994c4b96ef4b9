#include "SourceFilesTestSupport.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <functional>

using namespace source_files_test;

namespace {

// Found by argument-dependent lookup for the cases below.
using source_files_test::PrintTo;

TEST_F(SourceFilesTest, LavfiSineOpensWithItsDecoderAndRemembersTheAudio) {
    PerFileOptions o = lavfiOptions();
    ASSERT_EQ(openSource(o, "sine=frequency=440:duration=1"), std::nullopt);

    ASSERT_EQ(tc_state().input_files.size(), 1u);
    ASSERT_EQ(tc_state().input_streams.size(), 1u);
    const SourceFile& file = sourceFile(0);
    EXPECT_EQ(file.ist_index, 0);
    EXPECT_EQ(file.nb_streams, 1);
    ASSERT_TRUE(file.ctx);

    const SourceStream& ist = sourceStream(0);
    EXPECT_EQ(ist.file_index, 0);
    EXPECT_EQ(ist.st, file.ctx->streams[0]);
    EXPECT_EQ(ist.discard, 1);
    EXPECT_EQ(ist.st->discard, AVDISCARD_ALL);
    ASSERT_NE(ist.dec, nullptr);
    EXPECT_STREQ(ist.dec->name, "pcm_s16le");
    ASSERT_TRUE(ist.dec_ctx);
    EXPECT_EQ(ist.dec_ctx->sample_rate, 44100);
    EXPECT_EQ(ist.resample_sample_rate, 44100);
    EXPECT_EQ(ist.resample_sample_fmt, AV_SAMPLE_FMT_S16);
    EXPECT_EQ(ist.resample_channels, 1);
    EXPECT_EQ(ist.resample_channel_layout, AV_CH_LAYOUT_MONO);
    EXPECT_DOUBLE_EQ(ist.ts_scale, 1.0);
}

TEST_F(SourceFilesTest, LavfiTestsrcRemembersThePicture) {
    PerFileOptions o = lavfiOptions();
    ASSERT_EQ(openSource(o, "testsrc=duration=1"), std::nullopt);

    const SourceStream& ist = sourceStream(0);
    ASSERT_NE(ist.dec, nullptr);
    EXPECT_STREQ(ist.dec->name, "rawvideo");
    EXPECT_EQ(ist.resample_width, 320);
    EXPECT_EQ(ist.resample_height, 240);
    EXPECT_EQ(ist.resample_pix_fmt, AV_PIX_FMT_RGB24);
    EXPECT_EQ(ist.top_field_first, -1);
}

TEST_F(SourceFilesTest, SecondInputNumbersItsStreamsAfterTheFirstAndOptionsAreReset) {
    PerFileOptions o;
    ASSERT_EQ(openSource(o, SourceMedia::get().matroska), std::nullopt);
    o = lavfiOptions();
    addValue(o.ts_scale, "", 2.0);
    ASSERT_EQ(openSource(o, "testsrc=duration=1"), std::nullopt);

    EXPECT_TRUE(o.format.empty());
    EXPECT_TRUE(o.ts_scale.empty());
    ASSERT_EQ(tc_state().input_files.size(), 2u);
    EXPECT_EQ(sourceFile(0).nb_streams, 3);
    EXPECT_EQ(sourceFile(1).ist_index, 3);
    EXPECT_EQ(sourceStream(3).file_index, 1);
    EXPECT_DOUBLE_EQ(sourceStream(3).ts_scale, 2.0);
}

struct NamedFile {
    const char* description;
    std::string SourceMedia::*file;
    std::vector<AVCodecID> codecs; // stream order
};

class OddNames : public SourceFilesTest, public ::testing::WithParamInterface<NamedFile> {};

TEST_P(OddNames, OpenWithAStreamRecordAndDecoderContextPerStream) {
    const NamedFile& c = GetParam();
    PerFileOptions o;
    ASSERT_EQ(openSource(o, SourceMedia::get().*c.file), std::nullopt);

    ASSERT_EQ(tc_state().input_streams.size(), c.codecs.size());
    for (size_t i = 0; i < c.codecs.size(); ++i) {
        const SourceStream& ist = sourceStream(static_cast<int>(i));
        EXPECT_EQ(ist.st->codecpar->codec_id, c.codecs[i]) << i;
        ASSERT_TRUE(ist.dec_ctx) << i;
        EXPECT_EQ(ist.dec_ctx->codec_id, c.codecs[i]) << i;
        EXPECT_EQ(ist.dec_ctx->codec_type, ist.st->codecpar->codec_type) << i;
    }
}

const NamedFile kNamedFiles[] = {
    {"Matroska with blanks",
     &SourceMedia::matroska,
     {AV_CODEC_ID_FLAC, AV_CODEC_ID_FFV1, AV_CODEC_ID_TTF}},
    {"Matroska with a leading dash",
     &SourceMedia::dashMatroska,
     {AV_CODEC_ID_FLAC, AV_CODEC_ID_FFV1, AV_CODEC_ID_TTF}},
    {"WAV with a leading dash and non ASCII letters", &SourceMedia::wav, {AV_CODEC_ID_PCM_S16LE}},
};

INSTANTIATE_TEST_SUITE_P(SourceFiles, OddNames, ::testing::ValuesIn(kNamedFiles),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(SourceFilesTest, PerStreamOptionsTakeTheLastElementThatMatchesEachStream) {
    PerFileOptions o;
    addValue(o.ts_scale, "", 3.0);
    addValue(o.ts_scale, "a", 2.0);
    addValue(o.frame_rates, "v", std::string("30000/1001"));
    addValue(o.top_field_first, "v", 1);
    addValue(o.top_field_first, "a", 0);
    addValue(o.codec_tags, "a", std::string("0x1234"));
    addValue(o.codec_tags, "v", std::string("ab"));
    ASSERT_EQ(openSource(o, SourceMedia::get().matroska), std::nullopt);

    const SourceStream& audio = sourceStream(0);
    const SourceStream& video = sourceStream(1);
    EXPECT_DOUBLE_EQ(audio.ts_scale, 2.0);
    EXPECT_DOUBLE_EQ(video.ts_scale, 3.0);
    EXPECT_EQ(video.framerate.num, 30000);
    EXPECT_EQ(video.framerate.den, 1001);
    EXPECT_EQ(audio.framerate.num, 0);
    EXPECT_EQ(video.top_field_first, 1);
    EXPECT_EQ(audio.top_field_first, -1);
    EXPECT_EQ(audio.st->codecpar->codec_tag, 0x1234u);
    EXPECT_EQ(audio.dec_ctx->codec_tag, 0x1234u);
    EXPECT_EQ(video.st->codecpar->codec_tag, MKTAG('a', 'b', 0, 0));
}

TEST_F(SourceFilesTest, PerStreamCodecNameForcesTheDecoderOfThatStreamOnly) {
    PerFileOptions o;
    addValue(o.codec_names, "a", std::string("pcm_s16be"));
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    ASSERT_NE(sourceStream(0).dec, nullptr);
    EXPECT_STREQ(sourceStream(0).dec->name, "pcm_s16be");
    EXPECT_EQ(sourceStream(0).st->codecpar->codec_id, AV_CODEC_ID_PCM_S16BE);
    EXPECT_EQ(sourceStream(0).dec_ctx->codec_id, AV_CODEC_ID_PCM_S16BE);
}

TEST_F(SourceFilesTest, ForcedAudioCodecNameSetsTheContextsAudioCodec) {
    tc_state().audio_codec_name = "pcm_s16be";
    PerFileOptions o;
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    EXPECT_EQ(sourceFile(0).ctx->audio_codec_id, AV_CODEC_ID_PCM_S16BE);
    EXPECT_EQ(sourceFile(0).ctx->video_codec_id, AV_CODEC_ID_NONE);
}

TEST_F(SourceFilesTest, RawInputTakesRateAndChannelsAsFormatOptionsAndGuessesItsLayout) {
    PerFileOptions o;
    o.format = "s16le";
    addValue(o.audio_sample_rate, "a", 16000);
    addValue(o.audio_sample_rate, "a", 8000);
    addValue(o.audio_channels, "", 2);
    const LogCapture log;
    ASSERT_EQ(openSource(o, SourceMedia::get().raw), std::nullopt);

    const SourceStream& ist = sourceStream(0);
    EXPECT_EQ(ist.resample_sample_rate, 8000);
    EXPECT_EQ(ist.resample_channels, 2);
    EXPECT_EQ(ist.resample_channel_layout, AV_CH_LAYOUT_STEREO);
    EXPECT_EQ(ist.dec_ctx->ch_layout.order, AV_CHANNEL_ORDER_NATIVE);
    EXPECT_NE(log.str().find("Guessed Channel Layout for  Input Stream #0.0 : stereo\n"),
              std::string::npos)
        << log.str();
}

TEST_F(SourceFilesTest, ChannelsAndFrameRateReachOnlyFormatsThatTakeThem) {
    PerFileOptions o;
    addValue(o.audio_channels, "", 1);
    addValue(o.frame_rates, "", std::string("25"));
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    EXPECT_EQ(sourceStream(0).resample_channels, 2);
}

TEST_F(SourceFilesTest, StartTimeBecomesTheNegativeTimestampOffsetUnlessTimestampsAreCopied) {
    PerFileOptions o;
    o.start_time = 100000;
    o.input_ts_offset = 7;
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    EXPECT_EQ(sourceFile(0).ts_offset, 7 - 100000);

    tc_state().copy_ts = 1;
    o.start_time = 100000;
    o.input_ts_offset = 7;
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    EXPECT_EQ(sourceFile(1).ts_offset, 7);
}

TEST_F(SourceFilesTest, FailedSeekWarnsAndTheInputStillOpens) {
    PerFileOptions o = lavfiOptions();
    o.start_time = 500000;
    const LogCapture log;
    ASSERT_EQ(openSource(o, "sine=duration=1"), std::nullopt);
    EXPECT_NE(log.str().find("sine=duration=1: could not seek to position 0.500\n"),
              std::string::npos)
        << log.str();
    EXPECT_EQ(tc_state().input_files.size(), 1u);
}

// Standard input replaced by a file for the length of a test.
class StdinFrom {
public:
    explicit StdinFrom(const std::string& path) : saved_(dup(STDIN_FILENO)) {
        const int fd = open(path.c_str(), O_RDONLY);
        dup2(fd, STDIN_FILENO);
        close(fd);
    }
    ~StdinFrom() {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
    }
    StdinFrom(const StdinFrom&) = delete;
    StdinFrom& operator=(const StdinFrom&) = delete;

private:
    int saved_;
};

class StandardInputNames : public SourceFilesTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(StandardInputNames, ReadStandardInputAndTurnOffInteraction) {
    const StdinFrom input(SourceMedia::get().wav);
    PerFileOptions o;
    o.format = "wav";
    const LogCapture log;
    ASSERT_EQ(openSource(o, GetParam()), std::nullopt) << log.str();
    EXPECT_EQ(tc_state().stdin_interaction, 0);
    EXPECT_EQ(sourceStream(0).st->codecpar->codec_id, AV_CODEC_ID_PCM_S16LE);
}

INSTANTIATE_TEST_SUITE_P(SourceFiles, StandardInputNames,
                         ::testing::Values("-", "pipe:0", "/dev/stdin"),
                         [](const auto& info) { return testNameFrom(info.param); });

struct FatalOpening {
    const char* description;
    std::function<void(PerFileOptions&)> prepare;
    std::function<std::string()> name;
    std::function<std::string()> message;
};

class FatalOpenings : public SourceFilesTest, public ::testing::WithParamInterface<FatalOpening> {};

TEST_P(FatalOpenings, EndTheProgramWithTheirMessage) {
    const FatalOpening& c = GetParam();
    PerFileOptions o;
    c.prepare(o);
    const LogCapture log;
    EXPECT_EQ(openSource(o, c.name()), std::optional<int>(1));
    EXPECT_NE(log.str().find(c.message()), std::string::npos) << log.str();
}

std::string wavName() {
    return SourceMedia::get().wav;
}
std::string testsrc() {
    return "testsrc=duration=1";
}
std::string matroskaName() {
    return SourceMedia::get().matroska;
}
std::function<std::string()> text(const std::string& words) {
    return [words] { return words; };
}
void nothing(PerFileOptions&) {}
void lavfi(PerFileOptions& o) {
    o.format = "lavfi";
}

const FatalOpening kFatalOpenings[] = {
    {"unknown input format", [](PerFileOptions& o) { o.format = "no-such-format"; }, wavName,
     text("Unknown input format: 'no-such-format'\n")},
    {"missing file", nothing, text("/nonexistent folder/-missing ñ.wav"),
     text("/nonexistent folder/-missing ñ.wav: No such file or directory\n")},
    {"format option the demuxer does not take",
     [](PerFileOptions& o) { addValue(o.frame_sizes, "", std::string("320x240")); }, wavName,
     text("Option video_size not found.\n")},
    {"bad stream specifier", [](PerFileOptions& o) { addValue(o.ts_scale, "zz", 2.0); }, wavName,
     text("Invalid stream specifier: zz.\n")},
    {"unparsable frame rate",
     [](PerFileOptions& o) {
         lavfi(o);
         addValue(o.frame_rates, "v", std::string("fast"));
     },
     testsrc, text("Error parsing framerate fast.\n")},
    {"attachment dump without a name",
     [](PerFileOptions& o) { addValue(o.dump_attachment, "a", std::string()); }, matroskaName,
     text("No filename specified and no 'filename' tagin stream #0:0.\n")},
    {"forced codec that does not exist",
     [](PerFileOptions&) { tc_state().video_codec_name = "no-such-video"; }, wavName,
     text("Unknown decoder 'no-such-video'\n")},
};

INSTANTIATE_TEST_SUITE_P(SourceFiles, FatalOpenings, ::testing::ValuesIn(kFatalOpenings),
                         [](const auto& info) { return testNameFrom(info.param.description); });

// Runs each test in a folder of its own and goes back afterwards.
class AttachmentDumps : public SourceFilesTest {
protected:
    void SetUp() override {
        SourceFilesTest::SetUp();
        previous_ = QDir::currentPath();
        folder_ = TestEnvironment::makeTempFolder(QStringLiteral("dump")) + "/inner";
        QDir().mkpath(folder_);
        QDir::setCurrent(folder_);
    }
    void TearDown() override {
        QDir::setCurrent(previous_);
        SourceFilesTest::TearDown();
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString previous_;
    QString folder_;
};

TEST_F(AttachmentDumps, GoToTheNamedFileOrUnderTheTagsLastNameInTheCurrentFolder) {
    PerFileOptions o;
    const QString named = folder_ + QStringLiteral("/-dumped ñ.bin");
    addValue(o.dump_attachment, "t", named.toStdString());
    addValue(o.dump_attachment, "t", std::string());
    ASSERT_EQ(openSource(o, SourceMedia::get().matroska), std::nullopt);
    EXPECT_EQ(contents(named), SourceMedia::get().attachmentBytes);
    EXPECT_EQ(contents(folder_ + QStringLiteral("/escape.bin")),
              SourceMedia::get().attachmentBytes);
    EXPECT_FALSE(QFile::exists(folder_ + QStringLiteral("/../escape.bin")));
}

TEST_F(AttachmentDumps, StreamWithoutExtradataOnlyWarns) {
    PerFileOptions o;
    addValue(o.dump_attachment, "a", std::string("out.bin"));
    const LogCapture log;
    ASSERT_EQ(openSource(o, SourceMedia::get().wav), std::nullopt);
    EXPECT_NE(log.str().find("No extradata to dump in stream #0:0.\n"), std::string::npos);
    EXPECT_FALSE(QFile::exists(folder_ + QStringLiteral("/out.bin")));
}

} // namespace
