// Reads Ogg pages out of a byte stream in large blocks, without libogg: the
// checker of rewritten files reads with it, independently of the writer.
// Bytes that are not part of a page are counted and passed over. The editor
// copies audio pages with it too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ogg/io_functions.h"

// One page, pointing into the reader's buffer: valid until the next Next call
// (or the one after, when it is handed to that call as the page to keep).
struct OggPageView {
  const unsigned char* header = nullptr;  // 27 bytes, then the lacing values
  size_t headerSize = 0;
  const unsigned char* body = nullptr;
  size_t bodySize = 0;
  bool crcValid = false;

  static constexpr int kContinued = 1;
  static constexpr int kFirst = 2;
  static constexpr int kLast = 4;
  int Flags() const { return header[5]; }
  bool IsFirst() const { return (Flags() & kFirst) != 0; }
  bool IsLast() const { return (Flags() & kLast) != 0; }
  bool IsContinued() const { return (Flags() & kContinued) != 0; }
  int64_t Granule() const;
  uint32_t Serial() const;
  uint32_t Sequence() const;
  uint32_t StoredCrc() const;
  size_t Size() const { return headerSize + bodySize; }
  int SegmentCount() const { return header[26]; }
  int Lacing(int i) const { return header[27 + i]; }
};

class OggPageReader {
 public:
  static constexpr size_t kBlockSize = 256 * 1024;

  // blockSize: the most bytes asked of read at once; a reader of a few pages
  // at the start of a file takes small blocks, so as not to read the rest.
  OggPageReader(void* handle, ReadFunc read, size_t blockSize = kBlockSize);
  OggPageReader(const OggPageReader&) = delete;
  OggPageReader& operator=(const OggPageReader&) = delete;

  // Bytes that come before whatever the read function gives: the part of the
  // input another reader had already taken. Only before the first Next.
  void Prepend(const unsigned char* data, size_t size);

  // The next page, or false at the end of the input. A page whose checksum is
  // wrong is delivered (crcValid false) when a page or the end of the input
  // follows right after it; otherwise its first byte counts as skipped and the
  // search goes on.
  // When keep is given, it must be the page the previous call returned: it stays
  // valid through this call (its pointers follow the bytes if they move).
  bool Next(OggPageView& page, OggPageView* keep = nullptr);
  // The next bytes not yet taken by Next, read when needed: count of them, or
  // fewer at the end of the input. at points into the reader's buffer, valid
  // until the next call; a page Next returned before is no longer valid.
  size_t Peek(size_t count, const unsigned char*& at);
  // Bytes passed over so far: junk between pages, and an unfinished page at the end.
  uint64_t SkippedBytes() const { return skipped_; }
  // Bytes taken from the read function so far.
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  // Makes at least count bytes available from start_; false when the input ends first.
  bool Fill(size_t count);
  // Moves the kept page and the bytes not read yet to the front of the buffer.
  void Compact();
  bool Find(OggPageView& page);

  void* handle_;
  ReadFunc read_;
  size_t blockSize_;
  // Bytes not zeroed when made: the reader fills them before it reads them, and
  // a reader is made for every file of a batch.
  class RawBytes {
   public:
    explicit RawBytes(size_t size) : bytes_(new unsigned char[size]), size_(size) {}
    unsigned char* data() { return bytes_.get(); }
    size_t size() const { return size_; }
    // Grows, keeping the bytes held.
    void resize(size_t size);

   private:
    std::unique_ptr<unsigned char[]> bytes_;
    size_t size_;
  };
  RawBytes buffer_;
  size_t start_ = 0;
  size_t end_ = 0;
  size_t keep_ = 0;  // the page kept through the current Next call
  size_t keepSize_ = 0;
  bool ended_ = false;
  uint64_t skipped_ = 0;
  uint64_t bytesRead_ = 0;
};
