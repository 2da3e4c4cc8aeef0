// The misuse ledger: a file beside this DLL ("ras-misuse.log") with one line per call that breaks
// a rule Microsoft documents for these functions. Tests and benchmarks expect it empty.
#pragma once

#include <string>

namespace standin {

void RecordMisuse(const std::string& what);

// The misuse of a structure whose dwSize is not one of the sizes the function knows.
void RecordWrongSize(const char* function, unsigned long size);

} // namespace standin
