#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/TempFolder.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;

namespace {

RawString Raw(const std::wstring& text) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), Utf8);
}

std::string Bytes(const RawString& text) {
    const RawString utf8(text, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

LANGID WINAPI Japanese() { return 0x411; }
LANGID WINAPI German() { return 0x407; }
LANGID WINAPI English() { return 1033; }
LANGID WINAPI French() { return 0x40C; }

// Puts a user interface language in place for one test.
class UiLanguage {
public:
    explicit UiLanguage(UiLanguageSource source) { SetUiLanguageSource(source); }
    ~UiLanguage() { SetUiLanguageSource(nullptr); }
    UiLanguage(const UiLanguage&) = delete;
    UiLanguage& operator=(const UiLanguage&) = delete;
};

// A store over a language file with the given bytes in a scratch folder.
class LanguageFile {
public:
    explicit LanguageFile(const std::string& bytes) : path_(scratch_.Below(L"LanguageFile.ini")) {
        FileBytes::Write(path_, bytes);
        store.SetFilePath(Raw(path_));
    }
    std::string Read() const { return FileBytes::Read(path_); }
    const std::wstring& Path() const { return path_; }

    RawLanguageTexts store;

private:
    TempFolder scratch_;
    std::wstring path_;
};

std::vector<std::string> Names(const RawParameterList& list) {
    std::vector<std::string> names;
    for (const RawParameterUnit& unit : list) names.push_back(Bytes(unit.name));
    return names;
}

const std::string kMappedFile =
    "[LangMap]\r\nEnglish=1033\r\nJapanese=0x411\r\nBinary=0b10000000111\r\nBroken=abc\r\n\r\n"
    "[Default]\r\nMainDlg_DateTag=Date:\r\n\r\n"
    "[Japanese]\r\nMainDlg_DateTag=Hizuke:\r\n\r\n";

}  // namespace

TEST(RawLanguageTexts, EscapeTextKeepsLineBreaksAndTabsOnOneLine) {
    const struct {
        const char* text;
        const char* stored;
    } cases[] = {
        {"a\r\nb", "a\\nb"}, {"a\rb", "a\\nb"},  {"a\nb", "a\\nb"}, {"a\n\rb", "a\\n\\nb"},
        {"a\tb", "a\\tb"},   {"C:\\x", "C:\\x"}, {"", ""},          {"end\r", "end\\n"},
    };
    for (const auto& item : cases) EXPECT_EQ(Bytes(EscapeText(item.text)), item.stored) << item.text;
}

// A stored backslash n shows as a line break, a doubled backslash as one; a backslash at the very
// end has nothing to escape and shows as itself.
TEST(RawLanguageTexts, UnescapeTextGivesTheDisplayForm) {
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {
        {"Two\\nLines", "Two\r\nLines"},
        {"a\\tb", "a\tb"},
        {"a\\sb", "a b"},
        {"C:\\\\Temp", "C:\\Temp"},
        {"\\q\\\\n", "q\\n"},
        {"end\\", "end\\"},
        {"\\", "\\"},
        {"", ""},
        {"\\\\\\", "\\\\"},
        {"plain", "plain"},
    };
    for (const auto& item : cases) EXPECT_EQ(Bytes(UnescapeText(item.stored)), item.shown) << item.stored;
}

// A default text ending in a backslash is stored as it is and must show as it is, not cut short
// or ended by a zero unit.
TEST(RawLanguageTexts, TrailingBackslashSurvivesStoringAndShowing) {
    for (const char* text : {"Save to C:\\", "\\", "a\tb\\"}) {
        const RawString shown = UnescapeText(EscapeText(text));
        EXPECT_EQ(Bytes(shown), text);
        EXPECT_EQ(shown.FindUnit(0, 0), shown.Length()) << text;
    }
}

// In code page 932 text a backslash byte inside a double-byte character is no escape.
TEST(RawLanguageTexts, UnescapeTextStepsOverDoubleByteCharacters) {
    const char stored[] = {'\x95', '\x5C', '\\', 'n', '\x95', '\x5C', 0};
    const RawString shown = UnescapeText(RawString::FromUnits(stored, -1, ShiftJis));
    EXPECT_EQ(shown.Encoding(), ShiftJis);
    EXPECT_EQ(std::string(shown.Bytes(), shown.Length()), std::string("\x95\x5C\r\n\x95\x5C"));
}

TEST(RawLanguageTexts, LanguageMapTakesDecimalHexadecimalAndBinaryIdentifiers) {
    LanguageFile file(kMappedFile);
    file.store.LoadLanguageMap();
    const RawParameterList map = file.store.LanguageMap();
    EXPECT_EQ(Names(map), (std::vector<std::string>{"English", "Japanese", "Binary", "Broken"}));
    std::vector<int32_t> tags;
    for (const RawParameterUnit& unit : map) tags.push_back(unit.tag);
    EXPECT_EQ(tags, (std::vector<int32_t>{1033, 0x411, 0x407, 0}));
}

// With no language named, the section is the one mapped to the user's interface language, and
// "Default" when none is.
TEST(RawLanguageTexts, AutomaticChoiceFollowsTheInterfaceLanguage) {
    static const RawLocaleRecord table[] = {{"DateTag", "Date:"}, {"", ""}};
    const struct {
        UiLanguageSource language;
        const char* section;
        const char* text;
    } cases[] = {{Japanese, "Japanese", "Hizuke:"},
                 {English, "English", "Date:"},
                 {German, "Binary", "Date:"},
                 {French, "Default", "Date:"}};
    for (const auto& item : cases) {
        UiLanguage language(item.language);
        LanguageFile file(kMappedFile);
        file.store.LoadLanguageMap();
        file.store.RegisterTexts("MainDlg", table);
        file.store.SelectSection(RawString());
        EXPECT_EQ(Bytes(file.store.CurrentSection()), item.section);
        EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "DateTag")), item.text);
    }
}

// Without a "LangMap" section the file's sections are the languages, in file order, and the
// automatic choice is always "Default".
TEST(RawLanguageTexts, SectionsAreOfferedWhenTheMapIsMissing) {
    UiLanguage language(English);
    const struct {
        const char* file;
        std::vector<std::string> languages;
    } cases[] = {
        {"[Default]\r\na=1\r\n[Deutsch]\r\nb=2\r\n[English]\r\nc=3\r\n", {"Default", "Deutsch", "English"}},
        {"; before\r\n[LangMap]\r\n[Zulu]\r\nx=1\r\n[Alpha] trailing\r\n[Zulu]\r\n", {"Zulu", "Alpha", "Zulu"}},
        {"[langmap]\r\n[LangMap]\r\n[Default]\r\n", {"LangMap", "Default"}},
        {"", {}},
    };
    for (const auto& item : cases) {
        LanguageFile file(item.file);
        file.store.LoadLanguageMap();
        EXPECT_EQ(Names(file.store.LanguageMap()), item.languages) << item.file;
        EXPECT_EQ(Bytes(file.store.AutoSection()), "Default");
    }
}

// A key the section lacks is served from the defaults and written back at the save, the file's
// own texts kept, every key in ordinal order, the other sections untouched.
TEST(RawLanguageTexts, MissingKeysAreWrittenBackSorted) {
    static const RawLocaleRecord table[] = {
        {"TimeTag", "Time"}, {"DateTag", "Date:"}, {"Path", "C:\\Temp"}, {"Lines", "One\r\nTwo"}, {"", ""}};
    LanguageFile file(
        "[Default]\r\nZeta_X=z\r\nMainDlg_TimeTag=Uhrzeit:\r\nMainDlg_TimeTag=Second\r\n\r\n[Other]\r\nkeep=1\r\n");
    file.store.RegisterTexts("MainDlg", table);
    file.store.SelectSection("Default");
    EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "TimeTag")), "Uhrzeit:");
    file.store.SaveTexts();  // nothing missed yet: nothing written
    EXPECT_EQ(file.Read().find("DateTag"), std::string::npos);

    EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "DateTag")), "Date:");
    EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "Unknown")), "Unknown");
    file.store.SaveTexts();
    EXPECT_EQ(file.Read(),
              "[Default]\r\nMainDlg_DateTag=Date:\r\nMainDlg_Lines=One\\nTwo\r\nMainDlg_Path=C:\\Temp\r\n"
              "MainDlg_TimeTag=Uhrzeit:\r\nMainDlg_Unknown=Unknown\r\nZeta_X=z\r\n\r\n[Other]\r\nkeep=1\r\n");
}

// A language whose section is absent starts as a copy of the defaults registered so far.
TEST(RawLanguageTexts, NewSectionStartsFromTheDefaults) {
    static const RawLocaleRecord first[] = {{"B", "second"}, {"A", "first"}, {"", ""}};
    static const RawLocaleRecord later[] = {{"A", "overridden"}, {"", ""}};
    LanguageFile file("[Default]\r\nx=1\r\n");
    file.store.RegisterTexts("T", first);
    file.store.RegisterTexts("T", later);
    file.store.RegisterTexts("U", later);  // the same table again: no change
    file.store.SelectSection("Klingon");
    EXPECT_EQ(file.Read(), "[Default]\r\nx=1\r\n[Klingon]\r\nT_B=second\r\nT_A=overridden\r\n\r\n");
    EXPECT_EQ(Bytes(file.store.GetText("U", "A")), "A");
}

TEST(RawLanguageTexts, WithoutALanguageFileEveryTextIsItsDefault) {
    static const RawLocaleRecord table[] = {{"DateTag", "Date:"}, {"", ""}};
    TempFolder config;
    RawLanguageTexts store;
    store.FindLanguageFile(Raw(config.Path()));
    EXPECT_TRUE(store.FilePath().IsEmpty());
    store.LoadLanguageMap();
    EXPECT_EQ(store.LanguageMap().Count(), 0);
    store.RegisterTexts("MainDlg", table);
    store.SelectSection(RawString());
    EXPECT_EQ(Bytes(store.CurrentSection()), "Default");
    EXPECT_EQ(Bytes(store.GetText("MainDlg", "DateTag")), "Date:");
    EXPECT_EQ(Bytes(store.GetText("MainDlg", "Other")), "Other");
    store.SaveTexts();
    EXPECT_FALSE(FileBytes::Exists(config.Below(L"LanguageFile.ini")));

    // Once there is one, the configuration folder's file is taken; a path already set stays.
    FileBytes::Write(config.Below(L"LanguageFile.ini"), "[Default]\r\n");
    store.FindLanguageFile(Raw(config.Path()));
    EXPECT_EQ(Bytes(store.FilePath()), TestSupport::Utf8Of(config.Below(L"LanguageFile.ini")));
    store.FindLanguageFile("C:\\Elsewhere");
    EXPECT_EQ(Bytes(store.FilePath()), TestSupport::Utf8Of(config.Below(L"LanguageFile.ini")));
}

TEST(RawLanguageTexts, ChoosingByPositionSetsTheLanguageName) {
    UiLanguage language(Japanese);
    LanguageFile file(kMappedFile);
    file.store.LoadLanguageMap();
    file.store.SelectSection("English");
    EXPECT_EQ(Bytes(file.store.ChooseLanguage(2)), "Japanese");
    EXPECT_EQ(Bytes(file.store.LanguageName()), "Japanese");
    EXPECT_EQ(Bytes(file.store.CurrentSection()), "English");  // takes effect at the next start

    for (int32_t position : {0, 5, 29, -1}) {
        file.store.SetLanguageName("English");
        file.store.SelectSection("English");
        EXPECT_TRUE(file.store.ChooseLanguage(position).IsEmpty()) << position;
        EXPECT_TRUE(file.store.LanguageName().IsEmpty());
        EXPECT_EQ(Bytes(file.store.CurrentSection()), "Japanese") << position;
    }
}

// A dialog's text map shows the display form and fills the file with what it lacked when the
// dialog goes away.
TEST(RawLanguageTexts, TextMapServesDisplayTextsAndSavesOnRelease) {
    static const RawLocaleRecord table[] = {{"DateTag", "Date:"}, {"CheckAll", "Check\\nAll"}, {"", ""}};
    TempFolder scratch;
    const std::wstring path = scratch.Below(L"Texts.ini");
    // A hand-edited line of a megabyte is cut to 1024 units, never inside a character.
    const std::string huge = std::string(1022, 'x') + "\xE6\x97\xA5" + std::string(1 << 20, 'a');
    FileBytes::Write(path, "[Default]\r\nMapTest_Title=Two\\nLines \\\\ one\r\nMapTest_Huge=" + huge + "\r\n");
    RawLanguageTexts& store = LanguageTexts();
    store.SetFilePath(Raw(path));
    store.SelectSection("Default");
    {
        RawTextMap texts("MapTest", table);
        EXPECT_EQ(Bytes(texts.Text("Title")), "Two\r\nLines \\ one");
        EXPECT_EQ(Bytes(texts.Text("CheckAll")), "Check\r\nAll");
        EXPECT_EQ(Bytes(texts.Text("DateTag")), "Date:");
        const RawString cut = texts.Text("Huge");
        EXPECT_EQ(Bytes(cut), huge.substr(0, 1022));
    }
    EXPECT_EQ(FileBytes::Read(path),
              "[Default]\r\nMapTest_CheckAll=Check\\nAll\r\nMapTest_DateTag=Date:\r\n"
              "MapTest_Huge=" +
                  huge + "\r\nMapTest_Title=Two\\nLines \\\\ one\r\n\r\n");
    store.SetFilePath(RawString());
    store.SelectSection(RawString());
}

// A file that holds every text is only read: choosing its section and the dialogs' saves leave
// its bytes and last-write time alone; so does choosing a section that is there but empty
// before any table is registered, which each start does.
TEST(RawLanguageTexts, AFileThatHoldsEveryTextIsNotRewritten) {
    static const RawLocaleRecord table[] = {{"DateTag", "Date:"}, {"TimeTag", "Time:"}, {"", ""}};
    const std::string full = "[Default]\r\nMainDlg_TimeTag=Zeit:\r\nMainDlg_DateTag=Datum:\r\n";
    const std::string empty = "[LangMap]\r\nEnglish=1033\r\n[Default]\r\n\r\n";
    for (const std::string& content : {full, empty}) {
        LanguageFile file(content);
        ASSERT_TRUE(FileBytes::Backdate(file.Path()));
        file.store.SelectSection("Default");
        file.store.RegisterTexts("MainDlg", table);
        if (content == full) {
            EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "DateTag")), "Datum:");
            EXPECT_EQ(Bytes(file.store.GetText("MainDlg", "TimeTag")), "Zeit:");
        }
        file.store.SaveTexts();
        EXPECT_EQ(file.Read(), content);
        EXPECT_TRUE(FileBytes::StillBackdated(file.Path())) << content;
    }
}
