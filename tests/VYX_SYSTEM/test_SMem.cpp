#include "SMem.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string bytes(const SMem& m) {
    return std::string(reinterpret_cast<const char*>(m.getData()), size_t(m.getSize()));
}
}  // namespace

TEST(SMem, ResizingKeepsContentsAndZeroFills) {
    SMem m;
    EXPECT_EQ(m.getSize(), 100);
    EXPECT_EQ(bytes(m), std::string(100, '\0'));

    m.assign(SString("abc"));
    m.setSize(5);
    EXPECT_EQ(bytes(m), std::string("abc\0\0", 5));
    m.setSize(2);
    m.setSize(4);
    EXPECT_EQ(bytes(m), std::string("ab\0\0", 4));
    m.setSize(-3);
    EXPECT_EQ(m.getSize(), 0);

    struct Case {
        int size, needed, extra, limit, want;
    } cases[] = {
        {10, 20, 5, -1, 25},    // grows to needed + extra
        {10, 8, 5, -1, 10},     // big enough: unchanged
        {100, 8, 5, 50, 50},    // needed < limit < size: shrinks to the limit
        {100, 60, 5, 50, 100},  // needed above the limit: kept
        {40, 8, 5, 50, 40},     // limit above the size: kept
    };
    for (const Case& c : cases) {
        SMem e(c.size);
        e.ensureSize(c.needed, c.extra, c.limit);
        EXPECT_EQ(e.getSize(), c.want) << c.size << " " << c.needed << " " << c.limit;
    }
}

TEST(SMem, AppendInsertRemoveShiftTheRest) {
    SMem m(0);
    m.append(SString("ab"));
    m.appendByte(0xFF);
    m.appendUInt16(0x1234);
    m.appendUInt32(0xA1B2C3D4u);
    SMem other(SString("z"));
    m.append(other);
    EXPECT_EQ(bytes(m), std::string("ab\xFF\x34\x12\xD4\xC3\xB2\xA1z", 10));

    EXPECT_TRUE(m.insert(1, "XY", 2));
    EXPECT_EQ(bytes(m).substr(0, 5), "aXYb\xFF");
    EXPECT_TRUE(m.insert(m.getSize(), "!", 1));
    EXPECT_EQ(bytes(m).back(), '!');
    EXPECT_FALSE(m.insert(m.getSize() + 1, "?", 1));
    EXPECT_FALSE(m.insert(-1, "?", 1));

    EXPECT_TRUE(m.remove(1, 2));
    EXPECT_EQ(bytes(m).substr(0, 3), "ab\xFF");
    EXPECT_TRUE(m.remove(2, 1000));  // clipped at the end
    EXPECT_EQ(bytes(m), "ab");
    EXPECT_FALSE(m.remove(2, 1));

    // Inserting a piece of the buffer into itself copies it before the buffer moves.
    SMem self(SString("0123456789"));
    self.insert(0, self.getData() + 5, 5);
    EXPECT_EQ(bytes(self), "567890123456789");
}

TEST(SMem, SearchesAndByteAccess) {
    SMem m(SString("abcabcX"));
    struct Case {
        const char* what;
        int count, start, first, last;
    } cases[] = {
        {"abc", 3, -1, 0, 3}, {"bc", 2, 3, 1, 1},   {"X", 1, -1, 6, 6},          {"abcX", 4, 2, 3, -1},
        {"Z", 1, -1, -1, -1}, {"a", 0, -1, -1, -1}, {"abcabcXY", 8, -1, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m.find(c.what, c.count), c.first) << c.what;
        EXPECT_EQ(m.findReverse(c.what, c.count, c.start), c.last) << c.what;
    }
    EXPECT_EQ(m.replaceByte('a', 'A'), 2);
    EXPECT_EQ(bytes(m), "AbcAbcX");
    EXPECT_EQ(m.getByte(6), 'X');
    EXPECT_EQ(m.getByte(7), 0);
    EXPECT_EQ(m.getByte(-1), 0);
    EXPECT_TRUE(m.setByte(0, 0xE4));
    EXPECT_EQ(m.getByte(0), 0xE4);
    EXPECT_FALSE(m.setByte(7, 1));
    m.clear();
    EXPECT_EQ(bytes(m), std::string(7, '\0'));
}

TEST(SMem, CopiesAndTextsKeepEveryByte) {
    // Bytes that begin like a localisable literal, and a NUL, survive the way to a text and back.
    const std::string raw("\xB3\xB3key\xB3\xB3text\0end", 15);
    SMem m(0);
    m.append(raw.data(), int(raw.size()));
    SString text = m.toString();
    EXPECT_EQ(std::string(text.getChars(), size_t(text.getLength())), raw);

    SMem copy(m);
    SMem assigned(3);
    assigned = m;
    EXPECT_EQ(bytes(copy), raw);
    EXPECT_EQ(bytes(assigned), raw);
    copy.setByte(0, 'x');
    EXPECT_EQ(bytes(m), raw);
}
