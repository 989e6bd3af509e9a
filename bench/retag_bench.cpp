// Retag benchmark: TagEditor against a plain 64 KiB block copy of the same bytes,
// on one long generated file and on a batch of small ones. Each measurement runs
// in a child process so that its peak resident memory is its own.
//
// usage: mirale-retag-bench [--large-mb N] [--files N] [--file-kb N] [--runs N] [--sync]
// Files go to a fresh folder under $TMPDIR (or /tmp) and are deleted at the end.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "text/wide_string.h"
#include "tools/ogg_fixtures.h"
#include "vorbis/tag_editor.h"

namespace {

// With --sync every output is flushed to the disk before it counts as written.
bool syncOutputs = false;

bool CloseOutput(FILE* out) {
  bool ok = fflush(out) == 0 && (!syncOutputs || fsync(fileno(out)) == 0);
  return fclose(out) == 0 && ok;
}

struct Measure {
  double seconds = 0;
  long peakKb = 0;
  bool ok = false;
};

bool CopyFile(const std::string& from, const std::string& to) {
  FILE* in = fopen(from.c_str(), "rb");
  if (!in) return false;
  FILE* out = fopen(to.c_str(), "wb");
  if (!out) {
    fclose(in);
    return false;
  }
  static char block[65536];
  size_t count;
  bool ok = true;
  while ((count = fread(block, 1, sizeof block, in)) > 0) {
    if (fwrite(block, 1, count, out) != count) {
      ok = false;
      break;
    }
  }
  fclose(in);
  return CloseOutput(out) && ok;
}

// With bufferSize 0 the streams keep the runtime library's default buffers, as
// the retag engine opens them; otherwise both get buffers of that size.
bool RetagFile(const std::string& from, const std::string& to, size_t bufferSize) {
  FILE* in = fopen(from.c_str(), "rb");
  if (!in) return false;
  if (bufferSize) setvbuf(in, nullptr, _IOFBF, bufferSize);
  TagEditor editor;
  bool ok = editor.OpenFile(in).ok();
  if (ok) {
    editor.SetTag("ARTIST", WideString(u"Benchmark Artist"));
    editor.SetTag("TITLE", WideString(u"Benchmark Title \u00e9"));
    editor.SetTag("ALBUM", WideString(u"Benchmark Album"));
    editor.SetTag("TRACKNUMBER", WideString(u"7"));
    FILE* out = fopen(to.c_str(), "wb");
    if (out && bufferSize) setvbuf(out, nullptr, _IOFBF, bufferSize);
    ok = out && editor.Write(out).ok();
    if (out && !CloseOutput(out)) ok = false;
  }
  fclose(in);
  return ok;
}

// Runs job in a child process; the time is the child's wall clock as seen here.
template <typename Job>
Measure InChild(Job job) {
  Measure measure;
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) _exit(job() ? 0 : 1);
  if (child < 0) return measure;
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) != child) return measure;
  measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measure.peakKb = usage.ru_maxrss;
  measure.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return measure;
}

// Keeps the best time and the largest peak memory of several runs.
void Keep(Measure& best, const Measure& run, bool first) {
  if (first || run.seconds < best.seconds) best.seconds = run.seconds;
  if (run.peakKb > best.peakKb) best.peakKb = run.peakKb;
  best.ok = run.ok && (first || best.ok);
}

// Three ways of producing the same output, interleaved run by run and with the
// output removed after each job, so that the page cache and the file system's
// write-back treat all three alike.
struct Trio {
  Measure copy;
  Measure retag;
  Measure buffered;
};

template <typename Copy, typename Retag, typename Cleanup>
Trio Compare(int runs, Copy copy, Retag retag, Cleanup cleanup) {
  Trio trio;
  for (int i = 0; i < runs; ++i) {
    Keep(trio.copy, InChild(copy), i == 0);
    cleanup();
    Keep(trio.retag, InChild([&] { return retag(0); }), i == 0);
    cleanup();
    Keep(trio.buffered, InChild([&] { return retag(65536); }), i == 0);
    cleanup();
  }
  return trio;
}

long FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

void Report(const char* what, double megabytes, const Trio& trio) {
  printf("%s, %.1f MB in all\n", what, megabytes);
  const struct {
    const char* name;
    const Measure& measure;
  } rows[] = {{"copy, 64 KiB blocks", trio.copy},
              {"retag, default stdio buffers", trio.retag},
              {"retag, 64 KiB stdio buffers", trio.buffered}};
  for (const auto& row : rows) {
    printf("  %-30s %8.3f s %7.0f MB/s  peak RSS %6ld KB  ratio to copy %.2f%s\n", row.name,
           row.measure.seconds, megabytes / row.measure.seconds, row.measure.peakKb,
           row.measure.seconds / trio.copy.seconds, row.measure.ok ? "" : "  FAILED");
  }
  fflush(stdout);
}

fixtures::EncodeOptions MusicLike(int tone) {
  // Stereo 44.1 kHz at moderate quality: packet sizes of ordinary music files.
  fixtures::EncodeOptions options;
  options.sampleRate = 44100;
  options.channels = 2;
  options.samples = 44100 * 4;
  options.quality = 0.4f;
  options.toneHz = tone;
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  long largeMb = 220;
  int files = 1000;
  long fileKb = 300;
  int runs = 3;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!strcmp(argv[i], "--large-mb")) largeMb = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--files")) files = atoi(argv[i + 1]);
    if (!strcmp(argv[i], "--file-kb")) fileKb = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--runs")) runs = atoi(argv[i + 1]);
  }
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--sync")) syncOutputs = true;
  }
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/mirale-bench-XXXXXX";
  std::vector<char> folderName(pattern.begin(), pattern.end());
  folderName.push_back('\0');
  if (!mkdtemp(folderName.data())) {
    perror("mkdtemp");
    return 1;
  }
  std::string folder = folderName.data();
  int result = 0;

  // One long file.
  std::string large = folder + "/large.ogg";
  if (!fixtures::WriteLongStreamFile(large, MusicLike(330), uint64_t(largeMb) << 20)) {
    fprintf(stderr, "cannot write %s\n", large.c_str());
    result = 1;
  } else {
    double mb = static_cast<double>(FileSize(large)) / (1 << 20);
    CopyFile(large, folder + "/warm.ogg");  // the input in the page cache for both
    remove((folder + "/warm.ogg").c_str());
    std::string output = folder + "/large.out";
    Trio trio = Compare(
        runs, [&] { return CopyFile(large, output); },
        [&](size_t buffer) { return RetagFile(large, output, buffer); },
        [&] { remove(output.c_str()); });
    if (!trio.copy.ok || !trio.retag.ok || !trio.buffered.ok) result = 1;
    Report("one long file", mb, trio);
  }
  remove(large.c_str());

  // A batch of small files, all made from one generated stream.
  struct Memory {
    fixtures::Bytes bytes;
  } small;
  fixtures::BuildLongStream(
      MusicLike(440), uint64_t(fileKb) << 10,
      [](const unsigned char* data, size_t size, void* context) {
        fixtures::Bytes& bytes = static_cast<Memory*>(context)->bytes;
        bytes.insert(bytes.end(), data, data + size);
      },
      &small);
  std::vector<std::string> names;
  for (int i = 0; i < files; ++i) {
    char name[64];
    snprintf(name, sizeof name, "/%04d - Artist - Title", i + 1);
    names.push_back(folder + name);
    if (!fixtures::WriteFile(names.back() + ".ogg", small.bytes)) result = 1;
  }
  Trio trio = Compare(
      runs,
      [&] {
        for (const std::string& name : names) {
          if (!CopyFile(name + ".ogg", name + ".out")) return false;
        }
        return true;
      },
      [&](size_t buffer) {
        for (const std::string& name : names) {
          if (!RetagFile(name + ".ogg", name + ".out", buffer)) return false;
        }
        return true;
      },
      [&] {
        for (const std::string& name : names) remove((name + ".out").c_str());
      });
  if (!trio.copy.ok || !trio.retag.ok || !trio.buffered.ok) result = 1;
  char label[64];
  snprintf(label, sizeof label, "%d files of %ld KB", files, fileKb);
  Report(label, static_cast<double>(small.bytes.size()) * files / (1 << 20), trio);
  for (const std::string& name : names) remove((name + ".ogg").c_str());
  rmdir(folder.c_str());
  return result;
}
