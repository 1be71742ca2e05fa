// How the system's file errors read as Nostrel error codes.
#pragma once

#include <cerrno>

#include "Nostrel/Nostrel.hpp"

namespace Nostrel {

inline ErrorCode FromSystemError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return ErrNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return ErrAccessDenied;
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP: return ErrBadLocation;
    default: return ErrIO;
  }
}

}  // namespace Nostrel
