// Log texts of the dial's connection states (RASCONNSTATE values), in GBK.
#pragma once

#include <string>

// The text of a connection state reported without error; an unknown state gives its decimal
// digits.
std::string RasStateTableText(int state);
