// File-name pattern with wildcards: "*" any run (longest first), "?" one unit, "%x" escapes
// (%n LF or CR LF). After a match, Captures() holds one range per wildcard, left to right.
#pragma once

#include <cstdint>
#include <vector>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawNamePattern {
public:
    // anchored: the whole name must be consumed; ignoreCase: ASCII letters folded.
    RawNamePattern(const RawString& pattern, bool anchored, bool ignoreCase);

    bool Match(const RawString& name);
    const RawRangeList& Captures() const { return captures_; }

private:
    // Reads the pattern in encoding and numbers its wildcards.
    void Prepare(StringEncoding encoding);
    // Pattern units the unit at patternPos takes: 2 for an escape, else 1.
    int32_t PatternStep(int32_t patternPos) const;
    // Name units the pattern unit at patternPos consumes at namePos; -1 when it does not match.
    int32_t MatchUnit(int32_t patternPos, int32_t namePos) const;
    bool MatchFrom(int32_t patternPos, int32_t namePos, int32_t wildcard);
    bool MatchStar(int32_t patternPos, int32_t namePos, int32_t wildcard);

    RawString pattern_;
    bool anchored_;
    bool ignoreCase_;
    RawRangeList captures_;

    RawString working_;              // pattern_ in the encoding of the last name
    std::vector<int32_t> wildcards_; // per wildcard: its number among the stars, -1 for "?"
    int32_t stars_ = 0;
    // During Match only: the name, the captures so far, and (star, name position) pairs that
    // are known to fail.
    const RawString* name_ = nullptr;
    std::vector<RawRange> found_;
    std::vector<uint8_t> knownFailures_;
};

}  // namespace RawLayer
