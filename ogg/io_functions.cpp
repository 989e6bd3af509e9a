// fread and fwrite behind the editor's read and write functions (see io_functions.h).
#include "ogg/io_functions.h"

#include <cstdio>

size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle) {
  return fread(buffer, size, count, static_cast<FILE*>(handle));
}

size_t WriteToFile(const void* data, size_t size, size_t count, void* handle) {
  return fwrite(data, size, count, static_cast<FILE*>(handle));
}
