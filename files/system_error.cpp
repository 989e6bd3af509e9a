// System error numbers to status codes (see system_error.h).
#include "files/system_error.h"

#include <cerrno>

namespace {

const SystemErrorCode kErrnoCodes[] = {
    {ENOENT, StatusCode::kNotFound}, {ENOTDIR, StatusCode::kNotFound},
    {EEXIST, StatusCode::kExists},   {EACCES, StatusCode::kDenied},
    {EPERM, StatusCode::kDenied},    {EROFS, StatusCode::kDenied},
    {ENOSPC, StatusCode::kNoSpace},
#ifdef EDQUOT
    {EDQUOT, StatusCode::kNoSpace},
#endif
    {EBUSY, StatusCode::kBusy},      {ETXTBSY, StatusCode::kBusy},
    {EINVAL, StatusCode::kInvalid},  {ENAMETOOLONG, StatusCode::kTooLarge},
};

}  // namespace

Status StatusOfError(const char* detail, int error, const SystemErrorCode* table, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (table[i].error == error) return Status(table[i].code, detail, error);
  }
  return Status(StatusCode::kIoError, detail, error);
}

Status ErrnoStatus(const char* detail, int error) {
  return StatusOfError(detail, error, kErrnoCodes, sizeof kErrnoCodes / sizeof kErrnoCodes[0]);
}
