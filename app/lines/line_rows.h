// Rows of the deciphered line list: "name;address;probePort;userName;password;load" lines
// separated by CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/lines/line.h"

// Every piece of `text` between separators, empty ones included (k separators give k + 1
// pieces). Splitting GBK text by bytes is safe for ASCII separators: no GBK trail byte is
// below 0x40.
std::vector<std::string> SplitAt(std::string_view text, std::string_view separator);

// The fields of one row, split at every ';', kept untrimmed.
std::vector<std::string> ParseLineRow(std::string_view row);

// The rows of a list, split at every "\r\n"; the piece after the last separator only when it
// is not empty.
std::vector<std::string> SplitRows(std::string_view text);

// The Line of one row with an empty latency; nothing for fewer than five fields. A row of
// exactly five fields has all that a connection needs and gets an empty load; fields after
// the sixth are ignored.
std::optional<Line> LineFromRow(std::string_view row);

// The Lines of a whole list, in its order; rows that make no Line are skipped.
LineList LinesFromText(std::string_view text);

// Index into the load images for a load text (byte for byte): 0 "流畅", 1 "拥挤", 2 "爆满";
// -1 for any other text.
int LoadIconIndex(std::string_view load);

// The value of the leading decimal digits of `text`, 0 when it starts with none. A run of
// digits too long for an int gives INT_MAX.
int LeadingNumber(std::string_view text);
