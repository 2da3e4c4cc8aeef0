// Where the service is: the build's address, "http://host[:port]" or "https://host[:port]".
#pragma once

#include <string>

// Test builds take SORVIK_TEST_SERVICE_URL from the environment instead, when it is a valid address.
std::string ServiceBaseUrl();
