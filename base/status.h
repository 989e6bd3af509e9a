// The one result convention below the engine: a small status, a code saying
// what kind of failure it was plus a constant detail text (and the system's
// own error number where there was one). The engine maps codes to the user's
// message tables in one place; nothing below it formats messages.
#pragma once
#include <cstdint>

enum class StatusCode : uint8_t {
  kOk,
  kNotFound,     // no such file or folder
  kExists,       // the target name is taken (a rename never replaces)
  kDenied,       // permission, a read-only file, a lock held by another run
  kNoSpace,      // the disk or a quota is full
  kIoError,      // a read, write, flush or close failed
  kCorrupt,      // the bytes do not parse as the format they claim to be
  kUnsupported,  // a well-formed stream of a kind we do not edit
  kTooLarge,     // a field or block passes the format's limit
  kInvalid,      // a bad argument from the caller
  kBusy,         // held by another process right now
};

class Status {
 public:
  // Success.
  Status() = default;
  // A failure; detail is a constant text that outlives the status (never freed).
  Status(StatusCode code, const char* detail, int systemError = 0)
      : code_(code), detail_(detail != nullptr ? detail : ""), systemError_(systemError) {}

  static Status Ok() { return Status(); }

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  // A constant English text for logs and for the formats' own messages, which
  // serve both languages; "" for success.
  const char* detail() const { return detail_; }
  // errno on POSIX, GetLastError() on Windows; 0 when the failure had none.
  int systemError() const { return systemError_; }

 private:
  StatusCode code_ = StatusCode::kOk;
  const char* detail_ = "";
  int systemError_ = 0;
};
