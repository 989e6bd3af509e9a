// The least that an edit in place which survives a crash must cost, as a
// process of its own like mirale-cli: 8 KiB written into each of two files
// that already exist (the recovery record's and the audio file's), each
// followed by fdatasync.
// Usage: mirale-in-place-floor RECORD_FILE AUDIO_FILE
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

bool WriteAndFlush(const char* path, off_t offset, const std::string& bytes) {
  const int file = open(path, O_RDWR | O_CLOEXEC);
  if (file < 0) return false;
  const bool done =
      pwrite(file, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size()) &&
      fdatasync(file) == 0;
  return close(file) == 0 && done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mirale-in-place-floor RECORD_FILE AUDIO_FILE\n");
    return 2;
  }
  const std::string bytes(8192, 'm');
  // The audio file's bytes just past its first page, where its tags lie.
  return WriteAndFlush(argv[1], 0, bytes) && WriteAndFlush(argv[2], 4096, bytes) ? 0 : 1;
}
