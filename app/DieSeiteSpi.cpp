// SPI speed of the programmer: trying every value of a setting against the target, and fixing it.
#include "DieSeite.h"

void DieSeite::spiSpeedTest(const SString& /*kind*/) {}

void DieSeite::spiSpeedSet(const SString& /*kind*/, int /*value*/) {}
