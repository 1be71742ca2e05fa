#include "Corbane/Debug.hpp"

#include <cstdarg>
#include <cstdio>

#include "Corbane/UniString.hpp"

namespace Corbane {
namespace {

constinit DebugSink sink = nullptr;
constinit void* sinkContext = nullptr;
constinit bool toStandardError = true;

}  // namespace

void DBPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  UniString text = UniString::VPrintf(format, args);
  va_end(args);
  CStr narrow = text.ToCStr();
  if (toStandardError) {
    std::fputs(narrow.Get(), stderr);
    std::fflush(stderr);
  }
  if (sink != nullptr) sink(narrow.Get(), sinkContext);
}

void SetDebugSink(DebugSink newSink, void* context) noexcept {
  sink = newSink;
  sinkContext = newSink != nullptr ? context : nullptr;
}

void SetDebugToStandardError(bool on) noexcept { toStandardError = on; }

}  // namespace Corbane
