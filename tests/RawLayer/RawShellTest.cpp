#include "RawLayer/RawShell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/helpers/ScratchFolder.h"

using namespace RawLayer;
using TestSupport::ScratchFolder;
using TestSupport::Utf8Of;

namespace {

RawString Raw(const std::wstring& text, StringEncoding encoding) {
    return RawString(RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())), encoding);
}

std::wstring RecorderPath() { return TestSupport::ExecutableFolder() + L"\\KairodexShellRecorder.exe"; }

// Lines of the record the helper wrote: its arguments, then its working directory.
std::vector<std::string> ReadRecord(const std::wstring& path) {
    std::vector<std::string> lines;
    const std::string bytes = TestSupport::ReadBytes(path);
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

// Waits for the process the shell started; false when it does not end in time.
bool WaitForProcess(const RawShell& shell) {
    return shell.ProcessHandle() && WaitForSingleObject(shell.ProcessHandle(), 30000) == WAIT_OBJECT_0;
}

// Registers a private document type handled by the recorder, in the current user's classes,
// and removes it again.
class RecorderAssociation {
public:
    static constexpr const wchar_t* kExtension = L".kdxrecord";
    static constexpr const wchar_t* kProgId = L"KairodexTest.Recorder";

    RecorderAssociation() {
        SetDefault(std::wstring(L"Software\\Classes\\") + kExtension, kProgId);
        SetDefault(std::wstring(L"Software\\Classes\\") + kProgId + L"\\shell\\open\\command",
                   L"\"" + RecorderPath() + L"\" \"%1\"");
    }
    ~RecorderAssociation() {
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + kExtension).c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + kProgId).c_str());
    }
    RecorderAssociation(const RecorderAssociation&) = delete;
    RecorderAssociation& operator=(const RecorderAssociation&) = delete;

private:
    static void SetDefault(const std::wstring& key, const std::wstring& value) {
        HKEY handle = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr)) {
            return;
        }
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
};

}  // namespace

// The program gets each quoted parameter whole and runs in the working directory given, through
// the narrow call (ASCII text) and the wide call (non-ASCII UTF-8 text) alike.
TEST(RawShell, StartsAProgramWithQuotedParametersInAWorkingDirectory) {
    struct Case {
        const wchar_t* folderName;
        StringEncoding encoding;
    };
    const Case cases[] = {
        {L"with space", Utf8},
        {L"with space", Ansi},
        {L"B\u00e4r \u65e5\u672c", Utf8},
        {L"B\u00e4r \u65e5\u672c", Wide},
    };
    for (const Case& item : cases) {
        ScratchFolder scratch;
        const std::wstring folder = scratch.Join(item.folderName);
        const std::wstring work = folder + L"\\work dir";
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW(work.c_str(), nullptr);
        const std::wstring program = folder + L"\\Recorder.exe";
        ASSERT_TRUE(CopyFileW(RecorderPath().c_str(), program.c_str(), FALSE));
        const std::wstring out = folder + L"\\out file";
        const std::wstring parameters = L"\"" + out + L"\" \"two words\" plain";

        RawShell shell(Raw(program, item.encoding), Raw(work, item.encoding));
        ASSERT_TRUE(shell.Execute(Raw(parameters, item.encoding))) << Utf8Of(folder);
        EXPECT_NE(shell.ProcessId(), 0u);
        ASSERT_TRUE(WaitForProcess(shell));
        const std::vector<std::string> expected = {Utf8Of(out), "two words", "plain", Utf8Of(work)};
        EXPECT_EQ(ReadRecord(out + L".rec"), expected) << Utf8Of(folder);
    }
}

// A document alone is opened with the program registered for its type.
TEST(RawShell, OpensADocumentWithItsAssociatedProgram) {
    RecorderAssociation association;
    ScratchFolder scratch;
    const std::wstring document = scratch.Join(L"note") + RecorderAssociation::kExtension;
    ASSERT_TRUE(TestSupport::WriteBytes(document, "text"));

    RawShell shell;
    ASSERT_TRUE(shell.Execute(Raw(document, Utf8)));
    ASSERT_TRUE(WaitForProcess(shell));
    const std::vector<std::string> record = ReadRecord(document + L".rec");
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.front(), Utf8Of(document));
}

TEST(RawShell, FailureLeavesNoProcess) {
    ScratchFolder scratch;
    RawShell shell(Raw(scratch.Join(L"missing.exe"), Utf8));
    EXPECT_FALSE(shell.Execute("x"));
    EXPECT_EQ(shell.ProcessHandle(), nullptr);
    EXPECT_EQ(shell.ProcessId(), 0u);

    RawShell nothing;
    EXPECT_FALSE(nothing.Execute(RawString()));
}

// A second run replaces the first process's handle with its own.
TEST(RawShell, EachRunKeepsTheLatestProcess) {
    ScratchFolder scratch;
    RawShell shell(Raw(RecorderPath(), Wide));
    ASSERT_TRUE(shell.Execute(Raw(L"\"" + scratch.Join(L"first") + L"\"", Wide)));
    ASSERT_TRUE(WaitForProcess(shell));
    ASSERT_TRUE(shell.Execute(Raw(L"\"" + scratch.Join(L"second") + L"\"", Wide)));
    EXPECT_NE(shell.ProcessId(), 0u);
    ASSERT_TRUE(WaitForProcess(shell));
    EXPECT_FALSE(ReadRecord(scratch.Join(L"second.rec")).empty());
    shell.CloseProcess();
    EXPECT_EQ(shell.ProcessHandle(), nullptr);
}
