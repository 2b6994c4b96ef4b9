// Hostile numbers and stream specifiers on whole command lines: each is refused with status 1
// and one message that shows it as written, before anything reaches the output file.

#include "OptionTestSupport.h"
#include "TargetFilesTestSupport.h"

#include <QFile>

#include <string>
#include <vector>

namespace {

struct HostileCase {
    const char* description;
    // "IN": picture and stereo sound; "SUBS": picture and two subtitles; "CHAPTERS": sound with
    // chapters; "ATTACHED": sound with an attachment; "OUT": the output file
    std::vector<std::string> words;
    std::string message;
};

// A matrix of 64 coefficients whose first one is given.
std::string matrixStartingWith(const char* first) {
    std::string matrix = first;
    for (int i = 1; i < 64; ++i)
        matrix += ",16";
    return matrix;
}

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.description;
}

// Options such as -dc set process-wide values: every row starts and ends with the defaults.
class HostileNumbers : public TargetFilesFixtures,
                       public ::testing::WithParamInterface<HostileCase> {
protected:
    void SetUp() override {
        TargetFilesFixtures::SetUp();
        resetTranscoderState();
    }
    void TearDown() override {
        resetTranscoderState();
        TargetFilesFixtures::TearDown();
    }
};

TEST_P(HostileNumbers, AreRefusedOnceWithStatusOneAndNoOutput) {
    const std::string out = outputPath("out.mkv");
    std::vector<std::string> words;
    for (const std::string& word : GetParam().words)
        words.push_back(word == "IN"         ? fixture("hd_stereo.mkv")
                        : word == "SUBS"     ? fixture("subs.mkv")
                        : word == "CHAPTERS" ? fixture("chapters.mkv")
                        : word == "ATTACHED" ? fixture("attached.mkv")
                        : word == "OUT"      ? out
                                             : word);

    MessageCapture log;
    EXPECT_EQ(runCommandLine(words), 1);
    const std::string text = log.str();
    const std::string message = GetParam().message;
    EXPECT_NE(text.find(message), std::string::npos) << text;
    EXPECT_EQ(text.find(message), text.rfind(message)) << "reported more than once:\n" << text;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    EXPECT_EQ(tc_state().audio_drift_threshold, TranscoderState{}.audio_drift_threshold);
}

// The bounds of a float option, as the out-of-range message shows them.
const std::string kFloatRange = "340282346638528859811704183484516925440.000000 - "
                                "340282346638528859811704183484516925440.000000";

// clang-format off
const HostileCase kHostileCases[] = {
    {"a bad stream specifier on a codec option",
     {"-i", "IN", "-vn", "-c:a", "pcm_s16le", "-b:a", "96k", "-compression_level", "2", "-b:q",
      "1", "OUT"},
     "Invalid stream specifier: q.\n"},
    {"a bad stream specifier on an input's codec option", {"-b:q", "1", "-i", "IN", "OUT"},
     "Invalid stream specifier: q.\n"},
    {"a timestamp scale that is no number", {"-itsscale", "nan", "-i", "IN", "OUT"},
     "The value for itsscale was nan which is not within -inf - inf\n"},
    {"a drift threshold that is no number", {"-adrift_threshold", "nan", "-i", "IN", "OUT"},
     "The value for adrift_threshold was nan which is not within -" + kFloatRange + "\n"},
    {"a drift threshold beyond float", {"-adrift_threshold", "1e39", "-i", "IN", "OUT"},
     "The value for adrift_threshold was 1e39 which is not within -" + kFloatRange + "\n"},
    {"a video sync method after a name that is no number",
     {"-vsync", "cfr", "-vsync", "abc", "-i", "IN", "OUT"},
     "Expected number for vsync but found: abc\n"},
    {"a video sync method after a number that is no number",
     {"-vsync", "1", "-vsync", "nan", "-i", "IN", "OUT"},
     "The value for vsync was nan which is not within -1.000000 - 2.000000\n"},
    {"an attachment dumped to a full disk",
     {"-y", "-dump_attachment:t", "/dev/full", "-i", "ATTACHED", "OUT"},
     "Could not write attachment to file /dev/full: No space left on device\n"},
    {"a chapter map of input 2147483647", {"-i", "CHAPTERS", "-map_chapters", "2147483647", "OUT"},
     "Invalid input file index 2147483647 in chapter mapping.\n"},
    {"a map without an index", {"-i", "IN", "-map", "", "OUT"}, "Invalid input file index: .\n"},
    {"a map synced without an index", {"-i", "IN", "-map", "0,", "OUT"},
     "Invalid sync file index: .\n"},
    {"a metadata map without an index", {"-i", "IN", "-map_metadata", "", "OUT"},
     "Invalid input file index  while processing metadata maps\n"},
    {"a stream id beyond int", {"-i", "IN", "-streamid", "1000:123456789012", "OUT"},
     "The value for streamid was 123456789012 which is not within 0.000000 - 2147483647.000000\n"},
    {"an audio tag beyond 32 bits", {"-i", "IN", "-tag:a", "0x1ffffffff", "OUT"},
     "The value for tag:a was 0x1ffffffff which is not within 0.000000 - 4294967295.000000\n"},
    {"an input's audio tag of 20 digits", {"-atag", "12345678901234567890", "-i", "IN", "OUT"},
     "The value for tag:a was 12345678901234567890 which is not within 0.000000 - "
     "4294967295.000000\n"},
    {"a video tag of -1", {"-i", "IN", "-vtag", "-1", "OUT"},
     "The value for tag:v was -1 which is not within 0.000000 - 4294967295.000000\n"},
    {"a mux delay beyond the microseconds an int holds", {"-i", "IN", "-muxdelay", "1e30", "OUT"},
     "The value for muxdelay was 1e30 which is not within -2147.483648 - 2147.483647\n"},
    {"an endless mux preload", {"-i", "IN", "-muxpreload", "inf", "OUT"},
     "The value for muxpreload was inf which is not within -" + kFloatRange + "\n"},
    {"a mux preload beyond the microseconds 64 bits hold",
     {"-i", "IN", "-muxpreload", "1e30", "OUT"},
     "The value for muxpreload was 1e30 which is not within -9223372036854.775391 - "
     "9223372036854.775391\n"},
    {"a quality beyond the lambdas an int holds", {"-i", "IN", "-vn", "-q:a", "3e7", "OUT"},
     "The value for q:a was 3e7 which is not within -18199013.966102 - 18199013.957627\n"},
    {"an intra DC precision at the bottom of int",
     {"-i", "IN", "-an", "-c:v", "mpeg4", "-dc", "-2147483648", "OUT"},
     "The value for dc was -2147483648 which is not within -2147483640.000000 - "
     "2147483647.000000\n"},
    {"a rate control override beyond int",
     {"-i", "IN", "-an", "-c:v", "mpeg4", "-rc_override", "0,99999999999,2", "OUT"},
     "error parsing rc_override\n"},
    {"a map of input file 2 to the 32", {"-i", "IN", "-map", "4294967296", "OUT"},
     "Invalid input file index: 4294967296.\n"},
    {"a map synced to input file 2 to the 32", {"-i", "IN", "-map", "0,4294967296", "OUT"},
     "Invalid sync file index: 4294967296.\n"},
    {"a metadata map of a file beyond int", {"-i", "IN", "-map_metadata", "99999999999", "OUT"},
     "Invalid input file index 99999999999 while processing metadata maps\n"},
    {"a metadata target chapter of 2 to the 32",
     {"-i", "IN", "-metadata:c:4294967296", "title=x", "OUT"},
     "Invalid metadata specifier c:4294967296.\n"},
    {"a channel map of a file beyond int", {"-i", "IN", "-map_channel", "99999999999.0.0", "OUT"},
     "mapchan: invalid input file index: 99999999999\n"},
    {"a channel map of channel 2 to the 32",
     {"-i", "IN", "-map_channel", "0.1.4294967296", "OUT"},
     "mapchan: invalid audio channel #0.1.4294967296\n"},
    {"a muted channel for an output file beyond int",
     {"-i", "IN", "-map_channel", "-1:99999999999.0", "OUT"},
     "Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]\n"},
    {"a graph input label beyond 64 bits",
     {"-i", "IN", "-filter_complex", "[99999999999999999999]anull", "OUT"},
     "Invalid file index 99999999999999999999 in filtergraph description "
     "[99999999999999999999]anull.\n"},
    {"a start time the input's own start takes past the range",
     {"-ss", "9223372036854.775807", "-f", "lavfi", "-i", "sine=d=0.2,asetpts=PTS+1/TB", "OUT"},
     "The value for ss was 9223372036854.775807 which puts a timestamp out of range\n"},
    {"an input offset the start time takes past the range",
     {"-itsoffset", "-9223372036854", "-ss", "1", "-i", "IN", "OUT"},
     "The value for itsoffset was -9223372036854 which puts a timestamp out of range\n"},
    {"an output start beyond the chapters' clock", {"-i", "CHAPTERS", "-ss", "-9300000000", "OUT"},
     "The value for ss was -9300000000 which puts a timestamp out of range\n"},
    {"an input offset beyond the chapters' clock",
     {"-itsoffset", "9300000000", "-i", "CHAPTERS", "OUT"},
     "The value for itsoffset was 9300000000 which puts a timestamp out of range\n"},
    {"an output start beyond the chapters' clock after a small input offset",
     {"-itsoffset", "1", "-i", "CHAPTERS", "-ss", "-9300000000", "OUT"},
     "The value for ss was -9300000000 which puts a timestamp out of range\n"},
    {"a map of stream 2 to the 32", {"-i", "IN", "-map", "0:4294967296", "OUT"},
     "Invalid stream specifier: 4294967296.\n"},
    {"a negative map of stream 2 to the 32",
     {"-i", "IN", "-map", "0", "-map", "-0:4294967296", "OUT"},
     "Invalid stream specifier: 4294967296.\n"},
    {"a negative map of stream 2 to the 32 of an input without maps",
     {"-i", "IN", "-i", "CHAPTERS", "-map", "1", "-map", "-0:4294967296", "OUT"},
     "Invalid stream specifier: 4294967296.\n"},
    {"a bitrate for audio stream 2 to the 32 of copied streams",
     {"-i", "IN", "-c", "copy", "-b:a:4294967296", "96k", "OUT"},
     "Invalid stream specifier: a:4294967296.\n"},
    {"a codec for audio stream 2 to the 32 of a file without streams",
     {"-i", "IN", "-vn", "-an", "-c:a:4294967296", "copy", "OUT"},
     "Invalid stream specifier: a:4294967296.\n"},
    {"metadata for audio stream 2 to the 32 of a file without streams",
     {"-i", "IN", "-vn", "-an", "-metadata:s:a:4294967296", "title=x", "OUT"},
     "Invalid stream specifier: a:4294967296.\n"},
    {"a graph input of stream 2 to the 32 among three it may take",
     {"-i", "SUBS", "-filter_complex", "[0:4294967296]null", "OUT"},
     "Invalid stream specifier: 4294967296.\n"},
    {"a map of audio stream 2 to the 32", {"-i", "IN", "-map", "0:a:4294967296", "OUT"},
     "Invalid stream specifier: a:4294967296.\n"},
    {"a map of stream id 2 to the 32", {"-i", "IN", "-map", "0:#4294967296", "OUT"},
     "Invalid stream specifier: #4294967296.\n"},
    {"a map of program 2 to the 32", {"-i", "IN", "-map", "0:p:4294967296", "OUT"},
     "Invalid stream specifier: p:4294967296.\n"},
    {"an intra matrix coefficient of 2 to the 16",
     {"-i", "IN", "-an", "-c:v", "mpeg4", "-intra_matrix", matrixStartingWith("65536"), "OUT"},
     "Syntax error in matrix \"" + matrixStartingWith("65536") + "\" at coeff 0\n"},
    {"an inter matrix coefficient beyond int",
     {"-i", "IN", "-an", "-c:v", "mpeg4", "-inter_matrix", matrixStartingWith("99999999999"),
      "OUT"},
     "Syntax error in matrix \"" + matrixStartingWith("99999999999") + "\" at coeff 0\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CommandLines, HostileNumbers, ::testing::ValuesIn(kHostileCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
