// The allocator behind every String, WideString and GrowableArray buffer:
// 8-byte aligned blocks with an alignment marker in front, so that BlockFree
// finds the start of the block the runtime library handed out.
#pragma once
#include <cstddef>

// Returns an 8-byte aligned block of at least size bytes. Never returns null:
// when the heap is exhausted it reports on stderr and aborts.
void* BlockAlloc(size_t size);
// Gives back a block from BlockAlloc; null is ignored.
void BlockFree(void* p);

// The two halves of the marker scheme, exposed so that both alignments can be
// checked: BlockMark writes the markers into a raw block and returns the user
// address; BlockStart finds the raw block again from a user address.
void* BlockMark(void* block);
void* BlockStart(void* p);
