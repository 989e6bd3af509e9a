// mirale-fixtures: writes generated Ogg Vorbis, Ogg Opus or native FLAC files of
// the named shapes into a folder (benchmark inputs, fuzz seeds, demo material).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/flac_fixtures.h"
#include "tools/ogg_fixtures.h"

namespace {

void PrintHelp() {
  printf(
      "usage: mirale-fixtures DIR [--flac] [--shape NAME] [--count N] [--names PATTERN]\n"
      "                       [--size MB]\n"
      "\n"
      "Writes generated Ogg files into the existing folder DIR (\".opus\" for the opus\n"
      "shapes, \".ogg\" for the others), or with --flac native FLAC files (\".flac\").\n"
      "  --flac           takes the FLAC shapes (flac-basic by default)\n"
      "  --shape NAME     one of the shapes below, or \"all\" for every shape\n"
      "                   once (default: basic)\n"
      "  --count N        files per shape (default 1); copies of basic and long differ\n"
      "                   in their tone\n"
      "  --names PATTERN  file name without extension: %%s is the shape, %%n the two-digit\n"
      "                   file number from 01 (default \"%%s\", or \"%%s-%%n\" when N > 1)\n"
      "  --size MB        with --shape long: the file size in MB, fractions allowed\n"
      "                   (default 200)\n"
      "\n"
      "shapes: long (a long stream, built fast from repeated packets; with --flac a\n"
      "long file encoded by libFLAC, 44.1 kHz stereo, 8 KiB of padding)");
  for (const std::string& name : fixtures::ShapeNames()) printf(", %s", name.c_str());
  printf("\nflac shapes:");
  for (const std::string& name : fixtures::FlacShapeNames()) printf(" %s", name.c_str());
  printf("\n");
}

std::string FileName(const std::string& pattern, const std::string& shape, int number,
                     const char* extension) {
  std::string name;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
      name += shape;
      ++i;
    } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'n') {
      char digits[16];
      snprintf(digits, sizeof digits, "%02d", number);
      name += digits;
      ++i;
    } else {
      name += pattern[i];
    }
  }
  return name + extension;
}

fixtures::Bytes MakeCopy(const std::string& shape, int number) {
  if (fixtures::IsFlacShape(shape)) return fixtures::MakeFlacShape(shape);
  if (number == 1 || shape != "basic") return fixtures::MakeShape(shape);
  fixtures::EncodeOptions options;
  options.toneHz = 220 + 20 * number;
  return fixtures::Basic(options);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string shape;
  std::string pattern;
  int count = 1;
  double sizeMb = 200;
  bool flac = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      PrintHelp();
      return 0;
    } else if (arg == "--flac") {
      flac = true;
    } else if (arg == "--shape" && hasValue) {
      shape = argv[++i];
    } else if (arg == "--count" && hasValue) {
      count = atoi(argv[++i]);
    } else if (arg == "--names" && hasValue) {
      pattern = argv[++i];
    } else if (arg == "--size" && hasValue) {
      sizeMb = atof(argv[++i]);
    } else if (folder.empty() && arg[0] != '-') {
      folder = arg;
    } else {
      fprintf(stderr, "mirale-fixtures: unexpected argument \"%s\" (see --help)\n", argv[i]);
      return 2;
    }
  }
  if (shape.empty()) shape = flac ? "flac-basic" : "basic";
  const bool known =
      shape == "long" || (flac ? fixtures::IsFlacShape(shape) : fixtures::IsShape(shape));
  if (folder.empty() || count < 1 || !(sizeMb > 0) || (shape != "all" && !known)) {
    PrintHelp();
    return 2;
  }
  if (pattern.empty()) pattern = count > 1 ? "%s-%n" : "%s";

  std::vector<std::string> shapes;
  if (shape == "all") {
    shapes = flac ? fixtures::FlacShapeNames() : fixtures::ShapeNames();
  } else {
    shapes.push_back(shape);
  }
  for (const std::string& name : shapes) {
    for (int n = 1; n <= count; ++n) {
      const char* extension = flac ? ".flac" : fixtures::ShapeExtension(name);
      std::string path = folder + "/" + FileName(pattern, name, n, extension);
      bool ok;
      if (name == "long" && flac) {
        ok = fixtures::WriteLongFlacFile(path, uint64_t(sizeMb * 1048576.0), 220 + 20 * n);
      } else if (name == "long") {
        fixtures::EncodeOptions options;
        options.sampleRate = 44100;
        options.channels = 2;
        options.samples = 44100 * 4;
        options.quality = 0.4f;
        options.toneHz = 220 + 20 * n;
        ok = fixtures::WriteLongStreamFile(path, options, uint64_t(sizeMb * 1048576.0));
      } else {
        ok = fixtures::WriteFile(path, MakeCopy(name, n));
      }
      if (!ok) {
        fprintf(stderr, "mirale-fixtures: cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return 0;
}
