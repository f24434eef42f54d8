#include "ResourceFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string output;  // standard output and standard error
};

// Runs a command line (arguments quoted by the caller) and collects what it prints.
Outcome run(const std::string& command) {
    Outcome r{-1, std::string()};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        r.output.append(buffer, n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

std::string ownProgram() {
    const SString path = SResources::getOwnProgramPath();
    return std::string(path.getChars(), size_t(path.getLength()));
}

}  // namespace

using ResourcePackingTest = ResourceFixture;

// The build packs tests/resources/data/pack onto vyx_pack_demo; the demo reads its own archive.
TEST_F(ResourcePackingTest, BuiltProgramCarriesItsResources) {
    const Outcome r = run(quoted(VYX_PACK_DEMO) + " dieSeite.htm twiStatus.txt missing.txt");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("archiveLoaded=1\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("dieSeite.htm=<html><body>Seite</body></html>\r\n\n"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("twiStatus.txt=Status 0=OK\r\n\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("missing.txt=\n"), std::string::npos) << r.output;
    // controlpos.ini of the folder redefines the window colour.
    EXPECT_NE(r.output.find("SButton-normal=#000000,"), std::string::npos) << r.output;
    // The extraction folder is gone when the program has ended.
    const size_t at = r.output.find("extractDirectory=");
    ASSERT_NE(at, std::string::npos);
    const std::string folder = r.output.substr(at + 17, r.output.find('\n', at) - at - 17);
    EXPECT_NE(folder.find("_tmpVyxRes"), std::string::npos) << folder;
    EXPECT_NE(::access(folder.c_str(), F_OK), 0) << folder;

    // Packing it again is refused.
    const Outcome again = run(quoted(VYX_PACK_TOOL) + " " + quoted(dir.path()) + " " + quoted(VYX_PACK_DEMO) +
                              " " + quoted(dir.file("out")));
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.output.find("already carries an archive"), std::string::npos) << again.output;
}

TEST_F(ResourcePackingTest, PackedCopyReadsBackWithLowerCaseWindows1252Names) {
    ::mkdir(dir.file("res").c_str(), 0700);
    dir.write("res/DieSeite.htm", "page");
    dir.write("res/\xC3\x84rger.TXT", "umlaut");  // UTF-8 on disk
    dir.write("res/resource.ini", "[StandardResourcePath]\r\n");
    dir.write("res/controlpos.ini", "\r\n");
    const Outcome r = run(quoted(VYX_PACK_TOOL) + " " + quoted(dir.file("res")) + " " + quoted(ownProgram()) +
                          " " + quoted(dir.file("packed")));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("4 entries"), std::string::npos) << r.output;

    const std::string packed = dir.read("packed");
    const std::vector<size_t> markers = archive::findMarkers(packed);
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(packed[markers[0] + archive::kMarkerLetters], archive::kStateArchive);
    struct stat st;
    ASSERT_EQ(::stat(dir.file("packed").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IXUSR, 0u);

    SResources& res = make(packed);
    res.init();
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_EQ(res.archiveLoaded, 1);
    EXPECT_EQ(TempDir::readPath(str(res.getFile("dieSeite.htm"))), "page");
    // The name is Windows-1252 in the program and UTF-8 on the disk.
    const SString umlaut = res.getFile("\xC4rger.txt");
    EXPECT_EQ(str(umlaut), str(res.extractDirectory) + "/\xE4rger.txt");
    EXPECT_EQ(TempDir::readPath(str(res.extractDirectory) + "/\xC3\xA4rger.txt"), "umlaut");
    SString lower;
    EXPECT_TRUE(res.extractedFiles.lookup("\xE4rger.txt", lower));
}

TEST_F(ResourcePackingTest, PackerRefusesWhatTheReaderCouldNotUse) {
    const std::string program = ownProgram();
    const std::string textFile = dir.write("plain.txt", std::string(500, 't'));
    ::mkdir(dir.file("ok").c_str(), 0700);
    dir.write("ok/a.txt", "a");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // name -> content ("/" = folder)
        std::string program;
        std::string message;
    } cases[] = {
        {"missing folder", {}, program, "resource folder not found"},
        {"empty file", {{"a.txt", "x"}, {"empty.txt", ""}}, program, "empty resource file"},
        {"name outside Windows-1252", {{"\xE6\x97\xA5.txt", "x"}}, program, "no Windows-1252 form"},
        {"subfolder", {{"sub", "/"}}, program, "subfolders are not supported"},
        {"names equal in lower case", {{"A.txt", "1"}, {"a.txt", "2"}}, program, "in lower case"},
        {"program without marker", {{"a.txt", "x"}}, textFile, "expected one archive marker, found 0"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = dir.file("case" + std::to_string(n++));
        if (!c.files.empty()) ::mkdir(folder.c_str(), 0700);
        for (const auto& f : c.files) {
            if (f.second == "/")
                ::mkdir((folder + "/" + f.first).c_str(), 0700);
            else
                dir.write(folder.substr(dir.path().size() + 1) + "/" + f.first, f.second);
        }
        const std::string out = folder + ".out";
        const Outcome r =
            run(quoted(VYX_PACK_TOOL) + " " + quoted(folder) + " " + quoted(c.program) + " " + quoted(out));
        EXPECT_EQ(r.status, 1) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
        EXPECT_NE(::access(out.c_str(), F_OK), 0);
    }

    // In the build's post-link step a refusal removes the program file, so the next build links
    // it again rather than taking the unpacked file for finished.
    const std::string copy = dir.write("copy.txt", std::string(500, 't'));
    const Outcome r = run(quoted(VYX_PACK_TOOL) + " --build " + quoted(dir.file("ok")) + " " + quoted(copy));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(::access(copy.c_str(), F_OK), 0);
}

// The reader's parse takes back what the packer builds, and every shorter piece of it is refused
// with the reader's reason (none while the start magic and header are incomplete).
TEST(ArchiveFormat, ParseReadsWhatBuildWroteAndRefusesEveryTruncation) {
    const std::vector<archive::Entry> entries = {{"a.txt", "alpha"}, {"b\xE4.css", std::string("x\0y", 3)}};
    const std::string bytes = archive::build(entries, 4711);
    const auto parse = [](const std::string& b, std::vector<archive::Entry>& out, std::string& error) {
        return archive::parse(reinterpret_cast<const unsigned char*>(b.data()), b.size(), out, error);
    };
    std::vector<archive::Entry> parsed;
    std::string error;
    ASSERT_TRUE(parse(bytes, parsed, error)) << error;
    ASSERT_EQ(parsed.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(parsed[i].name, entries[i].name);
        EXPECT_EQ(parsed[i].data, entries[i].data);
    }
    const size_t entriesStart = archive::kMagicLength + archive::kHeaderLength;
    for (size_t length = 0; length <= bytes.size() - archive::kTrailerLength; ++length) {
        EXPECT_FALSE(parse(bytes.substr(0, length), parsed, error)) << length;
        EXPECT_EQ(error.empty(), length < entriesStart) << length;
    }
}
