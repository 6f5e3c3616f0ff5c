// User-interface texts from the language file: one section per language, keys made of a table
// name, "_" and a tag, values stored escaped. RawLanguageTexts is the process-wide store (made on
// first use by LanguageTexts(), kept to the end); it does not own the registered tables, which
// are static data of the dialogs. RawTextMap is a dialog's handle on one table.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

class RawLanguageTexts {
public:
    RawLanguageTexts();
    ~RawLanguageTexts();
    RawLanguageTexts(const RawLanguageTexts&) = delete;
    RawLanguageTexts& operator=(const RawLanguageTexts&) = delete;

    // Empty path: no language file, every text is its default and nothing is written.
    void SetFilePath(const RawString& path);
    RawString FilePath() const;
    // Empty name: chosen automatically from the user's interface language.
    void SetLanguageName(const RawString& name);
    RawString LanguageName() const;
    RawString CurrentSection() const;
    // A shared copy of the language map (name = language, value = identifier text, tag = LANGID).
    RawParameterList LanguageMap() const;

    // Without a path set, takes "LanguageFile.ini" from configFolder, else from the executable's
    // folder, whichever exists first.
    void FindLanguageFile(const RawString& configFolder);
    // Reads the "LangMap" section, or lists the file's sections in file order when it has none.
    void LoadLanguageMap();
    // The first language whose identifier is the user's interface language, else "Default".
    RawString AutoSection() const;
    // Makes the section current (empty name: the automatic choice) and reads its texts; an absent
    // or empty section is written from the defaults registered so far.
    void SelectSection(const RawString& name);

    // Registers a table ending with a record whose tag is empty; the table must outlive the store.
    void RegisterTexts(const RawString& tableName, const RawLocaleRecord* table);
    // The stored (escaped) text of table name + "_" + tag: from the file, else the default, else
    // the tag itself.
    RawString GetText(const RawString& tableName, const RawString& tag);
    // Writes the current section back, sorted by key, when some lookup missed the file.
    void SaveTexts();

    // The choice of language menu item `position` (0 = "(Auto)"): the language name it selects, empty for
    // the automatic choice, whose section also becomes current at once.
    RawString ChooseLanguage(int32_t position);

private:
    RawString filePath_;
    RawString languageName_;
    RawString currentSection_;
    RawParameterList languageMap_;
    RawParameterList fileTexts_;
    RawParameterList defaultTexts_;
    RawLocaleRecordList registeredTables_;  // does not own the tables
    bool dirty_ = false;
    mutable CRITICAL_SECTION lock_;
};

RawLanguageTexts& LanguageTexts();

// Source of the user's interface language; tests put their own in, nullptr restores the
// platform's GetUserDefaultUILanguage.
using UiLanguageSource = LANGID(WINAPI*)();
void SetUiLanguageSource(UiLanguageSource source);

// Storage form of a text: line breaks become backslash n, tabs backslash t.
RawString EscapeText(const RawString& text);
// Display form: backslash n gives CR LF, t a tab, s a space, any other unit itself; a backslash
// that ends the text stays a backslash.
RawString UnescapeText(const RawString& text);

// A dialog's texts: registers its table with the language store at construction and saves the
// language file when destroyed.
class RawTextMap {
public:
    RawTextMap(const RawString& tableName, const RawLocaleRecord* table);
    ~RawTextMap();
    RawTextMap(const RawTextMap&) = delete;
    RawTextMap& operator=(const RawTextMap&) = delete;

    // The text for tag, ready to show.
    RawString Text(const RawString& tag) const;

private:
    RawString tableName_;
};

}  // namespace RawLayer
