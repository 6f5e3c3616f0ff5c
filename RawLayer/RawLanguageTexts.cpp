// The language store, the dialogs' text maps and the escaped storage form of texts.
#include "RawLayer/RawLanguageTexts.h"

#include "RawLayer/RawFile.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/RawPath.h"
#include "RawLayer/RawPhaseClock.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawScopedLock.h"
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

RawString MakeKey(const RawString& tableName, const RawString& tag) {
    static const RawString separator("_");
    RawString key(tableName);
    key.Concat(separator, tag);
    return key;
}

// The identifier a language map value names: decimal, 0x hexadecimal or 0b binary; 0 (none)
// when the text is not one whole number that fits a LANGID.
int32_t LanguageId(const RawString& value) {
    int32_t id = 0;
    ProfileInteger(value, 0, 0xFFFF, &id);
    return id;
}

// One entry per section header of the file, in file order; empty names are left out, as no
// language can be chosen by them.
void ListSections(const RawString& path, RawParameterList& languages) {
    RawLineFile reader(path);
    if (!reader.OpenRead()) return;
    for (LineRecord line = reader.NextLine(); line.found; line = reader.NextLine()) {
        if (!IsSectionHeader(line.text)) continue;
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

}  // namespace

RawLanguageTexts::RawLanguageTexts() { InitializeCriticalSection(&lock_); }

RawLanguageTexts::~RawLanguageTexts() { DeleteCriticalSection(&lock_); }

void RawLanguageTexts::SetFilePath(const RawString& path) {
    RawScopedLock hold(lock_);
    filePath_ = path;
}

RawString RawLanguageTexts::FilePath() const {
    RawScopedLock hold(lock_);
    return filePath_;
}

void RawLanguageTexts::SetLanguageName(const RawString& name) {
    RawScopedLock hold(lock_);
    languageName_ = name;
}

RawString RawLanguageTexts::LanguageName() const {
    RawScopedLock hold(lock_);
    return languageName_;
}

RawString RawLanguageTexts::CurrentSection() const {
    RawScopedLock hold(lock_);
    return currentSection_;
}

RawParameterList RawLanguageTexts::LanguageMap() const {
    RawScopedLock hold(lock_);
    return languageMap_;
}

void RawLanguageTexts::FindLanguageFile(const RawString& configFolder) {
    if (!FilePath().IsEmpty()) return;
    RawString found;
    // An empty folder would name a file in whatever the current directory is.
    if (!configFolder.IsEmpty()) found = JoinPath(configFolder, LanguageFileName());
    if (found.IsEmpty() || !IsFile(found)) found = JoinPath(ModuleDirectory(Utf8), LanguageFileName());
    if (!IsFile(found)) return;
    RawScopedLock hold(lock_);
    if (filePath_.IsEmpty()) filePath_ = found;
}

void RawLanguageTexts::LoadLanguageMap() {
    RawScopedLock hold(lock_);
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
    RawScopedLock hold(lock_);
    const int32_t language = CurrentUiLanguage();
    for (const RawParameterUnit& unit : languageMap_) {
        // Tag 0 marks a language without identifier, never an automatic choice.
        if (unit.tag != 0 && unit.tag == language) return unit.name;
    }
    return DefaultSection();
}

void RawLanguageTexts::SelectSection(const RawString& name) {
    RawScopedLock hold(lock_);
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
    RawScopedLock hold(lock_);
    if (!table || registeredTables_.Contains(table)) return;
    registeredTables_.Add(const_cast<RawLocaleRecord*>(table));  // the list only points at it
    for (const RawLocaleRecord* record = table; !record->tag.IsEmpty(); ++record) {
        defaultTexts_.FindOrAdd(MakeKey(tableName, record->tag))->value = EscapeText(record->defaultText);
    }
}

RawString RawLanguageTexts::GetText(const RawString& tableName, const RawString& tag) {
    RawScopedLock hold(lock_);
    const RawString key = MakeKey(tableName, tag);
    if (const RawParameterUnit* unit = fileTexts_.Find(key)) return unit->value;
    dirty_ = true;
    if (const RawParameterUnit* unit = defaultTexts_.Find(key)) return unit->value;
    defaultTexts_.Add(key, tag);
    return tag;
}

void RawLanguageTexts::SaveTexts() {
    RawScopedLock hold(lock_);
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
    KAIRODEX_PHASE("language texts saved");
}

RawString RawLanguageTexts::ChooseLanguage(int32_t position) {
    RawScopedLock hold(lock_);
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

RawString UnescapeText(const RawString& text) { return text.UnescapeControls(); }

// ---- RawTextMap ----

RawTextMap::RawTextMap(const RawString& tableName, const RawLocaleRecord* table) : tableName_(tableName) {
    LanguageTexts().RegisterTexts(tableName_, table);
}

RawTextMap::~RawTextMap() { LanguageTexts().SaveTexts(); }

// Longest text a dialog is given: a hand-edited file may hold a line of megabytes, which the
// layout would measure and add up.
constexpr int32_t kLongestText = 1024;

RawString RawTextMap::Text(const RawString& tag) const {
    RawString text = UnescapeText(LanguageTexts().GetText(tableName_, tag));
    if (text.Length() <= kLongestText) return text;
    // Cut at a character boundary: never inside a UTF-8 sequence or a surrogate pair.
    int32_t end = kLongestText;
    const StringEncoding encoding = text.Encoding();
    while (end > 0 && ((encoding == Utf8 && (text.UnitAt(end) & 0xC0) == 0x80) ||
                       (encoding == Wide && text.UnitAt(end) >= 0xDC00 && text.UnitAt(end) <= 0xDFFF))) {
        --end;
    }
    text.Truncate(end);
    return text;
}

}  // namespace RawLayer
