// UniString: Unicode text, UTF-16 inside, storage from the Corbane memory
// manager. Narrow text is read and written in a character code; the default
// code (CC_Default, 0) is UTF-8.
#pragma once

#include <cstdarg>

#include "Corbane/Array.hpp"
#include "Corbane/Types.hpp"

namespace Corbane {

class UniString;

// Narrow text made by UniString::ToCStr; owns its zero-terminated bytes.
class CStr {
 public:
  CStr() noexcept = default;
  CStr(const CStr&) = delete;
  CStr& operator=(const CStr&) = delete;
  CStr(CStr&& other) noexcept;
  CStr& operator=(CStr&& other) noexcept;
  ~CStr();

  const char* Get() const noexcept { return bytes_ != nullptr ? bytes_ : ""; }
  operator const char*() const noexcept { return Get(); }
  UIndex GetLength() const noexcept { return length_; }  // in bytes, without the zero

 private:
  friend class UniString;
  char* bytes_ = nullptr;
  UIndex length_ = 0;
};

class UniString {
 public:
  static constexpr UIndex NotFound = MaxUIndex;

  UniString() noexcept = default;
  // From zero-terminated narrow text in `code`. Bytes that are not valid in
  // the code become U+FFFD. A null pointer gives the empty string.
  UniString(const char* text, CharCode code = CC_Default);  // NOLINT: implicit on purpose
  UniString(const char* text, UIndex byteCount, CharCode code);
  UniString(const UniChar* text);  // NOLINT: zero-terminated UTF-16
  UniString(const UniChar* text, UIndex length);
  UniString(const UniString& other);
  UniString(UniString&& other) noexcept;
  UniString& operator=(const UniString& other);
  UniString& operator=(UniString&& other) noexcept;
  ~UniString();

  UIndex GetLength() const noexcept { return length_; }  // in UTF-16 code units
  bool IsEmpty() const noexcept { return length_ == 0; }
  const UniChar* GetData() const noexcept;  // zero-terminated, never null
  // [GetLength()] is the terminating zero, also for the empty string.
  UniChar operator[](UIndex i) const noexcept { return data_ != nullptr ? data_[i] : UniChar(0); }
  void Clear() noexcept;

  // Narrow text of the characters [from, from + length) in `code`.
  // errorMode 0: a character the code cannot hold becomes '?'.
  CStr ToCStr(UIndex from = 0, UIndex length = MaxUIndex, CharCode code = CC_Default, Int32 errorMode = 0) const;

  UniString& Append(const UniString& other);
  UniString& Append(UniChar c);
  UniString& operator+=(const UniString& other) { return Append(other); }
  UniString& operator+=(const char* other) { return Append(UniString(other)); }
  friend UniString operator+(const UniString& a, const UniString& b) { return UniString(a).Append(b); }
  friend UniString operator+(const UniString& a, const char* b) { return UniString(a).Append(UniString(b)); }
  friend UniString operator+(const char* a, const UniString& b) { return UniString(a).Append(b); }

  bool IsEqual(const UniString& other) const noexcept;
  int Compare(const UniString& other) const noexcept;  // code-unit order: <0, 0, >0
  friend bool operator==(const UniString& a, const UniString& b) noexcept { return a.IsEqual(b); }
  friend bool operator!=(const UniString& a, const UniString& b) noexcept { return !a.IsEqual(b); }
  friend bool operator<(const UniString& a, const UniString& b) noexcept { return a.Compare(b) < 0; }

  // Case-sensitive.
  bool BeginsWith(const UniString& prefix) const noexcept;
  bool EndsWith(const UniString& suffix) const noexcept;
  bool Contains(const UniString& what) const noexcept { return FindFirst(what) != NotFound; }
  UIndex FindFirst(const UniString& what, UIndex from = 0) const noexcept;
  UIndex FindFirst(UniChar c, UIndex from = 0) const noexcept;
  UIndex FindLast(const UniString& what) const noexcept;
  UIndex Count(const UniString& what) const noexcept;

  UniString GetSubstring(UIndex from, UIndex length) const;
  // Replaces the first occurrence; returns whether there was one.
  bool ReplaceFirst(const UniString& what, const UniString& with);
  // Replaces every occurrence, left to right; returns how many.
  UIndex ReplaceAll(const UniString& what, const UniString& with);
  UniString& Replace(UIndex from, UIndex length, const UniString& with);
  UniString& Insert(UIndex at, const UniString& what);
  UniString& Delete(UIndex from, UIndex length);
  UniString& Trim();  // blanks, tabs and line ends at both ends

  // Splits at every occurrence of `separator`; n separators give n + 1 parts,
  // empty parts included. An empty separator gives the whole string.
  Array<UniString> Split(const UniString& separator) const;

  // printf-style: %d %i %u %x %X %c %f %g %e %s (UTF-8 char*), %T (const UniString*),
  // flags "-+ 0#", width and precision; %% for a percent sign. %n is not
  // supported and is printed as it stands.
  static UniString Printf(const char* format, ...);
  static UniString VPrintf(const char* format, va_list args);

  UInt64 Hash() const noexcept;

 private:
  void Assign(const UniChar* text, UIndex length);
  void Reserve(UIndex capacity);

  UniChar* data_ = nullptr;  // zero-terminated when not null
  UIndex length_ = 0;
  UIndex capacity_ = 0;
};

inline UInt64 GenerateHashValue(const UniString& s) noexcept { return s.Hash(); }

}  // namespace Corbane
