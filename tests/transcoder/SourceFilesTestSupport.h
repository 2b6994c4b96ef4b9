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

// Media files shared by every test of the program, made on first use.
class SourceMedia {
public:
    static const SourceMedia& get() {
        static const SourceMedia media;
        return media;
    }
    QString folder;
    QByteArray attachmentBytes;
    // FLAC audio, FFV1 video (in that order) and a font whose "filename" tag is "../escape.bin".
    std::string matroska;     // blanks in the name
    std::string dashMatroska; // a leading dash too
    std::string wav;          // stereo, leading dash and non-ASCII letters
    std::string raw;          // s16le stereo at 8000 Hz, no header

private:
    SourceMedia() {
        folder = TestEnvironment::makeTempFolder(QStringLiteral("source-media"));
        const QString attachment = folder + QStringLiteral("/font.bin");
        attachmentBytes = MediaFixtures::randomBytes(64);
        MediaFixtures::writeBytes(attachment, attachmentBytes);
        const QString sine = QStringLiteral("-f lavfi -i sine=duration=0.2:sample_rate=8000 ");
        const QStringList matroskaArgs =
            (sine + QStringLiteral("-f lavfi -i testsrc=duration=0.2:size=64x48:rate=10 "
                                   "-map 0:a -map 1:v -c:a flac -c:v ffv1 -attach"))
                .split(u' ') +
            QStringList{attachment} +
            QStringLiteral("-metadata:s:t mimetype=application/x-truetype-font "
                           "-metadata:s:t filename=../escape.bin")
                .split(u' ');
        matroska = make(QStringLiteral("two streams.mkv"), matroskaArgs);
        dashMatroska = make(QStringLiteral("-two streams.mkv"), matroskaArgs);
        wav = make(QStringLiteral("-sinus ñü.wav"), (sine + QStringLiteral("-ac 2")).split(u' '));
        raw = make(QStringLiteral("stereo.s16"),
                   (sine + QStringLiteral("-ac 2 -f s16le")).split(u' '));
    }
    std::string make(const QString& name, const QStringList& arguments) const {
        const QString path = folder + u'/' + name;
        // "file:" keeps ffmpeg from reading a leading dash as an option.
        EXPECT_TRUE(MediaFixtures::runFfmpeg(arguments + QStringList{"file:" + path}))
            << qPrintable(name);
        return path.toStdString();
    }
};

// Parameterised cases print as their description.
template <class Case>
requires requires(const Case& c) {
    c.description;
}
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.description;
}

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
