// The plug-in's allocation: zero-filled blocks that may fail, and their
// release. Every block the plug-in hands across a seam (resource copies,
// XML element copies, UTF-16 copies) comes from here.
#pragma once

#include <cstddef>

// Zero-filled block of count * size bytes, or null when it cannot be had (or
// the size overflows). Release with myfree.
void* myalloc(std::size_t count, std::size_t size);
void myfree(void* block);
// Releases a block of myalloc when its owner goes (std::unique_ptr's deleter),
// also when an exception passes.
struct MyFree {
    void operator()(void* block) const noexcept { myfree(block); }
};
