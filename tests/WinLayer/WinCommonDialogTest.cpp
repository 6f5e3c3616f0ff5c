#include "WinLayer/WinCommonDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/TempFolder.h"
#include "RawStringText.h"

using RawLayer::RawParameterList;
using RawLayer::RawString;

using TestText::Bytes;
using TestText::Entries;

namespace {

const std::vector<std::string> kDefaults = {"FinishButton=Finish",
                                            "CancelButton=Cancel",
                                            "CheckAllButton=Check\r\nAll",
                                            "UncheckAllButton=Clear\r\nAll",
                                            "HiddenButton=Hidden",
                                            "OpenSide=open",
                                            "HintSide=hint",
                                            "InputTextPrompt=Input text ?"};

// Points the process's language store at a file with the given bytes, section "Default", for one
// test; afterwards the store has no file again.
class LanguageFile {
public:
    explicit LanguageFile(const std::string& bytes) : path_(scratch_.Below(L"LanguageFile.ini")) {
        FileBytes::Write(path_, bytes);
        RawLayer::RawLanguageTexts& store = RawLayer::LanguageTexts();
        store.SetFilePath(RawString(RawString::FromWide(path_.c_str()), RawLayer::Utf8));
        store.SelectSection("Default");
    }
    ~LanguageFile() {
        RawLayer::LanguageTexts().SetFilePath(RawString());
        RawLayer::LanguageTexts().SelectSection(RawString());
    }
    LanguageFile(const LanguageFile&) = delete;
    LanguageFile& operator=(const LanguageFile&) = delete;

    std::string Read() const { return FileBytes::Read(path_); }

private:
    TempFolder scratch_;
    std::wstring path_;
};

}  // namespace

TEST(WinCommonDialog, DefaultsWithoutALanguageFile) { EXPECT_EQ(Entries(WinLayer::CommonDialogTexts()), kDefaults); }

// A section without the table's keys shows the defaults and learns them, escaped, at the next save.
TEST(WinCommonDialog, DefaultsWhenTheSectionLacksThem) {
    LanguageFile file("[Default]\r\nMainDlg_DateTag=Date:\r\n");
    EXPECT_EQ(Entries(WinLayer::CommonDialogTexts()), kDefaults);
    RawLayer::LanguageTexts().SaveTexts();
    const std::string saved = file.Read();
    EXPECT_NE(saved.find("CommonDialog_CheckAllButton=Check\\nAll\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("CommonDialog_InputTextPrompt=Input text ?\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("MainDlg_DateTag=Date:\r\n"), std::string::npos) << saved;
}

// Translated texts are taken (escapes decoded); an empty translation keeps the default caption.
TEST(WinCommonDialog, TakesTextsFromTheLanguageFile) {
    LanguageFile file(
        "[Default]\r\nCommonDialog_CancelButton=Abbrechen\r\nCommonDialog_CheckAllButton=Alle\\nw\xC3\xA4hlen\r\n"
        "CommonDialog_HiddenButton=\r\ncommondialog_opENSide=offen\r\n");
    std::vector<std::string> expected = kDefaults;
    expected[1] = "CancelButton=Abbrechen";
    expected[2] = "CheckAllButton=Alle\r\nw\xC3\xA4hlen";
    expected[5] = "OpenSide=offen";
    EXPECT_EQ(Entries(WinLayer::CommonDialogTexts()), expected);
}
