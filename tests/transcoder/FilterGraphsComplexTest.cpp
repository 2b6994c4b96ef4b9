#include "FilterGraphsTestSupport.h"
#include "TranscoderTestSupport.h"

#include <algorithm>

namespace {

using FilterGraphsComplexTest = GraphRecordsTest;

// As the filter_complex option leaves a graph.
GraphRecord* addComplexGraph(const char* description) {
    TranscoderState& state = tc_state();
    auto fg = std::make_unique<GraphRecord>();
    fg->index = int(state.filtergraphs.size());
    fg->graph_desc = description;
    state.filtergraphs.push_back(std::move(fg));
    return state.filtergraphs.back().get();
}

GraphOutput* pendingOutput(GraphRecord* fg, const char* label) {
    for (const auto& ofilter : fg->outputs)
        if (ofilter->out_tmp && ofilter->out_tmp->name &&
            std::string(label) == ofilter->out_tmp->name)
            return ofilter.get();
    return nullptr;
}

// As the output side does when it binds a pending output to a new stream.
int bindOutput(GraphRecord* fg, GraphOutput* ofilter, TargetStream* ost) {
    ofilter->ost = ost;
    ost->filter = ofilter;
    const int ret = tc_attach_graph_output(fg, ofilter, ofilter->out_tmp.get());
    ofilter->out_tmp.reset();
    return ret;
}

// File 0: video 640×480 and stereo 44.1 kHz audio. File 1: six-channel 48 kHz audio.
void addTwoFiles() {
    addSourceFile({videoSpec(640, 480), audioSpec(44100, 2)});
    addSourceFile({audioSpec(48000, 6)});
}

TEST_F(FilterGraphsComplexTest, LabelledInputsAreBoundAndOutputsWaitForStreams) {
    addTwoFiles();
    GraphRecord* fg = addComplexGraph("[1:a]volume=0.5[vol];[0:v]hflip[pic]");
    ASSERT_EQ(tc_build_graph(fg), 0);

    ASSERT_EQ(fg->inputs.size(), 2u);
    EXPECT_EQ(fg->inputs[0]->ist, sourceStream(2));
    EXPECT_EQ(fg->inputs[1]->ist, sourceStream(0));
    for (size_t position : {0u, 2u}) {
        const SourceStream* ist = sourceStream(position);
        EXPECT_EQ(ist->discard, 0);
        EXPECT_EQ(ist->decoding_needed, 1);
        EXPECT_EQ(ist->st->discard, AVDISCARD_NONE);
        EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(position)), 1);
    }
    EXPECT_EQ(sourceStream(1)->discard, 1);
    EXPECT_EQ(sourceStream(1)->st->discard, AVDISCARD_ALL);
    EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(1)), 0);
    EXPECT_EQ(fg->inputs[0]->filter, filterNamed(fg->graph.get(), "graph 0 input from stream 1:0"));

    ASSERT_EQ(fg->outputs.size(), 2u);
    for (const auto& ofilter : fg->outputs) {
        ASSERT_NE(ofilter->out_tmp, nullptr);
        EXPECT_EQ(ofilter->out_tmp->next, nullptr);
        EXPECT_EQ(ofilter->ost, nullptr);
        EXPECT_EQ(ofilter->graph, fg);
    }
    std::vector<std::string> labels{fg->outputs[0]->out_tmp->name, fg->outputs[1]->out_tmp->name};
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"pic", "vol"}));
}

TEST_F(FilterGraphsComplexTest, BoundOutputsConfigureAndFilterAndSurviveARebuild) {
    addTwoFiles();
    GraphRecord* fg = addComplexGraph("[1:a]volume=0.5[vol];[0:v]hflip[pic]");
    ASSERT_EQ(tc_build_graph(fg), 0);
    TargetStream* audio = addTargetStream("pcm_f32le", AVMEDIA_TYPE_AUDIO);
    audio->enc_ctx->sample_rate = 48000;
    TargetStream* video = addTargetStream("png", AVMEDIA_TYPE_VIDEO);
    GraphOutput* volume = pendingOutput(fg, "vol");
    GraphOutput* picture = pendingOutput(fg, "pic");
    ASSERT_TRUE(volume && picture);
    ASSERT_EQ(bindOutput(fg, volume, audio), 0);
    ASSERT_EQ(bindOutput(fg, picture, video), 0);
    ASSERT_EQ(avfilter_graph_config(fg->graph.get(), nullptr), 0);

    EXPECT_EQ(volume->name, "volume");
    EXPECT_EQ(picture->name, "hflip");
    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(48000, 6, 480, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, 0));
    const auto out = filterFrames(fg->inputs[0]->filter, volume->filter, std::move(frames));
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0]->ch_layout.nb_channels, 6);
    EXPECT_NEAR(reinterpret_cast<const float*>(out[0]->data[0])[0], 0.25f, 1e-4);

    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_EQ(fg->inputs.size(), 2u);
    EXPECT_EQ(fg->outputs.size(), 2u);
    EXPECT_EQ(sourceStream(2)->filters.size(), 1u);
    EXPECT_EQ(picture->filter, filterNamed(fg->graph.get(), "output stream 0:1"));
    EXPECT_EQ(volume->filter, filterNamed(fg->graph.get(), "output stream 0:0"));
    EXPECT_EQ(fg->inputs[1]->filter, filterNamed(fg->graph.get(), "graph 0 input from stream 0:0"));
}

struct BindingCase {
    const char* description;
    const char* graph;
    int already_used; // a source stream whose discard is cleared first; -1: none
    size_t bound;     // position of the source stream the input reads
};

class InputBindingTest : public GraphRecordsTest,
                         public ::testing::WithParamInterface<BindingCase> {};

TEST_P(InputBindingTest, InputReadsTheStreamItsLabelOrTypeNames) {
    const BindingCase& c = GetParam();
    addTwoFiles();
    if (c.already_used >= 0)
        sourceStream(size_t(c.already_used))->discard = 0;
    GraphRecord* fg = addComplexGraph(c.graph);
    ASSERT_EQ(tc_build_graph(fg), 0);
    ASSERT_EQ(fg->inputs.size(), 1u);
    EXPECT_EQ(fg->inputs[0]->ist, sourceStream(c.bound));
}

INSTANTIATE_TEST_SUITE_P(
    Labels, InputBindingTest,
    ::testing::Values(BindingCase{"stream index after the file", "[0:1]anull", -1, 1},
                      BindingCase{"hexadecimal file index", "[0x1:a]anull", -1, 2},
                      BindingCase{"file index alone", "[1]anull", -1, 2},
                      BindingCase{"unlabelled takes the first unused audio", "anull", -1, 1},
                      BindingCase{"unlabelled skips a used stream", "anull", 1, 2},
                      BindingCase{"labelled may take a used stream", "[0:a]anull", 1, 1},
                      BindingCase{"unlabelled video", "null", -1, 0}),
    [](const auto& info) { return testNameFrom(info.param.description); });

struct BindingFailureCase {
    const char* description;
    const char* graph;
    const char* message;
};

class InputBindingFailureTest : public GraphRecordsTest,
                                public ::testing::WithParamInterface<BindingFailureCase> {};

TEST_P(InputBindingFailureTest, EndsTheProgramWithTheReason) {
    const BindingFailureCase& c = GetParam();
    addTwoFiles();
    GraphRecord* fg = addComplexGraph(c.graph);
    LogCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_build_graph(fg); }), 1);
    EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    EXPECT_TRUE(tc_state().filtergraphs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Labels, InputBindingFailureTest,
    ::testing::Values(
        BindingFailureCase{"file index past the files", "[2:a]anull",
                           "Invalid file index 2 in filtergraph description [2:a]anull.\n"},
        BindingFailureCase{"negative file index", "[-1:a]anull",
                           "Invalid file index -1 in filtergraph description [-1:a]anull.\n"},
        BindingFailureCase{"specifier of another type", "[1:v]null",
                           "Stream specifier 'v' in filtergraph description [1:v]null matches "
                           "no streams.\n"},
        BindingFailureCase{"no unused stream left", "[0:v]null[a];null[b]",
                           "Cannot find a matching stream for unlabeled input pad 0 on filter "
                           "Parsed_null_1\n"}),
    [](const auto& info) { return testNameFrom(info.param.description); });

struct CanvasCase {
    const char* description;
    std::vector<StreamSpec> streams;
    int width;
    int height;
    bool derived; // the size was worked out and logged
};

class SubtitleCanvasTest : public GraphRecordsTest,
                           public ::testing::WithParamInterface<CanvasCase> {};

TEST_P(SubtitleCanvasTest, SubtitlesGetACanvasOfTheVideosSize) {
    const CanvasCase& c = GetParam();
    addSourceFile(c.streams);
    GraphRecord* fg = addComplexGraph("[0:s]null[o]");
    LogCapture log;
    ASSERT_EQ(tc_build_graph(fg), 0);

    SourceStream* ist = fg->inputs.at(0)->ist;
    ASSERT_EQ(ist->st->codecpar->codec_type, AVMEDIA_TYPE_SUBTITLE);
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    AVFilterContext* source = fg->inputs[0]->filter;
    EXPECT_EQ(optionOf(source, "video_size"), size);
    EXPECT_EQ(optionOf(source, "pix_fmt"), "bgra");
    EXPECT_EQ(ist->sub2video.w, c.width);
    EXPECT_EQ(ist->sub2video.h, c.height);
    ASSERT_NE(ist->sub2video.ref, nullptr);
    EXPECT_GE(ist->sub2video.ref->size, size_t(c.width) * size_t(c.height) * 4);
    EXPECT_EQ(ist->sub2video.ref->data[ist->sub2video.ref->size - 1], 0);
    const bool logged =
        log.str().find("sub2video: using " + size + " canvas\n") != std::string::npos;
    EXPECT_EQ(logged, c.derived) << log.str();
}

INSTANTIATE_TEST_SUITE_P(
    Files, SubtitleCanvasTest,
    ::testing::Values(
        CanvasCase{
            "size of the files video", {videoSpec(1920, 1080), subtitleSpec()}, 1920, 1080, true},
        CanvasCase{"no video gives the default", {subtitleSpec()}, 720, 576, true},
        CanvasCase{"largest width and height apart",
                   {videoSpec(320, 200), videoSpec(640, 100), subtitleSpec()},
                   640,
                   200,
                   true},
        CanvasCase{
            "own size kept", {videoSpec(1920, 1080), subtitleSpec(640, 360)}, 640, 360, false}),
    [](const auto& info) { return testNameFrom(info.param.description); });

} // namespace
