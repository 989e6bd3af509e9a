// Block allocator with alignment markers (see block_alloc.h).
#include "text/block_alloc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t kAlignedHead = 0xDEADBEEF;
constexpr uint32_t kAlignedMarker = 0x11111111;
constexpr uint32_t kShiftedMarker = 0x22222222;

void StoreWord(void* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
uint32_t LoadWord(const void* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
}  // namespace

void* BlockMark(void* block) {
  char* raw = static_cast<char*>(block);
  if ((reinterpret_cast<uintptr_t>(raw) & 7) == 0) {
    StoreWord(raw, kAlignedHead);
    StoreWord(raw + 4, kAlignedMarker);
    return raw + 8;
  }
  StoreWord(raw, kShiftedMarker);
  return raw + 4;
}

void* BlockStart(void* p) {
  char* user = static_cast<char*>(p);
  return LoadWord(user - 4) == kAlignedMarker ? user - 8 : user - 4;
}

void* BlockAlloc(size_t size) {
  const size_t rounded = (size + 7) & ~static_cast<size_t>(7);
  void* block = std::malloc(rounded + 8);
  if (block == nullptr) {
    // Callers cannot check for null: running on would corrupt text silently.
    std::fputs("mirale: out of memory\n", stderr);
    std::abort();
  }
  return BlockMark(block);
}

void BlockFree(void* p) {
  if (p != nullptr) std::free(BlockStart(p));
}
