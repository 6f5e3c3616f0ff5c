#include "RawLayer/RawProfile.h"

#include <cwchar>

#include "RawLayer/RawFile.h"
#include "RawLayer/RawHandleOwner.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/RawPhaseClock.h"

namespace RawLayer {

namespace {

constexpr int kReadModes = 3;  // ReadMode values, tried in order
// How long a save waits for another process's save of the same file.
constexpr DWORD kSaveTurnWait = 10000;

// Saves of one file take turns across processes: they share the ".tmp" name, and each copies
// the old file into its new one, so two at once could move a half-written file into place or
// lose the other's section. One named mutex per path (ASCII letters folded, hashed) holds them
// apart; a holder that died leaves it abandoned, which hands it on all the same. The owning
// thread may take it again (SetValue reads and then writes within one turn).
class SaveTurn {
public:
    explicit SaveTurn(const RawString& path) {
        const RawString wide(path, Wide);
        uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (int32_t i = 0; i < wide.Length(); ++i) {
            uint32_t unit = wide.UnitAt(i);
            if (unit >= 'a' && unit <= 'z') unit -= 'a' - 'A';
            hash = (hash ^ unit) * 1099511628211ull;
        }
        wchar_t name[] = L"Local\\KairodexProfileSave.0000000000000000";
        for (wchar_t* digit = name + wcslen(name) - 1; hash != 0; --digit, hash >>= 4) {
            *digit = L"0123456789abcdef"[hash & 15];
        }
        mutex_.Reset(CreateMutexW(nullptr, FALSE, name));
        if (!mutex_.IsValid()) return;
        const DWORD waited = WaitForSingleObject(mutex_.Get(), kSaveTurnWait);
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~SaveTurn() {
        if (held_) ReleaseMutex(mutex_.Get());
    }
    SaveTurn(const SaveTurn&) = delete;
    SaveTurn& operator=(const SaveTurn&) = delete;
    bool Held() const { return held_; }

private:
    KernelHandle mutex_;
    bool held_ = false;
};

const RawString& TempSuffix() {
    static const RawString text(".tmp");
    return text;
}

const RawString& EqualsSign() {
    static const RawString text("=");
    return text;
}

const RawString& NulUnit() {
    static const RawString text = RawString::FromUnits("", 1, Utf8);
    return text;
}

// The parser scans unit by unit: the lines it gets are UTF-8 (converted or kept as bytes),
// UTF-16 units or single bytes, where "[", "]", "=", "/" and NUL never belong to another
// character, so even text that does not decode is split where its bytes say.
int32_t FindUnitFrom(const RawString& text, uint32_t unit, int32_t from, int32_t end) {
    for (int32_t pos = from; pos < end; ++pos) {
        if (text.UnitAt(pos) == unit) return pos;
    }
    return end;
}

// ASCII letters folded; texts of different encodings are compared as UTF-16.
bool SameName(const RawString& text, int32_t first, int32_t end, const RawString& name) {
    if (text.Encoding() == name.Encoding()) return text.RangeEqualsIgnoreCase(first, end, name, 0, name.Length());
    const RawString wideText = RawString::FromRange(text, first, end, Wide);
    const RawString wideName(name, Wide);
    return wideText.RangeEqualsIgnoreCase(0, wideText.Length(), wideName, 0, wideName.Length());
}

RawParameterUnit* FindKey(const RawParameterList& list, const RawString& key) {
    for (RawParameterUnit& unit : list) {
        if (SameName(unit.name, 0, unit.name.Length(), key)) return &unit;
    }
    return nullptr;
}

RawString Header(const RawString& text, int32_t first, int32_t end) {
    RawString header(text.Encoding(), end - first + 2);
    header.Append('[');
    header.AppendRange(text, first, end);
    header.Append(']');
    return header;
}

bool IsAscii(const RawString& text) {
    for (int32_t pos = 0; pos < text.Length(); ++pos) {
        if (text.UnitAt(pos) >= 0x80) return false;
    }
    return true;
}

// The same units meaning the same text: of one encoding, or both plain ASCII (a file's ASCII
// lines come tagged as ANSI bytes).
bool SameUnits(const RawString& a, const RawString& b) {
    return a.Equals(b) && (a.Encoding() == b.Encoding() || (IsAscii(a) && IsAscii(b)));
}

// A file whose bytes decode as no known text is written in the ANSI code page, and is read
// again by guessing from its bytes: new non-ASCII text there could come back as other
// characters. Texts read from the file (kept as its own bytes, tagged Ansi) go back unchanged.
bool FitsUndeterminedFile(const RawParameterList& list, const RawString& section) {
    if (!IsAscii(section)) return false;
    for (const RawParameterUnit& unit : list) {
        for (const RawString* text : {&unit.name, &unit.value}) {
            if (text->Encoding() != Ansi && !IsAscii(*text)) return false;
        }
    }
    return true;
}

// One line of a section: empty lines and "//" comments give nothing; otherwise each segment
// between NUL units is one entry, split at its first "=".
void ParseEntries(const RawString& line, RawParameterList& list) {
    const int32_t length = line.Length();
    if (length == 0 || (line.UnitAt(0) == '/' && line.UnitAt(1) == '/')) return;
    for (int32_t start = 0; start < length;) {
        const int32_t end = FindUnitFrom(line, 0, start, length);
        if (end > start) {
            const int32_t equals = FindUnitFrom(line, '=', start, end);
            const int32_t valueStart = equals < end ? equals + 1 : end;
            list.Add(RawString::FromRange(line, start, equals), RawString::FromRange(line, valueStart, end));
        }
        start = end + 1;
    }
}

// Returns how many headers named the section; exactHeaders counts those that name it with the
// same units, as a save would write it.
int32_t ParseSections(RawLineFile& reader, RawParameterList& list, const RawString& section, int32_t* exactHeaders) {
    int32_t headers = 0;
    LineRecord line = reader.NextLine();
    while (line.found && !IsSectionHeader(line.text)) line = reader.NextLine();
    while (line.found) {
        const int32_t nameEnd = SectionNameEnd(line.text);
        const bool wanted = SameName(line.text, 1, nameEnd, section);
        if (wanted) ++headers;
        if (wanted && SameUnits(RawString::FromRange(line.text, 1, nameEnd), section)) {
            ++*exactHeaders;
        }
        for (line = reader.NextLine(); line.found && !IsSectionHeader(line.text); line = reader.NextLine()) {
            if (wanted) ParseEntries(line.text, list);
        }
    }
    return headers;
}

// Same names and values in the same order, each of the same encoding or plain ASCII.
bool SameEntries(const RawParameterList& a, const RawParameterList& b) {
    if (a.Count() != b.Count()) return false;
    auto other = b.begin();
    for (const RawParameterUnit& unit : a) {
        if (!SameUnits(unit.name, other->name) || !SameUnits(unit.value, other->value)) return false;
        ++other;
    }
    return true;
}

void WriteEntries(RawLineFile& writer, const RawParameterList& list, const RawString& section) {
    writer.WriteLine(Header(section, 0, section.Length()));
    for (const RawParameterUnit& unit : list) {
        // A name that begins with "[" (read after a NUL, or given) would read back as a header
        // and take the entries after it into another section; a NUL in front keeps it an entry.
        if (IsSectionHeader(unit.name)) writer.WriteText(NulUnit());
        writer.WriteText(unit.name);
        writer.WriteText(EqualsSign());
        writer.WriteLine(unit.value);
    }
    writer.WriteLine(EmptyString());
}

// Copies the file, its other sections with their headers rebuilt from their names, putting the
// list in place of the section's first occurrence and dropping later ones (their entries are in
// the list when it was read from this file). True when the section was there.
bool CopyReplacing(RawLineFile& reader, RawLineFile& writer, const RawParameterList& list, const RawString& section) {
    bool placed = false;
    LineRecord line = reader.NextLine();
    for (; line.found && !IsSectionHeader(line.text); line = reader.NextLine()) writer.WriteLine(line.text);
    while (line.found) {
        const int32_t nameEnd = SectionNameEnd(line.text);
        const bool match = SameName(line.text, 1, nameEnd, section);
        if (!match) writer.WriteLine(Header(line.text, 1, nameEnd));
        if (match && !placed) WriteEntries(writer, list, section);
        placed = placed || match;
        for (line = reader.NextLine(); line.found && !IsSectionHeader(line.text); line = reader.NextLine()) {
            if (!match) writer.WriteLine(line.text);
        }
    }
    return placed;
}

// Plain ASCII and new files become UTF-8; undetermined text stays in the ANSI code page, so
// its lines, kept as Ansi bytes, pass unchanged.
StringEncoding WriteEncodingFor(int32_t encoding) {
    if (encoding == Ansi) return Utf8;
    if (encoding == kUndetermined) return Ansi;
    return static_cast<StringEncoding>(encoding);
}

}  // namespace

bool IsSectionHeader(const RawString& line) { return line.UnitAt(0) == '['; }

int32_t SectionNameEnd(const RawString& header) {
    for (int32_t pos = header.Length() - 1; pos >= 1; --pos) {
        if (header.UnitAt(pos) == ']') return pos;
    }
    return header.Length();
}

bool ProfileInteger(const RawString& text, int32_t low, int32_t high, int32_t* result) {
    int64_t value = 0;
    if (!text.ParseNumber().Within(low, high, &value)) return false;
    *result = static_cast<int32_t>(value);
    return true;
}

RawString SectionName(const RawString& header) { return RawString::FromRange(header, 1, SectionNameEnd(header)); }

RawProfile::RawProfile() = default;

RawProfile::RawProfile(const RawString& path) : profilePath_(path), filePath_(path) {}

void RawProfile::SetPath(const RawString& path) {
    profilePath_ = path;
    filePath_ = path;
}

// Converted: lines as UTF-8. A file that does not convert cleanly is read again, as UTF-16
// units when it is UTF-16 and else as its own bytes (undetermined), so nothing is lost.
void RawProfile::PrepareReader(RawLineFile& reader, ReadMode mode) const {
    reader.SetBufferLimit(kLongestLine);
    reader.SetFlags(RawLineFile::kTagUnknownAsAnsi);
    if (mode == ReadMode::WideUnits) reader.SetRequestedEncoding(Wide);
    if (mode == ReadMode::KeptBytes) reader.SetDetectionFlags(RawLineFile::kLookForMark | RawLineFile::kSkipMark);
}

void RawProfile::Remember(const RawLineFile& reader) {
    encoding_ = reader.DetectedEncoding();
    byteOrderMark_ = reader.ByteOrderMarkKind() != Ansi ? 1 : 0;
}

StringEncoding RawProfile::WriteEncoding() const { return WriteEncodingFor(encoding_); }

// A file whose encoding was guessed from its bytes may be guessed otherwise once new text is
// in it, and then its other texts read as other characters: such a save is not made. The new
// file is read as the next read will take it, in the modes a read tries.
bool RawProfile::ReadsBackAlike(const RawString& written) const {
    if (byteOrderMark_ != 0) return true;  // the mark names the encoding
    RawProfile again(written);
    again.bufferSize_ = bufferSize_;
    RawParameterList list;
    again.ReadSection(list, RawString());
    return again.WriteEncoding() == WriteEncoding();
}

bool RawProfile::ReadSection(RawParameterList& list, const RawString& section) {
    int32_t exactHeaders = 0;
    ReadCounted(list, section, &exactHeaders);
    return list.Count() > 0;
}

// True when the whole file was read and one header named the section; a read that stopped
// early (a line too long, a read error) cannot say the section is whole.
bool RawProfile::ReadCounted(RawParameterList& list, const RawString& section, int32_t* exactHeaders) {
    int32_t headers = 0;
    for (int mode = 0; mode < kReadModes; ++mode) {
        list.Reset();
        RawLineFile reader(filePath_, bufferSize_);
        PrepareReader(reader, static_cast<ReadMode>(mode));
        if (!reader.OpenRead()) return false;
        Remember(reader);
        *exactHeaders = 0;
        headers = ParseSections(reader, list, section, exactHeaders);
        if (reader.State() != LineFileState::ConversionFailed) return reader.Close() && headers == 1;
    }
    return false;
}

// The file already holds the section as a save would write it: one header, the same entries.
bool RawProfile::HoldsSection(const RawParameterList& list, const RawString& section) {
    RawParameterList stored;
    int32_t exactHeaders = 0;
    return ReadCounted(stored, section, &exactHeaders) && exactHeaders == 1 && SameEntries(stored, list);
}

bool RawProfile::WriteSection(const RawParameterList& list, const RawString& section) {
    if (filePath_.IsEmpty()) return false;
    const SaveTurn turn(filePath_);
    if (!turn.Held()) return false;
    // Nothing to change: the file, and its last-write time, stay as they are.
    if (HoldsSection(list, section)) return true;
    for (int mode = 0; mode < kReadModes; ++mode) {
        const SaveResult result = SaveInMode(list, section, static_cast<ReadMode>(mode));
        KAIRODEX_PHASE("profile section written");
        if (result != SaveResult::Retry) return result == SaveResult::Saved;
    }
    return false;
}

// Writes the new file: the old one copied through with the section in place, or the section
// appended. A read that stopped early refuses; one that failed to decode asks for another mode.
RawProfile::SaveResult RawProfile::FillTemporary(RawLineFile& reader, bool haveOld, RawLineFile& writer,
                                                 const RawParameterList& list, const RawString& section) {
    const bool placed = haveOld && CopyReplacing(reader, writer, list, section);
    const LineFileState readState = reader.State();
    if (haveOld && !reader.Close()) {
        return readState == LineFileState::ConversionFailed ? SaveResult::Retry : SaveResult::Failed;
    }
    if (!placed) WriteEntries(writer, list, section);
    return writer.Close() ? SaveResult::Saved : SaveResult::Failed;
}

RawProfile::SaveResult RawProfile::SaveInMode(const RawParameterList& list, const RawString& section, ReadMode mode) {
    RawLineFile reader(filePath_, bufferSize_);
    PrepareReader(reader, mode);
    const bool haveOld = reader.OpenRead();
    if (!haveOld && Exists(filePath_)) return SaveResult::Failed;
    if (haveOld) Remember(reader);
    // Only the last mode settles on undetermined text; the others retry when they meet it.
    if (mode == ReadMode::KeptBytes && haveOld && encoding_ == kUndetermined && !FitsUndeterminedFile(list, section)) {
        return SaveResult::Failed;
    }
    RawString temporary(filePath_);
    temporary.Concat(TempSuffix());
    RawLineFile writer(temporary, bufferSize_);
    if (!writer.CreateWrite(CREATE_ALWAYS)) return SaveResult::Failed;
    writer.SetRequestedEncoding(WriteEncoding());
    writer.SetWriteSignature(byteOrderMark_ != 0);
    writer.BeginWrite();
    SaveResult filled = FillTemporary(reader, haveOld, writer, list, section);
    if (filled == SaveResult::Saved && !ReadsBackAlike(temporary)) {
        filled = SaveResult::Failed;
    }
    if (filled == SaveResult::Saved &&
        (haveOld ? MoveOver(temporary, filePath_) : MoveIntoPlace(temporary, filePath_))) {
        return SaveResult::Saved;
    }
    writer.Close();
    DeleteFileAt(temporary);
    return filled == SaveResult::Retry ? SaveResult::Retry : SaveResult::Failed;
}

RawString RawProfile::GetValue(const RawString& section, const RawString& key, const RawString& defaultValue) {
    RawParameterList list;
    if (!ReadSection(list, section)) return defaultValue;
    const RawParameterUnit* unit = FindKey(list, key);
    return unit ? unit->value : defaultValue;
}

bool RawProfile::SetValue(const RawString& section, const RawString& key, const RawString& value) {
    if (filePath_.IsEmpty()) return false;
    const SaveTurn turn(filePath_);
    if (!turn.Held()) return false;
    RawParameterList list;
    ReadSection(list, section);
    RawParameterUnit* unit = FindKey(list, key);
    if (unit == nullptr) unit = list.Add(key);
    unit->value = value;
    return WriteSection(list, section);
}

}  // namespace RawLayer
