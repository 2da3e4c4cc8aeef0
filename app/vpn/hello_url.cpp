#include "app/vpn/hello_url.h"

std::string HelloUrl(std::string_view host, std::string_view address)
{
    std::string url = "http://";
    url += host;
    url += "/jsq/line/hello.php?ip=";
    url += address;
    return url;
}

std::string KeepAliveUrl(std::string_view host, std::string_view address, std::string_view myIp)
{
    std::string url = HelloUrl(host, address);
    url += "&myip=";
    url += myIp;
    return url;
}

std::string DisconnectUrl(std::string_view host, std::string_view address)
{
    return HelloUrl(host, address) + "&remove=1";
}
