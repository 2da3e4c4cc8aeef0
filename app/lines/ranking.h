// Which line one-click acceleration takes.
#pragma once

#include "app/lines/line.h"

// The 1-based lineIndex of the line with the smallest measured latency, or -1 when none is
// measured. Unmeasured and timed-out lines are skipped; a tie goes to the earlier line.
// The caller holds the list's lock.
int PickFastest(const LineList& lines);
