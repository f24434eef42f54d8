#pragma once

#include "SString.h"
#include "SStringList.h"

// Regular expressions in delimited notation: the first character is the delimiter, the pattern
// runs to its last occurrence, and the letters behind it are modifiers (i m s x A D X U u).
// Compile and match errors are shown in error boxes and turn into the failure results.
class SRegExp {
public:
    SRegExp();
    virtual ~SRegExp();
    virtual const char* getClassName() const { return "SRegExp"; }

    // Appends, for every match from left to right, the whole match and each group's text to
    // results; returns the number of matches (0 also when the pattern does not compile).
    int findAll(const SString& subject, const SString& pattern, SStringList& results);
    // One search from start; the byte offset where the match begins, -1 when none.
    int findOne(const SString& subject, const SString& pattern, int start = 0);
    // Appends the whole match and each group's text of the last successful search; returns the
    // number of texts appended (0 when there was no match).
    int getResults(SStringList& results);
    // Every match replaced by the replacement text taken literally; "" when the pattern does not
    // compile.
    SString replace(const SString& subject, const SString& pattern, const SString& replacement);

    // Number of offset pairs of the last match, or the engine's negative result (-1 at start).
    int getMatchCount() const { return matchCount; }
    // Start and end byte offsets of pair i of the last match, -1 when there is none.
    int getMatchStart(int i) const;
    int getMatchEnd(int i) const;

    enum { OFFSET_COUNT = 1000 };

private:
    SRegExp(const SRegExp&) = delete;
    SRegExp& operator=(const SRegExp&) = delete;

    bool compile(const SString& delimited);
    void release();
    // One engine run; operation names the public call in the box shown without a pattern.
    bool search(const SString& text, int start, unsigned options, const char* operation);
    void appendPairs(SStringList& results, const SString& text) const;

    void* compiled;   // the engine's compiled pattern
    void* matchData;  // the engine's match block, made once with room for the pairs kept
    SString subject;
    int matchCount;
    int offsets[OFFSET_COUNT];
    bool utf8;  // compiled with the u modifier
};
