// Zyntra-Terminal: the page script.
//
// The page asks the program for everything by navigating to "vyx:<command>:<arguments>"; the
// program cancels that navigation, talks to the device and writes the results back into the page,
// through the elements it knows by id and through the functions output, outputClear, setLang and
// tabSelect below. No frameworks, no network.

var zt = {
    lang: "de",
    texts: {},
    history: [],
    historyPos: 0
};

// ---- page texts ----------------------------------------------------------------------------

// Reads a language file: items "key=text" each closed by two superscript threes; items starting
// with ";" or "#" are comments up to the end of their line.
function ztParseLanguage(source) {
    var texts = {};
    var marker = "\u00B3\u00B3";
    var i = 0;
    var n = source.length;
    while (i < n) {
        while (i < n && source.charCodeAt(i) <= 0x20) i++;
        if (i >= n) break;
        var c = source.charAt(i);
        if (c === ";" || c === "#") {
            var eol = source.indexOf("\r\n", i);
            var lf = source.indexOf("\n", i);
            if (eol < 0 || (lf >= 0 && lf < eol)) eol = lf; // the page may see bare line feeds
            i = eol < 0 ? n : eol + 1;
            continue;
        }
        var end = source.indexOf(marker, i);
        var item = end < 0 ? source.substring(i) : source.substring(i, end);
        i = end < 0 ? n : end + marker.length;
        var eq = item.indexOf("=");
        var key = eq < 0 ? item : item.substring(0, eq);
        if (key !== "") texts[key] = eq < 0 ? "" : item.substring(eq + 1);
    }
    return texts;
}

function ztText(key, fallback) {
    return zt.texts.hasOwnProperty(key) ? zt.texts[key] : fallback;
}

// Elements carry their text key: data-t (text), data-t-aria (aria-label), data-t-ph (placeholder).
// Without a loaded text the German text written in the page stays.
function ztApplyTexts() {
    var all = document.querySelectorAll("[data-t], [data-t-aria], [data-t-ph]");
    for (var i = 0; i < all.length; i++) {
        var e = all[i];
        var key = e.getAttribute("data-t");
        if (key && zt.texts.hasOwnProperty(key)) e.textContent = zt.texts[key].replace(/\r\n?/g, "\n");
        key = e.getAttribute("data-t-aria");
        if (key && zt.texts.hasOwnProperty(key)) e.setAttribute("aria-label", zt.texts[key]);
        key = e.getAttribute("data-t-ph");
        if (key && zt.texts.hasOwnProperty(key)) e.setAttribute("placeholder", zt.texts[key]);
    }
    var title = ztText("pgTitel", "");
    if (title) document.title = title;
}

// ---- talking to the program ----------------------------------------------------------------

// The argument text goes as it is: the program decodes nothing.
function ztGo(url) {
    window.location.href = url;
}

// ---- functions the program calls ------------------------------------------------------------

// Appends an HTML fragment to the output area; follows the end unless the user scrolled back.
function output(html) {
    var area = document.getElementById("dexmode_output");
    if (!area) return;
    var atEnd = area.scrollTop + area.clientHeight >= area.scrollHeight - 4;
    area.insertAdjacentHTML("beforeend", html);
    if (atEnd) area.scrollTop = area.scrollHeight;
}

function outputClear() {
    var area = document.getElementById("dexmode_output");
    if (area) area.innerHTML = "";
}

// The program tells the page its language once the page has loaded. The texts came with the page
// (chosen by the language the program started with); this keeps the language choice and the
// document's language in step with the program.
function setLang(code) {
    if (!code) return;
    zt.lang = String(code);
    document.documentElement.setAttribute("lang", zt.lang);
    var choice = document.getElementById("langSelect");
    if (choice) choice.value = zt.lang;
}

// Brings a tab to the front: id is a tab's id (for example "mytabScriptTWI") or the id of its
// page. The title is accepted for callers that pass one and not needed here.
function tabSelect(id, title) {
    var tabs = ztTabs();
    var chosen = null;
    for (var i = 0; i < tabs.length; i++)
        if (tabs[i].id === id || tabs[i].getAttribute("aria-controls") === id) chosen = tabs[i];
    if (!chosen) return false;
    for (var j = 0; j < tabs.length; j++) {
        var tab = tabs[j];
        var on = tab === chosen;
        tab.setAttribute("aria-selected", on ? "true" : "false");
        tab.tabIndex = on ? 0 : -1;
        // The program looks at the inline display of a page to see whether it is shown.
        var page = document.getElementById(tab.getAttribute("aria-controls"));
        if (page) page.style.display = on ? "flex" : "none";
    }
    return true;
}

// Shows the part recognised from its three signature bytes ("1E950F") under the result list of
// the kind ("Speed" or "Slow").
function spiShowPart(kind, signature) {
    var line = document.getElementById("spiPart" + kind);
    if (!line) return;
    var sig = String(signature || "").toUpperCase();
    var parts = {
        "1E9007": "ATtiny13", "1E910A": "ATtiny2313", "1E9108": "ATtiny25", "1E9206": "ATtiny45",
        "1E930B": "ATtiny85", "1E9205": "ATmega48", "1E930A": "ATmega88", "1E9406": "ATmega168",
        "1E950F": "ATmega328P", "1E9514": "ATmega328", "1E9307": "ATmega8", "1E9403": "ATmega16",
        "1E9502": "ATmega32", "1E9609": "ATmega644", "1E9705": "ATmega1284P", "1E9801": "ATmega2560",
        "1E9587": "ATmega32U4"
    };
    if (sig === "") line.textContent = "\u2013";
    else if (parts.hasOwnProperty(sig)) line.textContent = parts[sig] + " (" + sig + ")";
    else line.textContent = ztText("pgSpiBausteinUnbekannt", "unbekannt") + " (" + sig + ")";
}

// ---- tabs -----------------------------------------------------------------------------------

function ztTabs() {
    return document.querySelectorAll("#tabList [role=tab]");
}

function ztTabKey(event) {
    var tabs = ztTabs();
    var index = -1;
    for (var i = 0; i < tabs.length; i++)
        if (tabs[i] === event.currentTarget) index = i;
    var next = -1;
    switch (event.key) {
        case "ArrowRight": case "Right": next = (index + 1) % tabs.length; break;
        case "ArrowLeft": case "Left": next = (index + tabs.length - 1) % tabs.length; break;
        case "Home": next = 0; break;
        case "End": next = tabs.length - 1; break;
        default: return;
    }
    event.preventDefault();
    tabSelect(tabs[next].id);
    tabs[next].focus();
}

// Alt+1 .. Alt+4 bring a tab to the front from anywhere in the page.
function ztGlobalKey(event) {
    if (!event.altKey || event.ctrlKey || event.metaKey) return;
    var n = parseInt(event.key, 10);
    var tabs = ztTabs();
    if (n >= 1 && n <= tabs.length) {
        event.preventDefault();
        tabSelect(tabs[n - 1].id);
        tabs[n - 1].focus();
    }
}

// ---- Dexmode terminal ----------------------------------------------------------------------

// The command history of the one-line input, oldest first. The program keeps it across runs: it
// hands the saved lines to historySet when the page has loaded and each line sent to historyAdd.
// Up walks back from the newest line, Down forward again and past the newest to an empty line.
function ztHistoryPush(text) {
    if (text === "" || zt.history[zt.history.length - 1] === text) return;
    zt.history.push(text);
    if (zt.history.length > 200) zt.history.splice(0, zt.history.length - 200);
}

function historySet(lines) {
    zt.history = [];
    var all = String(lines || "").split("\n");
    for (var i = 0; i < all.length; i++) ztHistoryPush(all[i]);
    zt.historyPos = zt.history.length;
}

function historyAdd(line) {
    ztHistoryPush(String(line));
    zt.historyPos = zt.history.length;
}

function ztSendOne() {
    // The program reads the line from the input, empties it and hands it back to historyAdd.
    ztGo("vyx:dexmode:send");
}

function ztLineKey(event) {
    var line = event.currentTarget;
    if (event.key === "Enter") {
        event.preventDefault();
        ztSendOne();
    } else if (event.key === "ArrowUp" || event.key === "Up") {
        if (zt.historyPos > 0) {
            zt.historyPos--;
            line.value = zt.history[zt.historyPos];
        }
        event.preventDefault();
    } else if (event.key === "ArrowDown" || event.key === "Down") {
        if (zt.historyPos < zt.history.length) zt.historyPos++;
        line.value = zt.historyPos < zt.history.length ? zt.history[zt.historyPos] : "";
        event.preventDefault();
    }
}

function ztListKey(event) {
    if (event.key === "Enter" && (event.ctrlKey || event.metaKey)) {
        event.preventDefault();
        ztGo("vyx:dexmode:sendList");
    }
}

// ---- Vexo clock ---------------------------------------------------------------------------------

function ztTwo(n) {
    return (n < 10 ? "0" : "") + n;
}

// The clock's seven registers as 14 decimal digits: seconds, minutes, hours (24-hour form),
// weekday (Monday 01 .. Sunday 07), date, month, two-digit year.
function ztClockDigits(date) {
    var weekday = ((date.getDay() + 6) % 7) + 1;
    return ztTwo(date.getSeconds()) + ztTwo(date.getMinutes()) + ztTwo(date.getHours()) + ztTwo(weekday) +
        ztTwo(date.getDate()) + ztTwo(date.getMonth() + 1) + ztTwo(date.getFullYear() % 100);
}

function ztSetTime(text) {
    var field = document.getElementById("vexoTimeNew");
    if (!/^[0-9]{14}$/.test(text)) {
        field.setAttribute("aria-invalid", "true");
        document.getElementById("vexo_info").innerHTML = "<font class='msgError'></font>";
        document.getElementById("vexo_info").firstChild.textContent =
            ztText("pgVexoZeitFormat", "Bitte 14 Ziffern eingeben.");
        field.focus();
        return;
    }
    field.removeAttribute("aria-invalid");
    ztGo("vyx:vexo_setTime:" + text);
}

function ztPcTime() {
    var text = ztClockDigits(new Date());
    document.getElementById("vexoTimeNew").value = text;
    ztSetTime(text);
}

// ---- start ------------------------------------------------------------------------------

function ztOn(id, type, handler) {
    var e = document.getElementById(id);
    if (e) e.addEventListener(type, handler, false);
}

function ztStart() {
    var source = document.getElementById("pageTexte");
    if (source) zt.texts = ztParseLanguage(source.textContent || "");
    zt.lang = document.documentElement.getAttribute("lang") || "de";
    // Without template expansion (page opened as a plain file) the language is German.
    if (!/^[a-z]{2}$/.test(zt.lang)) zt.lang = "de";
    ztApplyTexts();
    setLang(zt.lang);

    // Buttons that only navigate carry their command URL.
    var commands = document.querySelectorAll("button[data-vyx]");
    for (var i = 0; i < commands.length; i++)
        commands[i].addEventListener("click", function (event) {
            var kind = event.currentTarget.getAttribute("data-spi");
            if (kind) spiShowPart(kind, "");
            ztGo(event.currentTarget.getAttribute("data-vyx"));
        }, false);

    var tabs = ztTabs();
    for (var t = 0; t < tabs.length; t++) {
        tabs[t].addEventListener("click", function (event) { tabSelect(event.currentTarget.id); }, false);
        tabs[t].addEventListener("keydown", ztTabKey, false);
    }
    document.addEventListener("keydown", ztGlobalKey, false);

    ztOn("langSelect", "change", function (event) {
        var choice = event.currentTarget;
        var chosen = choice.value;
        // The choice shows the running language until the program has restarted in the new one.
        choice.value = zt.lang;
        // The engine reports a change only away from the choice it reported last, and a value set
        // from a script does not count; after a cancelled question the same language chosen again
        // would pass unnoticed. Focusing the choice anew makes the engine take the running language
        // as its starting point.
        if (document.activeElement === choice) {
            choice.blur();
            choice.focus();
        }
        if (chosen !== zt.lang) ztGo("vyx:setLang:" + chosen);
    });

    ztOn("btnSmartCmd", "click", function () {
        var text = document.getElementById("smartCmd").value;
        if (text !== "") ztGo("vyx:smartcmd:" + text);
    });
    ztOn("smartCmd", "keydown", function (event) {
        if (event.key === "Enter") {
            event.preventDefault();
            document.getElementById("btnSmartCmd").click();
        }
    });

    ztOn("dexmode_cmdOne", "keydown", ztLineKey);
    ztOn("dexmode_cmdList", "keydown", ztListKey);
    // Plain text only: pasted formatting would not reach the device anyway.
    var list = document.getElementById("dexmode_cmdList");
    if (list) {
        try { list.setAttribute("contenteditable", "plaintext-only"); } catch (e) { /* older engines */ }
        if (list.contentEditable !== "plaintext-only") list.setAttribute("contenteditable", "true");
    }

    ztOn("btnVexoSetTime", "click", function () {
        ztSetTime(document.getElementById("vexoTimeNew").value.replace(/\s+/g, ""));
    });
    ztOn("vexoTimeNew", "keydown", function (event) {
        if (event.key === "Enter") {
            event.preventDefault();
            document.getElementById("btnVexoSetTime").click();
        }
    });
    ztOn("btnVexoPcTime", "click", ztPcTime);

    // A start page may be asked for with "#<tab or page id>" (previews, tests).
    var wanted = window.location.hash.replace(/^#/, "");
    if (wanted) tabSelect(wanted);
}

if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", ztStart, false);
else ztStart();
