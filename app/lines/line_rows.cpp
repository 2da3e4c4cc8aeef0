#include "app/lines/line_rows.h"

#include <array>
#include <climits>

std::vector<std::string> SplitAt(std::string_view text, std::string_view separator)
{
    std::vector<std::string> pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::vector<std::string> ParseLineRow(std::string_view row) { return SplitAt(row, ";"); }

std::vector<std::string> SplitRows(std::string_view text)
{
    std::vector<std::string> rows = SplitAt(text, "\r\n");
    if (rows.back().empty()) {
        rows.pop_back();
    }
    return rows;
}

std::optional<Line> LineFromRow(std::string_view row)
{
    std::vector<std::string> fields = ParseLineRow(row);
    if (fields.size() < 5) {
        return std::nullopt;
    }
    Line line;
    line.name = std::move(fields[0]);
    line.address = std::move(fields[1]);
    line.probePort = std::move(fields[2]);
    line.userName = std::move(fields[3]);
    line.password = std::move(fields[4]);
    if (fields.size() > 5) {
        line.load = std::move(fields[5]);
    }
    return line;
}

LineList LinesFromText(std::string_view text)
{
    LineList lines;
    for (const std::string& row : SplitRows(text)) {
        if (std::optional<Line> line = LineFromRow(row)) {
            lines.push_back(std::move(*line));
        }
    }
    return lines;
}

int LoadIconIndex(std::string_view load)
{
    static constexpr std::array<std::string_view, 3> kLevels = {"流畅", "拥挤", "爆满"};
    for (std::size_t i = 0; i < kLevels.size(); ++i) {
        if (load == kLevels[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int LeadingNumber(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        if (value > (INT_MAX - digit) / 10) {
            return INT_MAX;
        }
        value = value * 10 + digit;
    }
    return value;
}
