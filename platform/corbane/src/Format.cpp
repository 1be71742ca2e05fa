// printf-style formatting into a UniString.
//
// The format is read here, one directive at a time; only a directive rebuilt
// from the parts this reader understood ever reaches the C library, and only
// with the one argument it formats. So a format can never make the C library
// read an argument that is not there or write through a pointer (%n).
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "Corbane/Memory.hpp"
#include "Corbane/UniString.hpp"
#include "Utf.hpp"

namespace Corbane {
namespace {

// A width or precision beyond any line is a mistake in the format; capping it
// keeps such a format from asking for gigabytes.
constexpr int MaxWidth = 4096;

enum class LengthModifier { None, Char, Short, Long, LongLong, Size, Max, PtrDiff, LongDouble };

struct Directive {
  bool leftAlign = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  bool alternate = false;
  int width = -1;
  int precision = -1;
  LengthModifier length = LengthModifier::None;
  char conversion = 0;
};

class FormatReader {
 public:
  FormatReader(const char* format, va_list* args) : at_(format), args_(args) {}

  UniString Run() {
    while (*at_ != 0) {
      const char* percent = std::strchr(at_, '%');
      if (percent == nullptr) percent = at_ + std::strlen(at_);
      AppendNarrow(at_, static_cast<std::size_t>(percent - at_));
      at_ = percent;
      if (*at_ == '%') FormatDirective();
    }
    return out_;
  }

 private:
  void FormatDirective() {
    const char* start = at_++;
    Directive d;
    ReadFlags(d);
    d.width = ReadCount(d, true);
    if (*at_ == '.') {
      ++at_;
      d.precision = ReadCount(d, false);
    }
    d.length = ReadLength();
    d.conversion = *at_;
    if (d.conversion != 0) ++at_;
    if (!FormatConversion(d)) AppendNarrow(start, static_cast<std::size_t>(at_ - start));
  }

  void ReadFlags(Directive& d) {
    for (;; ++at_) {
      switch (*at_) {
        case '-': d.leftAlign = true; break;
        case '+': d.plus = true; break;
        case ' ': d.space = true; break;
        case '0': d.zero = true; break;
        case '#': d.alternate = true; break;
        default: return;
      }
    }
  }

  // Digits or '*'. A negative '*' width means left alignment; a precision
  // that is absent or given as a negative '*' reads as -1 (none).
  int ReadCount(Directive& d, bool isWidth) {
    if (*at_ == '*') {
      ++at_;
      int value = va_arg(*args_, int);
      if (value < 0) {
        if (!isWidth) return -1;
        d.leftAlign = true;
        value = value == INT32_MIN ? MaxWidth : -value;
      }
      return value > MaxWidth ? MaxWidth : value;
    }
    if (*at_ < '0' || *at_ > '9') return isWidth ? -1 : 0;
    int value = 0;
    for (; *at_ >= '0' && *at_ <= '9'; ++at_)
      if (value <= MaxWidth) value = value * 10 + (*at_ - '0');
    return value > MaxWidth ? MaxWidth : value;
  }

  LengthModifier ReadLength() {
    auto take = [this](LengthModifier m, int count) {
      at_ += count;
      return m;
    };
    switch (*at_) {
      case 'h': return at_[1] == 'h' ? take(LengthModifier::Char, 2) : take(LengthModifier::Short, 1);
      case 'l': return at_[1] == 'l' ? take(LengthModifier::LongLong, 2) : take(LengthModifier::Long, 1);
      case 'z': return take(LengthModifier::Size, 1);
      case 'j': return take(LengthModifier::Max, 1);
      case 't': return take(LengthModifier::PtrDiff, 1);
      case 'L': return take(LengthModifier::LongDouble, 1);
      default: return LengthModifier::None;
    }
  }

  // False for a directive this reader does not format; it is then printed as
  // it stands.
  bool FormatConversion(const Directive& d) {
    switch (d.conversion) {
      case 'd':
      case 'i': FormatSigned(d); return true;
      case 'u':
      case 'x':
      case 'X':
      case 'o': FormatUnsigned(d); return true;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A': FormatReal(d); return true;
      case 'c': FormatCharacter(d); return true;
      case 's': FormatNarrowText(d); return true;
      case 'T': FormatUniText(d); return true;
      case 'p': AppendNumber(RebuildForCLibrary(d, "", "p", "-"), va_arg(*args_, void*)); return true;
      case '%': out_.Append(u'%'); return true;
      default: return false;
    }
  }

  void FormatSigned(const Directive& d) {
    long long value = 0;
    switch (d.length) {
      case LengthModifier::Char: value = static_cast<signed char>(va_arg(*args_, int)); break;
      case LengthModifier::Short: value = static_cast<short>(va_arg(*args_, int)); break;
      case LengthModifier::Long: value = va_arg(*args_, long); break;
      case LengthModifier::LongLong: value = va_arg(*args_, long long); break;
      case LengthModifier::Size: value = va_arg(*args_, std::make_signed_t<std::size_t>); break;
      case LengthModifier::Max: value = va_arg(*args_, std::intmax_t); break;
      case LengthModifier::PtrDiff: value = va_arg(*args_, std::ptrdiff_t); break;
      default: value = va_arg(*args_, int); break;
    }
    AppendNumber(RebuildForCLibrary(d, "ll", "d", "-+ 0"), value);
  }

  void FormatUnsigned(const Directive& d) {
    unsigned long long value = 0;
    switch (d.length) {
      case LengthModifier::Char: value = static_cast<unsigned char>(va_arg(*args_, unsigned)); break;
      case LengthModifier::Short: value = static_cast<unsigned short>(va_arg(*args_, unsigned)); break;
      case LengthModifier::Long: value = va_arg(*args_, unsigned long); break;
      case LengthModifier::LongLong: value = va_arg(*args_, unsigned long long); break;
      case LengthModifier::Size: value = va_arg(*args_, std::size_t); break;
      case LengthModifier::Max: value = va_arg(*args_, std::uintmax_t); break;
      case LengthModifier::PtrDiff: value = va_arg(*args_, std::make_unsigned_t<std::ptrdiff_t>); break;
      default: value = va_arg(*args_, unsigned); break;
    }
    const char conversion[2] = {d.conversion, 0};
    AppendNumber(RebuildForCLibrary(d, "ll", conversion, d.conversion == 'u' ? "-0" : "-0#"), value);
  }

  void FormatReal(const Directive& d) {
    const char conversion[2] = {d.conversion, 0};
    if (d.length == LengthModifier::LongDouble) {
      AppendNumber(RebuildForCLibrary(d, "L", conversion, "-+ 0#"), va_arg(*args_, long double));
    } else {
      AppendNumber(RebuildForCLibrary(d, "", conversion, "-+ 0#"), va_arg(*args_, double));
    }
  }

  // The argument is a code point; a negative one is a byte of a signed char.
  void FormatCharacter(const Directive& d) {
    int value = va_arg(*args_, int);
    UInt32 codePoint = value < 0 ? static_cast<unsigned char>(value) : static_cast<UInt32>(value);
    UniChar units[2];
    std::size_t count = Utf::EncodeCodePoint(codePoint, units);
    AppendPadded(d, UniString(units, static_cast<UIndex>(count)), false);
  }

  void FormatNarrowText(const Directive& d) {
    const char* text = va_arg(*args_, const char*);
    AppendPadded(d, UniString(text != nullptr ? text : "(null)"), true);
  }

  void FormatUniText(const Directive& d) {
    const UniString* text = va_arg(*args_, const UniString*);
    AppendPadded(d, text != nullptr ? *text : UniString("(null)"), true);
  }

  // Width and precision of texts count characters, so that a pair of
  // surrogates is never split and pads like one character.
  void AppendPadded(const Directive& d, const UniString& text, bool usePrecision) {
    UIndex units = text.GetLength();
    if (usePrecision && d.precision >= 0) units = UnitsOfFirstCharacters(text, static_cast<std::size_t>(d.precision));
    std::size_t characters = Utf::CountCodePoints(text.GetData(), units);
    std::size_t width = d.width > 0 ? static_cast<std::size_t>(d.width) : 0;
    std::size_t padding = width > characters ? width - characters : 0;
    if (!d.leftAlign) AppendBlanks(padding);
    out_.Append(UniString(text.GetData(), units));
    if (d.leftAlign) AppendBlanks(padding);
  }

  static UIndex UnitsOfFirstCharacters(const UniString& text, std::size_t characters) {
    UIndex at = 0;
    for (std::size_t taken = 0; taken < characters && at < text.GetLength(); ++taken) {
      bool pair = Utf::IsHighSurrogate(text[at]) && at + 1 < text.GetLength() && Utf::IsLowSurrogate(text[at + 1]);
      at += pair ? 2 : 1;
    }
    return at;
  }

  void AppendBlanks(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out_.Append(u' ');
  }

  struct CFormat {
    char text[32];
  };

  // Rebuilds the directive for the C library with only the flags that the
  // conversion defines, and the length that matches the argument as read.
  static CFormat RebuildForCLibrary(const Directive& d, const char* length, const char* conversion, const char* allowedFlags) {
    CFormat cFormat{};
    std::size_t at = 0;
    cFormat.text[at++] = '%';
    auto flag = [&](bool on, char c) {
      if (on && std::strchr(allowedFlags, c) != nullptr) cFormat.text[at++] = c;
    };
    flag(d.leftAlign, '-');
    flag(d.plus, '+');
    flag(d.space, ' ');
    flag(d.zero, '0');
    flag(d.alternate, '#');
    if (d.width >= 0) at += static_cast<std::size_t>(std::snprintf(cFormat.text + at, 8, "%d", d.width));
    if (d.precision >= 0) at += static_cast<std::size_t>(std::snprintf(cFormat.text + at, 9, ".%d", d.precision));
    std::snprintf(cFormat.text + at, sizeof cFormat.text - at, "%s%s", length, conversion);
    return cFormat;
  }

  template <class T>
  void AppendNumber(const CFormat& cFormat, T value) {
    char local[256];
    int count = std::snprintf(local, sizeof local, cFormat.text, value);
    if (count < 0) return;
    if (static_cast<std::size_t>(count) < sizeof local) {
      AppendNarrow(local, static_cast<std::size_t>(count));
      return;
    }
    auto* large = static_cast<char*>(Allocate(static_cast<std::size_t>(count) + 1));
    std::snprintf(large, static_cast<std::size_t>(count) + 1, cFormat.text, value);
    AppendNarrow(large, static_cast<std::size_t>(count));
    Free(large);
  }

  void AppendNarrow(const char* text, std::size_t count) {
    if (count > 0) out_.Append(UniString(text, static_cast<UIndex>(count), CC_UTF8));
  }

  const char* at_;
  va_list* args_;
  UniString out_;
};

}  // namespace

UniString UniString::VPrintf(const char* format, va_list args) {
  if (format == nullptr) return UniString();
  va_list copy;
  va_copy(copy, args);
  UniString result = FormatReader(format, &copy).Run();
  va_end(copy);
  return result;
}

UniString UniString::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  UniString result = VPrintf(format, args);
  va_end(args);
  return result;
}

}  // namespace Corbane
