// Arenas: memory handed out from a few large blocks and freed all at once,
// for the nodes and texts of an XML tree.
#pragma once

#include <cstddef>
#include <cstring>

struct ArenaBlock {
    ArenaBlock* next;
    size_t size; // bytes after the header
    size_t used;
};

const size_t ArenaBlockSize = 256 * 1024;
const size_t ArenaHeaderSize = (sizeof(ArenaBlock) + 15) & ~static_cast<size_t>(15);

struct Arena {
    ArenaBlock* blocks; // the block being filled first
};

inline char* BlockData(ArenaBlock* block) {
    return reinterpret_cast<char*>(block) + ArenaHeaderSize;
}

// A block of `size` bytes after its header, none used; null when memory runs
// out.
ArenaBlock* NewArenaBlock(size_t size);

// Null when memory runs out. Large requests get a block of their own, kept
// behind the block being filled so its free space is not lost.
inline void* ArenaAllocate(Arena* arena, size_t bytes, size_t alignment) {
    ArenaBlock* head = arena->blocks;
    if (head) {
        size_t start = (head->used + alignment - 1) & ~(alignment - 1);
        if (start <= head->size && bytes <= head->size - start) {
            head->used = start + bytes;
            return BlockData(head) + start;
        }
    }
    if (bytes > ArenaBlockSize / 4) {
        ArenaBlock* own = NewArenaBlock(bytes);
        if (!own)
            return nullptr;
        own->used = bytes;
        if (head) {
            own->next = head->next;
            head->next = own;
        } else {
            arena->blocks = own;
        }
        return BlockData(own);
    }
    ArenaBlock* fresh = NewArenaBlock(ArenaBlockSize);
    if (!fresh)
        return nullptr;
    fresh->next = head;
    arena->blocks = fresh;
    fresh->used = bytes;
    return BlockData(fresh);
}

template <typename T> T* ArenaNew(Arena* arena, size_t count) {
    void* memory = ArenaAllocate(arena, sizeof(T) * count, alignof(T));
    return static_cast<T*>(memory);
}

inline const char* ArenaCopy(Arena* arena, const char* text, size_t length) {
    char* copy = static_cast<char*>(ArenaAllocate(arena, length + 1, 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

// Frees every block.
void ReleaseArena(Arena* arena);
