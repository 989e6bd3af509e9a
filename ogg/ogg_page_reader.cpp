// Ogg page reading in large blocks (see ogg_page_reader.h).
#include "ogg/ogg_page_reader.h"

#include <cstring>

#include "base/byte_codec.h"
#include "ogg/ogg_crc.h"

namespace {

constexpr size_t kMinHeader = 27;
constexpr size_t kMaxPage = 27 + 255 + 255 * 255;

bool IsCapture(const unsigned char* p) { return std::memcmp(p, "OggS", 4) == 0; }

}  // namespace

int64_t OggPageView::Granule() const { return static_cast<int64_t>(GetLe64(header + 6)); }
uint32_t OggPageView::Serial() const { return GetLe32(header + 14); }
uint32_t OggPageView::Sequence() const { return GetLe32(header + 18); }
uint32_t OggPageView::StoredCrc() const { return GetLe32(header + 22); }

OggPageReader::OggPageReader(void* handle, ReadFunc read, size_t blockSize)
    : handle_(handle), read_(read), blockSize_(blockSize), buffer_(blockSize + 2 * kMaxPage) {}

void OggPageReader::RawBytes::resize(size_t size) {
  if (size <= size_) return;
  std::unique_ptr<unsigned char[]> grown(new unsigned char[size]);
  std::memcpy(grown.get(), bytes_.get(), size_);
  bytes_ = std::move(grown);
  size_ = size;
}

void OggPageReader::Prepend(const unsigned char* data, size_t size) {
  if (size > buffer_.size() - end_) buffer_.resize(end_ + size);
  std::memcpy(buffer_.data() + end_, data, size);
  end_ += size;
}

void OggPageReader::Compact() {
  // The kept page goes to the front, what is left to read right after it (junk
  // that lay between them is gone by now).
  std::memmove(buffer_.data(), buffer_.data() + keep_, keepSize_);
  std::memmove(buffer_.data() + keepSize_, buffer_.data() + start_, end_ - start_);
  end_ = keepSize_ + end_ - start_;
  start_ = keepSize_;
  keep_ = 0;
}

bool OggPageReader::Fill(size_t count) {
  while (end_ - start_ < count) {
    if (ended_) return false;
    if (buffer_.size() - start_ < count || buffer_.size() - end_ < blockSize_ / 4) {
      // Move what is left (and the kept page) to the front so that a whole
      // page and a block fit.
      Compact();
    }
    const size_t room = buffer_.size() - end_;
    const size_t got =
        read_(buffer_.data() + end_, 1, room < blockSize_ ? room : blockSize_, handle_);
    if (got == 0) ended_ = true;
    end_ += got;
    bytesRead_ += got;
  }
  return true;
}

bool OggPageReader::Next(OggPageView& page, OggPageView* keep) {
  keep_ = keep != nullptr ? static_cast<size_t>(keep->header - buffer_.data()) : start_;
  keepSize_ = keep != nullptr ? keep->Size() : 0;
  const bool found = Find(page);
  if (keep != nullptr) {
    keep->header = buffer_.data() + keep_;
    keep->body = keep->header + keep->headerSize;
  }
  keep_ = start_;
  keepSize_ = 0;
  return found;
}

size_t OggPageReader::Peek(size_t count, const unsigned char*& at) {
  Fill(count);
  at = buffer_.data() + start_;
  return end_ - start_ < count ? end_ - start_ : count;
}

bool OggPageReader::Find(OggPageView& page) {
  for (;;) {
    if (!Fill(kMinHeader)) break;
    const unsigned char* p = buffer_.data() + start_;
    if (!IsCapture(p) || p[4] != 0) {
      // Pass over everything up to the next possible capture pattern.
      const void* next = std::memchr(p + 1, 'O', end_ - start_ - 1);
      const size_t skip =
          next ? static_cast<size_t>(static_cast<const unsigned char*>(next) - p) : end_ - start_;
      skipped_ += skip;
      start_ += skip;
      continue;
    }
    const size_t headerSize = kMinHeader + p[26];
    if (!Fill(headerSize)) break;
    p = buffer_.data() + start_;
    size_t bodySize = 0;
    for (size_t i = 0; i < p[26]; ++i) bodySize += p[27 + i];
    const size_t pageSize = headerSize + bodySize;
    if (!Fill(pageSize)) break;
    p = buffer_.data() + start_;
    const bool crcValid = OggPageCrc(p, headerSize, p + headerSize, bodySize) == GetLe32(p + 22);
    if (!crcValid) {
      // A damaged page is one that a page (or the end) follows; anything else is
      // taken for junk that happens to hold the capture pattern.
      const bool followed = Fill(pageSize + 4) ? IsCapture(buffer_.data() + start_ + pageSize)
                                               : end_ - start_ == pageSize;
      p = buffer_.data() + start_;
      if (!followed) {
        ++skipped_;
        ++start_;
        continue;
      }
    }
    page.header = p;
    page.headerSize = headerSize;
    page.body = p + headerSize;
    page.bodySize = bodySize;
    page.crcValid = crcValid;
    start_ += pageSize;
    return true;
  }
  skipped_ += end_ - start_;
  start_ = end_;
  return false;
}
