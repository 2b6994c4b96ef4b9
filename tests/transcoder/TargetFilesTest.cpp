#include "TargetFilesTestSupport.h"

#include "TestEnvironment.h"

#include "transcoder/target_files.h"

#include <QFile>

#include <csignal>
#include <cstring>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Input {
    std::string url;
    const char* format;
};

Input lavfi(const char* description) {
    return {description, "lavfi"};
}

Input file(const char* name) {
    return {name, nullptr};
}

void openInputs(const std::vector<Input>& inputs) {
    for (const Input& input : inputs)
        ASSERT_NO_FATAL_FAILURE(
            appendSourceFile(input.format ? input.url : fixture(input.url.c_str()), input.format));
}

using Chosen = std::vector<std::pair<AVMediaType, int>>; // type and source stream index

Chosen chosenStreams() {
    Chosen chosen;
    for (const auto& ost : tc_state().output_streams)
        chosen.emplace_back(ost->st->codecpar->codec_type, ost->source_index);
    return chosen;
}

struct SelectionCase {
    const char* description;
    std::vector<Input> inputs;
    const char* output;
    int video_disable;
    int audio_disable;
    int subtitle_disable;
    Chosen expected;
};

void PrintTo(const SelectionCase& c, std::ostream* out) {
    *out << c.description;
}

class AutomaticSelection : public TargetFilesFixtures,
                           public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(AutomaticSelection, TakesTheBestStreamOfEachType) {
    const SelectionCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openInputs(c.inputs));
    PerFileOptions o;
    o.video_disable = c.video_disable;
    o.audio_disable = c.audio_disable;
    o.subtitle_disable = c.subtitle_disable;
    tc_open_target_file(&o, outputPath(c.output).c_str());

    EXPECT_EQ(chosenStreams(), c.expected);
    for (const auto& [type, source] : c.expected) {
        const SourceStream* ist = tc_state().input_streams[source].get();
        EXPECT_EQ(ist->discard, 0);
        EXPECT_EQ(ist->st->discard, AVDISCARD_NONE);
    }
    ASSERT_EQ(tc_state().output_files.size(), 1u);
    EXPECT_EQ(tc_state().output_files[0]->ost_index, 0);
}

// clang-format off
const SelectionCase kSelectionCases[] = {
    {"the larger picture of two inputs",
     {lavfi("testsrc=size=640x480"), lavfi("testsrc=size=1280x720")}, "out.mkv", 0, 0, 0,
     {{AVMEDIA_TYPE_VIDEO, 1}}},
    {"the first of two pictures of equal area",
     {lavfi("testsrc=size=640x480"), lavfi("testsrc=size=480x640")}, "out.mkv", 0, 0, 0,
     {{AVMEDIA_TYPE_VIDEO, 0}}},
    {"the most channels and the first of equal counts",
     {lavfi("aevalsrc=0"), lavfi("aevalsrc=0|0"), lavfi("aevalsrc=0|0")}, "out.wav", 0, 0, 0,
     {{AVMEDIA_TYPE_AUDIO, 1}}},
    {"video before audio from a file and a smaller lavfi picture",
     {lavfi("aevalsrc=0"), file("hd_stereo.mkv"), lavfi("testsrc=size=320x240")}, "out.mkv", 0, 0,
     0, {{AVMEDIA_TYPE_VIDEO, 1}, {AVMEDIA_TYPE_AUDIO, 2}}},
    {"a wave file takes no picture",
     {file("hd_stereo.mkv")}, "out.wav", 0, 0, 0, {{AVMEDIA_TYPE_AUDIO, 1}}},
    {"video disabled", {file("hd_stereo.mkv")}, "out.mkv", 1, 0, 0, {{AVMEDIA_TYPE_AUDIO, 1}}},
    {"audio disabled", {file("hd_stereo.mkv")}, "out.mkv", 0, 1, 0, {{AVMEDIA_TYPE_VIDEO, 0}}},
    {"the first subtitle stream",
     {file("subs.mkv")}, "out.mkv", 0, 0, 0, {{AVMEDIA_TYPE_VIDEO, 0}, {AVMEDIA_TYPE_SUBTITLE, 1}}},
    {"subtitles disabled", {file("subs.mkv")}, "out.mkv", 0, 0, 1, {{AVMEDIA_TYPE_VIDEO, 0}}},
    {"nothing left to take", {file("hd_stereo.mkv")}, "out.mkv", 1, 1, 1, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, AutomaticSelection, ::testing::ValuesIn(kSelectionCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesFixtures, SubtitlesAreTakenForAFormatWithoutThemWhenACodecIsForced) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("subs.mkv")));
    PerFileOptions o;
    o.video_disable = 1;
    tc_state().subtitle_codec_name = "copy";
    o.codec_names.push_back({"s", std::string("copy")});
    tc_open_target_file(&o, outputPath("out.wav").c_str());
    EXPECT_EQ(chosenStreams(), (Chosen{{AVMEDIA_TYPE_SUBTITLE, 1}}));
}

// Explicit maps: hd_stereo.mkv gives streams 0 (video) and 1 (audio).
struct MapCase {
    const char* description;
    std::vector<StreamMapEntry> maps;
    AVMediaType retyped; // the audio stream posing as another type; UNKNOWN: left alone
    const char* codec;   // for every stream, or null
    int audio_disable;
    int data_disable;
    Chosen expected;
    const char* fatal; // the message the program ends with, or null
};

void PrintTo(const MapCase& c, std::ostream* out) {
    *out << c.description;
}

class ExplicitMaps : public TargetFilesFixtures, public ::testing::WithParamInterface<MapCase> {};

StreamMapEntry map(int stream, int disabled = 0) {
    StreamMapEntry entry;
    entry.stream_index = stream;
    entry.disabled = disabled;
    return entry;
}

StreamMapEntry label(const char* name) {
    StreamMapEntry entry;
    entry.linklabel = name;
    return entry;
}

TEST_P(ExplicitMaps, CreateStreamsInMapOrder) {
    const MapCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("hd_stereo.mkv")));
    if (c.retyped != AVMEDIA_TYPE_UNKNOWN)
        tc_state().input_streams[1]->st->codecpar->codec_type = c.retyped;
    PerFileOptions o;
    o.stream_maps = c.maps;
    o.audio_disable = c.audio_disable;
    o.data_disable = c.data_disable;
    if (c.codec)
        o.codec_names.push_back({"", std::string(c.codec)});
    const std::string out = outputPath("out.mkv");

    MessageCapture log;
    const std::optional<int> status = exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); });
    if (c.fatal) {
        EXPECT_EQ(status, 1);
        EXPECT_EQ(log.str(), c.fatal);
        return;
    }
    EXPECT_EQ(status, std::nullopt) << log.str();
    EXPECT_EQ(chosenStreams(), c.expected);
}

// clang-format off
const MapCase kMapCases[] = {
    {"streams in the order of the maps",
     {map(1), map(0)}, AVMEDIA_TYPE_UNKNOWN, nullptr, 0, 0,
     {{AVMEDIA_TYPE_AUDIO, 1}, {AVMEDIA_TYPE_VIDEO, 0}}, nullptr},
    {"a disabled map is skipped",
     {map(0, 1), map(1)}, AVMEDIA_TYPE_UNKNOWN, nullptr, 0, 0, {{AVMEDIA_TYPE_AUDIO, 1}}, nullptr},
    {"a map of a disabled type makes no stream",
     {map(1), map(0)}, AVMEDIA_TYPE_UNKNOWN, nullptr, 1, 0, {{AVMEDIA_TYPE_VIDEO, 0}}, nullptr},
    {"a data map while data is disabled makes no stream",
     {map(1)}, AVMEDIA_TYPE_DATA, nullptr, 0, 1, {}, nullptr},
    {"a copied data stream",
     {map(1)}, AVMEDIA_TYPE_DATA, "copy", 0, 0, {{AVMEDIA_TYPE_DATA, 1}}, nullptr},
    {"a data stream to encode",
     {map(1)}, AVMEDIA_TYPE_DATA, nullptr, 0, 0, {},
     "Data stream encoding not supported yet (only streamcopy)\n"},
    {"an attachment is copied",
     {map(1)}, AVMEDIA_TYPE_ATTACHMENT, nullptr, 0, 0, {{AVMEDIA_TYPE_ATTACHMENT, 1}}, nullptr},
    {"a stream of unknown type",
     {map(0), map(1)}, AVMEDIA_TYPE_NB, nullptr, 0, 0, {},
     "Cannot map stream #0:1 - unsupported type.\n"},
    {"a label that no graph defines",
     {label("mixed")}, AVMEDIA_TYPE_UNKNOWN, nullptr, 0, 0, {},
     "Output with label 'mixed' does not exist in any defined filter graph.\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, ExplicitMaps, ::testing::ValuesIn(kMapCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesFixtures, AttachedStreamsAreCopiesAndCopiesGetTheGlobalCodecFlags) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("hd_stereo.mkv")));
    tc_state().input_streams[1]->st->codecpar->codec_type = AVMEDIA_TYPE_ATTACHMENT;
    av_dict_set(&tool_codec_options, "flags:t", "+bitexact", 0);
    // Another option whose name begins the same; as "flags" its value would be refused.
    av_dict_set(&tool_codec_options, "flags2", "+fast", 0);
    PerFileOptions o;
    o.stream_maps = {map(0), map(1)};
    o.codec_names.push_back({"v", std::string("copy")});
    tc_open_target_file(&o, outputPath("out.mkv").c_str());

    const auto streams = targetStreams();
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[1]->stream_copy, 1);
    EXPECT_TRUE(streams[1]->enc_ctx->flags & AV_CODEC_FLAG_BITEXACT);
    // The video copy does not match the specifier "t".
    EXPECT_EQ(streams[0]->stream_copy, 1);
    EXPECT_FALSE(streams[0]->enc_ctx->flags & AV_CODEC_FLAG_BITEXACT);
}

TEST_F(TargetFilesFixtures, AttachmentsCarryTheFileAndItsBaseName) {
    const std::string folder = TestEnvironment::makeTempFolder().toStdString();
    const std::string font = folder + "/a font 'é'.ttf";
    const std::string content("\x00\x01font data\xff", 12);
    writeText(font, content);
    PerFileOptions o;
    o.attachments = {font};
    tc_open_target_file(&o, outputPath("out.mkv").c_str());

    const auto streams = targetStreams();
    ASSERT_EQ(streams.size(), 1u);
    const AVStream* st = streams[0]->st;
    EXPECT_EQ(st->codecpar->codec_type, AVMEDIA_TYPE_ATTACHMENT);
    EXPECT_EQ(streams[0]->stream_copy, 0);
    EXPECT_EQ(streams[0]->attachment_filename, font);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(st->codecpar->extradata),
                          st->codecpar->extradata_size),
              content);
    const AVDictionaryEntry* name = av_dict_get(st->metadata, "filename", nullptr, 0);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->value, "a font 'é'.ttf");
}

TEST_F(TargetFilesFixtures, UnreadableAttachmentsEndTheProgram) {
    const std::string folder = TestEnvironment::makeTempFolder().toStdString();
    const std::string empty = folder + "/empty.bin";
    writeText(empty, "");
    const std::pair<std::string, std::string> cases[] = {
        {folder + "/missing.bin", "Could not open attachment file " + folder + "/missing.bin.\n"},
        {empty, "Could not get size of the attachment " + empty + ".\n"},
    };
    for (const auto& [name, message] : cases) {
        PerFileOptions o;
        o.attachments = {name};
        const std::string out = outputPath("out.mkv");
        MessageCapture log;
        EXPECT_EQ(exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); }), 1);
        EXPECT_EQ(log.str(), message);
        resetState();
    }
}

int64_t milliseconds(int64_t t, AVRational time_base) {
    return av_rescale_q(t, time_base, AVRational{1, 1000});
}

// Chapters of chapters.mkv: 0-10 s "one", 10-20 s "two", 20-30 s "three".
struct ChapterCase {
    const char* description;
    double start;  // seconds
    double length; // seconds; 0: no limit
    int manual;
    std::vector<std::tuple<int64_t, int64_t, std::string>> expected; // milliseconds
};

void PrintTo(const ChapterCase& c, std::ostream* out) {
    *out << c.description;
}

class ChapterCopy : public TargetFilesFixtures,
                    public ::testing::WithParamInterface<ChapterCase> {};

TEST_P(ChapterCopy, ShiftsByTheStartAndStopsAtTheLimit) {
    const ChapterCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("chapters.mkv")));
    PerFileOptions o;
    o.start_time = static_cast<int64_t>(c.start * AV_TIME_BASE);
    if (c.length > 0)
        o.recording_time = static_cast<int64_t>(c.length * AV_TIME_BASE);
    o.metadata_chapters_manual = c.manual;
    tc_open_target_file(&o, outputPath("out.mkv").c_str());

    const AVFormatContext* oc = tc_state().output_files[0]->ctx.get();
    std::vector<std::tuple<int64_t, int64_t, std::string>> copied;
    for (unsigned i = 0; i < oc->nb_chapters; ++i) {
        const AVChapter* ch = oc->chapters[i];
        const AVDictionaryEntry* title = av_dict_get(ch->metadata, "title", nullptr, 0);
        copied.emplace_back(milliseconds(ch->start, ch->time_base),
                            milliseconds(ch->end, ch->time_base), title ? title->value : "");
    }
    EXPECT_EQ(copied, c.expected);
}

// clang-format off
const ChapterCase kChapterCases[] = {
    {"all chapters without start or limit",
     0, 0, 0, {{0, 10000, "one"}, {10000, 20000, "two"}, {20000, 30000, "three"}}},
    {"a start of 15 s drops the first and shifts the rest",
     15, 0, 0, {{0, 5000, "two"}, {5000, 15000, "three"}}},
    {"a start of 15 s with 3 s cuts the second and stops", 15, 3, 0, {{0, 3000, "two"}}},
    {"a limit of 12 s cuts the second chapter",
     0, 12, 0, {{0, 10000, "one"}, {10000, 12000, "two"}}},
    {"chapter titles set by hand are not copied", 25, 0, 1, {{0, 5000, ""}}},
    {"a limit beyond the chapters' clock keeps every chapter", 0, 9300000000, 0,
     {{0, 10000, "one"}, {10000, 20000, "two"}, {20000, 30000, "three"}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, ChapterCopy, ::testing::ValuesIn(kChapterCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesFixtures, AChapterWhoseTimeBaseHasNoNumeratorIsLeftOut) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("chapters.mkv")));
    tc_state().input_files[0]->ctx->chapters[1]->time_base = AVRational{0, 1000};
    PerFileOptions o;
    o.start_time = 5 * AV_TIME_BASE;
    tc_open_target_file(&o, outputPath("out.mkv").c_str());
    const AVFormatContext* oc = tc_state().output_files[0]->ctx.get();
    ASSERT_EQ(oc->nb_chapters, 2u);
    EXPECT_EQ(oc->chapters[0]->start, 0);
    EXPECT_DOUBLE_EQ(oc->chapters[1]->start * av_q2d(oc->chapters[1]->time_base), 15.0);
}

TEST_F(TargetFilesFixtures, ChapterSourceIndexOutsideTheInputsEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("chapters.mkv")));
    PerFileOptions o;
    o.chapters_input_file = 3;
    const std::string out = outputPath("out.mkv");
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); }), 1);
    EXPECT_EQ(log.str(), "Invalid input file index 3 in chapter mapping.\n");
}

TEST_F(TargetFilesFixtures, FirstInputMetadataIsCopiedWithoutCreationTimeOrDuration) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("chapters.mkv")));
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("hd_stereo.mkv")));
    av_dict_set(&tc_state().input_files[0]->ctx->metadata, "duration", "30", 0);
    PerFileOptions o;
    o.recording_time = 2 * AV_TIME_BASE;
    o.stream_maps = {map(0)};
    o.stream_maps[0].file_index = 1;
    o.stream_maps.push_back(map(1));
    o.stream_maps.back().file_index = 1;
    tc_open_target_file(&o, outputPath("out.mkv").c_str());

    const AVFormatContext* oc = tc_state().output_files[0]->ctx.get();
    EXPECT_STREQ(av_dict_get(oc->metadata, "title", nullptr, 0)->value, "Album");
    EXPECT_EQ(av_dict_get(oc->metadata, "creation_time", nullptr, 0), nullptr);
    EXPECT_EQ(av_dict_get(oc->metadata, "duration", nullptr, 0), nullptr);
    EXPECT_EQ(oc->duration, 2 * AV_TIME_BASE);
    const AVDictionaryEntry* language =
        av_dict_get(oc->streams[1]->metadata, "language", nullptr, 0);
    ASSERT_NE(language, nullptr);
    EXPECT_STREQ(language->value, "ger");
}

// The overwrite check on an existing file.
struct OverwriteCase {
    const char* description;
    int overwrite; // -y
    int never;     // -n
    int interaction;
    const char* answer; // on standard input, or null
    const char* name;   // the file name; "@" stands for the existing file's path
    const char* fatal;  // with "%s" for the path, or null when the call returns
};

void PrintTo(const OverwriteCase& c, std::ostream* out) {
    *out << c.description;
}

class OverwriteCheck : public TargetFilesTestBase,
                       public ::testing::WithParamInterface<OverwriteCase> {};

// Runs call with input on standard input.
template <class Call> void withInput(const char* input, Call&& call) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    (void)!write(fds[1], input, std::strlen(input));
    close(fds[1]);
    const int saved = dup(STDIN_FILENO);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    clearerr(stdin);
    call();
    dup2(saved, STDIN_FILENO);
    close(saved);
    clearerr(stdin);
}

std::string replaced(const char* pattern, const std::string& path) {
    std::string text = pattern;
    const size_t at = text.find_first_of("@%");
    if (at != std::string::npos)
        text.replace(at, text[at] == '@' ? 1 : 2, path);
    return text;
}

TEST_P(OverwriteCheck, AsksOrRefusesAsTheOptionsSay) {
    const OverwriteCase& c = GetParam();
    const std::string path = TestEnvironment::makeTempFolder().toStdString() + "/existing.mp3";
    writeText(path, "keep me");
    TranscoderState& state = tc_state();
    state.file_overwrite = c.overwrite;
    state.no_file_overwrite = c.never;
    state.stdin_interaction = c.interaction;
    const std::string name = replaced(c.name, path);

    MessageCapture log;
    std::optional<int> status;
    withInput(c.answer ? c.answer : "",
              [&] { status = exitStatusOf([&] { tc_confirm_overwrite(name.c_str()); }); });
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGQUIT, SIG_DFL);
    std::signal(SIGXCPU, SIG_DFL);
    if (c.fatal) {
        EXPECT_EQ(status, 1);
        EXPECT_EQ(log.str(), replaced(c.fatal, name));
    } else {
        EXPECT_EQ(status, std::nullopt) << log.str();
    }
    EXPECT_EQ(readText(path), "keep me");
}

// clang-format off
const OverwriteCase kOverwriteCases[] = {
    {"y overwrites without asking", 1, 0, 1, nullptr, "@", nullptr},
    {"n refuses", 0, 1, 1, nullptr, "@", "File '%s' already exists. Exiting.\n"},
    {"y and n together still refuse", 1, 1, 0, nullptr, "@",
     "File '%s' already exists. Exiting.\n"},
    {"no interaction refuses", 0, 0, 0, nullptr, "@", "File '%s' already exists. Exiting.\n"},
    {"answer no", 0, 0, 1, "n\n", "@", "Not overwriting - exiting\n"},
    {"end of input is no", 0, 0, 1, "", "@", "Not overwriting - exiting\n"},
    {"answer yes", 0, 0, 1, "y\n", "@", nullptr},
    {"a file URL is checked", 0, 0, 0, nullptr, "file:@", "File '%s' already exists. Exiting.\n"},
    {"a missing file needs no answer", 0, 1, 0, nullptr, "@.new", nullptr},
    {"another protocol is not a local file", 0, 1, 0, nullptr, "pipe:1", nullptr},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, OverwriteCheck, ::testing::ValuesIn(kOverwriteCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

TEST_F(TargetFilesFixtures, ARefusedOutputKeepsTheExistingFile) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0", "lavfi"));
    const std::string out = outputPath("existing output.wav");
    writeText(out, "the user's file");
    tc_state().no_file_overwrite = 1;
    PerFileOptions o;
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); }), 1);
    EXPECT_EQ(log.str(), "File '" + out + "' already exists. Exiting.\n");
    EXPECT_EQ(readText(out), "the user's file");
    EXPECT_TRUE(tc_state().output_files.empty());
}

TEST_F(TargetFilesFixtures, OutputFilesAreOpenedWithTheirMuxTimingAndFormatOptions) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("aevalsrc=0", "lavfi"));
    const std::string out = outputPath("timed.mkv");
    av_dict_set(&tool_format_options, "live", "1", 0);
    PerFileOptions o;
    o.mux_preload = 0.5f;
    o.mux_max_delay = 0.25f;
    tc_open_target_file(&o, out.c_str());

    ASSERT_EQ(tc_state().output_files.size(), 1u);
    const TargetFile* of = tc_state().output_files[0].get();
    EXPECT_NE(of->ctx->pb, nullptr);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out)));
    EXPECT_EQ(of->ctx->max_delay, 250000);
    EXPECT_STREQ(av_dict_get(of->opts.get(), "preload", nullptr, 0)->value, "500000");
    EXPECT_STREQ(av_dict_get(of->opts.get(), "live", nullptr, 0)->value, "1");
}

TEST_F(TargetFilesFixtures, AFormatNeedingAFrameNumberRefusesANameWithout) {
    ASSERT_NO_FATAL_FAILURE(appendSourceFile("testsrc=size=32x32", "lavfi"));
    const std::string out = outputPath("chunk.webm");
    PerFileOptions o;
    o.format = "webm_chunk";
    MessageCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); }), 1);
    EXPECT_EQ(log.str(), out + ": Invalid argument\n");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
}

} // namespace
