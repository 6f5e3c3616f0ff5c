#include "RawLayer/RawNamePattern.h"

#include "RawLayer/RawCodeUnits.h"

namespace RawLayer {

namespace {

// The unit an escape "%x" stands for; %n is handled by the caller.
uint32_t EscapedUnit(uint32_t code) {
    switch (code) {
        case 'B': return '[';
        case 'C': return ')';
        case 'E': return ']';
        case 'J': return '>';
        case 'K': return '<';
        case 'O': return '(';
        case 'e': return '%';
        case 'i': return ';';
        case 'l': return ':';
        case 'm': return ',';
        case 'r': return '\r';
        case 's': return ' ';
        case 't': return '\t';
        case 'q': return '"';
        case 'v': return '|';
        default: return code;
    }
}

bool IsWildcard(uint32_t unit) { return unit == '*' || unit == '?'; }

}  // namespace

RawNamePattern::RawNamePattern(const RawString& pattern, bool anchored, bool ignoreCase)
    : pattern_(pattern), anchored_(anchored), ignoreCase_(ignoreCase) {
    Prepare(pattern_.Encoding());
}

void RawNamePattern::Prepare(StringEncoding encoding) {
    working_ = RawString(pattern_, encoding);
    wildcards_.clear();
    stars_ = 0;
    for (int32_t i = 0; i < working_.Length(); i += PatternStep(i)) {
        uint32_t unit = working_.UnitAt(i);
        if (IsWildcard(unit)) wildcards_.push_back(unit == '*' ? stars_++ : -1);
    }
}

bool RawNamePattern::Match(const RawString& name) {
    // Captures are positions in name, so the pattern is read in the name's encoding.
    if (name.Encoding() != working_.Encoding()) Prepare(name.Encoding());
    name_ = &name;
    knownFailures_.assign(static_cast<size_t>(stars_) * (name.Length() + 1), 0);
    found_.assign(wildcards_.size(), RawRange{0, 0});
    bool matched = MatchFrom(0, 0, 0);
    name_ = nullptr;
    captures_.RemoveAll();
    if (matched) {
        for (const RawRange& range : found_) captures_.Add(range.start, range.end);
    }
    return matched;
}

int32_t RawNamePattern::PatternStep(int32_t patternPos) const {
    return (working_.UnitAt(patternPos) == '%' && patternPos + 1 < working_.Length()) ? 2 : 1;
}

int32_t RawNamePattern::MatchUnit(int32_t patternPos, int32_t namePos) const {
    const RawString& name = *name_;
    if (namePos >= name.Length()) return -1;
    uint32_t unit = name.UnitAt(namePos);
    if (PatternStep(patternPos) == 2) {
        uint32_t code = working_.UnitAt(patternPos + 1);
        if (code == 'n') {
            if (unit == '\n') return 1;
            return (unit == '\r' && name.UnitAt(namePos + 1) == '\n' && namePos + 1 < name.Length()) ? 2 : -1;
        }
        return unit == EscapedUnit(code) ? 1 : -1;
    }
    uint32_t want = working_.UnitAt(patternPos);
    if (ignoreCase_) return FoldAscii(unit) == FoldAscii(want) ? 1 : -1;
    return unit == want ? 1 : -1;
}

// Matches the pattern from patternPos on against the name from namePos on. Only "*" recurses,
// so the depth is bounded by the number of stars.
bool RawNamePattern::MatchFrom(int32_t patternPos, int32_t namePos, int32_t wildcard) {
    int32_t patternEnd = working_.Length();
    while (patternPos < patternEnd) {
        uint32_t unit = working_.UnitAt(patternPos);
        if (unit == '*') return MatchStar(patternPos + 1, namePos, wildcard);
        if (unit == '?') {
            if (namePos >= name_->Length()) return false;
            found_[wildcard++] = RawRange{namePos, namePos + 1};
            ++namePos;
            ++patternPos;
            continue;
        }
        int32_t used = MatchUnit(patternPos, namePos);
        if (used < 0) return false;
        namePos += used;
        patternPos += PatternStep(patternPos);
    }
    return !anchored_ || namePos == name_->Length();
}

// Longest first: the star takes as much of the name as still lets the rest match. Failures are
// remembered per (star, name position), so many stars cost polynomial, not exponential, time.
bool RawNamePattern::MatchStar(int32_t patternPos, int32_t namePos, int32_t wildcard) {
    int32_t star = wildcards_[wildcard];
    size_t known = static_cast<size_t>(star) * (name_->Length() + 1) + namePos;
    if (knownFailures_[known]) return false;
    for (int32_t end = name_->Length(); end >= namePos; --end) {
        if (MatchFrom(patternPos, end, wildcard + 1)) {
            found_[wildcard] = RawRange{namePos, end};
            return true;
        }
    }
    knownFailures_[known] = 1;
    return false;
}

}  // namespace RawLayer
