// How much room a full rewrite leaves after the tags so that the next edit of
// the tags fits in place: at least 1 KiB, about 0.1 % of the file, at most 64 KiB.
#pragma once
#include <cstdint>

struct PaddingPolicy {
  static constexpr uint64_t kMinimum = 1024;
  static constexpr uint64_t kMaximum = 64 * 1024;
  static constexpr uint64_t kShareDivisor = 1000;  // a thousandth of the file

  // Whether to leave padding at all; without it nothing but the tags is written.
  bool noPadding = false;

  // The padding bytes to leave in a file of fileSize bytes.
  uint64_t BytesFor(uint64_t fileSize) const {
    if (noPadding) return 0;
    const uint64_t share = fileSize / kShareDivisor;
    return share < kMinimum ? kMinimum : share > kMaximum ? kMaximum : share;
  }
};
