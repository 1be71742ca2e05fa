// A set of bytes looked up in one step, for the scans that every field of
// every record of the data file goes through.
#pragma once

#include <array>
#include <string_view>

namespace quarnel {

class ByteSet {
 public:
  constexpr explicit ByteSet(std::string_view bytes) {
    for (const char byte : bytes) members_[static_cast<unsigned char>(byte)] = true;
  }
  constexpr void Add(char byte) noexcept { members_[static_cast<unsigned char>(byte)] = true; }
  constexpr bool Holds(char byte) const noexcept { return members_[static_cast<unsigned char>(byte)]; }

 private:
  std::array<bool, 256> members_{};
};

}  // namespace quarnel
