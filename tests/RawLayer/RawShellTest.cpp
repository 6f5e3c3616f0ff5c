#include <gtest/gtest.h>

#include <string>

#include "RawLayer/FileBytes.h"
#include "RawLayer/RawShell.h"
#include "RawLayer/TempFolder.h"
#include "RawLayer/helpers/TestSupport.h"

using namespace RawLayer;
using TestSupport::Utf8Of;

namespace {

RawString Raw(const std::wstring& text, StringEncoding encoding) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), encoding);
}

std::wstring RecorderPath() { return TestSupport::ExecutableFolder() + L"\\KairodexShellRecorder.exe"; }

bool WaitForProcess(const RawShell& shell) {
    return shell.ProcessHandle() && WaitForSingleObject(shell.ProcessHandle(), 30000) == WAIT_OBJECT_0;
}

// Wine lets go of an ended process's working directory a moment after the end: removes the
// folder as soon as it can, so the temporary folder can go too.
void RemoveWhenReleased(const std::wstring& folder) {
    for (int attempt = 0; attempt < 50 && !RemoveDirectoryW(folder.c_str()); ++attempt) Sleep(100);
}

// A private document type opened by the recorder, registered for one test. Written through the
// classes root: Wine's shell does not look at the user's own classes.
class RecorderAssociation {
public:
    static constexpr const wchar_t* kExtension = L".kdxrecord";
    static constexpr const wchar_t* kProgId = L"KairodexTest.Recorder";

    RecorderAssociation() {
        SetDefault(kExtension, kProgId);
        SetDefault(std::wstring(kProgId) + L"\\shell\\open\\command", L"\"" + RecorderPath() + L"\" \"%1\"");
    }
    ~RecorderAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kExtension);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    }
    RecorderAssociation(const RecorderAssociation&) = delete;
    RecorderAssociation& operator=(const RecorderAssociation&) = delete;

private:
    static void SetDefault(const std::wstring& key, const std::wstring& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr)) {
            return;
        }
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
};

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
    RecorderAssociation association;
    TempFolder scratch;
    const std::wstring document = scratch.Below(L"note") + RecorderAssociation::kExtension;
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
