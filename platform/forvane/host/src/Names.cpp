// Names of error codes and operations, as the command line and the docs write them.
#include <cerrno>
#include <cstdlib>

#include "ForvaneHost/Host.hpp"
#include "HostInternal.hpp"

namespace fvhost {
namespace {

struct ErrorEntry {
  const char* name;
  HostError code;
};

const ErrorEntry kErrors[] = {
#define FV_ERROR_ENTRY(name, value, text) {#name, static_cast<HostError>(value)},
    FV_HOST_ERRORS(FV_ERROR_ENTRY)
#undef FV_ERROR_ENTRY
};

// A number as the command line takes it: decimal (maybe negative) or 0x hex, all of the text.
std::optional<HostError> ParseErrorNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = text.c_str() + (hex ? 2 : 0);
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(digits, &end, hex ? 16 : 10);
  if (errno != 0 || end == digits || *end != '\0') return std::nullopt;
  if (hex ? (value < 0 || value > 0xFFFFFFFFll) : (value < INT32_MIN || value > INT32_MAX)) return std::nullopt;
  return static_cast<HostError>(static_cast<std::uint32_t>(value));
}

}  // namespace

const char* ErrorName(HostError error) {
  for (const auto& entry : kErrors)
    if (entry.code == error) return entry.name;
  return nullptr;
}

std::optional<HostError> ParseError(const std::string& text) {
  for (const auto& entry : kErrors)
    if (text == entry.name) return entry.code;
  return ParseErrorNumber(text);
}

std::optional<int> OperationSlot(const std::string& operation) {
  int index = internal::OperationIndex(operation);
  if (index < 0) return std::nullopt;
  return internal::Operations()[static_cast<std::size_t>(index)].slot;
}

std::vector<std::string> OperationNames() {
  std::vector<std::string> names;
  for (const auto& entry : internal::Operations()) names.emplace_back(entry.name);
  return names;
}

}  // namespace fvhost
