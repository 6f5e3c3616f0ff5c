#include "RawLayer/RawHelp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/TempFolder.h"
#include "RawStringText.h"
#include "RawLayer/helpers/RecorderAssociation.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;
using TestSupport::Utf8Of;

using TestText::Raw;
using TestText::Bytes;

namespace {

std::vector<std::string> Items(const RawStringList& list) {
    std::vector<std::string> items;
    for (const RawString& item : list) items.push_back(Bytes(item));
    return items;
}

// A program folder with its configuration profile (section "Manual" as given, or none).
class ProgramFolder {
public:
    explicit ProgramFolder(const std::string& manualSection = "") : folder_(scratch_.Below(L"Program dir")) {
        CreateDirectoryW(folder_.c_str(), nullptr);
        const std::wstring profile = scratch_.Below(L"Config.ini");
        FileBytes::Write(profile, manualSection.empty() ? "[Common]\r\nProgram=Kairodex\r\n" : manualSection);
        configuration_.SetPath(Raw(profile));
    }

    // Creates an empty file (or a folder) below the program folder; returns its full path.
    std::wstring File(const std::wstring& relative) const {
        const std::wstring path = folder_ + L"\\" + relative;
        FileBytes::Write(path, "x");
        return path;
    }
    std::wstring Folder(const std::wstring& relative) const {
        const std::wstring path = folder_ + L"\\" + relative;
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    std::wstring Parent() const { return scratch_.Path(); }
    const std::wstring& Path() const { return folder_; }

    RawHelp SetUp(const std::wstring& language = L"") {
        RawHelp help;
        help.SetUp(configuration_, Raw(folder_), Raw(language));
        return help;
    }

private:
    TempFolder scratch_;
    std::wstring folder_;
    RawProfile configuration_;
};

}  // namespace

// The ReadMe in the user's language comes first, the plain one otherwise, none when neither is there.
TEST(RawHelp, ChoosesTheLocalizedReadMeFirst) {
    const struct {
        bool localized;
        bool plain;
        const wchar_t* language;
        const wchar_t* expected;
    } cases[] = {
        {true, true, L"French", L"ReadMe_Kairodex_French.txt"},
        {false, true, L"French", L"ReadMe_Kairodex.txt"},
        {true, false, L"French", L"ReadMe_Kairodex_French.txt"},
        {true, true, L"", L"ReadMe_Kairodex.txt"},
        {false, false, L"French", L""},
    };
    for (const auto& item : cases) {
        ProgramFolder program;
        if (item.localized) program.File(L"ReadMe_Kairodex_French.txt");
        if (item.plain) program.File(L"ReadMe_Kairodex.txt");
        const RawHelp help = program.SetUp(item.language);
        const std::wstring expected = *item.expected ? program.Path() + L"\\" + item.expected : L"";
        EXPECT_EQ(Bytes(help.DefaultDocument()), Utf8Of(expected)) << Utf8Of(item.language);
    }
}

TEST(RawHelp, SplitsTheSettingLists) {
    EXPECT_EQ(Items(SplitManualPatterns(" \"My, Guide*.pdf\" ;\tb.txt,, \"c;d.md\" ,  \" e.pdf\" ;")),
              (std::vector<std::string>{"My, Guide*.pdf", "b.txt", "c;d.md", " e.pdf"}));
    EXPECT_EQ(Items(SplitViewerExtensions(" txt ,MD;x,, ")), (std::vector<std::string>{"txt", "MD;x"}));
    EXPECT_TRUE(Items(SplitManualPatterns(" , ;")).empty());
    EXPECT_TRUE(Items(SplitViewerExtensions("")).empty());
}

// Files matched by several patterns are listed once, whatever the case of the pattern; the list is
// ordinal (capitals first); folders never match; quoted patterns keep their commas.
TEST(RawHelp, FindsManualsOncePerFileInOrdinalOrder) {
    ProgramFolder program("[Manual]\r\nManual=ReadMe_*.txt; *.pdf,*.PDF , \"docs\\Part, *.md\";..\\Shared\\*.pdf\r\n");
    const std::wstring guide = program.File(L"README_guide.TXT");
    const std::wstring zeta = program.File(L"readme_zeta.txt");
    const std::wstring alpha = program.File(L"alpha.pdf");
    const std::wstring beta = program.File(L"Beta.PDF");
    program.Folder(L"ReadMe_folder.txt");
    program.File(L"notes.md");
    program.Folder(L"docs");
    const std::wstring part = program.File(L"docs\\Part, one.md");
    program.File(L"docs\\Part two.md");
    CreateDirectoryW((program.Parent() + L"\\Shared").c_str(), nullptr);
    const std::wstring shared = program.Parent() + L"\\Shared\\common.pdf";
    FileBytes::Write(shared, "x");

    const RawHelp help = program.SetUp();
    EXPECT_EQ(Items(help.Manuals()), (std::vector<std::string>{Utf8Of(beta), Utf8Of(guide), Utf8Of(alpha), Utf8Of(part),
                                                               Utf8Of(zeta), Utf8Of(shared)}));
    EXPECT_EQ(Bytes(help.Manual(0)), Utf8Of(beta));
    EXPECT_EQ(Bytes(help.Manual(6)), "");
    EXPECT_EQ(Bytes(help.Manual(-1)), "");
}

// Without a "Manual" key the default patterns apply; an empty value names no manual.
TEST(RawHelp, DefaultAndEmptyManualSettings) {
    {
        ProgramFolder program;
        program.File(L"ReadMe_Kairodex.txt");
        program.File(L"ReadMe_More.md");
        program.File(L"Guide.pdf");
        program.File(L"other.doc");
        EXPECT_EQ(program.SetUp().Manuals().Count(), 3);
        EXPECT_EQ(Items(program.SetUp().ViewerExtensions()), (std::vector<std::string>{"txt", "md"}));
    }
    {
        ProgramFolder program("[Manual]\r\nManual=\r\nReadora=\r\n");
        program.File(L"Guide.pdf");
        const RawHelp help = program.SetUp();
        EXPECT_EQ(help.Manuals().Count(), 0);
        EXPECT_EQ(help.ViewerExtensions().Count(), 0);
    }
}

// Every manual is listed, but menu identifiers exist for the first thirty only.
TEST(RawHelp, OffersAtMostThirtyManualsToTheMenu) {
    ProgramFolder program("[Manual]\r\nManual=*.pdf\r\n");
    for (int index = 0; index < 35; ++index) {
        wchar_t name[32];
        swprintf(name, 32, L"Manual%02d.pdf", index);
        program.File(name);
    }
    const RawHelp help = program.SetUp();
    EXPECT_EQ(help.Manuals().Count(), 35);
    EXPECT_EQ(help.MenuManualCount(), 30);
    EXPECT_EQ(Bytes(help.ManualOfCommand(kManualMenuFirst)), Utf8Of(program.Path() + L"\\Manual00.pdf"));
    EXPECT_EQ(Bytes(help.ManualOfCommand(kManualMenuLast)), Utf8Of(program.Path() + L"\\Manual29.pdf"));
    EXPECT_EQ(Bytes(help.ManualOfCommand(kManualMenuLast + 1)), "");
    EXPECT_EQ(Bytes(help.ManualOfCommand(kManualMenuFirst - 1)), "");

    ProgramFolder few("[Manual]\r\nManual=*.pdf\r\n");
    few.File(L"Only.pdf");
    EXPECT_EQ(few.SetUp().MenuManualCount(), 1);
    EXPECT_EQ(Bytes(few.SetUp().ManualOfCommand(kManualMenuFirst + 1)), "");
}

// Beside the program first, then its "Readora" folder, then a "Readora" folder beside the
// program's folder.
TEST(RawHelp, FindsTheViewer) {
    {
        ProgramFolder program;
        EXPECT_EQ(Bytes(program.SetUp().FindViewer()), "");
        CreateDirectoryW((program.Parent() + L"\\Readora").c_str(), nullptr);
        const std::wstring sibling = program.Parent() + L"\\Readora\\Readora.exe";
        FileBytes::Write(sibling, "x");
        EXPECT_EQ(Bytes(program.SetUp().FindViewer()), Utf8Of(sibling));
        program.Folder(L"Readora");
        const std::wstring inside = program.File(L"Readora\\Readora.exe");
        EXPECT_EQ(Bytes(program.SetUp().FindViewer()), Utf8Of(inside));
        const std::wstring beside = program.File(L"Readora.exe");
        EXPECT_EQ(Bytes(program.SetUp().FindViewer()), Utf8Of(beside));
    }
    {
        // A folder of that name is no viewer.
        ProgramFolder program;
        program.Folder(L"Readora.exe");
        EXPECT_EQ(Bytes(program.SetUp().FindViewer()), "");
    }
}

// A program at a drive root has no parent folder: a "Readora" folder in the current directory is
// never taken for one.
TEST(RawHelp, ProgramAtADriveRootFindsNoRelativeViewer) {
    TempFolder scratch;
    CreateDirectoryW(scratch.Below(L"Readora").c_str(), nullptr);
    FileBytes::Write(scratch.Below(L"Readora\\Readora.exe"), "x");
    wchar_t previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
    ASSERT_EQ(GetFileAttributesW(L"C:\\Readora.exe"), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(GetFileAttributesW(L"C:\\Readora\\Readora.exe"), INVALID_FILE_ATTRIBUTES);

    RawProfile configuration(Raw(scratch.Below(L"Config.ini")));
    for (const wchar_t* root : {L"C:", L"C:\\"}) {
        RawHelp help;
        help.SetUp(configuration, Raw(root), RawString());
        EXPECT_EQ(Bytes(help.FindViewer()), "") << Utf8Of(root);
    }
    // The root's own "Readora" folder is still searched. (The test prefix's drive C is private.)
    const bool made = CreateDirectoryW(L"C:\\Readora", nullptr) && FileBytes::Write(L"C:\\Readora\\Readora.exe", "x");
    RawHelp help;
    help.SetUp(configuration, RawString("C:"), RawString());
    EXPECT_EQ(Bytes(help.FindViewer()), "C:\\Readora\\Readora.exe");
    DeleteFileW(L"C:\\Readora\\Readora.exe");
    RemoveDirectoryW(L"C:\\Readora");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(made);
}

namespace {

// The recorder writes what it was started with into document + ".rec"; waits for that file.
std::string AwaitRecording(const std::wstring& document) {
    const std::wstring record = document + L".rec";
    for (int attempt = 0; attempt < 300; ++attempt) {
        // The recorder writes the file in one call; wait until it is closed.
        HANDLE file = CreateFileW(record.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            const std::string content = FileBytes::Read(record);
            DeleteFileW(record.c_str());
            return content.substr(0, content.find_last_of('\n', content.size() - 2) + 1);  // no working folder
        }
        Sleep(100);
    }
    return "<nothing started>";
}

}  // namespace

// Documents of the viewer's types go to the viewer with the path quoted; other documents, and all
// of them without a viewer, to the program associated with their type.
TEST(RawHelp, SendsDocumentsToTheViewerOrTheAssociatedProgram) {
    RecorderAssociation association(L".kdxhelp", L"KairodexTest.HelpDocument", L"associated");
    const struct {
        const char* readora;
        bool viewer;
        bool toViewer;
    } cases[] = {
        {"txt, KDXHELP", true, true},
        {"txt, KDXHELP", false, false},
        {"txt", true, false},
        {"", true, false},
    };
    for (const auto& item : cases) {
        ProgramFolder program(std::string("[Manual]\r\nReadora=") + item.readora + "\r\n");
        if (item.viewer) {
            ASSERT_TRUE(CopyFileW(RecorderAssociation::RecorderPath().c_str(),
                                  (program.Path() + L"\\Readora.exe").c_str(), FALSE));
        }
        const std::wstring document = program.File(L"User guide.kdxhelp");
        const RawHelp help = program.SetUp();
        const std::string context = std::string(item.readora) + (item.viewer ? " with viewer" : " without viewer");
        ASSERT_TRUE(help.OpenDocument(Raw(document))) << context;
        const std::string expected = Utf8Of(document) + (item.toViewer ? "\n" : "\nassociated\n");
        EXPECT_EQ(AwaitRecording(document), expected) << context;
    }
    EXPECT_FALSE(ProgramFolder().SetUp().OpenDocument(RawString()));
}
