#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "text/WEncoding.h"

// Strict UTF-8, done by hand for speed; WEncoding is the way in for everyone else.
namespace wutf8 {
std::optional<std::u16string> decode(std::span<const uint8_t> bytes);
// Each byte that starts no well-formed sequence becomes U+FFFD.
WEncoding::LenientText decodeLeniently(std::span<const uint8_t> bytes);
// The plain byte-by-byte check, the reference for the vector one.
bool isValidScalar(std::span<const uint8_t> bytes);
}  // namespace wutf8
