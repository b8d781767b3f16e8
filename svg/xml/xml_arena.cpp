// Arena blocks.
#include "svg/xml/xml_arena.h"

#include <cstdlib>

ArenaBlock* NewArenaBlock(size_t size) {
    ArenaBlock* block = static_cast<ArenaBlock*>(std::malloc(ArenaHeaderSize + size));
    if (!block)
        return nullptr;
    block->next = nullptr;
    block->size = size;
    block->used = 0;
    return block;
}

void ReleaseArena(Arena* arena) {
    ArenaBlock* block = arena->blocks;
    while (block) {
        ArenaBlock* next = block->next;
        std::free(block);
        block = next;
    }
    arena->blocks = nullptr;
}
