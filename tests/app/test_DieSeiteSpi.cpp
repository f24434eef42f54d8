#include "DieSeiteFixture.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

class DieSeiteSpi : public DieSeiteFixture {
protected:
    // The Dexmode lines the device received since the last call, CRs shown as "|".
    std::vector<std::string> linesReceived() {
        std::vector<std::string> lines = sim->takeLines();
        for (std::string& line : lines)
            std::replace(line.begin(), line.end(), '\r', '|');
        return lines;
    }
    static std::string setting(const std::string& kind) { return "m:main|mode mm|m:set|spi" + kind; }
    static std::string setting(const std::string& kind, const char* hex) { return setting(kind) + " " + hex; }
    // The values the device was set to, in order.
    std::vector<int> valuesSet(const std::string& kind, const std::vector<std::string>& lines) {
        std::vector<int> values;
        const std::string head = setting(kind) + " ";
        for (const std::string& line : lines)
            if (line.compare(0, head.size(), head) == 0)
                values.push_back(std::stoi(line.substr(head.size()), nullptr, 16));
        return values;
    }

    struct Entry {
        int value;
        bool ok;
        int border;
    };
    // The result list of the kind's output element, checked entry by entry against the page's form.
    std::vector<Entry> entries(const std::string& kind) {
        const std::string shown = html(("spiSpeedAusgabe" + kind).c_str());
        const std::regex entry(
            "<font class='spiSpeed(Ok|Error)' style='border-width:([03])px' "
            "title='Diese SPI-Speed festlegen..'>&nbsp;<a href='vyx:spispeedset:" +
            kind + ":([0-9]+)'>([0-9]+)</a>&nbsp;</font> ");
        std::vector<Entry> result;
        size_t at = 0;
        for (std::sregex_iterator i(shown.begin(), shown.end(), entry), end; i != end; ++i) {
            EXPECT_EQ(size_t(i->position()), at) << "not an entry: " << shown.substr(at, 80);
            at = size_t(i->position() + i->length());
            EXPECT_EQ((*i)[3], (*i)[4]);
            result.push_back({std::stoi((*i)[3]), (*i)[1] == "Ok", std::stoi((*i)[2])});
        }
        EXPECT_EQ(at, shown.size()) << "not an entry: " << shown.substr(at, 80);
        return result;
    }

    static std::string error(const std::string& text) {
        return "<font class='msgError'><b>" + text + "</font>";
    }
    const std::string error01 = error("Fehler beim Senden der Daten.");
    const std::string error06 = error("Fehler beim Einstellen der SPI-Geschwindigkeit.");
    const std::string error07 = error("Fehler beim Ermitteln der aktuellen der SPI-Geschwindigkeit.");
    const std::string error08 = error("Fehler beim wieder Einstellen der SPI-Geschwindigkeit.");
    static constexpr const char* noTarget =
        "keiner (Signatur FFFFFF: Vermutlich ist kein Zielsystem angeschlossen, oder es wird zu schnell "
        "getaktet.)";
};

}  // namespace

// Every value of the kind is tried in increasing order against the simulated target, which follows
// only clocks up to its limit; the value found at the start has border 3 and is written back.
TEST_F(DieSeiteSpi, SweepTriesEveryValueMarksTheOldOneAndPutsItBack) {
    struct Case {
        const char* kind;
        int preset;  // -1: the device has no value yet (it reports FF)
        long maxSck;
        std::array<uint8_t, 3> signature;
        int first, last;
        int firstWorking;  // the slowest values work from here on (the clock falls as the value rises)
        int old;
        std::string part;
    } cases[] = {
        {"Speed", 3, 250000, {{0x1E, 0x95, 0x0F}}, 0, 7, 5, 3, "ATmega328P (1E950F)"},
        {"Speed", -1, 100000, {{0x1E, 0x93, 0x0B}}, 0, 7, 7, 7, "ATtiny85 (1E930B)"},
        {"Slow", -1, 250000, {{0x1E, 0x95, 0x0F}}, 1, 254, 2, 10, "ATmega328P (1E950F)"},
        {"Slow", 0x30, 5000, {{0x1E, 0x99, 0x99}}, 1, 254, 100, 0x30, "unbekannter AVR-Controller (1E9999)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind + std::to_string(c.preset));
        ZyntraSimOptions options;
        options.targetMaxSckHz = c.maxSck;
        options.targetSignature = c.signature;
        startSim(options);
        const std::string kind = c.kind;
        if (c.preset >= 0) {
            EXPECT_TRUE(navigate("vyx:spispeedset:" + kind + ":" + std::to_string(c.preset)));
            EXPECT_EQ(html(("spiSpeedAusgabe" + kind).c_str()),
                      "<font class='msgOk'><b>SPI-Geschwindigkeit eingestellt auf: " +
                          std::to_string(c.preset) + "</font>");
            linesReceived();
        }
        EXPECT_TRUE(navigate("vyx:spispeedtest:" + kind));

        const std::vector<std::string> lines = linesReceived();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), setting(kind));
        std::vector<int> expectedSet;
        for (int v = c.first; v <= c.last; ++v)
            expectedSet.push_back(v);
        expectedSet.push_back(c.old);
        EXPECT_EQ(valuesSet(kind, lines), expectedSet);
        EXPECT_EQ(lines.size(), 1 + 2 * size_t(c.last - c.first + 1) + 1);

        const std::vector<Entry> list = entries(kind);
        ASSERT_EQ(list.size(), size_t(c.last - c.first + 1));
        for (const Entry& e : list) {
            SCOPED_TRACE(e.value);
            EXPECT_EQ(e.ok, e.value >= c.firstWorking);
            EXPECT_EQ(e.border, e.value == c.old ? 3 : 0);
        }
        EXPECT_EQ(html(("spiPart" + kind).c_str()), c.part);
        const ZyntraSimState state = sim->state();
        EXPECT_EQ(kind == "Speed" ? state.spiSpeed : state.spiSlow, c.old);
        EXPECT_FALSE(seite.isOpen());
    }
}

// The four signature bytes are answered for the addresses 2, 1 and 0; the signature reads in
// address order, so a real AVR's starts with 1E. Only upper-case "1E" counts as valid.
TEST_F(DieSeiteSpi, SignatureReadsInAddressOrder) {
    struct Case {
        const char* answers;
        const char* signature;
        bool valid;
    } cases[] = {
        {"00AC5300!\r0030000F!\r00300095!\r0030001E!\r{00}OK", "1E950F", true},
        {"00ac5300!\r0030000f!\r00300095!\r0030001e!\r{00}OK", "1e950f", false},
        {"FFFFFFFF!\rFFFFFFFF!\rFFFFFFFF!\rFFFFFFFF!\r{00}OK", "FFFFFF", false},
        {"00AC5300!\r0030000F!\r00300095!\r{06} SPI OFF ERROR", "", false},
        {"{00}OK", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers);
        const SString signature = DieSeite::spiSignature(c.answers);
        EXPECT_EQ(str(signature), c.signature);
        EXPECT_EQ(signature.startsWith("1E"), c.valid);
    }
}

TEST_F(DieSeiteSpi, PartLineNamesThePartOrSaysWhatTheSignatureMeans) {
    struct Case {
        const char* signature;
        bool working;
        const char* line;
    } cases[] = {
        {"1E9801", true, "ATmega2560 (1E9801)"},
        {"1E910A", true, "ATtiny2313 (1E910A)"},
        {"1E9999", true, "unbekannter AVR-Controller (1E9999)"},
        {"000000", false, "keiner (Signatur 000000: Das Zielsystem hat vermutlich keine Spannung.)"},
        {"FFFFFF", false, noTarget},
        {"1E00FF", false, "keiner, keine g\xFCltige Signatur (1E00FF)"},
        {"", false, "keiner, keine g\xFCltige Signatur"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signature);
        EXPECT_EQ(str(DieSeite::spiPartText(c.signature, c.working)), c.line);
    }
}

TEST_F(DieSeiteSpi, WithoutTargetEveryValueFails) {
    ZyntraSimOptions options;
    options.targetPresent = false;
    startSim(options);
    EXPECT_TRUE(navigate("vyx:spispeedtest:Speed"));
    const std::vector<Entry> list = entries("Speed");
    ASSERT_EQ(list.size(), 8u);
    for (const Entry& e : list)
        EXPECT_FALSE(e.ok) << e.value;
    EXPECT_EQ(html("spiPartSpeed"), noTarget);
}

// A failure replaces the list by its message. A run that stopped after changing the setting puts
// the old value back (here the device refuses that as well, which is said too).
TEST_F(DieSeiteSpi, FailuresStopTheRunAndReplaceTheList) {
    const std::string query = setting("Speed");
    const std::string signature =
        "m:main|mode mm|rst 00|pwr 01|m:spi|start 00|rst 01|send AC530000|send 30000200|send 30000100|send "
        "30000000|rst 00|end";
    struct Case {
        const char* what;
        ZyntraSimMisbehaviour misbehaviour;
        int after;  // Dexmode answers served normally first
        std::string shown;
        std::vector<std::string> lines;
    } cases[] = {
        {"query unanswered", ZyntraSimMisbehaviour::NoAnswer, 0, error07, {query}},
        {"query refused", ZyntraSimMisbehaviour::Refusal, 0, error07, {query}},
        {"value refused",
         ZyntraSimMisbehaviour::Refusal,
         3,
         error06 + "<br>" + error08,
         {query, setting("Speed", "00"), signature, setting("Speed", "01"), setting("Speed", "03")}},
        {"signature unanswered",
         ZyntraSimMisbehaviour::NoAnswer,
         2,
         error01 + "<br>" + error08,
         {query, setting("Speed", "00"), signature, setting("Speed", "03")}},
        {"old value refused", ZyntraSimMisbehaviour::Refusal, 17, error08, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZyntraSimOptions options;
        options.misbehaviour = c.misbehaviour;
        options.misbehaviourScope = ZyntraSimScope::Lines;
        options.misbehaveAfter = c.after;
        startSim(options);
        // The device holds 3 (set while it still behaves).
        sim->setOptions(ZyntraSimOptions());
        seite.spiSpeedSet("Speed", 3);
        linesReceived();
        sim->setOptions(options);
        EXPECT_TRUE(navigate("vyx:spispeedtest:Speed"));
        EXPECT_EQ(html("spiSpeedAusgabeSpeed"), c.shown);
        const std::vector<std::string> lines = linesReceived();
        if (!c.lines.empty())
            EXPECT_EQ(lines, c.lines);
        else
            EXPECT_EQ(lines.back(), setting("Speed", "03"));
        EXPECT_EQ(html("spiPartSpeed"), c.after == 17 ? "ATmega328P (1E950F)" : "");
        EXPECT_FALSE(seite.isOpen());
    }
    // No port chosen: the connection start's message, nothing sent.
    page.setValue("port", "nix");
    EXPECT_TRUE(navigate("vyx:spispeedtest:Slow"));
    EXPECT_EQ(html("spiSpeedAusgabeSlow"), error("COM-Port konnte nicht ge\xF6"
                                                 "ffnet werden."));
    EXPECT_TRUE(linesReceived().empty());
}

// The value is written as " %02X": values above 255 take the digits they need, and the device
// refuses what is out of its range.
TEST_F(DieSeiteSpi, SetWritesTheValueInHexAndReportsIt) {
    struct Case {
        const char* kind;
        int value;
        const char* hex;
        bool accepted;
    } cases[] = {
        {"Speed", 3, "03", true},    {"Slow", 254, "FE", true},     {"Speed", 8, "08", false},
        {"Slow", 256, "100", false}, {"Slow", 4096, "1000", false},
    };
    startSim();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string kind = c.kind;
        EXPECT_TRUE(navigate("vyx:spispeedset:" + kind + ":" + std::to_string(c.value)));
        EXPECT_EQ(linesReceived(), std::vector<std::string>{setting(kind, c.hex)});
        EXPECT_EQ(html(("spiSpeedAusgabe" + kind).c_str()),
                  c.accepted ? "<font class='msgOk'><b>SPI-Geschwindigkeit eingestellt auf: " +
                                   std::to_string(c.value) + "</font>"
                             : error06);
        EXPECT_FALSE(seite.isOpen());
    }
    const ZyntraSimState state = sim->state();
    EXPECT_EQ(state.spiSpeed, 3);
    EXPECT_EQ(state.spiSlow, 254);
}
