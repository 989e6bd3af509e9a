// The C stream holder (see scoped_holders.h).
#include "files/scoped_holders.h"

#include <cerrno>

#include "files/system_error.h"

void ScopedFile::Reset(FILE* file) {
  Close();
  file_ = file;
}

Status ScopedFile::Adopt(ScopedDescriptor& descriptor, const char* mode) {
  Reset(DescriptorTraits::OpenStream(descriptor.Get(), mode));
  if (file_ == nullptr) return ErrnoStatus("cannot open the file", errno);
  descriptor.Release();
  return Status::Ok();
}

void ScopedFile::UseBuffer(size_t size) {
  if (file_ == nullptr) return;
  buffer_.reset(new char[size]);
  std::setvbuf(file_, buffer_.get(), _IOFBF, size);
}

Status ScopedFile::Close() {
  if (file_ == nullptr) return Status::Ok();
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  const int error = errno;
  file_ = nullptr;
  buffer_.reset();
  return closed ? Status::Ok() : ErrnoStatus("cannot close the file", error);
}
