#include "SComPortSettings.h"

SComPortSettings::SComPortSettings() {
    setDefaults();
}

void SComPortSettings::setDefaults() {
    port = "com1";
    baudRate = 9600;
    parity = 0;
    dataBits = 8;
    stopBits = 0;
}

void SComPortSettings::parse(const SString& text) {
    setDefaults();
    // Missing trailing fields read as empty ones.
    SString rest(text);
    rest.append(",,,,");

    SString field = rest.splitOff(",");
    field.toLower();
    if (field.startsWith("com")) field = rest.splitOff(",");

    baudRate = field.toInt();

    field = rest.splitOff(",");
    if (!field.isEmpty()) {
        switch (field.getCharAt(0)) {
            case 'E':
            case 'e':
                parity = 2;
                break;
            case 'M':
            case 'm':
                parity = 3;
                break;
            case 'N':
            case 'n':
                parity = 0;
                break;
            case 'O':
            case 'o':
                parity = 1;
                break;
            case 'S':
            case 's':
                parity = 4;
                break;
            default:
                break;
        }
    }

    field = rest.splitOff(",");
    if (!field.isEmpty()) dataBits = field.toInt();

    field = rest.splitOff(",");
    if (field == "1")
        stopBits = 0;
    else if (field == "1.5")
        stopBits = 1;
    else if (field == "2")
        stopBits = 2;
}

SString SComPortSettings::toString() const {
    static const char* const parityText[] = {"N,", "O,", "E,", "M,", "S,"};
    static const char* const stopText[] = {"1", "1.5", "2"};
    SString text;
    text.format("%s,%d,", port.getChars(), baudRate);
    text.append(parity >= 0 && parity <= 4 ? parityText[parity] : ",");
    text.appendFormat("%d,", dataBits);
    if (stopBits >= 0 && stopBits <= 2) text.append(stopText[stopBits]);
    text.toUpper();
    return text;
}
