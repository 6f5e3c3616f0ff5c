#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RawLayer/RawCommandLine.h"

using namespace RawLayer;

namespace {

std::string Text(const RawString& s) {
    const RawString utf8(s, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

// Entries as "name=value" in list order.
std::vector<std::string> Entries(const RawString& argumentText) {
    RawParameterList list;
    ParseArguments(argumentText, list);
    std::vector<std::string> entries;
    for (const RawParameterUnit& unit : list) entries.push_back(Text(unit.name) + "=" + Text(unit.value));
    return entries;
}

using Entry = std::vector<std::string>;

}  // namespace

TEST(RawCommandLineTest, RemoveProgramName) {
    struct Case {
        const char* line;
        const char* arguments;
    };
    const Case cases[] = {
        {"", ""},
        {"K.exe", ""},
        {"  K.exe   ", ""},
        {"K.exe -D x", "-D x"},
        {"K.exe\t\t-h \"a b\" ", "-h \"a b\" "},
        {"\"C:\\Program Files\\K.exe\" -h", "-h"},
        {"\"C:\\Program Files\\K.exe\"", ""},
        {"C:\\a\"b c\"\\K.exe  f", "f"},  // quotes toggle anywhere in the name
        {"\"C:\\unbalanced name -h", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.arguments, Text(RemoveProgramName(c.line)));
    }
}

TEST(RawCommandLineTest, ParseTable) {
    struct Case {
        const char* arguments;
        Entry entries;
    };
    const Case cases[] = {
        {"", {}},
        {" \t\r\n ", {}},
        {"-D 2024/09/07 -T \"12:00:00\"", {"D=2024/09/07", "T=12:00:00"}},
        {"-D -T 12:00", {"D=", "T=12:00"}},
        {"-u -c file1 \"file 2\"", {"u=", "c=", "NoTag_1=file1", "NoTag_2=file 2"}},
        {"-s", {"s="}},
        {"-s \t", {"s="}},
        {"-M 500x", {"M=500x"}},
        {"-d -D x", {"d=", "D=x"}},
        {"a - b", {"NoTag_1=a", "=", "NoTag_2=b"}},
        {"-", {"="}},
        {"--x v", {"=", "x=v"}},
        {"f1 -c f2 -D 2024/01/02 f3", {"NoTag_1=f1", "c=", "NoTag_2=f2", "D=2024/01/02", "NoTag_3=f3"}},
        {"-h -u -c -w -a -d -t -m x", {"h=", "u=", "c=", "w=", "a=", "d=", "t=", "m=", "NoTag_1=x"}},
        {"-uc file", {"uc=file"}},  // only whole names are value-less
        {"-H file", {"H=file"}},
        {"-Q", {"Q="}},
        {"-\"long name\" v", {"long name=v"}},
        {"-s \"-x\" \"-y\"", {"s=-x", "NoTag_1=-y"}},
        {"-s -x", {"s=", "x="}},
        {"\"unbalanced text", {"NoTag_1=unbalanced text"}},
        {"-D \"2024/09/07", {"D=2024/09/07"}},
        {"a\"b c", {"NoTag_1=a\"b", "NoTag_2=c"}},
        {"\"\" x", {"NoTag_1=", "NoTag_2=x"}},
        {"\"a\"b", {"NoTag_1=a", "NoTag_2=b"}},
        {"-D\r\n2024\r\nfile", {"D=2024", "NoTag_1=file"}},
        {"-D-T x", {"D-T=x"}},
        // Only the offset takes a negative value; a minus before a letter is still an option.
        {"-O -1.00:00:30.500 f", {"O=-1.00:00:30.500", "NoTag_1=f"}},
        {"-O +01:00:00 -O -w", {"O=+01:00:00", "O=", "w="}},
        {"-M -5", {"M=", "5="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(c.entries, Entries(c.arguments));
    }
}

TEST(RawCommandLineTest, OptionsAreCaseSensitive) {
    RawParameterList list;
    list.Add("d", "kept");
    ParseArguments("-D 2024/09/07", list);
    EXPECT_TRUE(list.CaseSensitive());
    ASSERT_NE(nullptr, list.Find("D"));
    EXPECT_EQ("2024/09/07", Text(list.Find("D")->value));
    EXPECT_EQ("kept", Text(list.Find("d")->value));
    EXPECT_EQ(2, list.Count());
}

TEST(RawCommandLineTest, TokensKeepTheTextEncoding) {
    // "-s C:\Dätä f" in UTF-8 and as wide text.
    const RawString utf8 = RawString::FromUnits("-s \"C:\\D\xC3\xA4t\xC3\xA4\" f", -1, Utf8);
    const RawString wide(utf8, Wide);
    for (const RawString& text : {utf8, wide}) {
        RawParameterList list;
        ParseArguments(text, list);
        ASSERT_EQ(2, list.Count());
        EXPECT_EQ(text.Encoding(), list.First()->value.Encoding());
        EXPECT_EQ("C:\\D\xC3\xA4t\xC3\xA4", Text(list.First()->value));
        EXPECT_EQ("f", Text(list.Last()->value));
    }
}

TEST(RawCommandLineTest, ThousandsOfArguments) {
    RawString text;
    for (int i = 0; i < 5000; ++i) text.Concat("-x \"v w\" file ");
    RawParameterList list;
    ParseArguments(text, list);
    ASSERT_EQ(10000, list.Count());
    EXPECT_EQ("NoTag_5000=file", Text(list.Last()->name) + "=" + Text(list.Last()->value));
    EXPECT_EQ("v w", Text(list.First()->value));
}

TEST(RawCommandLineTest, ProcessArgumentsLackTheProgramName) {
    const RawString arguments = MakeArgumentText();
    EXPECT_EQ(Utf8, arguments.Encoding());
    EXPECT_EQ(std::string::npos, Text(arguments).find("RawLayerTests"));
}
