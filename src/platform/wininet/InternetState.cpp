#include "platform/wininet/InternetState.h"

#include <ifaddrs.h>
#include <net/if.h>

bool InternetGetConnectedState()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return true; // cannot tell: let the connection itself find out
    bool up = false;
    for (ifaddrs* a = list; a; a = a->ifa_next)
        if (a->ifa_addr && (a->ifa_flags & IFF_UP))
            up = true;
    freeifaddrs(list);
    return up;
}
