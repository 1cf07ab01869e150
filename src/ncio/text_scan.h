#pragma once
// Byte scans over program text eight bytes at a time, for the passes that look at every
// byte of a whole file (text check, line ends). A word test says whether any of eight bytes
// may be of interest; only then are those bytes looked at one by one, so the result is the
// plain byte-by-byte one on any machine, whatever its byte order.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace trevalon::textscan {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Non-zero when a byte of `w` is below `n` (n at most 128).
constexpr std::uint64_t AnyBelow(std::uint64_t w, unsigned n) {
  return (w - kOnes * n) & ~w & kHighs;
}

// Non-zero when a byte of `w` equals `c`.
constexpr std::uint64_t AnyEqual(std::uint64_t w, unsigned char c) {
  return AnyBelow(w ^ (kOnes * c), 1);
}

// The first index at or after `from` whose byte passes `byte`; `word` must be non-zero for
// every eight bytes that hold such a byte. s.size() when there is none.
template <class WordTest, class ByteTest>
std::size_t FindFirst(std::string_view s, std::size_t from, WordTest word, ByteTest byte) {
  const char* p = s.data();
  const std::size_t n = s.size();
  std::size_t i = from;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (word(w) == 0) continue;
    for (std::size_t k = i; k < i + 8; ++k)
      if (byte(p[k])) return k;
  }
  for (; i < n; ++i)
    if (byte(p[i])) return i;
  return n;
}

// The same for a word test whose lowest flagged byte is always one that passes (AnyEqual,
// AnyBelow and their "or"): on a little-endian machine its position is read off the mask.
template <class WordTest, class ByteTest>
std::size_t FindFirstExact(std::string_view s, std::size_t from, WordTest word, ByteTest byte) {
  if constexpr (std::endian::native != std::endian::little) {
    return FindFirst(s, from, word, byte);
  } else {
    const char* p = s.data();
    const std::size_t n = s.size();
    std::size_t i = from;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      const std::uint64_t m = word(w);
      if (m != 0) return i + static_cast<std::size_t>(std::countr_zero(m)) / 8;
    }
    for (; i < n; ++i)
      if (byte(p[i])) return i;
    return n;
  }
}

}  // namespace trevalon::textscan
