// The last line list that gave at least one line, kept beside the program as "lines.dat" exactly
// as the service sent it (enciphered), for the times the service cannot be reached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::wstring LineCachePath();

// Replaces the cache with `body`; any thread. False when it could not be written: the older
// cache then stays as it was.
bool StoreLineCache(const std::vector<std::uint8_t>& body);

// The cached body; empty when there is none or it cannot be read.
std::vector<std::uint8_t> LoadLineCache();
