#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Layout of the resource archive appended to the program file, shared by the reader (SResources)
// and the packer (vyx-pack) so that the two cannot drift apart.
//
//   S       6  start magic "vyxres"
//   S+6     4  header length H (12: bytes from S+6 to the first entry, this word included)
//   S+10    4  header word, written as 1
//   S+14    4  header word, written as 0
//   S+6+H      entries: kind (1 byte, 0 = file), name length N (4), name (N bytes, Windows-1252,
//              lower case), data length D (4), data (D bytes, each XOR the scramble key)
//   E-10    6  end magic "vyxend"
//   E-4     4  S
//
// Integers are unsigned 32-bit little-endian. The entry list has no count: it ends at the kind
// byte that equals the first byte of the end magic.
namespace archive {

constexpr unsigned char kScrambleKey = 0x5A;
constexpr char kStartMagic[] = "vyxres";
constexpr char kEndMagic[] = "vyxend";
constexpr int kMagicLength = 6;
constexpr uint32_t kHeaderLength = 12;
constexpr uint32_t kHeaderWord2 = 1;
constexpr uint32_t kHeaderWord3 = 0;
constexpr int kTrailerLength = 10;  // end magic and start offset
constexpr uint32_t kMinStartOffset = 100;
constexpr unsigned char kKindFile = 0;

// The program image carries an 11-byte marker: ten lower-case letters and a state character,
// '1' when an archive is appended to the program file, '0' when not.
constexpr int kMarkerLetters = 10;
constexpr int kMarkerLength = 11;
constexpr char kStateNoArchive = '0';
constexpr char kStateArchive = '1';
// The state character of the running program's own marker.
char markerState();
// The ten marker letters, read from the one marker object, so that no second copy of the letters
// exists in a program image.
std::string markerLetters();

uint32_t readU32(const unsigned char* p);
void appendU32(std::string& out, uint32_t value);
void scramble(unsigned char* data, size_t length, unsigned char key = kScrambleKey);

// An entry name is written as <extraction folder>/<name>: it must be a plain file name. Refused:
// empty, "." and "..", any '/' or '\\', a drive colon, and control bytes (NUL included).
bool isSafeEntryName(const char* name, size_t length);

struct Entry {
    std::string name;  // Windows-1252, already lower case
    std::string data;  // plain bytes
};

// The archive bytes for entries placed at file offset startOffset.
std::string build(const std::vector<Entry>& entries, uint32_t startOffset);

// The entries of the archive whose bytes begin at its start magic (what follows the entry list,
// the trailer and anything behind it, is not read), in archive order, data unscrambled with key.
// False when the bytes are no archive or an entry is broken: error then names the broken entry
// in the reader's words (Windows-1252), and stays empty when the bytes do not start an archive.
// An entry's name passed isSafeEntryName; its data is never empty.
bool parse(const unsigned char* bytes, size_t size, std::vector<Entry>& entries, std::string& error,
           unsigned char key = kScrambleKey);

// Decimal with "." between groups of three digits ("1.000.000"), as sizes appear in messages.
std::string grouped(uint64_t value);

// Offsets of every marker (the ten letters followed by a state character '0' or '1') in image.
std::vector<size_t> findMarkers(const std::string& image);

}  // namespace archive
