// The TWI add-on tab: clock, temperature sensor and EEPROM through the page's Dexmode scripts, and
// the one-second tick that polls clock and temperature.
//
// The program does not know the modules' bus commands: each operation takes its script from a
// hidden page element, fills the placeholders, runs it through the Dexmode script runner and takes
// the collected answers apart with a regular expression. Every operation opens its own connection
// and closes it again.
#include "DieSeite.h"

#include "Dexmode.h"

#include "SDebug.h"
#include "SLanguage.h"
#include "SRegExp.h"
#include "SStringList.h"
#include "STimer.h"

#include <cstdlib>

namespace {

const char* const refused =
    "\xB3\xB3"
    "Error02\xB3\xB3"
    "Fehler bei der Ausf\xFChrung.";
const char* const unexpectedAnswer =
    "\xB3\xB3"
    "Error04\xB3\xB3"
    "Unerwartete R\xFC"
    "ckgabewerte";

const char* const clockPlaceholder = "--.--.---- --:--:-- Uhr";
// " °C"; the letter would otherwise be read as a further hexadecimal digit of the escape.
const char* const celsius = " \xB0\x43";
const char* const tempPlaceholder = "--,-";

// Page texts and device answers are copied as they are, never looked up as localisable texts.

// The temperature sensor's register (high byte, low byte) in half degrees: a two's complement
// number of nine bits, so FF80 is -0.5 degrees.
int halvesOfRegister(int high, int low) {
    return (high >= 0x80 ? high - 0x100 : high) * 2 + ((low & 0x80) ? 1 : 0);
}

// The script of the element id with every degree sign turned into the device's carriage return.
// Placeholders are filled afterwards, so a degree sign inside a filled-in value stays as it is.
SString scriptOf(DieSeite& page, const char* id) {
    SString script;
    script.append(page.getElementText(id));
    script.replace("\xB0", "\r");
    return script;
}

// A number as the scripts want it: at least two lower-case hexadecimal digits.
SString hexByte(int value) {
    return SString::fromInt(value, false, 16, 2);
}

// The connection start of a page operation: status cleared, port opened and the device put into
// Dexmode, the outcome shown. 1 when the port is open (the caller closes it).
int connectVexo(DieSeite& page) {
    page.setVexoInfo("", ' ');
    SString message;
    const int ok = page.enshureDexmodeAndOpenPort(message);
    page.setVexoInfo(message, ok ? 'g' : 'r');
    return ok;
}

// The groups of the first match of pattern in answers; empty when nothing matched.
SStringList firstMatch(const SString& answers, const SString& pattern) {
    SRegExp expression;
    SStringList groups;
    expression.findAll(answers, pattern, groups);
    return groups;
}

}  // namespace

void DieSeite::setVexoInfo(const SString& message, char kind) {
    if (kind == 'r')
        setElementHtml("vexo_info", errorHtml(message));
    else if (kind == 'g')
        setElementHtml("vexo_info", successHtml(message));
    else
        setElementHtml("vexo_info", message);
}

int DieSeite::vexoRunScript(const SString& scriptId, const SString& script, SString& answers,
                            int showScript) {
    if (showScript) setElementText(scriptId + "_show", script);
    const int ok = sendDexmodeScript(script, answers);
    if (showScript) setElementText(scriptId + "_return", answers);
    return ok;
}

void DieSeite::vexoSetTime(const SString& time) {
    const int ok = connectVexo(*this);
    if (ok) {
        SString script = scriptOf(*this, "vexoClockScriptSet");
        script.replace("%%newtime%%", time);
        SString answers;
        if (!vexoRunScript("vexoClockScriptSet", script, answers))
            setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
        close(0);
    }
}

void DieSeite::vexoStartTemp() {
    const int ok = connectVexo(*this);
    if (ok) {
        SString answers;
        if (!vexoRunScript("vexoTempScriptStart", scriptOf(*this, "vexoTempScriptStart"), answers))
            setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
        close(0);
    }
}

void DieSeite::vexoSetTemp() {
    const int ok = connectVexo(*this);
    if (!ok) return;
    SString script;
    script.append(getElementText("vexoTempScriptHyst"));
    const struct {
        const char* input;
        const char* placeholder;
    } limits[] = {{"vexoTempOn", "%%ON%%"}, {"vexoTempOff", "%%OFF%%"}};
    for (const auto& limit : limits) {
        // The sensor's register form: the temperature in half degrees as a two's complement
        // number, whole degrees in the high byte, 0x80 in the low byte for a half degree.
        // Anything after the comma counts as a half degree, away from zero ("-5,5" is -5.5);
        // whole degrees beyond the byte wrap. The field shows the value as it is used.
        SString text;
        text.append(getElementValue(limit.input));
        SString whole = text.splitOff(",");
        const SString fraction = text.splitOff(",");
        whole.trim();
        const bool negative = whole.getCharAt(0) == '-';
        // Wide enough for any number typed: the whole degrees wrap only at the end.
        const long long magnitude =
            std::llabs((long long)whole.toInt()) * 2 + (fraction.toInt() != 0 ? 1 : 0);
        const long long halves = negative ? -magnitude : magnitude;
        const int high = int(((halves - (halves & 1)) / 2) & 0xFF);  // rounded down: -11 halves give -6
        const int low = (halves & 1) ? 0x80 : 0;
        const int used = halvesOfRegister(high, low);
        SString shown;
        shown.format("%s%d,%d", used < 0 ? "-" : "", std::abs(used) / 2, std::abs(used) % 2 ? 5 : 0);
        setElementValue(limit.input, shown);
        SString bytes;
        bytes.format("%02X%02X", high, low);
        script.replace(limit.placeholder, bytes);
    }
    script.replace("\xB0", "\r");
    SString answers;
    if (!vexoRunScript("vexoTempScriptHyst", script, answers))
        setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
    close(0);
}

void DieSeite::vexoReadEeprom(int address, int count, int showScript) {
    const int ok = connectVexo(*this);
    if (ok) {
        SString script = scriptOf(*this, "vexoEepromScriptLesen");
        script.replace("%%adr%%", hexByte(address));
        script.replace("%%anz%%", hexByte(count));
        SString answers;
        if (!vexoRunScript("vexoEepromScriptLesen", script, answers, showScript)) {
            // The display keeps what it showed: after a write that is its error text.
            setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
        } else {
            SString pattern;
            pattern.format("/([0-9a-f]{%d})!/i", 2 * count);
            const SStringList groups = firstMatch(answers, pattern);
            SString text;
            if (groups.getCount() >= 2) {
                SString hex;
                hex.append(groups[1]);
                for (int pos = 2 * count - 2; pos >= 2; pos -= 2)
                    hex.insert(pos, ", 0x");
                text = "gelesen:\n0x";
                text.append(hex);
            }
            setElementText("vexoEepromText", text);
        }
    }
    purge();
    if (ok) close(0);
}

void DieSeite::vexoWriteEeprom(int address, const SString& data) {
    int ok = connectVexo(*this);
    const int opened = ok;
    if (ok) {
        SString script = scriptOf(*this, "vexoEepromScriptWrite");
        script.replace("%%adr%%", hexByte(address));
        script.replace("%%daten%%", data);
        SString answers;
        ok = vexoRunScript("vexoEepromScriptWrite", script, answers);
        if (!ok)
            setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
        else if (answers.findChar('?') >= 0)
            setElementText("vexoEepromText", refused);
    }
    purge();
    if (opened) close(0);
    // What the EEPROM holds now replaces the error text, also after a refused write.
    if (ok) {
        const int count = data.getLength() / 2;
        vexoReadEeprom(address, count > 1 ? count : 1, 0);
    }
}

void DieSeite::vexoReadTemp() {
    setVexoInfo("", ' ');
    SString answers;
    const int ok = vexoRunScript("vexoTempScript", scriptOf(*this, "vexoTempScript"), answers);
    SString text(tempPlaceholder);
    text.append(celsius);
    if (ok) {
        const SStringList groups = firstMatch(answers, "/([0-9a-f][0-9a-f])([0-9a-f][0-9a-f])!/i");
        if (groups.getCount() >= 3) {
            const int high = (SString("0x") + groups[1]).toInt();
            const int low = (SString("0x") + groups[2]).toInt();
            text.format("%.01f", halvesOfRegister(high, low) / 2.0);
            text.append(celsius);
        }
    } else {
        setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
    }
    setElementText("vexoTempText", text);
}

void DieSeite::vexoReadClock() {
    SString answers;
    const int ok = vexoRunScript("vexoClockScript", scriptOf(*this, "vexoClockScript"), answers);
    SString text(clockPlaceholder);
    if (ok) {
        const SStringList g = firstMatch(
            answers,
            "/([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])([0-9][0-9])!/");
        if (g.getCount() >= 8) {
            // Groups: seconds, minutes, hours, weekday (not shown), date, month, year.
            text = "";
            text.append(g[5]).append(".");
            text.append(g[6]).append(".");
            text.append(g[7]).append("   ");
            text.append(g[3]).append(":");
            text.append(g[2]).append(":");
            text.append(g[1]);
            setVexoInfo("", ' ');
        } else {
            setVexoInfo(unexpectedAnswer, 'r');
        }
    } else {
        setVexoInfo(Dexmode::failedExchangeText(*this), 'r');
    }
    setElementText("vexoClockText", text);
}

void DieSeite::onTimer(unsigned /*timerId*/, unsigned /*time*/, int /*firstValue*/, int /*secondValue*/) {
    // The serial waits inside a tick dispatch events, so further ticks arrive while one works:
    // they are dropped, as is every tick while a page command holds the port.
    if (tickBusy || isPortBusy() || !isCreated()) return;
    tickBusy = 1;
    int clock = isElementChecked("vexoClockYN");
    int temp = isElementChecked("vexoTempYN");
    if (getElementDisplay("pageVexo") == "none") clock = temp = 0;
    if (clock || temp) {
        PortUse use(*this);
        setVexoInfo("", ' ');
        SString message;
        const int opened = enshureDexmodeAndOpenPort(message);
        setVexoInfo(message, opened ? 'g' : 'r');
        // Both run also without a connection: their scripts then fail and say so.
        if (temp) vexoReadTemp();
        if (clock) vexoReadClock();
        if (opened) close(0);
    }
    tickBusy = 0;
}

void DieSeite::onPageComplete() {
    globalDebug().trace("DieSeite::onPageComplete(..)");
    outputClear();
    SString script("setLang(");
    script.append(SIEControl::jsString(globalLanguage().languageCode));
    script.append(");");
    sendJS(script);
    historyLoad();
    // The page may load again (reloads); the tick is started once per program run.
    if (!timerStarted) globalTimer().startTimer(this, 1000, 0, 0, 0);
    timerStarted = 1;
}
