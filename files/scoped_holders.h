// Scoped holders for what the file seam hands out: a C stream (FILE*), a file
// descriptor, and any other resource described by a small traits class (the
// Windows handles are in windows/scoped_handle.h). Each closes what it holds
// exactly once: on Close, on Reset, or when the scope ends.
#pragma once
#include <cstddef>
#include <cstdio>
#include <memory>

#include "base/status.h"

// Owns one resource of the kind Traits describes: its type (Value), its
// invalid value (Invalid()) and how it is closed (Close(value), true when the
// close succeeded).
template <typename Traits>
class ScopedResource {
 public:
  using Value = typename Traits::Value;

  ScopedResource() = default;
  explicit ScopedResource(Value value) : value_(value) {}
  ~ScopedResource() { Close(); }
  ScopedResource(const ScopedResource&) = delete;
  ScopedResource& operator=(const ScopedResource&) = delete;

  Value Get() const { return value_; }
  bool IsValid() const { return value_ != Traits::Invalid(); }
  // Closes what is held and takes value.
  void Reset(Value value) {
    Close();
    value_ = value;
  }
  // Lets go of the resource without closing it: the caller owns it then.
  Value Release() {
    const Value value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  // True when nothing was held or it closed without error.
  bool Close() {
    if (!IsValid()) return true;
    return Traits::Close(Release());
  }

 private:
  Value value_ = Traits::Invalid();
};

// A file descriptor of the C runtime (open, _wopen), closed by the platform's
// close. The platform's file_system.cpp defines Close and OpenStream.
struct DescriptorTraits {
  using Value = int;
  static int Invalid() { return -1; }
  static bool Close(int descriptor);
  // A C stream over the descriptor (fdopen), or null.
  static FILE* OpenStream(int descriptor, const char* mode);
};
using ScopedDescriptor = ScopedResource<DescriptorTraits>;

// A C stream, and the buffer it was given, which is freed only after the
// stream is closed.
class ScopedFile {
 public:
  ScopedFile() = default;
  explicit ScopedFile(FILE* file) : file_(file) {}
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  FILE* Get() const { return file_; }
  bool IsOpen() const { return file_ != nullptr; }
  // Closes the stream held (its status is lost) and takes file.
  void Reset(FILE* file);
  // Opens a stream over the descriptor with a C library mode; the stream owns
  // the descriptor then. On failure the descriptor stays where it was.
  Status Adopt(ScopedDescriptor& descriptor, const char* mode);
  // Gives the stream a buffer of size bytes of its own: the editor reads and
  // writes in small pieces, and a large buffer turns them into few system
  // calls. (Some runtime libraries ignore the size when they allocate the
  // buffer themselves.)
  void UseBuffer(size_t size);
  // Flushes and closes the stream; ok when nothing was open.
  Status Close();

 private:
  FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;
};
