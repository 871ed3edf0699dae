#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The process's standard streams as a terminal program sees them, and Ctrl-C.
namespace tw::platform {

enum class StdStream { Input, Output, Error };

// True when the stream is connected to a terminal.
bool isTerminal(StdStream stream);

// Width of the terminal behind the stream in columns; 0 when unknown.
int terminalColumns(StdStream stream);

// Writes all bytes to the stream, unbuffered (interrupted writes are resumed).
void writeStream(StdStream stream, std::string_view bytes);

// The longest answer read from standard input.
inline constexpr std::size_t kLongestInputLine = 4096;

// Reads one line from standard input without its line end. Nothing at the end of the input,
// when a Ctrl-C interrupts the read, and for a line longer than kLongestInputLine (an
// endless stream such as /dev/zero is no answer; nothing more of it is read).
std::optional<std::string> readInputLine();

// Ctrl-C (SIGINT) handling. Once installed, each Ctrl-C only adds one to a counter that the
// program polls; the count reaching exitAt ends the process at once with status 130. Reads
// from standard input are interrupted by a Ctrl-C instead of resumed. SIGTERM and SIGHUP
// raise the count to two at once: a stop that needs no question and abandons the current
// file, after which the program ends by its usual road.
void installInterruptCounter(int exitAt);
int interruptCount();
void clearInterrupts();

} // namespace tw::platform
