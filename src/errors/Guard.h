#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tw::errors {

// The shared step number of the program's error reporter.
int& stepNumber();

// Demangled type name of the exception being handled ("std::runtime_error"); call only
// inside a catch block. "unknown" when there is none.
std::string currentExceptionTypeName();

// The text of the exception being handled (what() of a standard exception), else empty. Call
// only inside a catch block.
std::string currentExceptionMessage();

// Hands the exception being handled, with its text as the dump, to the error reporter under
// the code. Call only inside
// a catch block. Lets a failure of the logging itself propagate.
void reportCurrentException(std::string_view code);

// Sets the step number to 0 and runs the body; any exception is reported under the code
// and the handler goes on normally. Returns true when the body finished.
template <class Body>
bool guarded(std::string_view code, Body&& body) {
    stepNumber() = 0;
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        reportCurrentException(code);
    }
    return false;
}

// As guarded, for a handler whose code is a prefix completed by the step number at the
// moment of failure (the main window's destination choice).
template <class Body>
bool guardedWithStep(std::string_view codePrefix, Body&& body) {
    stepNumber() = 0;
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        reportCurrentException(std::string(codePrefix) + std::to_string(stepNumber()));
    }
    return false;
}

} // namespace tw::errors
