#pragma once

// The controlling terminal in character mode, the termination signals, and the single exit
// path of the transcoder.

extern "C" {
#include <libavformat/avio.h>
}

// Given to every I/O context the transcoder opens.
extern const AVIOInterruptCB tc_interrupt_callback;

void tc_restore_terminal();
void tc_setup_terminal_and_signals();

// The handler for SIGQUIT, SIGINT, SIGTERM and SIGXCPU. It only records the signal and puts
// the terminal back; the fourth signal ends the process at once with status 123.
void tc_on_signal(int sig);

// Non-zero once a second signal has arrived: blocking I/O gives up.
int tc_interrupt_requested(void* ctx);

// The last signal caught (0 for none) and how many have arrived.
int tc_received_signal();
int tc_signal_count();

// Frees every transcoder record and ends the process: with status 255 after a signal,
// otherwise with the given status.
[[noreturn]] void tc_cleanup_and_exit(int status);

// The function tc_cleanup_and_exit ends the process with (std::exit unless replaced). A
// replacement must not return: tests throw from it. Returns the previous function.
using TcExitFunction = void (*)(int status);
TcExitFunction tc_set_exit_function(TcExitFunction fn);

// Logs at fatal level and ends through tc_cleanup_and_exit with status 1.
[[noreturn]] void tc_exit_fatal(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
