// In-memory read and write functions for TagEditor, with a write that can be made
// to fail at a chosen call and a record of every read request.
#pragma once
#include <cstddef>
#include <cstring>
#include <vector>

namespace memory_io {

struct Source {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t position = 0;
  std::vector<size_t> requests;  // element count asked by each read (size is always 1)
  bool recordRequests = false;
};

inline size_t Read(void* buffer, size_t size, size_t count, void* handle) {
  Source* source = static_cast<Source*>(handle);
  if (source->recordRequests) source->requests.push_back(size == 1 ? count : 0);
  size_t wanted = size * count;
  size_t left = source->size - source->position;
  if (wanted > left) wanted = left;
  if (wanted) memcpy(buffer, source->data + source->position, wanted);
  source->position += wanted;
  return size ? wanted / size : 0;
}

struct Sink {
  std::vector<unsigned char> bytes;
  long calls = 0;
  long failAtCall = -1;  // the call (counted from 0) that writes nothing
};

inline size_t Write(const void* data, size_t size, size_t count, void* handle) {
  Sink* sink = static_cast<Sink*>(handle);
  if (sink->calls++ == sink->failAtCall) return 0;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  sink->bytes.insert(sink->bytes.end(), bytes, bytes + size * count);
  return count;
}

}  // namespace memory_io
