#pragma once

// Opening inputs in tests: media files made once per program with the ffmpeg program, the
// per-file options that name them, and a clean transcoder state around each test.

#include "TranscoderTestSupport.h"

#include "MediaFixtures.h"
#include "TestEnvironment.h"
#include "player/tool_helpers.h"
#include "transcoder/source_files.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace source_files_test {

// One Matroska file with a FLAC audio and an FFV1 video stream of 0.2 s, in that order, and
// a font attachment whose "filename" tag is "../escape.bin".
inline QStringList matroskaArguments(const QString& attachment) {
    return {QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=8000:duration=0.2"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("testsrc=duration=0.2:size=64x48:rate=10"),
            QStringLiteral("-map"),
            QStringLiteral("0:a"),
            QStringLiteral("-map"),
            QStringLiteral("1:v"),
            QStringLiteral("-attach"),
            attachment,
            QStringLiteral("-metadata:s:t"),
            QStringLiteral("mimetype=application/x-truetype-font"),
            QStringLiteral("-metadata:s:t"),
            QStringLiteral("filename=../escape.bin"),
            QStringLiteral("-c:a"),
            QStringLiteral("flac"),
            QStringLiteral("-c:v"),
            QStringLiteral("ffv1")};
}

// Files shared by every test of the program, made on first use.
class SourceMedia {
public:
    static const SourceMedia& get() {
        static const SourceMedia media;
        return media;
    }
    QString folder;
    QByteArray attachmentBytes;
    std::string matroska; // name with blanks
    std::string dashMatroska;
    std::string wav; // leading dash and non-ASCII letters
    std::string raw; // s16le stereo at 8000 Hz, no header

private:
    SourceMedia() {
        folder = TestEnvironment::makeTempFolder(QStringLiteral("source-media"));
        const QString attachment = folder + QStringLiteral("/font.bin");
        attachmentBytes = MediaFixtures::randomBytes(64);
        MediaFixtures::writeBytes(attachment, attachmentBytes);
        matroska = make(QStringLiteral("two streams.mkv"), matroskaArguments(attachment));
        dashMatroska = make(QStringLiteral("-two streams.mkv"), matroskaArguments(attachment));
        wav = make(QStringLiteral("-sinus ñü.wav"),
                   {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=duration=0.2:sample_rate=8000"), QStringLiteral("-ac"),
                    QStringLiteral("2")});
        raw = make(QStringLiteral("stereo.s16"),
                   {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=duration=0.2:sample_rate=8000"), QStringLiteral("-ac"),
                    QStringLiteral("2"), QStringLiteral("-f"), QStringLiteral("s16le")});
    }
    std::string make(const QString& name, QStringList arguments) const {
        const QString path = folder + u'/' + name;
        // "file:" keeps ffmpeg from reading a leading dash as an option.
        arguments << QStringLiteral("file:") + path;
        EXPECT_TRUE(MediaFixtures::runFfmpeg(arguments)) << qPrintable(name);
        return path.toStdString();
    }
};

template <class T> void addValue(SpecifiedList& list, const char* specifier, T value) {
    list.push_back(SpecifiedValue{specifier, value});
}

inline PerFileOptions lavfiOptions() {
    PerFileOptions o;
    o.format = "lavfi";
    return o;
}

inline std::optional<int> openSource(PerFileOptions& o, const std::string& name) {
    return exitStatusOf([&] { tc_open_source_file(&o, "i", name.c_str()); });
}

// Frees the records and options a test leaves, and puts the variables the input side reads
// back to their start values.
inline void resetTranscoderInputs() {
    TranscoderState& state = tc_state();
    state.freeRecords();
    tool_options_free();
    tool_options_init();
    state.stdin_interaction = 1;
    state.copy_ts = 0;
    state.video_codec_name.clear();
    state.audio_codec_name.clear();
    state.subtitle_codec_name.clear();
}

class SourceFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { avdevice_register_all(); }
    void SetUp() override { resetTranscoderInputs(); }
    void TearDown() override { resetTranscoderInputs(); }

    static SourceStream& sourceStream(int index) { return *tc_state().input_streams.at(index); }
    static SourceFile& sourceFile(int index) { return *tc_state().input_files.at(index); }
};

} // namespace source_files_test
