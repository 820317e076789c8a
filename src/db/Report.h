#pragma once
// The two ways a run reports trouble: bad input ends it, an internal inconsistency does not.

#include <string>
#include <string_view>

// Flushes what was printed so far, prints "Error: <file>: <what>" on stderr and exits with 1.
[[noreturn]] void fatalError(std::string_view file, std::string_view what);

// Prints "ERROR <module> <code><detail>" on stdout; the run goes on. The code names the check.
void reportInconsistency(const char* module, int code, std::string_view detail = {});

// printf-style formatting into a std::string, for error texts.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
