#include "FilterGraphsTestSupport.h"

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

// As the output side binds the pending output with the label to a new stream.
GraphOutput* bindOutput(GraphRecord* fg, const char* label, TargetStream* ost) {
    for (const auto& ofilter : fg->outputs) {
        if (!ofilter->out_tmp || std::string(label) != ofilter->out_tmp->name)
            continue;
        ofilter->ost = ost;
        ost->filter = ofilter.get();
        EXPECT_EQ(tc_attach_graph_output(fg, ofilter.get(), ofilter->out_tmp.get()), 0);
        ofilter->out_tmp.reset();
        return ofilter.get();
    }
    ADD_FAILURE() << "no pending output " << label;
    return nullptr;
}

// File 0: video 640×480 and stereo audio. File 1: six-channel audio.
void addTwoFiles() {
    addSourceFile({videoSpec(640, 480), audioSpec(2)});
    addSourceFile({audioSpec(6)});
}

TEST_F(FilterGraphsComplexTest, LabelsBindInputsAndOutputsWaitForTheirStreams) {
    addTwoFiles();
    GraphRecord* fg = addComplexGraph("[1:a]volume=0.5[vol];[0:v]hflip[pic]");
    ASSERT_EQ(tc_build_graph(fg), 0);

    ASSERT_EQ(fg->inputs.size(), 2u);
    EXPECT_EQ(fg->inputs[0]->ist, sourceStream(2));
    EXPECT_EQ(fg->inputs[1]->ist, sourceStream(0));
    for (size_t position : {0u, 1u, 2u}) {
        const SourceStream* ist = sourceStream(position);
        const bool used = position != 1;
        EXPECT_EQ(ist->discard, used ? 0 : 1);
        EXPECT_EQ(ist->decoding_needed, used ? 1 : 0);
        EXPECT_EQ(ist->st->discard, used ? AVDISCARD_NONE : AVDISCARD_ALL);
        EXPECT_EQ(ist->filters.size(), used ? 1u : 0u);
        EXPECT_EQ(tc_stream_feeds_graph(fg, sourceStream(position)), used ? 1 : 0);
    }
    std::vector<std::string> labels;
    for (const auto& ofilter : fg->outputs) {
        ASSERT_NE(ofilter->out_tmp, nullptr);
        EXPECT_EQ(ofilter->out_tmp->next, nullptr);
        labels.push_back(ofilter->out_tmp->name);
    }
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"pic", "vol"}));

    // Bound to streams, the outputs configure, filter, and survive a rebuild.
    TargetStream* audio = addTargetStream("pcm_f32le", true);
    audio->enc_ctx->sample_rate = 48000;
    GraphOutput* volume = bindOutput(fg, "vol", audio);
    GraphOutput* picture = bindOutput(fg, "pic", addTargetStream("png", false));
    ASSERT_TRUE(volume && picture);
    ASSERT_EQ(avfilter_graph_config(fg->graph.get(), nullptr), 0);
    EXPECT_EQ(picture->name, "hflip");
    std::vector<FramePtr> frames;
    frames.push_back(audioFrame(std::vector<float>(6, 0.5f), 480, 0));
    const auto out = filterFrames(fg->inputs[0]->filter, volume->filter, std::move(frames));
    ASSERT_FALSE(out.empty());
    EXPECT_NEAR(reinterpret_cast<const float*>(out[0]->data[0])[5], 0.25f, 1e-4);

    ASSERT_EQ(tc_build_graph(fg), 0);
    EXPECT_EQ(fg->inputs.size(), 2u);
    EXPECT_EQ(fg->outputs.size(), 2u);
    EXPECT_EQ(sourceStream(2)->filters.size(), 1u);
    EXPECT_EQ(picture->filter, filterNamed(fg, "output stream 0:1"));
    EXPECT_EQ(fg->inputs[0]->filter, filterNamed(fg, "graph 0 input from stream 1:0"));
}

struct BindingCase {
    const char* description;
    const char* graph;
    int already_used; // a source stream whose discard is cleared first; -1: none
    size_t bound;     // the source stream the input reads
};
using InputBindingTest = GraphCaseTest<BindingCase>;

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

GRAPH_CASES(Labels, InputBindingTest,
            BindingCase{"stream index after the file", "[0:1]anull", -1, 1},
            BindingCase{"hexadecimal file index", "[0x1:a]anull", -1, 2},
            BindingCase{"unlabelled takes the first unused audio", "anull", -1, 1},
            BindingCase{"unlabelled skips a used stream", "anull", 1, 2},
            BindingCase{"labelled may take a used stream", "[0:a]anull", 1, 1});

struct BindingFailureCase {
    const char* description;
    const char* graph;
    const char* message;
};
using InputBindingFailureTest = GraphCaseTest<BindingFailureCase>;

TEST_P(InputBindingFailureTest, EndsTheProgramWithTheReason) {
    const BindingFailureCase& c = GetParam();
    addTwoFiles();
    GraphRecord* fg = addComplexGraph(c.graph);
    LogCapture log;
    EXPECT_EQ(exitStatusOf([&] { tc_build_graph(fg); }), 1);
    EXPECT_NE(log.str().find(c.message), std::string::npos) << log.str();
    EXPECT_TRUE(tc_state().filtergraphs.empty());
}

GRAPH_CASES(Labels, InputBindingFailureTest,
            BindingFailureCase{"file index past the files", "[2:a]anull",
                               "Invalid file index 2 in filtergraph description [2:a]anull.\n"},
            BindingFailureCase{"negative file index", "[-1:a]anull",
                               "Invalid file index -1 in filtergraph description [-1:a]anull.\n"},
            BindingFailureCase{"specifier of another type", "[1:v]null",
                               "Stream specifier 'v' in filtergraph description [1:v]null "
                               "matches no streams.\n"},
            BindingFailureCase{"no unused stream left", "[0:v]null[a];null[b]",
                               "Cannot find a matching stream for unlabeled input pad 0 on "
                               "filter Parsed_null_1\n"});

} // namespace
