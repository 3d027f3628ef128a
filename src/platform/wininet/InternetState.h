// Whether the machine has a network to reach a server through. A machine
// with only its loopback interface up still reaches a server on loopback,
// so loopback counts: a reachable local server is never called offline.
#pragma once

bool InternetGetConnectedState();
