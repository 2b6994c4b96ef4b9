#include "transcoder/terminal_and_exit.h"

#include "player/tool_helpers.h"
#include "transcoder/transcoder_state.h"

extern "C" {
#include <libavutil/log.h>
}

#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdarg>
#include <cstdlib>

const AVIOInterruptCB tc_interrupt_callback = {tc_interrupt_requested, nullptr};

namespace {

// Read by the signal handler: lock-free atomics only.
std::atomic<int> gReceivedSignal{0};
std::atomic<int> gSignalCount{0};
std::atomic<bool> gRestoreTerminal{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

struct termios gSavedTerminal;
bool gRestoreRegistered = false;
std::atomic<TcExitFunction> gExitFunction{&std::exit};

constexpr int kSignalsToEndAtOnce = 4;
constexpr int kStatusAfterSignals = 123;

// Async-signal-safe: tcsetattr and an atomic load only.
void restoreTerminalAttributes() {
    if (gRestoreTerminal.load(std::memory_order_acquire))
        tcsetattr(STDIN_FILENO, TCSANOW, &gSavedTerminal);
}

void restoreTerminalAtExit() {
    tc_restore_terminal();
}

void enterCharacterMode() {
    struct termios tty;
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO) || tcgetattr(STDIN_FILENO, &tty) != 0)
        return;
    gSavedTerminal = tty;
    gRestoreTerminal.store(true, std::memory_order_release);
    // The overwrite prompt sets the terminal up again after each answer: register once.
    if (!gRestoreRegistered)
        gRestoreRegistered = std::atexit(restoreTerminalAtExit) == 0;

    tty.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    tty.c_oflag |= OPOST;
    tty.c_lflag &= ~(ECHO | ECHONL | ICANON | IEXTEN);
    tty.c_cflag &= ~(CSIZE | PARENB);
    tty.c_cflag |= CS8;
    tty.c_cc[VMIN] = 1;
    tty.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &tty);
}

void installHandler(int sig) {
    struct sigaction action {};
    action.sa_handler = tc_on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
}

} // namespace

void tc_restore_terminal() {
    av_log(nullptr, AV_LOG_QUIET, "%s", "");
    restoreTerminalAttributes();
}

void tc_setup_terminal_and_signals() {
    enterCharacterMode();
    installHandler(SIGQUIT);
    tc_end_network_use();
    installHandler(SIGINT);
    installHandler(SIGTERM);
    installHandler(SIGXCPU);
}

void tc_on_signal(int sig) {
    gReceivedSignal.store(sig);
    const int count = gSignalCount.fetch_add(1) + 1;
    restoreTerminalAttributes();
    if (count >= kSignalsToEndAtOnce)
        _exit(kStatusAfterSignals);
}

int tc_interrupt_requested(void*) {
    return gSignalCount.load() > 1;
}

int tc_received_signal() {
    return gReceivedSignal.load();
}

int tc_signal_count() {
    return gSignalCount.load();
}

TcExitFunction tc_set_exit_function(TcExitFunction fn) {
    return gExitFunction.exchange(fn ? fn : &std::exit);
}

void tc_cleanup_and_exit(int status) {
    tc_state().freeRecords();
    tool_options_free();
    // libavfilter has no global state to shut down any more.
    tc_end_network_use();

    const int sig = tc_received_signal();
    if (sig) {
        av_log(nullptr, AV_LOG_INFO, "Received signal %d: terminating.\n", sig);
        status = 255;
    }
    gExitFunction.load()(status);
    std::abort(); // an exit function that returned
}

void tc_exit_fatal(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    av_vlog(nullptr, AV_LOG_FATAL, fmt, args);
    va_end(args);
    tc_cleanup_and_exit(1);
}
