#include "SComPortSettings.h"

#include <gtest/gtest.h>

#include <string>

TEST(SComPortSettings, ParseTakesTheLineFieldsAndSkipsThePortField) {
    struct Case {
        const char* text;
        int baud, parity, dataBits, stopBits;
    } cases[] = {
        {"COM3,19200,N,8,1", 19200, 0, 8, 0},
        {"19200,E,7,2", 19200, 2, 7, 2},
        {"Com4,4800,o,5,1.5", 4800, 1, 5, 1},
        {"COM12,9600,mark,8,2", 9600, 3, 8, 2},
        {"cOm1,115200,s", 115200, 4, 8, 0},
        {"COM3", 0, 0, 8, 0},             // only a port: baud 0, the rest defaults
        {"", 0, 0, 8, 0},                 // empty text: the baud field is empty too
        {"19200,X,8,3", 19200, 0, 8, 0},  // unknown parity letter and stop text
        {"19200,,,", 19200, 0, 8, 0},     // empty fields keep the defaults
        {"19200,E,7,2,extra,more", 19200, 2, 7, 2},
        {"2400 , N,8, 1", 2400, 0, 8, 0},  // " N" is not a parity letter, " 1" no stop text
        {"tty,19200,E", 0, 0, 0, 0},       // without "com" the first field is the baud field
    };
    for (const Case& c : cases) {
        SComPortSettings s;
        s.port = "COM9";
        s.parse(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(s.baudRate, c.baud);
        EXPECT_EQ(s.parity, c.parity);
        EXPECT_EQ(s.dataBits, c.dataBits);
        EXPECT_EQ(s.stopBits, c.stopBits);
        EXPECT_STREQ(s.port, "com1");
    }
}

TEST(SComPortSettings, ToStringWritesUpperCasedFields) {
    struct Case {
        const char* port;
        int baud, parity, dataBits, stopBits;
        const char* want;
    } cases[] = {
        {"com1", 9600, 0, 8, 0, "COM1,9600,N,8,1"},
        {"com3", 19200, 1, 7, 1, "COM3,19200,O,7,1.5"},
        {"Com12", 300, 2, 5, 2, "COM12,300,E,5,2"},
        {"com4", 1200, 3, 8, 0, "COM4,1200,M,8,1"},
        {"com4", 1200, 4, 8, 0, "COM4,1200,S,8,1"},
        {"com\xFC", 1, 9, 8, 7, "COM\xDC,1,,8,"},  // unknown codes leave their field empty
    };
    for (const Case& c : cases) {
        SComPortSettings s;
        s.port = c.port;
        s.baudRate = c.baud;
        s.parity = c.parity;
        s.dataBits = c.dataBits;
        s.stopBits = c.stopBits;
        EXPECT_STREQ(s.toString(), c.want);
    }
    EXPECT_STREQ(SComPortSettings().toString(), "COM1,9600,N,8,1");
}

TEST(SComPortSettings, ToStringOutputParsesBackToTheSameLine) {
    SComPortSettings a;
    a.baudRate = 57600;
    a.parity = 2;
    a.dataBits = 7;
    a.stopBits = 2;
    SComPortSettings b;
    b.parse(a.toString());
    EXPECT_EQ(b.baudRate, 57600);
    EXPECT_EQ(b.parity, 2);
    EXPECT_EQ(b.dataBits, 7);
    EXPECT_EQ(b.stopBits, 2);
}
