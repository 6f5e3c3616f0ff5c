#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "RawLayer/RawDroppedFiles.h"
#include "ShellDrop.h"

using namespace RawLayer;
using ShellDrop::IsAllocated;
using ShellDrop::MakeDrop;

namespace {

std::vector<std::wstring> WideNames(const RawStringList& list) {
    std::vector<std::wstring> names;
    for (const RawString& name : list) {
        EXPECT_EQ(name.Encoding(), Wide);
        names.emplace_back(name.WideUnits(), static_cast<size_t>(name.Length()));
    }
    return names;
}

// Longer than MAX_PATH, as the long-path form of the shell gives them.
const std::wstring kLongName = L"\\\\?\\C:\\" + std::wstring(300, L'a') + L"\\" + std::wstring(250, L'b') + L".txt";
const std::wstring kFolder = L"C:\\users\\Public\\Documents";
const std::wstring kAccented = L"C:\\d\\\u0141\u00F3d\u017A \u20AC \U0001F600.txt";  // a surrogate pair at the end

}  // namespace

TEST(RawDroppedFiles, EveryNameWholeAndInOrder) {
    HDROP drop = MakeDrop({kLongName, kFolder, kAccented, L"C:\\x"});
    {
        RawDroppedFiles owner(drop);
        EXPECT_EQ(DroppedFileCount(drop), 4u);
        EXPECT_EQ(WideNames(DroppedFileNames(drop)),
                  (std::vector<std::wstring>{kLongName, kFolder, kAccented, L"C:\\x"}));
        EXPECT_GT(kLongName.size(), 260u);
        // The narrow read of the long name is whole too; the other encodings pass through Wide.
        EXPECT_EQ(DroppedFileName(drop, 0, Ansi).Length(), static_cast<int32_t>(kLongName.size()));
        RawString utf8 = DroppedFileName(drop, 2, Utf8);
        EXPECT_EQ(utf8.Encoding(), Utf8);
        EXPECT_TRUE(RawString(utf8, Wide).Equals(RawString::FromWide(kAccented.c_str())));
        EXPECT_TRUE(DroppedFileName(drop, 4, Wide).IsEmpty());
        EXPECT_TRUE(DroppedFileName(drop, 0xFFFFFFFF, Wide).IsEmpty());
        EXPECT_TRUE(IsAllocated(drop));
    }
    EXPECT_FALSE(IsAllocated(drop));
}

TEST(RawDroppedFiles, NarrowBlocksReadAsWide) {
    HDROP drop = ShellDrop::MakeNarrowDrop({"C:\\one.txt", "C:\\" + std::string(280, 'n')});
    RawDroppedFiles owner(drop);
    EXPECT_EQ(WideNames(DroppedFileNames(drop)),
              (std::vector<std::wstring>{L"C:\\one.txt", L"C:\\" + std::wstring(280, L'n')}));
}

TEST(RawDroppedFiles, EmptyAndNullDropsGiveNoNames) {
    HDROP empty = MakeDrop({});
    {
        RawDroppedFiles owner(empty);
        // Wine's count says 1 here, for one empty name: an empty name is never kept.
        EXPECT_EQ(DroppedFileNames(empty).Count(), 0);
    }
    EXPECT_FALSE(IsAllocated(empty));

    EXPECT_EQ(DroppedFileCount(nullptr), 0u);
    EXPECT_EQ(DroppedFileNames(nullptr).Count(), 0);
    EXPECT_TRUE(DroppedFileName(nullptr, 0, Utf8).IsEmpty());
    RawDroppedFiles none(nullptr);  // finishing nothing is harmless
}

TEST(RawDroppedFiles, FinishEarlyFreesOnce) {
    HDROP drop = MakeDrop({L"C:\\a"});
    RawDroppedFiles owner(drop);
    owner.Finish();
    EXPECT_FALSE(IsAllocated(drop));
    EXPECT_EQ(owner.Get(), nullptr);
}
