#include "plugin/host_boundary.h"

#include <string>

#include "plugin/host_text.h"

namespace {

const uint16_t X87AllExceptions = 0x3F;   // invalid, denormal, zero, overflow, underflow, precision
const uint32_t SseAllExceptions = 0x1F80; // the same six mask bits in MXCSR
const uint32_t SseExceptionFlags = 0x003F; // the sticky flags

} // namespace

FloatingPointControl MaskFloatingPointExceptions() {
    FloatingPointControl saved = {};
    __asm__ __volatile__("fnstcw %0" : "=m"(saved.x87));
    __asm__ __volatile__("stmxcsr %0" : "=m"(saved.mxcsr));
    uint16_t x87 = saved.x87 | X87AllExceptions;
    uint32_t mxcsr = (saved.mxcsr | SseAllExceptions) & ~SseExceptionFlags;
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(x87) : "memory");
    __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr) : "memory");
    return saved;
}

void RestoreFloatingPointControl(const FloatingPointControl& saved) {
    // A flag raised while masked would fault at the next x87 instruction
    // once its exception is unmasked again: clear the flags first.
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(saved.x87) : "memory");
    __asm__ __volatile__("ldmxcsr %0" : : "m"(saved.mxcsr) : "memory");
}

void ReportFailureAtBoundary(const wchar_t* message) {
    if (!message)
        return;
    try {
        SetLastError(message);
    } catch (...) {
        // Not even the message fits: the failed result has to say it.
    }
}
