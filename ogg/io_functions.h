// The read and write functions the editor and the page reader take in place of
// FILE*: same contracts as fread and fwrite, with an opaque handle.
#pragma once
#include <cstddef>

typedef size_t (*ReadFunc)(void* buffer, size_t size, size_t count, void* handle);
typedef size_t (*WriteFunc)(const void* data, size_t size, size_t count, void* handle);

// fread and fwrite on the FILE* given as handle.
size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle);
size_t WriteToFile(const void* data, size_t size, size_t count, void* handle);
