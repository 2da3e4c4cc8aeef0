// Addresses of the service's hello endpoint, which hears of each connection and hang-up.
#pragma once

#include <string>
#include <string_view>

// base (the service address) + "/jsq/line/hello.php?ip=" + address: the first report of a connection.
// Values are percent-encoded: the line's address comes from the service and could hold anything.
std::string HelloUrl(std::string_view base, std::string_view address);

// The periodic report: the first report's URL + "&myip=" + the first report's answer.
std::string KeepAliveUrl(std::string_view base, std::string_view address, std::string_view myIp);

// The report after a hang-up: the first report's URL + "&remove=1".
std::string DisconnectUrl(std::string_view base, std::string_view address);

// Every byte but letters, digits and "-._~" as %XX.
std::string PercentEncoded(std::string_view value);

// The first hello's answer as the "myip" value: the answer without surrounding blanks when that is
// a dotted IPv4 address, else empty.
std::string MyIpFromAnswer(std::string_view answer);
