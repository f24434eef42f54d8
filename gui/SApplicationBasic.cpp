#include "SApplicationBasic.h"

#include "SApplicationConfig.h"

bool SApplicationBasic::openUserConfigFile() {
    return SApplicationConfig::openUserConfigFile(userConfig, programPath);
}
