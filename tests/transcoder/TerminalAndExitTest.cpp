#include "TranscoderTestSupport.h"

#include "player/tool_helpers.h"
#include "transcoder/tool_parser.h"
#include "transcoder/transcoder_state.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// Sanitizer builds on a loaded machine are slow to deliver signals and to run the child.
constexpr auto kPatience = std::chrono::minutes(2);

// Reads one byte, going on after a signal to this process; -1 at the end or when nothing came
// in time.
int readByte(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return -1;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        unsigned char byte = 0;
        const ssize_t got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        return got == 1 ? byte : -1;
    }
}

std::string readAll(int fd) {
    std::string text;
    char chunk[512];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(chunk, static_cast<size_t>(got));
    }
}

[[noreturn]] void exitAtOnce(int status) {
    _exit(status);
}

// The child installs the handlers, tells the parent, then reports each signal it counts
// (and whether I/O would now give up) until it has seen `expected`, then ends through the
// exit path.
[[noreturn]] void signalChild(int toParent, int errFd, int expected) {
    dup2(errFd, STDERR_FILENO);
    av_log_set_callback(av_log_default_callback);
    av_log_set_level(AV_LOG_INFO);
    tc_set_exit_function(exitAtOnce);
    tc_setup_terminal_and_signals();
    // ThreadSanitizer sets up a thread's signal state in its first blocking call, and the
    // runtime of GCC 12 loses a signal that arrives while it does: make that call before the
    // parent may send one.
    usleep(1);
    unsigned char ready = 'r';
    (void)!write(toParent, &ready, 1);
    int seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (seen < expected && std::chrono::steady_clock::now() < deadline) {
        while (seen < tc_signal_count()) {
            ++seen;
            const unsigned char report =
                static_cast<unsigned char>(tc_interrupt_requested(nullptr));
            (void)!write(toParent, &report, 1);
        }
        usleep(1000);
    }
    tc_cleanup_and_exit(0);
}

struct SignalCase {
    const char* description;
    int sig;
    int count;
    int status;
    std::string interrupts; // what tc_interrupt_requested said after each signal
};

void PrintTo(const SignalCase& testCase, std::ostream* out) {
    *out << testCase.description;
}

class Signals : public ::testing::TestWithParam<SignalCase> {};

TEST_P(Signals, EndTheProcessWithTheirStatus) {
    const SignalCase& c = GetParam();
    int toParent[2];
    int errPipe[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(errPipe), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(toParent[0]);
        close(errPipe[0]);
        signalChild(toParent[1], errPipe[1], c.count < 4 ? c.count : 99);
    }
    close(toParent[1]);
    close(errPipe[1]);

    ASSERT_EQ(readByte(toParent[0]), 'r');
    std::string interrupts;
    for (int i = 0; i < c.count; ++i) {
        kill(child, c.sig);
        if (i + 1 < 4)
            interrupts += std::to_string(readByte(toParent[0]));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::string err = readAll(errPipe[0]);
    close(toParent[0]);
    close(errPipe[0]);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    EXPECT_EQ(interrupts, c.interrupts);
    const std::string terminating = "Received signal " + std::to_string(c.sig) + ": terminating.";
    EXPECT_EQ(err.find(terminating) != std::string::npos, c.status == 255) << err;
}

const SignalCase kSignalCases[] = {
    {"one interrupt ends through the exit path", SIGINT, 1, 255, "0"},
    {"a second signal makes I/O give up", SIGTERM, 2, 255, "01"},
    {"the fourth signal ends at once", SIGINT, 4, 123, "011"},
};

INSTANTIATE_TEST_SUITE_P(Terminal, Signals, ::testing::ValuesIn(kSignalCases),
                         [](const auto& info) { return testNameFrom(info.param.description); });

// In a child whose standard input and error are a pseudo-terminal: character mode while
// set up, the saved mode after restoring. Exit status 0 when both hold.
TEST(Terminal, CharacterModeIsSetUpAndRestoredOnATerminal) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) || unlockpt(master))
            _exit(10);
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        if (slave < 0)
            _exit(11);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDERR_FILENO);
        tc_setup_terminal_and_signals();
        termios during{};
        tcgetattr(STDIN_FILENO, &during);
        const bool raw = !(during.c_lflag & (ICANON | ECHO)) && !(during.c_iflag & ICRNL) &&
                         during.c_cc[VMIN] == 1 && during.c_cc[VTIME] == 0;
        tc_restore_terminal();
        termios after{};
        tcgetattr(STDIN_FILENO, &after);
        const bool restored = (after.c_lflag & ICANON) && (after.c_lflag & ECHO);
        _exit(raw ? (restored ? 0 : 2) : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not in character mode, 2: not restored";
}

void addRecordsOfEveryKind() {
    TranscoderState& state = tc_state();
    auto graph = std::make_unique<GraphRecord>();
    graph->graph.reset(avfilter_graph_alloc());
    auto output = std::make_unique<GraphOutput>();
    output->out_tmp.reset(avfilter_inout_alloc());
    output->name = "out";
    graph->outputs.push_back(std::move(output));
    state.filtergraphs.push_back(std::move(graph));

    AVFormatContext* ctx = nullptr;
    avformat_alloc_output_context2(&ctx, nullptr, "null", nullptr);
    auto file = std::make_unique<TargetFile>();
    file->ctx.reset(ctx);
    av_dict_set(&tool_format_options, "probesize", "32", 0);
    file->opts.reset(tool_format_options);
    tool_format_options = nullptr;
    state.output_files.push_back(std::move(file));

    auto ost = std::make_unique<TargetStream>();
    ost->filtered_frame.reset(av_frame_alloc());
    ost->forced_keyframes = "0,10";
    state.output_streams.push_back(std::move(ost));

    auto ist = std::make_unique<SourceStream>();
    ist->decoded_frame.reset(av_frame_alloc());
    ist->buffer_pool = tool_pool_new();
    ist->dec_ctx.reset(avcodec_alloc_context3(nullptr));
    state.input_streams.push_back(std::move(ist));
    state.vstats_filename = "vstats_120000.log";
}

TEST(ExitPath, FreesEveryRecordAndEndsWithTheGivenStatus) {
    tool_options_init();
    addRecordsOfEveryKind();
    av_dict_set(&tool_codec_options, "b", "1000", 0);

    EXPECT_EQ(exitStatusOf([] { tc_cleanup_and_exit(7); }), 7);

    const TranscoderState& state = tc_state();
    EXPECT_TRUE(state.filtergraphs.empty());
    EXPECT_TRUE(state.output_files.empty());
    EXPECT_TRUE(state.output_streams.empty());
    EXPECT_TRUE(state.input_files.empty());
    EXPECT_TRUE(state.input_streams.empty());
    EXPECT_TRUE(state.vstats_filename.empty());
    EXPECT_EQ(tool_codec_options, nullptr);
    EXPECT_EQ(tool_sws_options, nullptr);
}

TEST(ExitPath, FatalMessagesEndWithStatusOne) {
    LogCapture log;
    EXPECT_EQ(exitStatusOf([] { tc_exit_fatal("Unknown input format: '%s'\n", "nope"); }), 1);
    EXPECT_EQ(log.str(), "Unknown input format: 'nope'\n");
}

// Without a replacement the process really ends through exit with the status, so that the
// handlers registered at exit (the terminal's restore among them) run. The child's handler
// reports the status and leaves before the test program's own clean-up.
TEST(ExitPath, WithoutAReplacementTheProcessEndsThroughExit) {
    int toParent[2];
    ASSERT_EQ(pipe(toParent), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(toParent[0]);
        on_exit(
            [](int status, void* fd) {
                const unsigned char byte = static_cast<unsigned char>(status);
                (void)!write(*static_cast<int*>(fd), &byte, 1);
                _exit(0);
            },
            &toParent[1]);
        tc_set_exit_function(nullptr);
        tc_cleanup_and_exit(3);
    }
    close(toParent[1]);
    const int reported = readByte(toParent[0]);
    close(toParent[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(reported, 3);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ExitPath, NetworkUsesAreEndedOnlyWhenBegun) {
    TranscoderState& state = tc_state();
    state.network_uses = 0;
    tc_end_network_use();
    EXPECT_EQ(state.network_uses, 0);
    tc_begin_network_use();
    EXPECT_EQ(state.network_uses, 1);
    EXPECT_EQ(exitStatusOf([] { tc_cleanup_and_exit(0); }), 0);
    EXPECT_EQ(state.network_uses, 0);
}

} // namespace
