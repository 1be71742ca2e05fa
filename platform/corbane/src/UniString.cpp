#include "Corbane/UniString.hpp"

#include <cstring>
#include <utility>

#include "Corbane/Memory.hpp"
#include "Utf.hpp"

namespace Corbane {
namespace {

constexpr UniChar EmptyText[1] = {0};

UIndex LengthOf(const UniChar* text) noexcept {
  UIndex length = 0;
  while (text[length] != 0) ++length;
  return length;
}

bool IsBlank(UniChar c) noexcept { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool MatchesAt(const UniChar* text, const UniChar* what, UIndex whatLength) noexcept {
  return std::memcmp(text, what, whatLength * sizeof(UniChar)) == 0;
}

}  // namespace

// ---- CStr

CStr::CStr(CStr&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), length_(std::exchange(other.length_, 0)) {}

CStr& CStr::operator=(CStr&& other) noexcept {
  if (this != &other) {
    Free(bytes_);
    bytes_ = std::exchange(other.bytes_, nullptr);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

CStr::~CStr() { Free(bytes_); }

// ---- construction and storage

UniString::UniString(const char* text, CharCode code)
    : UniString(text, text != nullptr ? static_cast<UIndex>(std::strlen(text)) : 0, code) {}

UniString::UniString(const char* text, UIndex byteCount, CharCode code) {
  if (text == nullptr || byteCount == 0) return;
  Reserve(byteCount);
  length_ = static_cast<UIndex>(Utf::Decode(text, byteCount, code, data_));
  data_[length_] = 0;
}

UniString::UniString(const UniChar* text) {
  if (text != nullptr) Assign(text, LengthOf(text));
}

UniString::UniString(const UniChar* text, UIndex length) {
  if (text != nullptr) Assign(text, length);
}

UniString::UniString(const UniString& other) { Assign(other.data_, other.length_); }

UniString::UniString(UniString&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

UniString& UniString::operator=(const UniString& other) {
  if (this != &other) Assign(other.data_, other.length_);
  return *this;
}

UniString& UniString::operator=(UniString&& other) noexcept {
  if (this != &other) {
    Free(data_);
    data_ = std::exchange(other.data_, nullptr);
    length_ = std::exchange(other.length_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

UniString::~UniString() { Free(data_); }

const UniChar* UniString::GetData() const noexcept { return data_ != nullptr ? data_ : EmptyText; }

void UniString::Clear() noexcept {
  Free(data_);
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

void UniString::Assign(const UniChar* text, UIndex length) {
  if (length == 0) {
    length_ = 0;
    if (data_ != nullptr) data_[0] = 0;
    return;
  }
  Reserve(length);
  std::memmove(data_, text, length * sizeof(UniChar));
  length_ = length;
  data_[length_] = 0;
}

// Keeps the text; grows geometrically so that appending one character at a
// time stays linear.
void UniString::Reserve(UIndex capacity) {
  if (data_ != nullptr && capacity <= capacity_) return;
  UIndex grown = capacity_ + capacity_ / 2;
  if (grown < capacity) grown = capacity;
  if (grown < 7) grown = 7;
  auto* fresh = static_cast<UniChar*>(Allocate((static_cast<std::size_t>(grown) + 1) * sizeof(UniChar)));
  if (length_ > 0) std::memcpy(fresh, data_, length_ * sizeof(UniChar));
  fresh[length_] = 0;
  Free(data_);
  data_ = fresh;
  capacity_ = grown;
}

// ---- narrow text

CStr UniString::ToCStr(UIndex from, UIndex length, CharCode code, Int32 /*errorMode*/) const {
  CStr result;
  if (from > length_) from = length_;
  if (length > length_ - from) length = length_ - from;
  std::size_t room = Utf::MaxEncodedBytes(length, code);
  result.bytes_ = static_cast<char*>(Allocate(room + 1));
  std::size_t written = Utf::Encode(GetData() + from, length, code, result.bytes_);
  result.bytes_[written] = 0;
  result.length_ = static_cast<UIndex>(written);
  return result;
}

// ---- concatenation and comparison

UniString& UniString::Append(const UniString& other) {
  UIndex added = other.length_;  // read before growing: `other` may be this string
  if (added == 0) return *this;
  Reserve(length_ + added);
  std::memmove(data_ + length_, other.data_, added * sizeof(UniChar));
  length_ += added;
  data_[length_] = 0;
  return *this;
}

UniString& UniString::Append(UniChar c) {
  Reserve(length_ + 1);
  data_[length_++] = c;
  data_[length_] = 0;
  return *this;
}

bool UniString::IsEqual(const UniString& other) const noexcept {
  return length_ == other.length_ && MatchesAt(GetData(), other.GetData(), length_);
}

int UniString::Compare(const UniString& other) const noexcept {
  UIndex shorter = length_ < other.length_ ? length_ : other.length_;
  const UniChar* a = GetData();
  const UniChar* b = other.GetData();
  for (UIndex i = 0; i < shorter; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  if (length_ == other.length_) return 0;
  return length_ < other.length_ ? -1 : 1;
}

// ---- search

bool UniString::BeginsWith(const UniString& prefix) const noexcept {
  return prefix.length_ <= length_ && MatchesAt(GetData(), prefix.GetData(), prefix.length_);
}

bool UniString::EndsWith(const UniString& suffix) const noexcept {
  return suffix.length_ <= length_ && MatchesAt(GetData() + length_ - suffix.length_, suffix.GetData(), suffix.length_);
}

UIndex UniString::FindFirst(const UniString& what, UIndex from) const noexcept {
  if (from > length_ || what.length_ > length_ - from) return NotFound;
  for (UIndex at = from; at + what.length_ <= length_; ++at)
    if (MatchesAt(GetData() + at, what.GetData(), what.length_)) return at;
  return NotFound;
}

UIndex UniString::FindFirst(UniChar c, UIndex from) const noexcept {
  for (UIndex at = from; at < length_; ++at)
    if (data_[at] == c) return at;
  return NotFound;
}

UIndex UniString::FindLast(const UniString& what) const noexcept {
  if (what.length_ > length_) return NotFound;
  for (UIndex at = length_ - what.length_ + 1; at-- > 0;)
    if (MatchesAt(GetData() + at, what.GetData(), what.length_)) return at;
  return NotFound;
}

// Occurrences that do not overlap, counted left to right as ReplaceAll
// replaces them; an empty text occurs nowhere.
UIndex UniString::Count(const UniString& what) const noexcept {
  if (what.IsEmpty()) return 0;
  UIndex count = 0;
  for (UIndex at = FindFirst(what); at != NotFound; at = FindFirst(what, at + what.length_)) ++count;
  return count;
}

// ---- editing

UniString UniString::GetSubstring(UIndex from, UIndex length) const {
  if (from > length_) from = length_;
  if (length > length_ - from) length = length_ - from;
  return UniString(GetData() + from, length);
}

bool UniString::ReplaceFirst(const UniString& what, const UniString& with) {
  if (what.IsEmpty()) return false;
  UIndex at = FindFirst(what);
  if (at == NotFound) return false;
  Replace(at, what.length_, with);
  return true;
}

// Builds the result in one pass so that a replacement that contains `what`
// is never searched again.
UIndex UniString::ReplaceAll(const UniString& what, const UniString& with) {
  if (what.IsEmpty()) return 0;
  UniString result;
  UIndex count = 0;
  UIndex copied = 0;
  for (UIndex at = FindFirst(what); at != NotFound; at = FindFirst(what, copied)) {
    result.Append(GetSubstring(copied, at - copied)).Append(with);
    copied = at + what.length_;
    ++count;
  }
  if (count == 0) return 0;
  result.Append(GetSubstring(copied, length_ - copied));
  *this = std::move(result);
  return count;
}

UniString& UniString::Replace(UIndex from, UIndex length, const UniString& with) {
  if (&with == this) return Replace(from, length, UniString(with));
  if (from > length_) from = length_;
  if (length > length_ - from) length = length_ - from;
  if (length == 0 && with.length_ == 0) return *this;
  UIndex tail = length_ - from - length;
  UIndex newLength = length_ - length + with.length_;
  Reserve(newLength);
  std::memmove(data_ + from + with.length_, data_ + from + length, tail * sizeof(UniChar));
  if (with.length_ > 0) std::memcpy(data_ + from, with.data_, with.length_ * sizeof(UniChar));
  length_ = newLength;
  data_[length_] = 0;
  return *this;
}

UniString& UniString::Insert(UIndex at, const UniString& what) { return Replace(at, 0, what); }

UniString& UniString::Delete(UIndex from, UIndex length) { return Replace(from, length, UniString()); }

UniString& UniString::Trim() {
  UIndex begin = 0;
  while (begin < length_ && IsBlank(data_[begin])) ++begin;
  UIndex end = length_;
  while (end > begin && IsBlank(data_[end - 1])) --end;
  Delete(end, length_ - end);
  return Delete(0, begin);
}

Array<UniString> UniString::Split(const UniString& separator) const {
  Array<UniString> parts;
  if (separator.IsEmpty()) {
    parts.Push(*this);
    return parts;
  }
  UIndex partBegin = 0;
  for (UIndex at = FindFirst(separator); at != NotFound; at = FindFirst(separator, partBegin)) {
    parts.Push(GetSubstring(partBegin, at - partBegin));
    partBegin = at + separator.length_;
  }
  parts.Push(GetSubstring(partBegin, length_ - partBegin));
  return parts;
}

// FNV-1a over the code units.
UInt64 UniString::Hash() const noexcept {
  UInt64 hash = 0xCBF29CE484222325ull;
  for (UIndex i = 0; i < length_; ++i) {
    hash ^= data_[i];
    hash *= 0x100000001B3ull;
  }
  return hash;
}

}  // namespace Corbane
