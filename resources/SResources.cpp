#include "SResources.h"

#include "ArchiveFormat.h"
#include "FileSystemSeam.h"
#include "ResourceSeam.h"
#include "SDebug.h"
#include "SError.h"
#include "SFile.h"
#include "SFileFind.h"
#include "SFileSystem.h"
#include "SLanguage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

const char kResourceFolder[] = "VYX-Resourcen";
const char kResourceIni[] = "resource.ini";
const char kControlPosIni[] = "controlpos.ini";
// Deepest folder level the language search descends to; a link that leads back up would
// otherwise never end the recursion.
const int kMaxLanguageDepth = 32;
// Tries of the extraction folder's name before giving up.
const int kMaxFolderTries = 10000;

// Archive bytes are names and data, not texts of the program: while it is read nothing may pass
// through the language table (a name beginning with the marker pair would otherwise change).
class TranslationPause {
public:
    TranslationPause() : saved(globalLanguage().translationEnabled) {
        globalLanguage().translationEnabled = 0;
    }
    ~TranslationPause() { globalLanguage().translationEnabled = saved; }

private:
    int saved;
};

// Decimal with "." between groups of three digits, for sizes up to 2^64.
SString grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return SString(out.c_str());
}

SString joinPath(const SString& folder, const SString& name) {
    SString path = folder;
    path.append(fsPathSeparator);
    path.append(name);
    return path;
}

}  // namespace

SResources& globalResources() {
    static SResources* resources = [] {
        SResources* r = new SResources();
        std::atexit([] { globalResources().cleanUp(); });
        return r;
    }();
    return *resources;
}

SResources::SResources()
    : directoryMode(1),
      scrambleKey(archive::kScrambleKey),
      archiveLoaded(0),
      initialized(0),
      markerState(archive::markerState()),
      clock(&::time) {}

SResources::~SResources() {
    cleanUp();
}

void SResources::release() {
    delete this;
}

SString SResources::getOwnProgramPath() {
    return resOwnProgramPath();
}

void SResources::cleanUp() {
    // Extracted files go also after a failed reading: in directory mode nothing uses them.
    for (int i = 0; i < extractedFiles.getCount(); ++i)
        fsRemoveFile(extractedFiles.valueAt(i));
    if (!extractDirectory.isEmpty()) resRemoveFolder(extractDirectory);
    extractedFiles.clear();
    if (initialized && directoryMode && resourceIni.isOpen()) resourceIni.save();
}

// ---------------------------------------------------------------------------------------------
// The archive

bool SResources::createExtractDirectory() {
    SString folder = tempFolder.isEmpty() ? SFileSystem::getTempFolder() : tempFolder;
    if (folder.isEmpty() || !fsIsSeparator(folder[folder.getLength() - 1])) folder.append(fsPathSeparator);
    const long long stamp = (long long)clock(nullptr);
    bool parentTried = false;
    for (int tryCounter = 0; tryCounter < kMaxFolderTries; ++tryCounter) {
        SString name;
        name.format("%s_tmpVyxRes%d_%lld", folder.getChars(), tryCounter, stamp);
        SString systemError;
        switch (resCreatePrivateFolder(name, systemError)) {
            case ResFolderResult::created:
                extractDirectory = name;
                return true;
            case ResFolderResult::exists:
                continue;
            case ResFolderResult::noParent:
                if (!parentTried) {
                    parentTried = true;
                    SFileSystem::createFolder(folder.left(folder.getLength() - 1), true);
                    --tryCounter;
                    continue;
                }
                break;
            case ResFolderResult::failed:
                break;
        }
        errorText = "Fehler beim Anlegen des Tempverzeichnisses: " + name + "\r\n" + systemError;
        return false;
    }
    errorText = "Fehler beim Anlegen des Tempverzeichnisses: " + folder;
    return false;
}

int SResources::readArchive() {
    errorText = "";
    if (markerState == archive::kStateNoArchive) return 0;

    TranslationPause pause;
    SFile program;
    SFile temp;
    uint64_t end = 0;
    uint64_t size = 0;
    bool oversize = false;

    auto readEntries = [&]() -> bool {
        if (!program.open(programPath, "rb", true)) {
            errorText = program.getErrorText();
            return false;
        }
        errorText = program.getErrorText();
        size = uint64_t(program.getSize());
        end = size;

        unsigned char magic[archive::kMagicLength];
        if (size < uint64_t(archive::kTrailerLength) ||
            !program.seek(long(size - archive::kTrailerLength), 0) ||
            program.readBytes(magic, archive::kMagicLength) != archive::kMagicLength ||
            std::memcmp(magic, archive::kEndMagic, archive::kMagicLength) != 0) {
            errorText = "Ressourcen-Endekennung nicht vorhanden.";
            // Something was appended behind the archive (a signature, or worse): the last end
            // magic in the file marks the archive's end.
            std::string whole(size, '\0');
            if (size > 0 && program.seek(0, 0) && uint64_t(program.readBytes(&whole[0], int(size))) == size) {
                const size_t at = whole.rfind(archive::kEndMagic, std::string::npos, archive::kMagicLength);
                if (at != std::string::npos && at > 0) {
                    end = at + archive::kTrailerLength;
                    oversize = true;
                }
            }
        }

        unsigned char word[4];
        if (end < 4 || !program.seek(long(end - 4), 0) || program.readBytes(word, 4) != 4) {
            errorText = "Konnte Startoffset nicht lesen.";
            return false;
        }
        const uint64_t start = archive::readU32(word);
        if (start > size || start < archive::kMinStartOffset) return false;

        if (!program.seek(long(start), 0) ||
            program.readBytes(magic, archive::kMagicLength) != archive::kMagicLength ||
            std::memcmp(magic, archive::kStartMagic, archive::kMagicLength) != 0)
            return false;
        unsigned char header[12];
        if (program.readBytes(header, 12) != 12) return false;
        const uint64_t headerLength = archive::readU32(header);
        if (!program.seek(long(start + 6 + headerLength), 0)) return false;

        if (!createExtractDirectory()) return false;

        for (;;) {
            unsigned char kind;
            if (program.readBytes(&kind, 1) != 1) {
                errorText = "Fehler beim Lesen der Kennung";
                return false;
            }
            if (kind == (unsigned char)archive::kEndMagic[0]) return true;
            if (kind != archive::kKindFile) {
                errorText = "unbekannte Blockkennung: " + SString::fromInt(kind);
                return false;
            }
            const uint64_t position = uint64_t(program.tell());
            const uint64_t left = size > position ? size - position : 0;

            if (program.readBytes(word, 4) != 4) {
                errorText = "Fehler beim Lesen der Namens-L\xE4nge";
                return false;
            }
            const uint32_t nameLength = archive::readU32(word);
            std::string nameBytes(nameLength <= left ? nameLength : 0, '\0');
            if (nameLength > left || (nameLength > 0 && uint32_t(program.readBytes(
                                                            &nameBytes[0], int(nameLength))) != nameLength)) {
                errorText = "Fehler beim Lesen des Namens";
                return false;
            }
            const SString name(nameBytes.data(), int(nameBytes.size()));
            // The name becomes a file name in the extraction folder and nothing else.
            if (!archive::isSafeEntryName(name.getChars(), size_t(name.getLength())) ||
                name.getLength() != int(nameLength)) {
                errorText = "unzul\xE4ssiger Eintragsname: \"" + name + "\"";
                return false;
            }

            if (program.readBytes(word, 4) != 4) {
                errorText = "Fehler beim Lesen der Daten-L\xE4nge";
                return false;
            }
            const uint32_t dataLength = archive::readU32(word);
            const uint64_t dataLeft = size > position + 8 + nameLength ? size - position - 8 - nameLength : 0;
            // A length beyond the end of the file cannot be read: refused before asking for memory.
            if (dataLength == 0 || dataLength > dataLeft) {
                errorText = "Fehler beim Lesen der Daten: " + name + " " + grouped(dataLength);
                return false;
            }
            unsigned char* data = new (std::nothrow) unsigned char[dataLength];
            if (data == nullptr) {
                errorText = "Speicheranforderung schlug fehl: " + grouped(dataLength);
                return false;
            }
            if (uint32_t(program.readBytes(data, int(dataLength))) != dataLength) {
                delete[] data;
                errorText = "Fehler beim Lesen der Daten: " + name + " " + grouped(dataLength);
                return false;
            }
            archive::scramble(data, dataLength, scrambleKey);

            const SString path = joinPath(extractDirectory, name);
            if (!temp.open(path, "w+b", true)) {
                delete[] data;
                errorText = "Fehler beim Anlegen des Tempfiles: " + path;
                return false;
            }
            const bool written = temp.write(data, int(dataLength));
            delete[] data;
            if (!written) {
                temp.close();
                fsRemoveFile(path);
                errorText = "Fehler beim Schreiben des Tempfiles: " + path;
                return false;
            }
            extractedFiles.set(name, path);
            temp.close();
        }
    };

    const bool ok = readEntries();
    program.close();
    if (!ok) {
        globalError().showError("Fehler beim Lesen der Resourcen.\r\n" + errorText + "\r\n" +
                                program.getErrorText() + "\r\n" + temp.getErrorText());
        return 0;
    }
    if (oversize)
        globalError().showError("Fehler beim Lesen der Resourcen.\r\nDie Datei ist um " +
                                grouped(size - end) + " Byte zu gro\xDF, Ursache kann ein Virenbefall sein.");
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Start-up

void SResources::init() {
    initialized = 1;
    if (programPath.isEmpty()) programPath = getOwnProgramPath();
    if (programDirectory.isEmpty()) programDirectory = SFileSystem::getFolder(programPath);

    archiveLoaded = readArchive();
    directoryMode = !archiveLoaded;
    if (directoryMode) createDirectoryModeFiles();
    resourceDirectories.add(joinPath(programDirectory, kResourceFolder));
    loadIniFiles();
    buildStyles();
}

void SResources::createDirectoryModeFiles() {
    const SString folder = joinPath(programDirectory, kResourceFolder);
    if (!fsIsFolder(folder)) SFileSystem::createFolder(folder, false);
    SString error;
    const SString controlPos = joinPath(folder, kControlPosIni);
    if (!resFileExists(controlPos)) SFile::writeTextFile(controlPos, "\r\n", &error);
    const SString resource = joinPath(folder, kResourceIni);
    if (!resFileExists(resource)) SFile::writeTextFile(resource, "[StandardResourcePath]\r\n", &error);
}

void SResources::loadIniFiles() {
    const SString resourcePath = getFile(kResourceIni);
    if (!resourceIni.open(resourcePath, false)) {
        globalError().showError("Fehler: resource.ini konnte nicht verwendet werden.\r\n" + resourcePath);
    } else {
        SStringList keys;
        SStringList values;
        resourceIni.readSection("StandardResourcePath", keys, &values, true);
        for (int i = 0; i < values.getCount(); ++i)
            if (!values[i].isEmpty()) resourceDirectories.add(values[i]);
    }
    const SString controlPath = getFile(kControlPosIni);
    if (!controlPositions.open(controlPath, false))
        globalError().showError("Fehler: controlpos.ini konnte nicht verwendet werden.\r\n" + controlPath);
}

void SResources::setStyle(const SString& name, const SString& value) {
    styles.set(name, styles.substitute(value, "{{", "}}"));
}

void SResources::buildStyles() {
    styles.set("vyx_color_win_back", "#8c8ca0");
    styles.set("vyx_color_win_back_contrast", "#505082");
    styles.set("vyx_color_ctrl_border1", "#464650");
    styles.set("vyx_color_ctrl_border2", "#ffffff");
    styles.set("vyx_color_ctrl_text", "#ffffff");
    styles.set("vyx_color_input_text", "#000000");
    styles.set("vyx_color_input_back", "#2d2df0");

    SStringList keys;
    SStringList values;
    controlPositions.readSection("Standard-Styles", keys, &values, true);
    for (int i = 0; i < keys.getCount(); ++i)
        setStyle(keys[i], values[i]);

    styles.set("SButton-form", "7,7");
    setStyle("SButton-normal",
             "{{vyx_color_win_back}},{{vyx_color_ctrl_border1}},{{vyx_color_ctrl_border2}},{{vyx_color_ctrl_"
             "text}}");
    setStyle("SButton-selected",
             "{{vyx_color_win_back_contrast}},{{vyx_color_ctrl_border1}},#a0a0ff,#a0a0ff");
    setStyle("SButton-mouseover", "{{vyx_color_win_back}},{{vyx_color_ctrl_border1}},#a0ffa0,#a0ffa0");
    setStyle("SButton-disabled", "{{vyx_color_win_back}},#888899,#bbbbcc,#4c4c6c");

    controlPositions.readSection("Control-Styles", keys, &values, true);
    for (int i = 0; i < keys.getCount(); ++i)
        setStyle(keys[i], values[i]);
}

// ---------------------------------------------------------------------------------------------
// Look-ups

SString SResources::getFile(const SString& name) {
    if (!initialized)
        globalError().showError(
            SString("Die Funktion SResources::getFile(\"") + name +
            "\") kann erst nach der Initialisierung des globalResources-Objektes verwendet werden.\r\n"
            "Sie sollten sie z.B. nicht im Konstrukor des Main-Fensters sondern besser in "
            "onPreCreateWindow() "
            "verwenden.");

    SString found;
    if (!directoryMode) {
        SString lower = name;
        lower.toLower();
        if (extractedFiles.lookup(lower, found)) return found;
    } else {
        for (int i = 0; i < resourceDirectories.getCount(); ++i) {
            const SString candidate = joinPath(resourceDirectories[i], name);
            if (!resFileExists(candidate)) continue;
            SString lower = name;
            lower.toLower();
            if (lower != kResourceIni && lower != kControlPosIni) {
                lower.trim();
                resourceIni.writeString("usedResources", lower, resLocalTimeText());
            }
            return candidate;
        }
    }
    const SString inCurrent = joinPath(joinPath(SFileSystem::getCurrentFolder(), "resources"), name);
    if (resFileExists(inCurrent)) return inCurrent;
    if (resFileExists(name)) return name;
    return SString();
}

SString SResources::getStyle(const SString& name) {
    if (!initialized)
        globalError().showError(
            SString("Die Funktion SResources::getStyle(\"") + name +
            "\") kann erst nach der Initialisierung des globalResources-Objektes verwendet werden.\r\n"
            "Sie sollten sie z.B. nicht im Konstrukor des Main-Fensters, sondern besser in "
            "onPreCreateWindow() "
            "verwenden.");
    SString value;
    styles.lookup(name, value);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Language files

void SResources::collectLanguageFiles(const SString& folder, const SString& pattern, bool recursive,
                                      int depth, SStringList& paths) {
    SFileFind find;
    for (bool more = find.findFirst(joinPath(folder, pattern)); more; more = find.findNext())
        if (!find.isFolder() && !find.isDotEntry()) paths.add(joinPath(folder, find.getName()));
    if (!recursive || depth >= kMaxLanguageDepth) return;
    SFileFind sub;
    for (bool more = sub.findFirst(joinPath(folder, "*")); more; more = sub.findNext())
        if (sub.isFolder() && !sub.isDotEntry())
            collectLanguageFiles(joinPath(folder, sub.getName()), pattern, true, depth + 1, paths);
}

void SResources::loadLanguage(const SString& code) {
    SLanguage& table = globalLanguage();
    table.clear();
    if (!code.isEmpty()) table.languageCode = code;
    const SString pattern = "*_" + table.languageCode + ".lng";

    // The extraction folder is not searched: language files travel beside the program.
    SStringList paths;
    collectLanguageFiles(programDirectory, pattern, false, 0, paths);
    for (int i = 0; i < resourceDirectories.getCount(); ++i)
        collectLanguageFiles(resourceDirectories[i], pattern, true, 0, paths);
    collectLanguageFiles(joinPath(programDirectory, kResourceFolder), pattern, false, 0, paths);

    for (int i = 0; i < paths.getCount(); ++i) {
        SString error;
        table.load(SFile::readTextFile(paths[i], &error));
        globalDebug().trace("SResources::loadLanguage(..) Sprachdatei geladen: " + paths[i]);
    }
    if (!table.loadErrors.isEmpty())
        globalDebug().trace("SResources::loadLanguage(..) #### FEHLER #### " + table.loadErrors);
}
