// Every way into the module from the host (the exported entry points, the
// window procedures, the dialog procedure) passes through AtHostBoundary:
//  - floating-point exceptions are masked while the module runs, since some
//    hosts unmask them and a NaN or an overflow in the module or in GDI+
//    would otherwise raise a hardware exception in the host; the host's
//    control state is restored on the way out;
//  - no C++ exception (a failed allocation) gets past it: the call fails
//    instead, with its message, and the module keeps working.
// Host code that the module calls meanwhile (call-backs, the host's own
// window procedure) runs with the exceptions masked too.
#pragma once

#include <cstdint>

struct FloatingPointControl {
    uint16_t x87;   // x87 control word
    uint32_t mxcsr; // SSE control and status register
};

// Saves the control state and masks every floating-point exception.
FloatingPointControl MaskFloatingPointExceptions();
// Clears what the module's masked operations flagged and puts the saved
// control state back.
void RestoreFloatingPointControl(const FloatingPointControl& saved);

// Writes the message (when not null) to the last-error variable; never
// throws, even when memory is exhausted.
void ReportFailureAtBoundary(const wchar_t* message);

// Runs body() masked; any exception escaping it makes the result `failed`
// after the message (when not null) has been written.
template <typename Result, typename Body>
Result AtHostBoundary(Result failed, const wchar_t* message, Body body) {
    const FloatingPointControl saved = MaskFloatingPointExceptions();
    Result result = failed;
    try {
        result = body();
    } catch (...) {
        ReportFailureAtBoundary(message);
    }
    RestoreFloatingPointControl(saved);
    return result;
}
