// Where a window of a given size goes to be centred on a screen.
#pragma once

// (screen - size) / 2 in double precision, truncated toward zero (so -0.5 gives 0).
constexpr int CentredOffset(int screen, int size)
{
    return static_cast<int>((static_cast<double>(screen) - size) / 2.0);
}
