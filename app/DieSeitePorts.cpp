// Port test, port search and the firmware check of a found device.
#include "DieSeite.h"

int DieSeite::testPort(const SString& /*portName*/, int /*showMessages*/) {
    return 0;
}

void DieSeite::portSearch() {}

int DieSeite::checkFirmware(const SString& /*portName*/, const SString& /*version*/) {
    return 1;
}
