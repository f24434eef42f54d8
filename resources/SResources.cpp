#include "SResources.h"

#include "ArchiveFormat.h"
#include "FileSystemSeam.h"
#include "RawText.h"
#include "SDebug.h"
#include "SError.h"
#include "SFile.h"
#include "SFileFind.h"
#include "SFileSystem.h"
#include "SLanguage.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
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
// The extraction folders' names begin with it, in the temporary folder.
const char kExtractPrefix[] = "_tmpVyxRes";
// Inside an extraction folder: held by the running instance that made the folder.
const char kInstanceLock[] = "instance.lock";

SString grouped(uint64_t value) {
    const std::string text = archive::grouped(value);
    return rawText(text.data(), int(text.size()));
}

// Where the archive lies in the program file: from start up to end, the end of its trailer.
struct ArchiveSpan {
    uint64_t size = 0;  // of the program file
    uint64_t start = 0;
    uint64_t end = 0;
    bool oversize = false;  // something follows the trailer
};

// The end of the trailer whose end magic stands last in the file, 0 when none does (or only at
// its very start). Reads backwards in blocks, so the program is never held whole in memory.
uint64_t endOfLastTrailer(SFile& program, uint64_t size) {
    const uint64_t block = 1 << 16;
    std::string buffer;
    for (uint64_t to = size; to > 0;) {
        const uint64_t from = to > block ? to - block : 0;
        buffer.resize(size_t(to - from));
        if (!program.seek(long(from), 0) ||
            uint64_t(program.readBytes(&buffer[0], int(buffer.size()))) != to - from)
            return 0;
        const size_t at = buffer.rfind(archive::kEndMagic, std::string::npos, archive::kMagicLength);
        if (at != std::string::npos) return from + at > 0 ? from + at + archive::kTrailerLength : 0;
        if (from == 0) return 0;
        to = from + archive::kMagicLength - 1;  // a magic across the block border lies in the next block
    }
    return 0;
}

// Finds the archive from the trailer at the end of the program file. False when there is none;
// error then holds the reason, or keeps its text when the start offset is out of range.
bool locateArchive(SFile& program, ArchiveSpan& span, SString& error) {
    span.size = uint64_t(program.getSize());
    span.end = span.size;
    unsigned char magic[archive::kMagicLength];
    if (span.size < uint64_t(archive::kTrailerLength) ||
        !program.seek(long(span.size - archive::kTrailerLength), 0) ||
        program.readBytes(magic, archive::kMagicLength) != archive::kMagicLength ||
        std::memcmp(magic, archive::kEndMagic, archive::kMagicLength) != 0) {
        error = "Ressourcen-Endekennung nicht vorhanden.";
        // Something was appended behind the archive (a signature, or worse): the last end magic
        // in the file marks the archive's end.
        const uint64_t end = endOfLastTrailer(program, span.size);
        if (end > 0) {
            span.end = end;
            span.oversize = true;
        }
    }
    unsigned char word[4];
    if (span.end < 4 || !program.seek(long(span.end - 4), 0) || program.readBytes(word, 4) != 4) {
        error = "Konnte Startoffset nicht lesen.";
        return false;
    }
    span.start = archive::readU32(word);
    return span.start <= span.size && span.start >= archive::kMinStartOffset;
}

// Reads the archive's bytes (and nothing else of the program file) and parses them.
bool readEntries(SFile& program, const ArchiveSpan& span, unsigned char key,
                 std::vector<archive::Entry>& entries, SString& error) {
    const uint64_t length = span.end > span.start ? span.end - span.start : 0;
    std::unique_ptr<unsigned char[]> bytes(
        length <= uint64_t(INT_MAX) ? new (std::nothrow) unsigned char[length + 1] : nullptr);
    if (bytes == nullptr) {
        error = "Speicheranforderung schlug fehl: " + grouped(length);
        return false;
    }
    if (!program.seek(long(span.start), 0) || uint64_t(program.readBytes(bytes.get(), int(length))) != length)
        return false;
    std::string reason;
    const bool ok = archive::parse(bytes.get(), size_t(length), entries, reason, key);
    if (!reason.empty()) error = rawText(reason.data(), int(reason.size()));
    return ok;
}

SString joinPath(const SString& folder, const SString& name) {
    SString path = folder;
    path.append(fsPathSeparator);
    path.append(name);
    return path;
}

// Removes the extraction folders in folder (which ends with a separator) whose instances have
// ended without removing them (killed, crashed): their lock is free. A folder without a lock file
// may be one just being made, or one of a program that keeps no lock: it stays. Links are never
// followed, and a folder with a folder inside stays.
void removeLeftFolders(const SString& folder) {
    std::vector<FsFolderEntry> entries;
    if (!fsReadFolder(folder, entries)) return;
    const SString prefix(kExtractPrefix);
    for (const FsFolderEntry& entry : entries) {
        if (!entry.isFolder || entry.isLink || !rawStartsWith(entry.name, prefix)) continue;
        SString path = folder;
        path.append(entry.name);
        const SString lock = joinPath(path, kInstanceLock);
        if (fsInstanceLockState(lock) != FsLockState::free) continue;
        std::vector<FsFolderEntry> files;
        fsReadFolder(path, files);
        for (const FsFolderEntry& file : files)
            if ((!file.isFolder || file.isLink) && file.name != kInstanceLock)
                fsRemoveFile(joinPath(path, file.name));
        // The lock goes last: a folder left half-emptied is still known as left behind.
        fsRemoveFile(lock);
        if (fsRemoveFolder(path))
            globalDebug().trace("SResources::init(..) Ordner eines beendeten Programms entfernt: " + path);
    }
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
    return fsOwnProgramPath();
}

void SResources::cleanUp() {
    // Extracted files go also after a failed reading: in directory mode nothing uses them.
    for (int i = 0; i < extractedFiles.getCount(); ++i)
        fsRemoveFile(extractedFiles.valueAt(i));
    if (instanceLock >= 0) {
        fsRemoveFile(joinPath(extractDirectory, kInstanceLock));
        fsReleaseInstanceLock(instanceLock);
        instanceLock = -1;
    }
    if (!extractDirectory.isEmpty()) fsRemoveFolder(extractDirectory);
    extractedFiles.clear();
    if (initialized && directoryMode && resourceIni.isOpen()) resourceIni.save();
}

// ---------------------------------------------------------------------------------------------
// The archive

bool SResources::createExtractDirectory() {
    SString folder = tempFolder.isEmpty() ? SFileSystem::getTempFolder() : tempFolder;
    if (folder.isEmpty() || !fsIsSeparator(folder[folder.getLength() - 1])) folder.append(fsPathSeparator);
    removeLeftFolders(folder);
    const long long stamp = (long long)clock(nullptr);
    bool parentTried = false;
    for (int tryCounter = 0; tryCounter < kMaxFolderTries; ++tryCounter) {
        SString name;
        name.format("%s_tmpVyxRes%d_%lld", folder.getChars(), tryCounter, stamp);
        SString systemError;
        switch (fsCreatePrivateFolder(name, systemError)) {
            case FsFolderResult::created:
                extractDirectory = name;
                // The lock tells later starts that the folder is in use; should it fail, a folder
                // left behind by a kill stays.
                instanceLock = fsCreateInstanceLock(joinPath(name, kInstanceLock));
                if (instanceLock < 0)
                    globalDebug().trace("SResources::init(..) keine Sperrdatei in " + name + ": " +
                                        fsErrorText(fsLastError()));
                return true;
            case FsFolderResult::exists:
                continue;
            case FsFolderResult::noParent:
                if (!parentTried) {
                    parentTried = true;
                    SFileSystem::createFolder(folder.left(folder.getLength() - 1), true);
                    --tryCounter;
                    continue;
                }
                break;
            case FsFolderResult::failed:
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

    SFile program;
    SFile temp;
    ArchiveSpan span;
    std::vector<archive::Entry> entries;
    bool ok = program.open(programPath, "rb", true);
    errorText = program.getErrorText();
    if (ok)
        ok = locateArchive(program, span, errorText) &&
             readEntries(program, span, scrambleKey, entries, errorText);
    program.close();
    if (ok) ok = createExtractDirectory() && extractEntries(entries, temp);
    if (!ok) {
        globalError().showError("Fehler beim Lesen der Resourcen.\r\n" + errorText + "\r\n" +
                                program.getErrorText() + "\r\n" + temp.getErrorText());
        return 0;
    }
    if (span.oversize)
        globalError().showError("Fehler beim Lesen der Resourcen.\r\nDie Datei ist um " +
                                grouped(span.size - span.end) +
                                " Byte zu gro\xDF, Ursache kann ein Virenbefall sein.");
    return 1;
}

bool SResources::extractEntries(const std::vector<archive::Entry>& entries, SFile& temp) {
    for (const archive::Entry& entry : entries) {
        const SString name = rawText(entry.name.data(), int(entry.name.size()));
        const SString path = joinPath(extractDirectory, name);
        if (!temp.open(path, "w+b", true)) {
            errorText = "Fehler beim Anlegen des Tempfiles: " + path;
            return false;
        }
        if (!temp.write(entry.data.data(), int(entry.data.size()))) {
            temp.close();
            fsRemoveFile(path);
            errorText = "Fehler beim Schreiben des Tempfiles: " + path;
            return false;
        }
        extractedFiles.set(name, path);
        temp.close();
    }
    return true;
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
    if (!fsFileExists(controlPos)) SFile::writeTextFile(controlPos, "\r\n", &error);
    const SString resource = joinPath(folder, kResourceIni);
    if (!fsFileExists(resource)) SFile::writeTextFile(resource, "[StandardResourcePath]\r\n", &error);
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
            if (!fsFileExists(candidate)) continue;
            SString lower = name;
            lower.toLower();
            if (lower != kResourceIni && lower != kControlPosIni) {
                lower.trim();
                resourceIni.writeString("usedResources", lower, fsLocalTimeText());
            }
            return candidate;
        }
    }
    const SString inCurrent = joinPath(joinPath(SFileSystem::getCurrentFolder(), "resources"), name);
    if (fsFileExists(inCurrent)) return inCurrent;
    if (fsFileExists(name)) return name;
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
