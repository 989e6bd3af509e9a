// The read and write functions on a C stream that the editors and the page
// reader take by default (ReadFunc and WriteFunc are in base/stream_callbacks.h).
#pragma once
#include <cstddef>

#include "base/stream_callbacks.h"

// fread and fwrite on the FILE* given as handle.
size_t ReadFromFile(void* buffer, size_t size, size_t count, void* handle);
size_t WriteToFile(const void* data, size_t size, size_t count, void* handle);
