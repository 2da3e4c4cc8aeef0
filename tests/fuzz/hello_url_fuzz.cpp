// The service's hello answer and the line addresses it sends go into report addresses: "myip" is
// empty or a dotted IPv4 address, and encoded values hold nothing that could end the query value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/vpn/hello_url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string myIp = MyIpFromAnswer(input);
    for (const char c : myIp) {
        if (c != '.' && (c < '0' || c > '9')) {
            __builtin_trap();
        }
    }
    if (!myIp.empty() && (myIp.size() < 7 || myIp.size() > 15)) {
        __builtin_trap();
    }
    const std::string url = KeepAliveUrl("http://h", input, myIp);
    const std::string_view query = std::string_view(url).substr(url.find('?') + 1);
    // Exactly the two keys of the report survive, whatever the values held.
    std::size_t separators = 0;
    for (const char c : query) {
        separators += c == '&' || c == '#' || c == '?' || c == ' ';
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) >= 0x7F) {
            __builtin_trap();
        }
    }
    if (separators != 1) {
        __builtin_trap();
    }
    return 0;
}
