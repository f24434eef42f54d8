#include "LoopbackListener.h"
#include "ResourceFixture.h"
#include "SDebug.h"
#include "SLanguage.h"

#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

namespace {
#define LIT(key) "\xB3\xB3" key "\xB3\xB3-"

const char kLoaded[] = "SResources::loadLanguage(..) Sprachdatei geladen: ";

// Trace lines arrive at a monitor of our own on a port the test picks. The trace channel connects
// once per process, so all tests share one monitor.
LoopbackListener& monitor() {
    static LoopbackListener* listener = new LoopbackListener();
    return *listener;
}

class ResourceLanguageTest : public ResourceFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(monitor().ok());
        static bool enabled = false;
        if (!enabled) globalDebug().enable("127.0.0.1", monitor().port());
        enabled = true;
        globalLanguage().loadErrors = "";
        traceLines();  // what earlier tests left
    }
    void TearDown() override {
        globalLanguage().clear();
        globalLanguage().languageCode = "de";
    }
    // The trace lines written so far (the first call accepts the channel's connection).
    std::vector<std::string> traceLines() {
        static bool connected = false;
        if (!connected) connected = monitor().acceptOne(100);
        std::string text = monitor().read(1 << 20, 300);
        std::vector<std::string> lines;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            lines.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 2;
        }
        return lines;
    }
    static std::string tr(const char* literal) { return globalLanguage().translate(literal); }
    void folder(const std::string& name) { ::mkdir(dir.file(name).c_str(), 0700); }
};
}  // namespace

TEST_F(ResourceLanguageTest, FilesComeFromProgramAndResourceDirectoriesInOrder) {
    for (const char* f : {"prog", "prog/sub", "prog/VYX-Resourcen", "prog/VYX-Resourcen/deep",
                          "prog/VYX-Resourcen/deep/er", "extra"})
        folder(f);
    dir.write("prog/terminal_en.lng", "Ende=Exit\xB3\xB3\r\nProg=program\xB3\xB3\r\n");
    dir.write("prog/terminal_de.lng", "Ende=Schluss\xB3\xB3");
    dir.write("prog/sub/below_en.lng", "Below=found\xB3\xB3");  // below the program folder: not searched
    dir.write("prog/VYX-Resourcen/v_en.lng", "V=v\xB3\xB3");
    dir.write("prog/VYX-Resourcen/deep/er/x_en.lng", "Ende=from x\xB3\xB3\r\nDeep=deep\xB3\xB3");
    dir.write("extra/z_en.lng", "Z=z\xB3\xB3");
    // The archive carries a language file too; it stays in the extraction folder, unread.
    SResources& r = make(image(withInis({{"packed_en.lng", "Packed=packed\xB3\xB3"}})));
    r.init();
    ASSERT_EQ(r.archiveLoaded, 1);
    r.resourceDirectories.add(dir.file("extra").c_str());

    r.loadLanguage("en");
    EXPECT_EQ(str(globalLanguage().languageCode), "en");
    struct Case {
        const char* literal;
        const char* want;
    } cases[] = {
        {LIT("Ende"), "Exit"},  // the program folder comes first, and the first entry wins
        {LIT("Prog"), "program"}, {LIT("V"), "v"},     {LIT("Deep"), "deep"},
        {LIT("Z"), "z"},          {LIT("Below"), "-"}, {LIT("Packed"), "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tr(c.literal), c.want) << c.literal;

    const std::string res = dir.file("prog/VYX-Resourcen");
    EXPECT_EQ(traceLines(), (std::vector<std::string>{
                                kLoaded + dir.file("prog/terminal_en.lng"), kLoaded + res + "/v_en.lng",
                                kLoaded + res + "/deep/er/x_en.lng", kLoaded + dir.file("extra/z_en.lng"),
                                kLoaded + res + "/v_en.lng",  // again, as a file of the VYX-Resourcen folder
                            }));

    // Loading again rebuilds the table for the new code; an empty code keeps the current one.
    r.loadLanguage("de");
    EXPECT_EQ(tr(LIT("Ende")), "Schluss");
    EXPECT_EQ(tr(LIT("Prog")), "-");
    r.loadLanguage("");
    EXPECT_EQ(str(globalLanguage().languageCode), "de");
    EXPECT_EQ(tr(LIT("Ende")), "Schluss");
    EXPECT_EQ(globalLanguage().getCount(), 1);
    EXPECT_EQ(traceLines(), (std::vector<std::string>{kLoaded + dir.file("prog/terminal_de.lng"),
                                                      kLoaded + dir.file("prog/terminal_de.lng")}));
}

TEST_F(ResourceLanguageTest, EmptyKeysAreTracedOncePerLoading) {
    folder("prog");
    dir.write("prog/a_en.lng", "=lost\xB3\xB3");
    SResources& r = make("", archive::kStateNoArchive);
    r.init();
    const std::string error = "SLanguage::load(..) Eintrag Nr. 1 hat einen leeren Schl\xFCssel.";
    r.loadLanguage("en");
    r.loadLanguage("en");
    // The table's error text accumulates over loadings.
    EXPECT_EQ(traceLines(), (std::vector<std::string>{
                                kLoaded + dir.file("prog/a_en.lng"),
                                "SResources::loadLanguage(..) #### FEHLER #### " + error,
                                kLoaded + dir.file("prog/a_en.lng"),
                                "SResources::loadLanguage(..) #### FEHLER #### " + error + error,
                            }));
    EXPECT_TRUE(boxes.boxes.empty());
}
