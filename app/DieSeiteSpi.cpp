// SPI speed of the programmer: trying every value of a setting against the target, and fixing it.
// The device keeps two settings, "Speed" (spiSpeed, 0..7, clock 8 MHz / 2^v) and "Slow" (spiSlow,
// 1..254, clock 500 kHz / n); for both the clock falls as the value rises.
#include "DieSeite.h"

#include "Dexmode.h"

#include "SDebug.h"
#include "SRegExp.h"
#include "SStringList.h"

namespace {

const char* const errorSet =
    "\xB3\xB3"
    "Error06\xB3\xB3"
    "Fehler beim Einstellen der SPI-Geschwindigkeit.";
const char* const errorQuery =
    "\xB3\xB3"
    "Error07\xB3\xB3"
    "Fehler beim Ermitteln der aktuellen der SPI-Geschwindigkeit.";
const char* const errorSetBack =
    "\xB3\xB3"
    "Error08\xB3\xB3"
    "Fehler beim wieder Einstellen der SPI-Geschwindigkeit.";

// The wrappers of the SPI output elements (the bold tag stays open, as the style sheet expects).
SString spiError(const SString& text) {
    SString html("<font class='msgError'><b>");
    html.append(text);
    return html.append("</font>");
}

SString spiSuccess(const SString& text) {
    SString html("<font class='msgOK'><b>");
    html.append(text);
    return html.append("</font>");
}

// What depends on the kind. "Speed" picks the command and the values, "Slow" the start index
// and the value of a device that has none yet; any other text behaves as the other kind.
struct SpiKind {
    explicit SpiKind(const SString& kind) {
        const bool speed = kind == "Speed";
        const bool slow = kind == "Slow";
        setting = speed ? "m:main\rmode mm\rm:set\rspiSpeed" : "m:main\rmode mm\rm:set\rspiSlow";
        first = speed ? 0 : 1;
        last = speed ? 7 : 254;
        unset = slow ? 10 : 7;
        readSignature = "m:main\rmode mm\rrst 00\rpwr 01\rm:spi\rstart ";
        readSignature.append(slow ? "01" : "00");
        // Programming Enable, then Read Signature Byte for the addresses 2, 1 and 0.
        readSignature.append(
            "\rrst 01\rsend AC530000\rsend 30000200\rsend 30000100\rsend 30000000\rrst 00\rend");
        outputId = "spiSpeedAusgabe";
        outputId.append(kind);
        partId = "spiPart";
        partId.append(kind);
    }
    SString withValue(int value) const {
        SString command;
        command.append(setting);
        return command.appendFormat(" %02X", value);
    }

    SString setting;
    SString readSignature;
    int first;
    int last;
    int unset;
    SString outputId;
    SString partId;
};

// Signatures of common AVR parts.
const struct {
    const char* signature;
    const char* name;
} knownParts[] = {
    {"1E9307", "ATmega8"},     {"1E9205", "ATmega48"},   {"1E930A", "ATmega88"},   {"1E9406", "ATmega168"},
    {"1E950F", "ATmega328P"},  {"1E9403", "ATmega16"},   {"1E9502", "ATmega32"},   {"1E960A", "ATmega644P"},
    {"1E9705", "ATmega1284P"}, {"1E9801", "ATmega2560"}, {"1E9007", "ATtiny13"},   {"1E9108", "ATtiny25"},
    {"1E9206", "ATtiny45"},    {"1E930B", "ATtiny85"},   {"1E910A", "ATtiny2313"},
};

}  // namespace

SString DieSeite::spiSignature(const SString& answers) {
    // Each "send" answers the four bytes shifted in and "!"; the fourth byte of a Read Signature
    // Byte instruction is the data. The list holds whole match and byte per answer: entries 3, 5
    // and 7 are the bytes of the addresses 2, 1 and 0.
    SRegExp expression;
    SStringList found;
    SString pid;
    if (expression.findAll(answers, "/(?:[0-9a-f]{6})([0-9a-f]{2})!/i", found) > 0)
        traceWith("DieSeite::spiSpeedTest(..)", found.join(","));
    if (found.getCount() > 7) {
        pid.append(found[7]);
        pid.append(found[5]);
        pid.append(found[3]);
    }
    return pid;
}

SString DieSeite::spiPartText(const SString& signature, bool working) {
    // The page puts its label for the recognised part in front of this line.
    SString text;
    if (working) {
        for (const auto& part : knownParts) {
            if (signature == part.signature) {
                text.append(part.name);
                return text.append(" (").append(signature).append(")");
            }
        }
        text =
            "\xB3\xB3spiPartUnknown\xB3\xB3"
            "unbekannter AVR-Controller";
        return text.append(" (").append(signature).append(")");
    }
    if (signature == "000000")
        return SString(
            "\xB3\xB3spiPartZero\xB3\xB3"
            "keiner (Signatur 000000: Das Zielsystem hat vermutlich keine Spannung.)");
    if (signature == "FFFFFF")
        return SString(
            "\xB3\xB3spiPartFF\xB3\xB3"
            "keiner (Signatur FFFFFF: Vermutlich ist kein Zielsystem angeschlossen, oder es wird zu "
            "schnell getaktet.)");
    text =
        "\xB3\xB3spiPartNone\xB3\xB3"
        "keiner, keine g\xFCltige Signatur";
    if (!signature.isEmpty()) text.append(" (").append(signature).append(")");
    return text;
}

void DieSeite::spiSpeedTest(const SString& kindText) {
    SString kind;
    kind.append(kindText);
    const SpiKind spi(kind);
    setElementHtml(spi.outputId, "");
    setElementHtml(spi.partId, "");
    SString message;
    const int opened = enshureDexmodeAndOpenPort(message);
    int ok = opened;
    SString shown = ok ? spiSuccess(message) : spiError(message);
    setElementHtml(spi.outputId, shown);
    SString answer;
    int old = 255;
    if (ok) {
        ok = sendDexmodeScript(spi.setting, answer);
        if (ok && answer.find("?") >= 0) {
            ok = 0;
        } else if (ok) {
            traceWith("DieSeite::spiSpeedTest(..) oldSpeed-output=", answer);
            SRegExp expression;
            SStringList found;
            if (expression.findAll(answer, "/([0-9a-f]{2})!/i", found) <= 0) {
                ok = 0;
            } else {
                traceWith("DieSeite::spiSpeedTest(..)", found.join(","));
                if (found.getCount() > 1) {
                    SString hex("0x");
                    old = hex.append(found[1]).toInt();
                } else {
                    ok = 0;
                }
            }
        }
        if (old == 255) old = spi.unset;  // the device has no value yet
        if (!ok) setElementHtml(spi.outputId, shown = spiError(errorQuery));

        const int queried = ok;
        SString html;
        // The signature at the first value that worked (the fastest clock the target follows), else
        // the one at the last value (the slowest clock).
        SString partSignature;
        bool working = false;
        for (int v = spi.first; v <= spi.last && ok; ++v) {
            // answer still holds the answers before; only a "?" matters in it.
            ok = sendDexmodeScript(spi.withValue(v), answer);
            if (!ok) {
                setElementHtml(spi.outputId, shown = spiError(Dexmode::failedExchangeText(*this)));
            } else if (answer.find("?") >= 0) {
                setElementHtml(spi.outputId, shown = spiError(errorSet));
                ok = 0;
            }
            bool valid = false;
            SString pid;
            if (ok) {
                answer = "";
                ok = sendDexmodeScript(spi.readSignature, answer);
                if (!ok) {
                    setElementHtml(spi.outputId, shown = spiError(Dexmode::failedExchangeText(*this)));
                } else {
                    pid = spiSignature(answer);
                    valid = pid.startsWith("1E");
                    traceWith("DieSeite::spiSpeedTest(..) pid=", pid);
                }
            }
            if (ok) {
                SString line;
                line.format("DieSeite::spiSpeedTest(..) Setze altes=%d", old);
                globalDebug().trace(line);
                if (!working) {
                    partSignature = "";
                    partSignature.append(pid);
                    working = valid;
                }
                const SString value = SString::fromInt(v);
                html.append(valid ? "<font class='spiSpeedOk'" : "<font class='spiSpeedError'");
                html.append(v == old ? " style='border-width:3px' title='"
                                     : " style='border-width:0px' title='");
                html.append(
                    "\xB3\xB3spiSetTo\xB3\xB3"
                    "Diese SPI-Speed festlegen.");
                html.append(".'>&nbsp;<a href='vyx:spispeedset:");
                html.append(kind).append(":");
                html.append(value).append("'>");
                html.append(value).append("</a>&nbsp;</font> ");
                setElementHtml(spi.outputId, shown = html);
            }
        }

        if (ok) {
            setElementHtml(spi.partId, spiPartText(partSignature, working));
            ok = sendDexmodeScript(spi.withValue(old), answer);
            if (!ok)
                setElementHtml(spi.outputId, spiError(Dexmode::failedExchangeText(*this)));
            else if (answer.find("?") >= 0)
                setElementHtml(spi.outputId, spiError(errorSetBack));
        } else if (queried) {
            // A run that stopped half-way has left some tried value in the device: put the one
            // found at the start back, and say so when that fails too.
            SString back;
            if (!sendDexmodeScript(spi.withValue(old), back) || back.find("?") >= 0)
                setElementHtml(spi.outputId, shown.append("<br>").append(spiError(errorSetBack)));
        }
    }
    purge();
    if (opened) close(0);
}

void DieSeite::spiSpeedSet(const SString& kindText, int value) {
    SString kind;
    kind.append(kindText);
    const SpiKind spi(kind);
    setElementHtml(spi.outputId, "");
    SString message;
    const int opened = enshureDexmodeAndOpenPort(message);
    int ok = opened;
    setElementHtml(spi.outputId, ok ? spiSuccess(message) : spiError(message));
    if (ok) {
        SString answer;
        ok = sendDexmodeScript(spi.withValue(value), answer);
        if (!ok) {
            setElementHtml(spi.outputId, spiError(Dexmode::failedExchangeText(*this)));
        } else if (answer.find("?") >= 0) {
            setElementHtml(spi.outputId, spiError(errorSet));
            ok = 0;
        } else {
            SString html("<font class='msgOk'><b>");
            html.append(
                "\xB3\xB3spiGesetztAuf\xB3\xB3"
                "SPI-Geschwindigkeit eingestellt auf: ");
            html.append(SString::fromInt(value)).append("</font>");
            setElementHtml(spi.outputId, html);
        }
    }
    purge();
    if (opened) close(0);
}
