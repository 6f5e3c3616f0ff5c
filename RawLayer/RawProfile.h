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
    // dropped) or appends it. True only when the new file was moved into place; on false the
    // file is unchanged and no temporary file is left.
    bool WriteSection(const RawParameterList& list, const RawString& section);
    // The key's value in the section (an empty value counts as found), else defaultValue.
    RawString GetValue(const RawString& section, const RawString& key, const RawString& defaultValue);
    // Sets one key, keeping the section's other entries; a new key goes to the end.
    bool SetValue(const RawString& section, const RawString& key, const RawString& value);

    // What the last read of the file found: its encoding (0 none yet or plain ASCII, 8 when the
    // content did not decode cleanly and is kept as bytes) and whether it had a byte-order mark.
    int32_t RememberedEncoding() const { return encoding_; }
    bool RememberedByteOrderMark() const { return byteOrderMark_ != 0; }

    // Longest line a profile may hold; longer ones make reads stop there and saves refuse.
    static constexpr int32_t kLongestLine = 16 * 1024 * 1024;

private:
    enum class ReadMode { Converted, WideUnits, KeptBytes };
    enum class SaveResult { Saved, Failed, Retry };

    void PrepareReader(RawLineFile& reader, ReadMode mode) const;
    void Remember(const RawLineFile& reader);
    StringEncoding WriteEncoding() const;
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
