// The field codec: every field written is read back as it was, and a buffer cut
// at any length fails the field it cuts without moving the reader.
#include <gtest/gtest.h>

#include <string>

#include "base/byte_codec.h"

namespace {

TEST(ByteCodec, FieldsRoundTripAndKnownBytes) {
  std::string bytes;
  ByteWriter writer(bytes);
  writer.U8(0xAB);
  writer.Le16(0x1234);
  writer.Le32(0x89ABCDEFu);
  writer.Le64(0x0123456789ABCDEFull);
  writer.Be24(0xFEDCBAu);
  writer.Be32(0x01020304u);
  writer.Bytes("xyz", 3);
  EXPECT_EQ(bytes, std::string("\xAB\x34\x12\xEF\xCD\xAB\x89\xEF\xCD\xAB\x89\x67\x45\x23\x01"
                               "\xFE\xDC\xBA\x01\x02\x03\x04xyz",
                               25));

  ByteReader reader(bytes);
  uint8_t u8 = 0;
  uint16_t le16 = 0;
  uint32_t le32 = 0, be24 = 0, be32 = 0;
  uint64_t le64 = 0;
  std::string tail;
  ASSERT_TRUE(reader.U8(u8) && reader.Le16(le16) && reader.Le32(le32) && reader.Le64(le64) &&
              reader.Be24(be24) && reader.Be32(be32) && !reader.Expect("xyw", 3) &&
              reader.Expect("xy", 2) && reader.Bytes(1, tail));
  EXPECT_EQ(u8, 0xAB);
  EXPECT_EQ(le16, 0x1234);
  EXPECT_EQ(le32, 0x89ABCDEFu);
  EXPECT_EQ(le64, 0x0123456789ABCDEFull);
  EXPECT_EQ(be24, 0xFEDCBAu);
  EXPECT_EQ(be32, 0x01020304u);
  EXPECT_EQ(tail, "z");
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(ByteCodec, EveryTruncatedLengthFailsTheCutFieldAndKeepsThePosition) {
  struct Field {
    const char* name;
    size_t size;
    bool (*read)(ByteReader&);
  };
  const Field fields[] = {
      {"Le16", 2,
       [](ByteReader& r) {
         uint16_t v;
         return r.Le16(v);
       }},
      {"Le32", 4,
       [](ByteReader& r) {
         uint32_t v;
         return r.Le32(v);
       }},
      {"Le64", 8,
       [](ByteReader& r) {
         uint64_t v;
         return r.Le64(v);
       }},
      {"Be24", 3,
       [](ByteReader& r) {
         uint32_t v;
         return r.Be24(v);
       }},
      {"Be32", 4,
       [](ByteReader& r) {
         uint32_t v;
         return r.Be32(v);
       }},
      {"Bytes5", 5,
       [](ByteReader& r) {
         std::string v;
         return r.Bytes(5, v);
       }},
      {"Expect5", 5, [](ByteReader& r) { return r.Expect("\x5A\x5A\x5A\x5A\x5A", 5); }},
  };
  const std::string buffer(16, '\x5A');
  for (const Field& field : fields) {
    for (size_t length = 0; length <= field.size; ++length) {
      ByteReader reader(buffer.data(), length);
      EXPECT_EQ(field.read(reader), length == field.size) << field.name << " at " << length;
      EXPECT_EQ(reader.Position(), length == field.size ? field.size : 0u) << field.name;
    }
  }
}

}  // namespace
