// The language store, the dialogs' text maps and the escaped storage form of texts.
#include "RawLayer/RawLanguageTexts.h"

#include "RawLayer/RawFile.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawSpecialPath.h"

namespace RawLayer {

namespace {

UiLanguageSource g_uiLanguageSource = nullptr;

LANGID CurrentUiLanguage() { return g_uiLanguageSource ? g_uiLanguageSource() : GetUserDefaultUILanguage(); }

const RawString& LangMapSection() {
    static const RawString name("LangMap");
    return name;
}

const RawString& DefaultSection() {
    static const RawString name("Default");
    return name;
}

const RawString& LanguageFileName() {
    static const RawString name("LanguageFile.ini");
    return name;
}

const RawString& AutoItemText() {
    static const RawString text("(Auto)");
    return text;
}

RawString MakeKey(const RawString& tableName, const RawString& tag) {
    static const RawString separator("_");
    RawString key(tableName);
    key.Concat(separator, tag);
    return key;
}

// The identifier a language map value names: decimal, 0x hexadecimal or 0b binary; 0 when the
// text does not start with a number.
int32_t LanguageId(const RawString& value) { return static_cast<int32_t>(value.ParseNumber().Signed()); }

// The name of a "[...]" header line: up to its last "]", or to the end when it has none.
RawString SectionName(const RawString& line) {
    static const RawString bracket("]");
    const int32_t end = line.FindLastOf(bracket, 1, line.Length());
    return RawString::FromRange(line, 1, end);
}

// One entry per section header of the file, in file order; empty names are left out, as no
// language can be chosen by them.
void ListSections(const RawString& path, RawParameterList& languages) {
    RawLineFile reader(path);
    if (!reader.OpenRead()) return;
    for (LineRecord line = reader.NextLine(); line.found; line = reader.NextLine()) {
        if (line.text.UnitAt(0) != '[') continue;
        const RawString name = SectionName(line.text);
        if (!name.IsEmpty()) languages.Add(name);
    }
    reader.Close();
}

void RemoveFirstNamed(RawParameterList& list, const RawString& name) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->name.EqualsIgnoreCase(name)) {
            list.Remove(it.Node());
            return;
        }
    }
}

void AppendMenuItem(HMENU popup, UINT identifier, const RawString& text, bool checked) {
    const UINT flags = MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED);
    switch (text.NativeCallForm()) {
        case WideDirect:
            AppendMenuW(popup, flags, identifier, text.WideUnits());
            break;
        case WideConverted: {
            const RawString wide(text, Wide);
            AppendMenuW(popup, flags, identifier, wide.WideUnits());
            break;
        }
        default:
            AppendMenuA(popup, flags, identifier, text.Bytes());
            break;
    }
}

bool IsControlLetter(uint32_t unit) { return unit == 'n' || unit == 't' || unit == 's'; }

// Appends what backslash n, t or s stands for.
void AppendControl(RawString& result, uint32_t letter) {
    if (letter == 'n') {
        result.Append('\r');
        result.Append('\n');
    } else {
        result.Append(letter == 't' ? '\t' : ' ');
    }
}

}  // namespace

class RawLanguageTexts::Lock {
public:
    explicit Lock(const RawLanguageTexts& store) : lock_(&store.lock_) { EnterCriticalSection(lock_); }
    ~Lock() { LeaveCriticalSection(lock_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

RawLanguageTexts::RawLanguageTexts() { InitializeCriticalSection(&lock_); }

RawLanguageTexts::~RawLanguageTexts() { DeleteCriticalSection(&lock_); }

void RawLanguageTexts::SetFilePath(const RawString& path) {
    Lock hold(*this);
    filePath_ = path;
}

RawString RawLanguageTexts::FilePath() const {
    Lock hold(*this);
    return filePath_;
}

void RawLanguageTexts::SetLanguageName(const RawString& name) {
    Lock hold(*this);
    languageName_ = name;
}

RawString RawLanguageTexts::LanguageName() const {
    Lock hold(*this);
    return languageName_;
}

RawString RawLanguageTexts::CurrentSection() const {
    Lock hold(*this);
    return currentSection_;
}

RawParameterList RawLanguageTexts::LanguageMap() const {
    Lock hold(*this);
    return languageMap_;
}

void RawLanguageTexts::FindLanguageFile(const RawString& configFolder) {
    if (!FilePath().IsEmpty()) return;
    RawString found;
    // An empty folder would name a file in whatever the current directory is.
    if (!configFolder.IsEmpty()) found = JoinPath(configFolder, LanguageFileName());
    if (found.IsEmpty() || !IsFile(found)) found = JoinPath(ModuleDirectory(Utf8), LanguageFileName());
    if (!IsFile(found)) return;
    Lock hold(*this);
    if (filePath_.IsEmpty()) filePath_ = found;
}

void RawLanguageTexts::LoadLanguageMap() {
    Lock hold(*this);
    if (filePath_.IsEmpty()) return;
    RawProfile profile(filePath_);
    if (profile.ReadSection(languageMap_, LangMapSection())) {
        for (RawParameterUnit& unit : languageMap_) unit.tag = LanguageId(unit.value);
        return;
    }
    languageMap_.Reset();
    ListSections(filePath_, languageMap_);
    RemoveFirstNamed(languageMap_, LangMapSection());
}

RawString RawLanguageTexts::AutoSection() const {
    Lock hold(*this);
    const int32_t language = CurrentUiLanguage();
    for (const RawParameterUnit& unit : languageMap_) {
        // Tag 0 marks a language without identifier, never an automatic choice.
        if (unit.tag != 0 && unit.tag == language) return unit.name;
    }
    return DefaultSection();
}

void RawLanguageTexts::SelectSection(const RawString& name) {
    Lock hold(*this);
    currentSection_ = name.IsEmpty() ? AutoSection() : name;
    if (filePath_.IsEmpty()) {
        fileTexts_.Reset();
        return;
    }
    RawProfile profile(filePath_);
    // A new language starts as a copy of every default known so far.
    if (!profile.ReadSection(fileTexts_, currentSection_)) profile.WriteSection(defaultTexts_, currentSection_);
}

void RawLanguageTexts::RegisterTexts(const RawString& tableName, const RawLocaleRecord* table) {
    Lock hold(*this);
    if (!table || registeredTables_.Contains(table)) return;
    registeredTables_.Add(const_cast<RawLocaleRecord*>(table));  // the list only points at it
    for (const RawLocaleRecord* record = table; !record->tag.IsEmpty(); ++record) {
        defaultTexts_.FindOrAdd(MakeKey(tableName, record->tag))->value = EscapeText(record->defaultText);
    }
}

RawString RawLanguageTexts::GetText(const RawString& tableName, const RawString& tag) {
    Lock hold(*this);
    const RawString key = MakeKey(tableName, tag);
    if (const RawParameterUnit* unit = fileTexts_.Find(key)) return unit->value;
    dirty_ = true;
    if (const RawParameterUnit* unit = defaultTexts_.Find(key)) return unit->value;
    defaultTexts_.Add(key, tag);
    return tag;
}

void RawLanguageTexts::SaveTexts() {
    Lock hold(*this);
    if (!dirty_ || filePath_.IsEmpty()) return;
    dirty_ = false;
    RawParameterList merged;
    for (const RawParameterUnit& unit : defaultTexts_) merged.Add(unit.name, unit.value);
    // File texts win over defaults; of a key the file holds twice, the first (the one shown) stays.
    constexpr int32_t kFromFile = 1;
    for (const RawParameterUnit& unit : fileTexts_) {
        RawParameterUnit* entry = merged.FindOrAdd(unit.name);
        if (entry->tag == kFromFile) continue;
        entry->value = unit.value;
        entry->tag = kFromFile;
    }
    RawParameterListSort byKey(merged);
    merged.Sort(byKey);
    RawProfile(filePath_).WriteSection(merged, currentSection_);
}

bool RawLanguageTexts::FillLanguageMenu(HMENU popup, RawParameterList& languages) const {
    RawString current;
    {
        Lock hold(*this);
        languages = languageMap_;
        current = languageName_;
    }
    if (!popup || languages.Count() < 2) return false;
    AppendMenuItem(popup, kLanguageMenuAuto, AutoItemText(), current.IsEmpty());
    UINT identifier = kLanguageMenuAuto + 1;
    for (const RawParameterUnit& unit : languages) {
        if (identifier > kLanguageMenuLast) break;
        AppendMenuItem(popup, identifier++, unit.name, unit.name.Equals(current));
    }
    return true;
}

RawString RawLanguageTexts::ChooseLanguage(int32_t position) {
    Lock hold(*this);
    int32_t index = 1;
    for (const RawParameterUnit& unit : languageMap_) {
        if (index++ == position) {
            languageName_ = unit.name;
            return languageName_;
        }
    }
    languageName_ = RawString();
    currentSection_ = AutoSection();
    return RawString();
}

RawLanguageTexts& LanguageTexts() {
    static RawLanguageTexts store;
    return store;
}

void SetUiLanguageSource(UiLanguageSource source) { g_uiLanguageSource = source; }

RawString EscapeText(const RawString& text) { return text.EscapeControls(); }

RawString UnescapeText(const RawString& text) {
    RawString result(text.Encoding(), text.Length());
    const int32_t length = text.Length();
    for (int32_t pos = 0; pos < length;) {
        int32_t start = pos;
        if (text.UnitAt(pos) == '\\' && pos + 1 < length) {
            const uint32_t next = text.UnitAt(pos + 1);
            if (IsControlLetter(next)) {
                AppendControl(result, next);
                pos += 2;
                continue;
            }
            start = pos + 1;  // any other character stands for itself, a backslash too
        }
        int32_t end = start + text.TrailCount(start) + 1;
        if (end > length) end = length;
        result.AppendRange(text, start, end);
        pos = end;
    }
    return result;
}

// ---- RawTextMap ----

RawTextMap::RawTextMap(const RawString& tableName, const RawLocaleRecord* table) : tableName_(tableName) {
    LanguageTexts().RegisterTexts(tableName_, table);
}

RawTextMap::~RawTextMap() { LanguageTexts().SaveTexts(); }

RawString RawTextMap::Text(const RawString& tag) const {
    return UnescapeText(LanguageTexts().GetText(tableName_, tag));
}

}  // namespace RawLayer
