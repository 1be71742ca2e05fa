// Debug print: formats printf-style (like UniString::Printf) and sends the text
// to standard error and to the debug sink that the host installs.
#pragma once

namespace Corbane {

void DBPrintf(const char* format, ...);

// The host installs a sink to record debug text; null removes it.
using DebugSink = void (*)(const char* text, void* context);
void SetDebugSink(DebugSink sink, void* context) noexcept;
// With false, DBPrintf no longer writes to standard error (the sink still gets it).
void SetDebugToStandardError(bool on) noexcept;

}  // namespace Corbane
