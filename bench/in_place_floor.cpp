// The least that an edit in place which survives a crash must cost, as a
// process of its own like mirale-cli.
// One audio file: 8 KiB written into each of two files that already exist
// (the recovery record's and the audio file's), each followed by fdatasync.
// Several: the least a batch must do: each file opened and its headers read
// (an edit must know what it changes); one record per file written, one
// fdatasync for all; one sector of each file written (its own bytes again, so
// that the files stay as they were); one syncfs for the group; each sector
// dropped from the cache and read back from the disk; the records retired,
// one fdatasync.
// Usage: mirale-in-place-floor RECORD_FILE AUDIO_FILE...
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// What the batch floor reads of each file, and writes back of it.
constexpr size_t kHeadersRead = 16384;
constexpr size_t kSectorWritten = 512;

bool WriteAndFlush(const char* path, off_t offset, const std::string& bytes) {
  const int file = open(path, O_RDWR | O_CLOEXEC);
  if (file < 0) return false;
  const bool done =
      pwrite(file, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size()) &&
      fdatasync(file) == 0;
  return close(file) == 0 && done;
}

bool OneFile(const char* record, const char* audio) {
  const std::string bytes(8192, 'm');
  // The audio file's bytes just past its first page, where its tags lie.
  return WriteAndFlush(record, 0, bytes) && WriteAndFlush(audio, 4096, bytes);
}

bool Batch(const char* record, char** paths, int count) {
  std::vector<int> files;
  std::vector<std::string> sectors;
  std::string headers(kHeadersRead, '\0');
  bool done = true;
  for (int i = 0; i < count; ++i) {
    const int file = open(paths[i], O_RDWR | O_CLOEXEC);
    if (file < 0) return false;
    files.push_back(file);
    done = pread(file, &headers[0], headers.size(), 0) >= static_cast<ssize_t>(kSectorWritten) &&
           done;
    sectors.push_back(headers.substr(0, kSectorWritten));
  }
  std::string records;
  for (const std::string& sector : sectors) records += sector;
  done = WriteAndFlush(record, 0, records) && done;
  for (size_t i = 0; i < files.size(); ++i) {
    done = pwrite(files[i], sectors[i].data(), kSectorWritten, 0) ==
               static_cast<ssize_t>(kSectorWritten) &&
           done;
  }
  done = syncfs(files[0]) == 0 && done;
  for (const int file : files) {
    posix_fadvise(file, 0, kSectorWritten, POSIX_FADV_DONTNEED);
    posix_fadvise(file, 0, kSectorWritten, POSIX_FADV_WILLNEED);
  }
  std::string back(kSectorWritten, '\0');
  for (size_t i = 0; i < files.size(); ++i) {
    done = pread(files[i], &back[0], back.size(), 0) == static_cast<ssize_t>(back.size()) &&
           back == sectors[i] && done;
    done = close(files[i]) == 0 && done;
  }
  return WriteAndFlush(record, 0, std::string(64, 'r')) && done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mirale-in-place-floor RECORD_FILE AUDIO_FILE...\n");
    return 2;
  }
  const bool done = argc == 3 ? OneFile(argv[1], argv[2]) : Batch(argv[1], argv + 2, argc - 2);
  return done ? 0 : 1;
}
