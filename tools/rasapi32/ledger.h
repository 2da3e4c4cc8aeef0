// The misuse ledger: "ras-misuse.log" in the folder SORVIK_RAS_LEDGER_DIR names (else beside the
// program's exe), one line per call that breaks a rule Microsoft documents for these functions, in
// UTF-8. Tests and benchmarks expect it empty.
#pragma once

#include <initializer_list>
#include <string>

namespace standin {

void RecordMisuse(const std::string& what);

// True when a structure's dwSize is one the function takes on this architecture. Otherwise the
// ledger gets the size seen, the architecture and the sizes taken, and the answer is false.
bool SizeAccepted(const std::string& function, unsigned long size, std::initializer_list<unsigned long> accepted);

} // namespace standin
