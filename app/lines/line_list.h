// Fetching the line list from the service and showing it.
#pragma once

void RefreshLineList();
// Thread body of a refresh.
void FetchLineList();
// UI thread: appends the view row of a line that the fetch added.
void ShowLineRow(int lineIndex);
