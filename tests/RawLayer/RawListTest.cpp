#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "RawLayer/RawList.h"

using namespace RawLayer;

namespace {

// An element that counts how many of its kind are alive.
struct Probe {
    explicit Probe(int v, int* alive) : value(v), live(alive) { ++*live; }
    ~Probe() { --*live; }
    int value;
    int* live;
};

class ProbeAllocator : public RawListAllocator<Probe> {
public:
    using RawListAllocator<Probe>::Release;
    void Release(Probe* element) override { delete element; }
};

using ProbeList = RawListR<ProbeAllocator, Probe>;

class ProbeSort : public RawListSortR<Probe> {
public:
    using RawListSortR<Probe>::RawListSortR;
    using RawListSortR<Probe>::Compare;
    int Compare(Probe* a, Probe* b) override {
        ++calls;
        return a->value < b->value ? -1 : (a->value > b->value ? 1 : 0);
    }
    int calls = 0;
};

std::vector<int> Values(const ProbeList& list) {
    std::vector<int> values;
    for (const Probe& probe : list) values.push_back(probe.value);
    return values;
}

std::string Text(const RawString& s) {
    const RawString utf8(s, Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

RawString Utf8Bytes(const char* bytes) { return RawString::FromUnits(bytes, -1, Utf8); }

std::vector<std::string> Names(const RawParameterList& list) {
    std::vector<std::string> names;
    for (const RawParameterUnit& unit : list) {
        std::string entry = Text(unit.name);
        if (!unit.value.IsEmpty()) entry.append("=").append(Text(unit.value));
        names.push_back(entry);
    }
    return names;
}

std::vector<std::string> Strings(const RawStringList& list) {
    std::vector<std::string> texts;
    for (const RawString& item : list) texts.push_back(Text(item));
    return texts;
}

RawParameterList ParameterList(std::initializer_list<const char*> names) {
    RawParameterList list;
    for (const char* name : names) list.Add(name);
    return list;
}

}  // namespace

// ---- sharing and disposal ----

TEST(RawListTest, EmptyListHasNothingToWalkFindOrSort) {
    int alive = 0;
    ProbeList list;
    EXPECT_EQ(0, list.Count());
    EXPECT_FALSE(list.begin() != list.end());
    EXPECT_EQ(nullptr, list.First());
    ProbeSort sort(list);
    list.Sort(sort);
    EXPECT_EQ(0, sort.calls);
    EXPECT_EQ(nullptr, RawParameterList().Find("x"));
    list.Add(new Probe(1, &alive));
    list.Sort(sort);
    EXPECT_EQ(0, sort.calls);
}

TEST(RawListTest, CopiesShareAddsAndRemoves) {
    int alive = 0;
    ProbeList first;
    first.Add(new Probe(1, &alive));
    ProbeList copy(first);
    first.Add(new Probe(2, &alive));
    ProbeList assigned;
    assigned = copy;
    copy.Remove(copy.FirstNode());
    EXPECT_EQ(1, alive);
    for (const ProbeList* list : {&first, &copy, &assigned}) EXPECT_EQ(std::vector<int>{2}, Values(*list));
}

TEST(RawListTest, ElementsGoWithTheLastHandle) {
    int alive = 0;
    auto* first = new ProbeList;
    first->Add(new Probe(1, &alive));
    first->Add(new Probe(2, &alive));
    auto* copy = new ProbeList(*first);
    ProbeList assigned;
    assigned.Add(new Probe(3, &alive));
    assigned = *copy;  // drops the only share of its own body
    EXPECT_EQ(2, alive);
    delete first;
    delete copy;
    EXPECT_EQ(2, alive);
    EXPECT_EQ((std::vector<int>{1, 2}), Values(assigned));
    assigned = assigned;
    assigned.RemoveAll();
    EXPECT_EQ(0, alive);
    EXPECT_EQ(0, assigned.Count());
}

TEST(RawListTest, ResetDetachesWhileRemoveAllEmptiesEveryCopy) {
    int alive = 0;
    ProbeList list;
    list.Add(new Probe(1, &alive));
    ProbeList copy(list);
    copy.Reset();
    EXPECT_EQ(0, copy.Count());
    EXPECT_EQ(std::vector<int>{1}, Values(list));
    EXPECT_EQ(1, alive);

    ProbeList other(list);
    other.RemoveAll();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(0, alive);
}

TEST(RawListTest, RemovingTheEndNodeChangesNothing) {
    int alive = 0;
    ProbeList list;
    list.Add(new Probe(1, &alive));
    list.Remove(list.EndNode());
    list.Remove(nullptr);
    EXPECT_EQ(std::vector<int>{1}, Values(list));
    EXPECT_EQ(1, alive);
}

// ---- lookups ----

TEST(RawListTest, NameLookupFoldsOnlyAsciiLetters) {
    struct Case {
        RawString stored;
        RawString asked;
        bool exact;
        bool found;
    };
    const Case cases[] = {
        {"Common", "common", false, true},
        {"Common", "COMMON", false, true},
        {"Common", "common", true, false},
        {"Common", "Common", true, true},
        {"[x]", "{x}", false, false},  // 0x5B and 0x7B differ by 32 but are no letters
        {"@", "`", false, false},
        {Utf8Bytes("\xC3\x89t\xC3\xA9"), Utf8Bytes("\xC3\xA9t\xC3\xA9"), false, false},  // Été, été
        {Utf8Bytes("\xC3\xA9T"), Utf8Bytes("\xC3\xA9t"), false, true},
        {"Common", "Commo", false, false},
        {"", "", false, true},
    };
    for (const Case& c : cases) {
        RawParameterList parameters;
        parameters.SetCaseSensitive(c.exact);
        parameters.Add(c.stored, "v");
        RawStringList strings;
        strings.SetCaseSensitive(c.exact);
        strings.Add(c.stored);
        SCOPED_TRACE(Text(c.stored) + " / " + Text(c.asked));
        EXPECT_EQ(c.found, parameters.Find(c.asked) != nullptr);
        EXPECT_EQ(c.found, strings.Contains(c.asked));
    }
}

TEST(RawListTest, FirstOfEqualNamesWins) {
    RawParameterList list;
    RawParameterUnit* first = list.Add("Key", "1");
    list.Add("KEY", "2");
    EXPECT_EQ(first, list.Find("key"));
    EXPECT_EQ(first, list.FindOrAdd("kEY"));
    EXPECT_EQ(2, list.Count());
    RawParameterUnit* added = list.FindOrAdd("Other");
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(added, list.Last());
    EXPECT_TRUE(added->value.IsEmpty());
    EXPECT_EQ(0, added->tag);
}

TEST(RawListTest, StringFindOrAddGivesTheFirstEqualNode) {
    RawStringList list;
    RawListNode* a = list.Add("alpha");
    list.Add("ALPHA");
    EXPECT_EQ(a, list.FindOrAdd("Alpha"));
    RawListNode* b = list.FindOrAdd("beta");
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(b, list.EndNode()->previous);
    list.SetCaseSensitive(true);
    EXPECT_NE(a, list.FindOrAdd("Alpha"));
    EXPECT_EQ((std::vector<std::string>{"alpha", "ALPHA", "beta", "Alpha"}), Strings(list));
}

TEST(RawListTest, RangeAtAndLocaleRecordContains) {
    RawRangeList ranges;
    ranges.Add(0, 3);
    ranges.Add(5, 9);
    EXPECT_EQ(nullptr, ranges.At(-1));
    EXPECT_EQ(0, ranges.At(0)->start);
    EXPECT_EQ(9, ranges.At(1)->end);
    EXPECT_EQ(nullptr, ranges.At(2));

    static RawLocaleRecord tableA[] = {{"a", "A"}, {"", ""}};
    static RawLocaleRecord tableB[] = {{"a", "A"}, {"", ""}};
    RawLocaleRecordList tables;
    tables.Add(tableA);
    EXPECT_TRUE(tables.Contains(tableA));
    EXPECT_FALSE(tables.Contains(tableB));  // same content, another table
}

// ---- sorting ----

TEST(RawListTest, CompareOrdinalTakesUnitsAsNumbers) {
    struct Case {
        RawString a;
        RawString b;
        int expected;
    };
    const Case cases[] = {
        {"B", "a", -1},
        {"a", "B", 1},
        {"ab", "abc", -1},
        {"", "a", -1},
        {"abc", "abc", 0},
        {"", "", 0},
        {Utf8Bytes("\xC3\xA9"), "z", 1},  // bytes are unsigned
        {RawString::FromWide(L"\u3042"), RawString::FromWide(L"\u00FF"), 1},
        {RawString::FromWide(L"ab"), "ab", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(c.a) + " / " + Text(c.b));
        EXPECT_EQ(c.expected, CompareOrdinal(c.a, c.b));
    }
}

TEST(RawListTest, SortOrders) {
    struct Case {
        std::initializer_list<const char*> input;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {{"Zulu", "Xray", "Yankee"}, {"Xray", "Yankee", "Zulu"}},
        {{"a", "B"}, {"B", "a"}},
        {{"abc", "ab", "a", "abd"}, {"a", "ab", "abc", "abd"}},
        {{"d", "c", "b", "a"}, {"a", "b", "c", "d"}},
        {{"a", "b", "c"}, {"a", "b", "c"}},
        {{"m", "z", "a", "m", "b"}, {"a", "b", "m", "m", "z"}},
    };
    for (const Case& c : cases) {
        RawParameterList list = ParameterList(c.input);
        RawParameterListSort sort(list);
        list.Sort(sort);
        EXPECT_EQ(c.sorted, Names(list));
        EXPECT_EQ(static_cast<int32_t>(c.sorted.size()), list.Count());
    }
}

TEST(RawListTest, EqualNamesKeepOrderUnlessAGreaterOneStandsBefore) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> input;
        std::vector<std::string> sorted;
    };
    const Case cases[] = {
        {{{"Z", ""}, {"X", "1"}, {"X", "2"}}, {"X=2", "X=1", "Z"}},  // moved in reverse order of encounter
        {{{"X", "1"}, {"X", "2"}, {"Y", ""}}, {"X=1", "X=2", "Y"}},
        {{{"X", "1"}, {"A", ""}, {"X", "2"}}, {"A", "X=1", "X=2"}},  // equal to the pivot: stays behind it
    };
    for (const Case& c : cases) {
        RawParameterList list;
        for (const auto& [name, value] : c.input) list.Add(name, value);
        RawParameterListSort sort(list);
        list.Sort(sort);
        EXPECT_EQ(c.sorted, Names(list));
    }
}

TEST(RawListTest, SortOfARangeLeavesTheRestAlone) {
    int alive = 0;
    ProbeList list;
    for (int v : {9, 5, 4, 3, 0}) list.Add(new Probe(v, &alive));
    ProbeSort sort(list);
    RawListNode* first = list.FirstNode()->next;
    RawListNode* end = list.EndNode()->previous;
    list.Sort(first, end, sort);
    EXPECT_EQ((std::vector<int>{9, 3, 4, 5, 0}), Values(list));
    EXPECT_EQ(5, list.Count());
    EXPECT_EQ(5, alive);  // nodes are replaced, elements never copied or released
}

namespace {

// Names 0..n-1 in the order that makes each pivot the greatest of its part and the moved
// part begin with the next greatest: a recursive sort would nest n deep.
std::vector<int> WorstOrder(int n) {
    std::deque<int> held;
    bool reversed = false;
    for (int k = 0; k < n; ++k) {
        if (reversed) {
            held.push_front(k);
        } else {
            held.push_back(k);
        }
        reversed = !reversed;
    }
    std::vector<int> order(held.begin(), held.end());
    if (reversed) return std::vector<int>(order.rbegin(), order.rend());
    return order;
}

RawString PaddedName(int value) {
    RawString name("name");
    name.AppendDecimalWidth(static_cast<uint64_t>(value), 6);
    return name;
}

// Notes the deepest stack address any comparison runs at.
class StackDepthSort : public RawStringListSort {
public:
    using RawStringListSort::Compare;
    using RawStringListSort::RawStringListSort;
    int Compare(RawString* a, RawString* b) override {
        deepest = std::min(deepest, reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
        return RawStringListSort::Compare(a, b);
    }
    uintptr_t deepest = UINTPTR_MAX;
};

}  // namespace

// A sort that recursed once per level would need the thread's whole stack for long lists.
TEST(RawListTest, WorstOrderSortsInFlatStack) {
    const int n = 4000;
    RawStringList list;
    for (int v : WorstOrder(n)) list.Add(PaddedName(v));
    ASSERT_EQ(Text(PaddedName(n - 1)), Text(*list.First()));
    StackDepthSort sort(list);
    const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    list.Sort(sort);
    EXPECT_LT(top - sort.deepest, 4096u);
    int expected = 0;
    for (const RawString& name : list) ASSERT_EQ(Text(PaddedName(expected++)), Text(name));
    EXPECT_EQ(n, expected);
}

TEST(RawListTest, TwentyThousandReverseSortedNames) {
    const int n = 20000;
    RawStringList list;
    for (int v = n - 1; v >= 0; --v) list.Add(PaddedName(v));
    RawStringListSort sort(list);
    list.Sort(sort);
    int expected = 0;
    for (const RawString& name : list) ASSERT_EQ(Text(PaddedName(expected++)), Text(name));
    EXPECT_EQ(n, list.Count());
}
