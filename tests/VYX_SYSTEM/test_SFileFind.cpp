#include "SFileFind.h"

#include "SStringList.h"
#include "TempDir.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> findAll(const std::string& pattern) {
    std::vector<std::string> names;
    SFileFind find;
    for (bool ok = find.findFirst(pattern.c_str()); ok; ok = find.findNext())
        names.push_back(str(find.getName()) + (find.isFolder() ? "/" : ""));
    return names;
}

std::vector<std::string> entries(const SStringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.getCount(); ++i)
        out.push_back(str(list.getAt(i)));
    return out;
}
}  // namespace

TEST(SFileFind, WildcardsMatchAsOnTheOriginalPlatform) {
    struct Case {
        const char *name, *pattern;
        bool exact, ignoringCase;
    } cases[] = {
        {"README", "*.*", true, true},
        {"a.b.c", "*.*", true, true},
        {"a.txt", "*.txt", true, true},
        {"a.TXT", "*.txt", false, true},
        {"file", "file.*", true, true},
        {"file.txt", "file.*", true, true},
        {"ab", "a?", true, true},
        {"a", "a?", false, false},
        {"abc", "*b*", true, true},
        {"x.tar.gz", "*.gz", true, true},
        {"x.gz.tar", "*.gz", false, false},
        {"aaa", "a*a*a", true, true},
        {"aa", "a*a*a", false, false},
        {"", "*", true, true},
        {"de.lng", "*_de.lng", false, false},
        {"x_de.lng", "*_de.lng", true, true},
        {"Lang_DE.lng", "*_de.lng", false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SFileFind::matches(c.name, c.pattern, false), c.exact) << c.name << " ~ " << c.pattern;
        EXPECT_EQ(SFileFind::matches(c.name, c.pattern, true), c.ignoringCase)
            << c.name << " ~ " << c.pattern;
    }
}

TEST(SFileFind, FindsInNameOrder) {
    TempDir dir;
    for (const char* name : {"b.txt", "a.txt", "C.TXT", "noext", "x.lng"})
        dir.write(name, "");
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0700), 0);
    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"*.txt", {"a.txt", "b.txt"}},
        {"*.*", {"./", "../", "a.txt", "b.txt", "C.TXT", "noext", "sub/", "x.lng"}},
        {"*.", {"noext", "sub/"}},
        {"?.txt", {"a.txt", "b.txt"}},
        {"noext", {"noext"}},
        {"missing", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findAll(dir.file(c.pattern)), c.names) << c.pattern;

    SFileFind find;
    ASSERT_TRUE(find.findFirst(dir.file("*").c_str()));
    EXPECT_EQ(str(find.getFolder()), dir.path());
    EXPECT_TRUE(find.isDotEntry());
    ASSERT_TRUE(find.findNext());
    EXPECT_EQ(str(find.getName()), "..");
    EXPECT_TRUE(find.isDotEntry());
    while (find.findNext())
        EXPECT_FALSE(find.isDotEntry());
    EXPECT_EQ(str(find.getName()), "");
    EXPECT_FALSE(find.findNext());

    EXPECT_TRUE(SFileFind::exists(dir.file("x.lng").c_str()));
    EXPECT_TRUE(SFileFind::exists(dir.file("*.lng").c_str()));
    EXPECT_TRUE(SFileFind::exists(dir.path().c_str()));
    EXPECT_FALSE(SFileFind::exists(dir.file("*.cfg").c_str()));
    EXPECT_FALSE(SFileFind::exists(dir.file("no/such/*").c_str()));
    EXPECT_TRUE(SFileFind::exists("/tmp"));
}

TEST(SFileFind, ListFilesRecursesIntoMatchingFolders) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("b").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.file("b/c").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.file("skip.d").c_str(), 0700), 0);
    for (const char* name : {"a", "b/x", "b/c/y", "b/c/z.txt", "skip.d/w"})
        dir.write(name, "");
    // A link back to the top would recurse for ever if it were followed.
    ASSERT_EQ(::symlink(dir.path().c_str(), dir.file("b/loop").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("a").c_str(), dir.file("b/alias").c_str()), 0);

    SStringList list;
    EXPECT_EQ(SFileFind::listFiles(dir.path().c_str(), list, "*", "root"), 6);
    EXPECT_EQ(entries(list), (std::vector<std::string>{"root/a", "root/b/alias", "root/b/c/y",
                                                       "root/b/c/z.txt", "root/b/x", "root/skip.d/w"}));
    // The pattern applies to folders as well: "*." keeps folders without a dot and files without one.
    SStringList plain;
    SFileFind::listFiles(dir.path().c_str(), plain, "*.", "");
    EXPECT_EQ(entries(plain), (std::vector<std::string>{"a", "b/alias", "b/c/y", "b/x"}));
}
