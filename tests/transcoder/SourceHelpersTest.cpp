#include "SourceFilesTestSupport.h"

#include "transcoder/per_stream_values.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

using namespace source_files_test;

namespace {

// Found by argument-dependent lookup for the cases below.
using source_files_test::PrintTo;

struct MetadataSpecCase {
    const char* description;
    const char* text;
    char type;
    int index; // -1: left as it was
    const char* streamSpec;
};

class MetadataSpecifiers : public ::testing::TestWithParam<MetadataSpecCase> {};

TEST_P(MetadataSpecifiers, ReadTypeIndexAndStreamSpecifier) {
    const MetadataSpecCase& c = GetParam();
    char type = 0;
    int index = -1;
    const char* streamSpec = "untouched";
    ASSERT_EQ(exitStatusOf([&] { tc_parse_metadata_spec(c.text, &type, &index, &streamSpec); }),
              std::nullopt);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(index, c.index);
    EXPECT_STREQ(streamSpec, c.streamSpec);
}

const MetadataSpecCase kMetadataSpecs[] = {
    {"empty is global", "", 'g', -1, ""},
    {"g is global", "g", 'g', -1, ""},
    {"s alone is every stream", "s", 's', -1, ""},
    {"s with a stream specifier", "s:a:1", 's', -1, "a:1"},
    {"chapter with an index", "c:3", 'c', 3, ""},
    {"program with a hexadecimal index", "p:0x10", 'p', 16, ""},
    {"chapter without an index keeps it", "c", 'c', -1, ""},
};

INSTANTIATE_TEST_SUITE_P(SourceHelpers, MetadataSpecifiers, ::testing::ValuesIn(kMetadataSpecs),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct FatalText {
    const char* description;
    const char* text;
    const char* message;
};

class BadMetadataSpecifiers : public ::testing::TestWithParam<FatalText> {};

TEST_P(BadMetadataSpecifiers, EndTheProgramWithTheirMessage) {
    const FatalText& c = GetParam();
    char type = 0;
    int index = 0;
    const char* streamSpec = nullptr;
    const LogCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_parse_metadata_spec(c.text, &type, &index, &streamSpec); }),
              std::optional<int>(1));
    EXPECT_EQ(log.str(), c.message);
}

const FatalText kBadMetadataSpecs[] = {
    {"unknown type letter", "x:1", "Invalid metadata type x.\n"},
    {"s without a colon", "sa", "Invalid metadata specifier sa.\n"},
};

INSTANTIATE_TEST_SUITE_P(SourceHelpers, BadMetadataSpecifiers,
                         ::testing::ValuesIn(kBadMetadataSpecs),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct CodecLookup {
    const char* description;
    const char* name;
    AVMediaType type;
    int encoder;
    const char* found;   // codec name, or null when the lookup ends the program
    const char* message; // what the log must hold
};

class CodecLookups : public ::testing::TestWithParam<CodecLookup> {};

TEST_P(CodecLookups, FindTheCodecOrEndWithTheirMessage) {
    const CodecLookup& c = GetParam();
    const AVCodec* codec = nullptr;
    av_log_set_level(AV_LOG_VERBOSE);
    const LogCapture log;
    const std::optional<int> status =
        exitStatusOf([&] { codec = tc_find_codec(c.name, c.type, c.encoder); });
    av_log_set_level(AV_LOG_INFO);
    if (c.found) {
        ASSERT_EQ(status, std::nullopt) << log.str();
        ASSERT_NE(codec, nullptr);
        EXPECT_STREQ(codec->name, c.found);
        EXPECT_EQ(codec->type, c.type);
        EXPECT_EQ(av_codec_is_encoder(codec) != 0, c.encoder != 0);
    } else {
        EXPECT_EQ(status, std::optional<int>(1));
    }
    EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
}

const CodecLookup kCodecLookups[] = {
    {"decoder by its name", "flac", AVMEDIA_TYPE_AUDIO, 0, "flac", ""},
    {"decoder through its descriptor", "dvd_subtitle", AVMEDIA_TYPE_SUBTITLE, 0, "dvdsub",
     "Matched decoder 'dvdsub' for codec 'dvd_subtitle'.\n"},
    {"unknown decoder", "no-such-codec", AVMEDIA_TYPE_AUDIO, 0, nullptr,
     "Unknown decoder 'no-such-codec'\n"},
    {"unknown encoder", "no-such-codec", AVMEDIA_TYPE_AUDIO, 1, nullptr,
     "Unknown encoder 'no-such-codec'\n"},
    {"decoder of another media type", "ffv1", AVMEDIA_TYPE_AUDIO, 0, nullptr,
     "Invalid decoder type 'ffv1'\n"},
    {"encoder of another media type", "flac", AVMEDIA_TYPE_VIDEO, 1, nullptr,
     "Invalid encoder type 'flac'\n"},
};

INSTANTIATE_TEST_SUITE_P(SourceHelpers, CodecLookups, ::testing::ValuesIn(kCodecLookups),
                         [](const auto& info) { return testNameFrom(info.param.description); });

struct LayoutCase {
    const char* description;
    int channels;
    bool alreadyNative;
    int result;
    uint64_t mask;       // the decoder's layout afterwards (0: still unordered)
    const char* message; // null: nothing logged
};

class GuessedLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(GuessedLayouts, TakeTheDefaultLayoutForTheChannelCount) {
    const LayoutCase& c = GetParam();
    AVFormatContext* owner = avformat_alloc_context();
    const InputContextPtr context(owner);
    AVStream* st = avformat_new_stream(owner, nullptr);
    ASSERT_NE(st, nullptr);
    st->index = 4;
    SourceStream ist;
    ist.file_index = 2;
    ist.st = st;
    ist.dec_ctx.reset(avcodec_alloc_context3(nullptr));
    if (c.alreadyNative)
        av_channel_layout_from_mask(&ist.dec_ctx->ch_layout, AV_CH_LAYOUT_QUAD);
    else
        ist.dec_ctx->ch_layout = AVChannelLayout{AV_CHANNEL_ORDER_UNSPEC, c.channels, {}, {}};

    const LogCapture log;
    EXPECT_EQ(tc_guess_source_layout(&ist), c.result);
    const AVChannelLayout& layout = ist.dec_ctx->ch_layout;
    EXPECT_EQ(layout.order == AV_CHANNEL_ORDER_NATIVE ? layout.u.mask : 0, c.mask);
    EXPECT_EQ(log.str(), c.message ? c.message : "");
    if (c.message) {
        EXPECT_EQ(av_channel_layout_compare(&st->codecpar->ch_layout, &layout), 0);
    }
}

const LayoutCase kLayouts[] = {
    {"six channels guessed as 5.1", 6, false, 1, AV_CH_LAYOUT_5POINT1_BACK,
     "Guessed Channel Layout for  Input Stream #2.4 : 5.1\n"},
    {"no channels have no layout", 0, false, 0, 0, nullptr},
    {"a count without a named layout stays unknown", 9, false, 0, 0, nullptr},
    {"a known layout is kept without a message", 4, true, 1, AV_CH_LAYOUT_QUAD, nullptr},
};

INSTANTIATE_TEST_SUITE_P(SourceHelpers, GuessedLayouts, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
