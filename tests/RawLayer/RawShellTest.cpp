#include <gtest/gtest.h>

#include <string>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawShell.h"
#include "RawLayer/TempFolder.h"
#include "RawLayer/helpers/RecorderAssociation.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;
using TestSupport::Utf8Of;

namespace {

RawString Raw(const std::wstring& text, StringEncoding encoding) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), encoding);
}

std::wstring RecorderPath() { return RecorderAssociation::RecorderPath(); }

bool WaitForProcess(const RawShell& shell) {
    return shell.ProcessHandle() && WaitForSingleObject(shell.ProcessHandle(), 30000) == WAIT_OBJECT_0;
}

// Wine lets go of an ended process's working directory a moment after the end: removes the
// folder as soon as it can, so the temporary folder can go too.
void RemoveWhenReleased(const std::wstring& folder) {
    for (int attempt = 0; attempt < 50 && !RemoveDirectoryW(folder.c_str()); ++attempt) Sleep(100);
}

}  // namespace

// The recorder gets each quoted parameter whole and runs in the working directory given, through
// the narrow call (ASCII text) and the wide call (non-ASCII text) alike.
TEST(RawShell, StartsAProgramWithQuotedParametersInAWorkingDirectory) {
    const struct {
        const wchar_t* folderName;
        StringEncoding encoding;
    } cases[] = {{L"with space", Utf8},
                 {L"with space", Ansi},
                 {L"B\u00e4r \u65e5\u672c", Utf8},
                 {L"B\u00e4r \u65e5\u672c", Wide}};
    for (const auto& item : cases) {
        TempFolder scratch;
        const std::wstring folder = scratch.Below(item.folderName);
        const std::wstring work = folder + L"\\work dir";
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW(work.c_str(), nullptr);
        const std::wstring program = folder + L"\\Recorder.exe";
        ASSERT_TRUE(CopyFileW(RecorderPath().c_str(), program.c_str(), FALSE));
        const std::wstring out = folder + L"\\out file";

        RawShell shell(Raw(program, item.encoding), Raw(work, item.encoding));
        ASSERT_TRUE(shell.Execute(Raw(L"\"" + out + L"\" \"two words\" plain", item.encoding))) << Utf8Of(folder);
        EXPECT_NE(shell.ProcessId(), 0u);
        ASSERT_TRUE(WaitForProcess(shell));
        EXPECT_EQ(FileBytes::Read(out + L".rec"), Utf8Of(out) + "\ntwo words\nplain\n" + Utf8Of(work) + "\n");
        shell.CloseProcess();
        RemoveWhenReleased(work);
    }
}

// A document alone is opened with the program registered for its type.
TEST(RawShell, OpensADocumentWithItsAssociatedProgram) {
    RecorderAssociation association(L".kdxrecord", L"KairodexTest.Recorder");
    TempFolder scratch;
    const std::wstring document = scratch.Below(L"note.kdxrecord");
    ASSERT_TRUE(FileBytes::Write(document, "text"));
    RawShell shell;
    ASSERT_TRUE(shell.Execute(Raw(document, Utf8)));
    ASSERT_TRUE(WaitForProcess(shell));
    EXPECT_EQ(FileBytes::Read(document + L".rec").substr(0, Utf8Of(document).size() + 1), Utf8Of(document) + "\n");
}

TEST(RawShell, FailureLeavesNoProcess) {
    TempFolder scratch;
    RawShell shell(Raw(scratch.Below(L"missing.exe"), Utf8));
    EXPECT_FALSE(shell.Execute("x"));
    EXPECT_EQ(shell.ProcessHandle(), nullptr);
    EXPECT_EQ(shell.ProcessId(), 0u);
    EXPECT_FALSE(RawShell().Execute(RawString()));
}
