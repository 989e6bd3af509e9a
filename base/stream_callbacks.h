// The read and write functions the format layers take in place of FILE*: the
// same contracts as fread and fwrite, with an opaque handle.
#pragma once
#include <cstddef>

typedef size_t (*ReadFunc)(void* buffer, size_t size, size_t count, void* handle);
typedef size_t (*WriteFunc)(const void* data, size_t size, size_t count, void* handle);
