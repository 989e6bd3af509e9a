// Buffer management shared by String and WideString (see shared_buffer.h).
#include "text/shared_buffer.h"

#include <cstring>

#include "text/block_alloc.h"

namespace {
constexpr int32_t kEmptyReferences = 0x7FFFFFFF;

template <typename Unit>
struct alignas(8) EmptyBuffer {
  StringHeader header;
  Unit units[4];
};

// Constant-initialised, so they are valid before any dynamic initialisation.
EmptyBuffer<char> emptyChars = {{0, kEmptyReferences}, {0, 0, 0, 0}};
EmptyBuffer<char16_t> emptyUnits = {{0, kEmptyReferences}, {0, 0, 0, 0}};

EmptyBuffer<char>& EmptyFor(char*) { return emptyChars; }
EmptyBuffer<char16_t>& EmptyFor(char16_t*) { return emptyUnits; }

void FreeBuffer(StringHeader* header) { BlockFree(header); }
}  // namespace

template <typename Unit>
Unit* SharedBuffer<Unit>::Empty() {
  return EmptyFor(static_cast<Unit*>(nullptr)).units;
}

template <typename Unit>
StringHeader* SharedBuffer<Unit>::Header(const Unit* units) {
  return reinterpret_cast<StringHeader*>(const_cast<char*>(reinterpret_cast<const char*>(units)) -
                                         sizeof(StringHeader));
}

template <typename Unit>
int SharedBuffer<Unit>::BlockCount(int length) {
  const int bytes = (length + 1) * static_cast<int>(sizeof(Unit));
  return (bytes + 63) / 64;
}

template <typename Unit>
Unit* SharedBuffer<Unit>::Allocate(int length) {
  char* block = static_cast<char*>(BlockAlloc(64 * static_cast<size_t>(BlockCount(length)) + 8));
  StringHeader* header = reinterpret_cast<StringHeader*>(block);
  header->length = length;
  header->references = 1;
  Unit* units = reinterpret_cast<Unit*>(block + sizeof(StringHeader));
  units[length] = 0;
  return units;
}

template <typename Unit>
void SharedBuffer<Unit>::Share(Unit* units) {
  if (!IsEmptyBuffer(units)) ++Header(units)->references;
}

template <typename Unit>
void SharedBuffer<Unit>::Release(Unit*& units) {
  if (!IsEmptyBuffer(units)) {
    StringHeader* header = Header(units);
    if (--header->references <= 0) FreeBuffer(header);
  }
  units = Empty();
}

template <typename Unit>
void SharedBuffer<Unit>::SetLength(Unit*& units, int newLength, int shift) {
  StringHeader* header = Header(units);
  const int oldLength = header->length;
  const bool empty = IsEmptyBuffer(units);
  if (!empty && header->references == 1 && BlockCount(newLength) == BlockCount(oldLength)) {
    header->length = newLength;
    if (shift > 0) {
      std::memmove(units, units + shift, sizeof(Unit) * static_cast<size_t>(oldLength - shift + 1));
    }
    units[newLength] = 0;
    return;
  }
  Unit* fresh = Allocate(newLength);
  if (!empty) {
    const int newBlocks = BlockCount(newLength);
    if (shift == 0) {
      // Whole blocks that both buffers have: the bytes past the terminator
      // belong to the buffer, so block copies are allowed.
      const int blocks = newBlocks < BlockCount(oldLength) ? newBlocks : BlockCount(oldLength);
      std::memcpy(fresh, units, 64 * static_cast<size_t>(blocks));
    } else {
      int count = oldLength - shift;
      const int room = newBlocks * 64 / static_cast<int>(sizeof(Unit)) - 1;
      if (count > room) count = room;
      if (count > 0) std::memcpy(fresh, units + shift, sizeof(Unit) * static_cast<size_t>(count));
    }
    fresh[newLength] = 0;
    Release(units);
  }
  units = fresh;
}

template struct SharedBuffer<char>;
template struct SharedBuffer<char16_t>;
