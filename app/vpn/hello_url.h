// Addresses of the service's hello endpoint, which hears of each connection and hang-up.
#pragma once

#include <string>
#include <string_view>

// "http://" + host + "/jsq/line/hello.php?ip=" + address: the first report of a connection.
// Values go in as they are, without escaping.
std::string HelloUrl(std::string_view host, std::string_view address);

// The periodic report: the first report's URL + "&myip=" + the first report's answer.
std::string KeepAliveUrl(std::string_view host, std::string_view address, std::string_view myIp);

// The report after a hang-up: the first report's URL + "&remove=1".
std::string DisconnectUrl(std::string_view host, std::string_view address);
