#include "SComPortMap.h"

#include "RawText.h"
#include "SApplicationConfig.h"
#include "SFileIni.h"
#include "SStringList.h"
#include "SerialDevice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

SString& configFileOverride() {
    static SString* path = new SString();
    return *path;
}

// "COM7" -> 7; 0 when the name is not COM followed by a number from 1.
int comNumber(const SString& upperName) {
    if (!upperName.startsWith("COM") || upperName.getLength() < 4) return 0;
    int n = 0;
    for (int i = 3; i < upperName.getLength(); ++i) {
        int c = upperName.getCharAt(i);
        if (c < '0' || c > '9' || n > 100000) return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

void SComPortMap::setConfigFile(const SString& path) {
    configFileOverride() = path;
}

SString SComPortMap::getConfigFile() {
    if (!configFileOverride().isEmpty()) return configFileOverride();
    return SApplicationConfig::ownUserConfigFilePath();
}

SString SComPortMap::readIniValue(const SString& file, const SString& section, const SString& key) {
    if (file.isEmpty()) return SString();
    SFileIni ini;
    if (!ini.open(file)) return SString();  // no configuration file: no override
    return ini.readString(section, key);
}

SString SComPortMap::resolve(const SString& portName, SString* rule) {
    SString name(portName);
    name.trim();
    name.toUpper();
    if (name.isEmpty()) return SString();

    SString variable = SString("VYX_PORT_") + name;
    const char* fromEnvironment = std::getenv(variable);
    if (fromEnvironment != nullptr && *fromEnvironment != 0) {
        if (rule) *rule = variable;
        return rawText(fromEnvironment, int(std::strlen(fromEnvironment)));
    }

    SString configFile = getConfigFile();
    SString fromConfig = readIniValue(configFile, "ports", name);
    fromConfig.trim();
    if (!fromConfig.isEmpty()) {
        if (rule) *rule = SString("[ports] in ") + configFile;
        return fromConfig;
    }

    int number = comNumber(name);
    if (number > 0) {
        SStringList devices;
        if (serialEnumerate(devices) >= number) {
            if (rule) *rule = SString("USB device ") + SString(number);
            return devices[number - 1];
        }
    }
    if (rule) *rule = SString();
    return SString();
}
