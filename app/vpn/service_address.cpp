#include "app/vpn/service_address.h"

#include "app/vpn/service_url.h"
#include "platform/win.h"
#include "service_config.h"

std::string ServiceBaseUrl()
{
#ifdef SORVIK_TEST_BUILD
    char value[512] = {};
    const DWORD length = ::GetEnvironmentVariableA("SORVIK_TEST_SERVICE_URL", value, sizeof(value));
    if (length > 0 && length < sizeof(value) && IsServiceBase(value)) {
        return value;
    }
#endif
    return build_config::kServiceUrl;
}
