// A replacement for the global operator new and delete that counts the
// blocks alive and can be made to fail its Nth allocation. A test program
// includes it in exactly one file; the module's code is linked in
// statically, so its allocations are counted too.
#pragma once

#include <cstdlib>
#include <new>

// GCC takes free() in a replaced operator delete for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace failing_allocator {

inline long long liveBlocks = 0;        // allocated and not yet freed
inline long long allocationsToFail = 0; // 0: none; else counts down, failing at 1
inline bool failureInjected = false;

inline void* Allocate(std::size_t size) {
    if (allocationsToFail > 0 && --allocationsToFail == 0) {
        failureInjected = true;
        return nullptr;
    }
    void* block = std::malloc(size ? size : 1);
    if (block)
        liveBlocks++;
    return block;
}

inline void Release(void* block) {
    if (!block)
        return;
    liveBlocks--;
    std::free(block);
}

} // namespace failing_allocator

void* operator new(std::size_t size) {
    if (void* block = failing_allocator::Allocate(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return failing_allocator::Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return failing_allocator::Allocate(size);
}
void operator delete(void* block) noexcept {
    failing_allocator::Release(block);
}
void operator delete[](void* block) noexcept {
    failing_allocator::Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    failing_allocator::Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    failing_allocator::Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    failing_allocator::Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    failing_allocator::Release(block);
}
