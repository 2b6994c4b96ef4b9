// Metadata maps and metadata of an output file. The inputs: 0 is chapters.mkv (sound; title
// "Album", artist "Someone", chapters "one", "two", "three"), 1 is hd_stereo.mkv (picture and
// sound in German). The output maps 0:0, 1:0 and 1:1, so its streams are s0 (sound), s1
// (picture) and s2 (German sound).

#include "TargetFilesTestSupport.h"

#include "transcoder/target_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A key in one dictionary of the output: "g", "s0".."s2" or "c0".."c2"; null value: absent.
struct Expected {
    const char* where;
    const char* key;
    const char* value;
};

struct MetadataCase {
    const char* description;
    SpecifiedList maps;     // metadata maps: specifier = output side, value = input side
    SpecifiedList metadata; // key=value with the target's specifier
    std::vector<Expected> expected;
    const char* fatal; // the message the program ends with, or null
};

void PrintTo(const MetadataCase& c, std::ostream* out) {
    *out << c.description;
}

SpecifiedValue use(const char* specifier, const char* value) {
    return {specifier, std::string(value)};
}

const AVDictionary* dictionaryAt(const AVFormatContext* oc, const char* where) {
    const unsigned index = static_cast<unsigned>(where[1] - '0');
    if (where[0] == 's')
        return index < oc->nb_streams ? oc->streams[index]->metadata : nullptr;
    if (where[0] == 'c')
        return index < oc->nb_chapters ? oc->chapters[index]->metadata : nullptr;
    return oc->metadata;
}

class TargetMetadata : public TargetFilesFixtures,
                       public ::testing::WithParamInterface<MetadataCase> {};

TEST_P(TargetMetadata, FollowsMapsAndSpecifiers) {
    const MetadataCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("chapters.mkv")));
    ASSERT_NO_FATAL_FAILURE(appendSourceFile(fixture("hd_stereo.mkv")));
    PerFileOptions o;
    for (const auto& [file, stream] : {std::pair{0, 0}, {1, 0}, {1, 1}}) {
        StreamMapEntry map;
        map.file_index = file;
        map.stream_index = stream;
        o.stream_maps.push_back(map);
    }
    o.metadata_map = c.maps;
    o.metadata = c.metadata;
    const std::string out = outputPath("out.mkv");

    MessageCapture log;
    const std::optional<int> status = exitStatusOf([&] { tc_open_target_file(&o, out.c_str()); });
    if (c.fatal) {
        EXPECT_EQ(status, 1);
        EXPECT_EQ(log.str(), c.fatal);
        return;
    }
    ASSERT_EQ(status, std::nullopt) << log.str();
    const AVFormatContext* oc = tc_state().output_files[0]->ctx.get();
    for (const Expected& e : c.expected) {
        const AVDictionaryEntry* entry = av_dict_get(dictionaryAt(oc, e.where), e.key, nullptr, 0);
        if (e.value) {
            ASSERT_NE(entry, nullptr) << e.where << " " << e.key;
            EXPECT_STREQ(entry->value, e.value) << e.where << " " << e.key;
        } else {
            EXPECT_EQ(entry, nullptr) << e.where << " " << e.key << " = " << entry->value;
        }
    }
}

// clang-format off
const MetadataCase kMetadataCases[] = {
    {"the first input and each source stream by default",
     {}, {}, {{"g", "title", "Album"}, {"g", "creation_time", nullptr}, {"s2", "language", "ger"},
     {"s0", "language", nullptr}, {"c1", "title", "two"}}, nullptr},
    {"a global value replaces the copied one",
     {}, {use("", "title=New")}, {{"g", "title", "New"}, {"g", "artist", "Someone"}}, nullptr},
    {"an empty value removes a copied key",
     {}, {use("g", "artist=")}, {{"g", "artist", nullptr}, {"g", "title", "Album"}}, nullptr},
    {"a stream specifier sets every matching stream",
     {}, {use("s:a", "language=eng")},
     {{"s0", "language", "eng"}, {"s2", "language", "eng"}, {"s1", "language", nullptr}}, nullptr},
    {"a chapter specifier sets that chapter",
     {}, {use("c:1", "title=Second")}, {{"c1", "title", "Second"}, {"c0", "title", "one"}},
     nullptr},
    {"a negative map stops every default copy",
     {use("", "-1")}, {},
     {{"g", "title", nullptr}, {"s2", "language", nullptr}, {"c0", "title", nullptr}}, nullptr},
    {"a negative map for streams stops only stream copies",
     {use("s", "-1")}, {},
     {{"g", "title", "Album"}, {"s2", "language", nullptr}, {"c0", "title", "one"}}, nullptr},
    {"stream tags of the second input into every sound stream",
     {use("s:a", "1:s:a")}, {},
     {{"s0", "language", "ger"}, {"s1", "language", nullptr}, {"g", "title", "Album"}}, nullptr},
    {"a chapter's tags into the file",
     {use("g", "0:c:2")}, {},
     {{"g", "title", "three"}, {"g", "artist", nullptr}, {"s2", "language", "ger"}}, nullptr},
    {"an input stream specifier that matches nothing copies nothing",
     {use("g", "0:s:v")}, {}, {{"g", "title", nullptr}}, nullptr},
    {"no equals sign", {}, {use("", "title")}, {}, "No '=' character in metadata string title.\n"},
    {"a chapter index past the chapters",
     {}, {use("c:9", "title=x")}, {}, "Invalid chapter index 9 in metadata specifier.\n"},
    {"metadata for a program", {}, {use("p:0", "a=b")}, {}, "Invalid metadata specifier p:0.\n"},
    {"an unknown metadata type", {}, {use("x", "a=b")}, {}, "Invalid metadata type x.\n"},
    {"a map from an input that does not exist",
     {use("", "5")}, {}, {}, "Invalid input file index 5 while processing metadata maps\n"},
    {"a map from a chapter that does not exist",
     {use("", "0:c:7")}, {}, {}, "Invalid chapter index 7 while processing metadata maps.\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(TargetFiles, TargetMetadata, ::testing::ValuesIn(kMetadataCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
