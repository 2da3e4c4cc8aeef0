// RC4, the cipher the service applies to the line list.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Deciphers (and equally enciphers) `data` with RC4 under `key`: one keystream from its first
// byte, output as long as the input. An empty key defines no keystream and gives empty output.
std::vector<std::uint8_t> DecipherResponse(std::span<const std::uint8_t> data, std::span<const std::uint8_t> key);
