// RawProfile: one settings file of "[section]" headers and name=value lines. A section is read
// whole into a RawParameterList and written whole; every save goes to path + ".tmp" first and
// only a successful replace or move makes it visible, so a failed save leaves the file as it was.
// The object owns nothing but its paths and what it remembers of the file's encoding.
#pragma once

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawLineFile;

// A line that opens a section: its first unit is "[". Header lines are scanned unit by unit:
// the lines come as UTF-8, UTF-16 units or single bytes, where "[" and "]" are never part of
// another character.
bool IsSectionHeader(const RawString& line);
// Where the name of a header line ends: at its last "]" after the "[", else at the line's end.
int32_t SectionNameEnd(const RawString& header);
// The name of a header line: from its second unit to SectionNameEnd.
RawString SectionName(const RawString& header);

// A setting's integer: the whole text one number (decimal, 0x or 0b) from low to high. False,
// leaving *result alone, for anything else: a hand-edited file is hostile input, and the caller
// keeps its default.
bool ProfileInteger(const RawString& text, int32_t low, int32_t high, int32_t* result);

class RawProfile {
public:
    RawProfile();
    explicit RawProfile(const RawString& path);

    // Sets both the profile path and the file path.
    void SetPath(const RawString& path);
    const RawString& ProfilePath() const { return profilePath_; }
    const RawString& FilePath() const { return filePath_; }

    // Empties the list (a fresh body), then reads every occurrence of the section into it in
    // file order. True when the list holds at least one entry.
    bool ReadSection(RawParameterList& list, const RawString& section);
    // Replaces the section by the list's entries (at its first occurrence; later occurrences are
    // dropped) or appends it. True only when the new file was moved into place, or when the file
    // already held the section so (one header as given, the same entries): then it is not
    // touched. On false the file is unchanged and no temporary file is left.
    bool WriteSection(const RawParameterList& list, const RawString& section);
    // The key's value in the section (an empty value counts as found), else defaultValue.
    RawString GetValue(const RawString& section, const RawString& key, const RawString& defaultValue);
    // Sets one key, keeping the section's other entries; a new key goes to the end.
    bool SetValue(const RawString& section, const RawString& key, const RawString& value);

    // Longest line a profile may hold; longer ones make reads stop there and saves refuse.
    static constexpr int32_t kLongestLine = 16 * 1024 * 1024;

private:
    enum class ReadMode { Converted, WideUnits, KeptBytes };
    enum class SaveResult { Saved, Failed, Retry };

    void PrepareReader(RawLineFile& reader, ReadMode mode) const;
    bool ReadCounted(RawParameterList& list, const RawString& section, int32_t* exactHeaders);
    bool HoldsSection(const RawParameterList& list, const RawString& section);
    void Remember(const RawLineFile& reader);
    StringEncoding WriteEncoding() const;
    bool ReadsBackAlike(const RawString& written) const;
    SaveResult SaveInMode(const RawParameterList& list, const RawString& section, ReadMode mode);
    static SaveResult FillTemporary(RawLineFile& reader, bool haveOld, RawLineFile& writer,
                                    const RawParameterList& list, const RawString& section);

    RawString profilePath_;
    RawString filePath_;
    int32_t bufferSize_ = 8192;
    int32_t encoding_ = 0;       // a StringEncoding, or 8 for undetermined
    int32_t byteOrderMark_ = 0;  // 0 or 1
};

}  // namespace RawLayer
