// vyx-pack: appends the resource archive to a program file.
//
//   vyx-pack [--build] <resource folder> <program file> [<output file>]
//
// Every regular file of the folder becomes one entry, named by its file name converted to
// Windows-1252 and lower case, its data scrambled with the archive key. The result is a copy of
// the program file with the archive appended and the marker's state character set to '1'. Without
// an output file the program file is replaced (written beside it and renamed over it). With
// --build (the build's post-link step) a refusal also deletes the program file, so that the next
// build links it again instead of taking the unpacked file for finished.
//
// Refused, with a message and exit code 1: a missing folder, a subfolder, an empty file (the
// reader takes a zero-length entry for a broken archive), a name that has no Windows-1252 form or
// that is no plain file name, two names that are equal in lower case, a program file without
// exactly one marker, and a program file that already carries an archive.
#include "ArchiveFormat.h"
#include "CodePage.h"
#include "SLanguage.h"
#include "SString.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

int fail(const std::string& text) {
    std::fprintf(stderr, "vyx-pack: %s\n", text.c_str());
    return 1;
}

bool readWhole(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The entry name for a file name on disk (UTF-8): Windows-1252, lower case as the reader's
// lookup lowers names. Empty when the name has no Windows-1252 form.
std::string entryName(const std::string& utf8) {
    const std::string cp = codepage::utf8ToCp1252(utf8.data(), int(utf8.size()));
    if (codepage::cp1252ToUtf8(cp.data(), int(cp.size())) != utf8) return std::string();
    SString lower(cp.data(), int(cp.size()));
    lower.toLower();
    return std::string(lower.getChars(), size_t(lower.getLength()));
}

int collect(const fs::path& folder, std::vector<archive::Entry>& entries) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return fail("resource folder not found: " + folder.string());
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) return fail("subfolders are not supported: " + it->path().string());
        files.push_back(it->path());
    }
    if (ec) return fail("cannot list " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());

    for (const fs::path& file : files) {
        const std::string onDisk = file.filename().string();
        archive::Entry e;
        e.name = entryName(onDisk);
        if (e.name.empty()) return fail("name has no Windows-1252 form: " + file.string());
        if (!archive::isSafeEntryName(e.name.data(), e.name.size()))
            return fail("not a plain file name: " + file.string());
        for (const archive::Entry& other : entries)
            if (other.name == e.name) return fail("two files are named " + onDisk + " in lower case");
        if (!readWhole(file, e.data)) return fail("cannot read " + file.string());
        if (e.data.empty())
            return fail("empty resource file (the reader refuses empty entries): " + file.string());
        entries.push_back(std::move(e));
    }
    return 0;
}

}  // namespace

int pack(const fs::path& folder, const fs::path& program, const fs::path& output);

int main(int argc, char** argv) {
    const bool build = argc > 1 && std::string(argv[1]) == "--build";
    const int first = build ? 2 : 1;
    if (argc - first != 2 && argc - first != 3) {
        std::fprintf(stderr, "usage: vyx-pack [--build] <resource folder> <program file> [<output file>]\n");
        return 2;
    }
    // Names are raw Windows-1252 bytes: nothing may pass them through the language table.
    globalLanguage().translationEnabled = 0;

    const fs::path program = argv[first + 1];
    const fs::path output = argc - first == 3 ? fs::path(argv[first + 2]) : program;
    const int rc = pack(argv[first], program, output);
    if (rc != 0 && build) {
        std::error_code ec;
        fs::remove(output, ec);
    }
    return rc;
}

int pack(const fs::path& folder, const fs::path& program, const fs::path& output) {
    std::vector<archive::Entry> entries;
    if (int rc = collect(folder, entries)) return rc;

    std::string image;
    if (!readWhole(program, image)) return fail("cannot read program file " + program.string());
    const std::vector<size_t> markers = archive::findMarkers(image);
    if (markers.size() != 1)
        return fail(program.string() + ": expected one archive marker, found " +
                    std::to_string(markers.size()) + " (does the program link the resources library?)");
    char& state = image[markers[0] + archive::kMarkerLetters];
    if (state == archive::kStateArchive) return fail(program.string() + " already carries an archive");
    state = archive::kStateArchive;

    const uint64_t start = image.size();
    const std::string tail = archive::build(entries, uint32_t(start));
    if (start < archive::kMinStartOffset || start + tail.size() > 0xFFFFFFFFull)
        return fail(program.string() + ": program file size out of range for the archive");
    image += tail;

    std::error_code ec;
    const fs::path temp = output.string() + ".vyx-pack.tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(image.data(), std::streamsize(image.size()));
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            return fail("cannot write " + temp.string());
        }
    }
    fs::permissions(temp, fs::status(program, ec).permissions(), ec);
    fs::rename(temp, output, ec);
    if (ec) {
        fs::remove(temp, ec);
        return fail("cannot replace " + output.string() + ": " + ec.message());
    }
    std::printf("vyx-pack: %zu entries, %zu bytes appended, %s\n", entries.size(), tail.size(),
                output.string().c_str());
    return 0;
}
