// The one reader and writer of the formats' fixed-size fields: little-endian
// integers (Ogg page headers, Vorbis and Opus comment lists, FLAC's comment
// block) and the big-endian ones of FLAC's metadata blocks. The reader never
// reads past its end: a short field fails and leaves the position where it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// Encodes into a raw buffer that the caller has sized.
inline void PutLe16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}
inline void PutLe32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
inline void PutLe64(unsigned char* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}
inline void PutBe24(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 3; ++i) at[i] = static_cast<unsigned char>(value >> (8 * (2 - i)));
}
inline void PutBe32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * (3 - i)));
}

// Decodes from a raw buffer that holds at least the field's bytes.
inline uint16_t GetLe16(const unsigned char* at) {
  return static_cast<uint16_t>(at[0] | (at[1] << 8));
}
inline uint32_t GetLe32(const unsigned char* at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}
inline uint64_t GetLe64(const unsigned char* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}
inline uint32_t GetBe24(const unsigned char* at) {
  return (static_cast<uint32_t>(at[0]) << 16) | (static_cast<uint32_t>(at[1]) << 8) | at[2];
}
inline uint32_t GetBe32(const unsigned char* at) {
  return (static_cast<uint32_t>(at[0]) << 24) | GetBe24(at + 1);
}

// A bounded cursor over bytes it does not own.
class ByteReader {
 public:
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  explicit ByteReader(const std::string& bytes) : ByteReader(bytes.data(), bytes.size()) {}

  bool U8(uint8_t& value) {
    return Field(1, [&](const unsigned char* at) { value = at[0]; });
  }
  bool Le16(uint16_t& value) {
    return Field(2, [&](const unsigned char* at) { value = GetLe16(at); });
  }
  bool Le32(uint32_t& value) {
    return Field(4, [&](const unsigned char* at) { value = GetLe32(at); });
  }
  bool Le64(uint64_t& value) {
    return Field(8, [&](const unsigned char* at) { value = GetLe64(at); });
  }
  bool Be24(uint32_t& value) {
    return Field(3, [&](const unsigned char* at) { value = GetBe24(at); });
  }
  bool Be32(uint32_t& value) {
    return Field(4, [&](const unsigned char* at) { value = GetBe32(at); });
  }
  // The next count bytes, in place; at points into the reader's buffer.
  bool Bytes(size_t count, const unsigned char*& at) {
    return Field(count, [&](const unsigned char* here) { at = here; });
  }
  // The next count bytes, copied.
  bool Bytes(size_t count, std::string& out) {
    return Field(count, [&](const unsigned char* here) {
      out.assign(reinterpret_cast<const char*>(here), count);
    });
  }
  bool Skip(size_t count) {
    return Field(count, [](const unsigned char*) {});
  }
  // Takes the next count bytes only when they are these (a magic signature).
  bool Expect(const void* bytes, size_t count) {
    if (count > Remaining() || std::memcmp(Here(), bytes, count) != 0) return false;
    position_ += count;
    return true;
  }

  size_t Position() const { return position_; }
  size_t Remaining() const { return size_ - position_; }
  const unsigned char* Here() const { return data_ + position_; }

 private:
  template <typename Take>
  bool Field(size_t count, Take take) {
    if (count > size_ - position_) return false;
    take(data_ + position_);
    position_ += count;
    return true;
  }

  const unsigned char* data_;
  size_t size_;
  size_t position_ = 0;
};

// Appends fields to a byte string it does not own.
class ByteWriter {
 public:
  explicit ByteWriter(std::string& out) : out_(out) {}

  void U8(uint8_t value) { out_.push_back(static_cast<char>(value)); }
  void Le16(uint16_t value) {
    Put(2, [&](unsigned char* at) { PutLe16(at, value); });
  }
  void Le32(uint32_t value) {
    Put(4, [&](unsigned char* at) { PutLe32(at, value); });
  }
  void Le64(uint64_t value) {
    Put(8, [&](unsigned char* at) { PutLe64(at, value); });
  }
  void Be24(uint32_t value) {
    Put(3, [&](unsigned char* at) { PutBe24(at, value); });
  }
  void Be32(uint32_t value) {
    Put(4, [&](unsigned char* at) { PutBe32(at, value); });
  }
  void Bytes(const void* data, size_t count) { out_.append(static_cast<const char*>(data), count); }
  void Bytes(const std::string& bytes) { out_ += bytes; }

 private:
  template <typename Encode>
  void Put(size_t count, Encode encode) {
    unsigned char field[8];
    encode(field);
    out_.append(reinterpret_cast<const char*>(field), count);
  }

  std::string& out_;
};
