// Script files of the command list, and the language switch.
#include "DieSeite.h"

void DieSeite::scriptLoad() {}

void DieSeite::scriptSave() {}

void DieSeite::setLanguage(const SString& /*code*/) {}
