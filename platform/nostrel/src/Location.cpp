#include "Nostrel/Nostrel.hpp"

namespace Nostrel {

namespace {

constexpr Corbane::UniChar kSeparator = u'/';

bool EndsWithSeparator(const UniString& path) { return !path.IsEmpty() && path[path.GetLength() - 1] == kSeparator; }

}  // namespace

ErrorCode Location::AppendToLocal(const RelativeLocation& relative) {
  const UniString& names = relative.GetPath();
  if (path_.IsEmpty() || names.IsEmpty() || names[0] == kSeparator) return ErrBadLocation;
  if (!EndsWithSeparator(path_)) path_.Append(kSeparator);
  path_.Append(names);
  return NoError;
}

// A trailing separator names the same folder, so it is not a name of its own.
UniString Location::GetLastLocalName() const {
  Corbane::UIndex end = path_.GetLength();
  while (end > 0 && path_[end - 1] == kSeparator) --end;
  Corbane::UIndex start = end;
  while (start > 0 && path_[start - 1] != kSeparator) --start;
  return path_.GetSubstring(start, end - start);
}

}  // namespace Nostrel
