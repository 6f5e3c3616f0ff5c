// Bounded, repeatable fuzzing of everything Kairodex reads from a person or a file: the command
// line, line files in every encoding, profiles, language files, date, time and millisecond texts.
// Each target runs its cases for a fixed list of seeds and for one seed of this run, printed in
// the log (KAIRODEX_FUZZ_SEED=N repeats it). Inputs that once found a fault stay as regression
// cases. Text handed to the parsers lies at the end of a page followed by a no-access page, so a
// read past it faults; every case also checks properties, and its own time.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AppLayer/FileTimeValue.h"
#include "RawLayer/RawCommandLine.h"
#include "RawLayer/RawLanguageTexts.h"
#include "RawLayer/RawLineFile.h"
#include "RawLayer/RawProfile.h"
#include "RawLayer/RawTimeText.h"
#include "RawLayer/TempFolder.h"

using namespace RawLayer;

namespace {

// The seeds every run takes; the run's own seed is added to them.
constexpr uint64_t kFixedSeeds[] = {1, 20240907, 0x9E3779B97F4A7C15ull};
// Longest any one case may take under Wine on a slow machine; a megabyte line gets more.
constexpr double kCaseSeconds = 2.0;
constexpr double kLongCaseSeconds = 20.0;

struct Random {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    uint32_t Below(uint32_t bound) { return bound ? Next() % bound : 0; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }
};

uint64_t RunSeed() {
    static const uint64_t seed = [] {
        if (const char* given = std::getenv("KAIRODEX_FUZZ_SEED")) return std::strtoull(given, nullptr, 10);
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<uint64_t>(now.QuadPart) ^ GetCurrentProcessId();
    }();
    return seed;
}

std::vector<uint64_t> Seeds() {
    std::vector<uint64_t> seeds(std::begin(kFixedSeeds), std::end(kFixedSeeds));
    seeds.push_back(RunSeed());
    return seeds;
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs cases(random, index) count times per seed; each case is timed against its bound.
template <class Case>
void Fuzz(const char* target, int count, Case runCase) {
    const double start = Seconds();
    for (uint64_t seed : Seeds()) {
        Random random{seed};
        for (int index = 0; index < count && !::testing::Test::HasFatalFailure(); ++index) {
            const double begun = Seconds();
            const double bound = runCase(random, index) ? kLongCaseSeconds : kCaseSeconds;
            EXPECT_LT(Seconds() - begun, bound) << target << " seed " << seed << " case " << index;
        }
    }
    std::printf("fuzz %s: %d cases per seed, %zu seeds (run seed %llu), %.1f s\n", target, count, Seeds().size(),
                static_cast<unsigned long long>(RunSeed()), Seconds() - start);
}

// Bytes at the very end of committed memory: the page after them cannot be read.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const size_t page = info.dwPageSize;
        size_ = (bytes.size() + page - 1) / page * page + page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + size_ - page, page, PAGE_NOACCESS, &old);
        data_ = base_ + size_ - page - bytes.size();
        std::copy(bytes.begin(), bytes.end(), data_);
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const uint8_t* Data() const { return data_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

std::wstring WideOf(const RawString& text) {
    const RawString wide(text, Wide);
    return std::wstring(wide.WideUnits(), static_cast<size_t>(wide.Length()));
}

// Characters the generators draw from: ASCII with the parsers' special units, Latin, Japanese,
// a surrogate pair, and the controls that files hold.
const wchar_t* const kPieces[] = {L"a",      L"Z",      L"0",          L"7", L"-", L"+",  L"\"", L" ",
                                  L"\t",     L"=",      L"[",          L"]", L"/", L"\\", L"x",  L"b",
                                  L"\u00e9", L"\u65e5", L"\U0001F600", L":", L".", L";"};

std::wstring RandomText(Random& random, int longest, bool controls) {
    std::wstring text;
    const int length = static_cast<int>(random.Below(static_cast<uint32_t>(longest) + 1));
    for (int i = 0; i < length; ++i) {
        if (controls && random.OneIn(12)) {
            text += random.Pick({L'\r', L'\n', L'\0', L'\x1a'});
        } else {
            text += random.Pick(kPieces);
        }
    }
    return text;
}

std::string RandomBytes(Random& random, int longest) {
    std::string bytes(random.Below(static_cast<uint32_t>(longest) + 1), '\0');
    for (char& byte : bytes) byte = static_cast<char>(random.OneIn(4) ? random.Pick("\r\n\\=[]\"-0x") : random.Next());
    return bytes;
}

std::string Encode(const std::wstring& text, StringEncoding encoding) {
    std::string bytes;
    if (encoding == Utf16LE || encoding == Utf16BE) {
        for (wchar_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += encoding == Utf16LE ? std::string{low, high} : std::string{high, low};
        }
        return bytes;
    }
    bytes.resize(text.size() * 4 + 1);
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

std::string Mark(StringEncoding encoding) {
    if (encoding == Utf16LE) return "\xFF\xFE";
    if (encoding == Utf16BE) return "\xFE\xFF";
    return "\xEF\xBB\xBF";
}

// A view of bytes in the given encoding over guarded memory (UTF-16: whole units only).
RawString GuardedView(const GuardedBytes& guarded, size_t bytes, StringEncoding encoding) {
    const int32_t units = static_cast<int32_t>(encoding == Wide ? bytes / 2 : bytes);
    return RawString::MakeView(guarded.Data() + (bytes - (encoding == Wide ? units * 2 : units)), units, encoding);
}

}  // namespace

// Random text over guarded memory: the tokeniser, the number parser and the escapes never read
// past it; a command line made of known arguments parses back to them; a whole number within
// its bounds reads back as itself, and nothing out of bounds is taken.
TEST(HostileInputFuzz, CommandLineNumbersAndEscapes) {
    Fuzz("command line, numbers, escapes", 2500, [](Random& random, int) {
        const StringEncoding encoding = random.Pick({Utf8, ShiftJis, Ansi, Wide});
        const std::string bytes =
            random.OneIn(2) ? RandomBytes(random, 80) : Encode(RandomText(random, 40, true), Utf8);
        GuardedBytes guarded(bytes);
        const RawString text = GuardedView(guarded, bytes.size(), encoding);
        RawParameterList arguments;
        ParseArguments(text, arguments);
        EXPECT_LE(arguments.Count(), text.Length() + 1);
        for (const RawParameterUnit& unit : arguments) EXPECT_LE(unit.value.Length(), text.Length());
        EXPECT_LE(text.UnescapeControls().Length(), 2 * text.Length());
        EXPECT_LE(text.EscapeControls().Length(), 2 * text.Length());
        int32_t value = 0;
        if (ProfileInteger(text, -1000, 1000, &value)) {
            EXPECT_TRUE(value >= -1000 && value <= 1000);
        }

        const int64_t number =
            static_cast<int64_t>((static_cast<uint64_t>(random.Next()) << 32) | random.Next()) >> random.Below(63);
        const int32_t low = -static_cast<int32_t>(random.Below(1u << 31)),
                      high = static_cast<int32_t>(random.Below(1u << 31));
        value = 12345;
        const bool inside = number >= low && number <= high;
        EXPECT_EQ(ProfileInteger(RawString::Decimal(number), low, high, &value), inside) << number;
        EXPECT_EQ(value, inside ? number : 12345);

        // Arguments a user could type: option letters with values, quoted and bare words.
        std::vector<std::string> typed;  // name=value
        std::string line;
        for (int i = static_cast<int>(random.Below(6)), positional = 0; i > 0; --i) {
            std::string word = Encode(RandomText(random, 8, false), Utf8);
            for (char& unit : word) {
                if (unit == '"' || unit == ' ' || unit == '\t') unit = '_';
            }
            if (word.empty() || word[0] == '-') word = "w" + word;
            const bool option = random.OneIn(2);
            line += option ? "-D \"" + word + "\" " : "\"" + word + "\" ";
            typed.push_back((option ? "D" : "NoTag_" + std::to_string(++positional)) + "=" + word);
        }
        RawParameterList parsed;
        ParseArguments(RawString::FromUnits(line.data(), static_cast<int32_t>(line.size()), Utf8), parsed);
        std::vector<std::string> entries;
        for (const RawParameterUnit& unit : parsed) {
            entries.push_back(std::string(unit.name.Bytes(), static_cast<size_t>(unit.name.Length())) + "=" +
                              std::string(unit.value.Bytes(), static_cast<size_t>(unit.value.Length())));
        }
        EXPECT_EQ(entries, typed) << line;
        return false;
    });
}

// A valid date, time and millisecond value formats and parses back to itself; any text leaves
// a valid value whose file time and calendar form agree.
TEST(HostileInputFuzz, DateTimeAndMillisecondTexts) {
    Fuzz("date and time texts", 2000, [](Random& random, int) {
        AppLayer::FileTimeSettings settings;
        settings.flags = AppLayer::kPartMask | AppLayer::ShowUtc;
        SYSTEMTIME time = {};
        time.wYear = static_cast<WORD>(1601 + random.Below(30827 - 1601 + 1));
        time.wMonth = static_cast<WORD>(1 + random.Below(12));
        time.wDay = static_cast<WORD>(1 + random.Below(28));
        time.wHour = static_cast<WORD>(random.Below(24));
        time.wMinute = static_cast<WORD>(random.Below(60));
        time.wSecond = static_cast<WORD>(random.Below(60));
        time.wMilliseconds = static_cast<WORD>(random.Below(1000));
        settings.value.StoreUtc(SYSTEMTIME{2000, 1, 0, 1, 0, 0, 0, 0});
        settings.ParseDate(FormatDate(time, random.Pick({'/', '-', '.'})));
        settings.ParseTime(FormatTime(time, ':'));
        settings.ParseMSec(FormatMSec(time));
        const SYSTEMTIME& back = settings.value.brokenDown;
        EXPECT_TRUE(back.wYear == time.wYear && back.wMonth == time.wMonth && back.wDay == time.wDay &&
                    back.wHour == time.wHour && back.wMinute == time.wMinute && back.wSecond == time.wSecond &&
                    back.wMilliseconds == time.wMilliseconds)
            << FormatDate(time, '/').Bytes();

        const std::string bytes =
            random.OneIn(3) ? RandomBytes(random, 40) : Encode(RandomText(random, 24, true), Utf8);
        GuardedBytes guarded(bytes);
        const RawString text = GuardedView(guarded, bytes.size(), random.Pick({Utf8, Wide, ShiftJis}));
        settings.ParseDate(text);
        settings.ParseTime(text);
        settings.ParseMSec(text);
        EXPECT_TRUE(AppLayer::IsValidSystemTime(settings.value.brokenDown));
        SYSTEMTIME fromFileTime = {};
        EXPECT_TRUE(FileTimeToSystemTime(&settings.value.fileTime, &fromFileTime));
        EXPECT_EQ(fromFileTime.wYear, settings.value.brokenDown.wYear);
        EXPECT_EQ(fromFileTime.wMilliseconds, settings.value.brokenDown.wMilliseconds);
        return false;
    });
}

// -O offsets: a valid offset parses to its ticks, and one made invalid by a unit more does not;
// any text either fails or gives ticks that a shift there and back returns exactly.
TEST(HostileInputFuzz, OffsetTexts) {
    Fuzz("offset texts", 2000, [](Random& random, int) {
        const char* sign = random.Pick({"", "+", "-"});
        const uint64_t days = random.OneIn(2) ? 0 : random.Below(10000000);
        const uint64_t hours = random.Below(24), minutes = random.Below(60), seconds = random.Below(60);
        const uint64_t milliseconds = random.Below(1000);
        const bool withDays = days > 0 || random.OneIn(4), withMs = random.OneIn(2);
        char dayPart[16] = "", msPart[8] = "", text[48];
        if (withDays) std::snprintf(dayPart, sizeof dayPart, "%llu.", static_cast<unsigned long long>(days));
        if (withMs) std::snprintf(msPart, sizeof msPart, ".%03llu", static_cast<unsigned long long>(milliseconds));
        std::snprintf(text, sizeof text, "%s%s%0*llu:%02llu:%02llu%s", sign, dayPart, random.OneIn(2) ? 1 : 2,
                      static_cast<unsigned long long>(hours), static_cast<unsigned long long>(minutes),
                      static_cast<unsigned long long>(seconds), msPart);
        const int64_t total = static_cast<int64_t>((((days * 24 + hours) * 60 + minutes) * 60 + seconds) * 10000000 +
                                                   (withMs ? milliseconds : 0) * 10000);
        int64_t ticks = 0;
        EXPECT_TRUE(AppLayer::ParseOffset(RawString(text), ticks) && ticks == (*sign == '-' ? -total : total)) << text;
        char spoilt[56];
        std::snprintf(spoilt, sizeof spoilt, "%s%s", text, random.Pick({"0", ":", ".", " ", "5"}));
        EXPECT_FALSE(AppLayer::ParseOffset(RawString(spoilt), ticks)) << spoilt;

        const std::string bytes =
            random.OneIn(3) ? RandomBytes(random, 32) : Encode(RandomText(random, 24, true), Utf8);
        GuardedBytes guarded(bytes);
        if (AppLayer::ParseOffset(GuardedView(guarded, bytes.size(), random.Pick({Utf8, Wide, ShiftJis})), ticks)) {
            const uint64_t count =
                (uint64_t(random.Next()) << 32 | random.Next()) % 2000000000000000000ull;  // up to the year 7938
            const FILETIME time = {static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
            FILETIME there = {}, back = {};
            if (AppLayer::ShiftFileTime(time, ticks, there)) {
                EXPECT_TRUE(AppLayer::ShiftFileTime(there, -ticks, back));
                EXPECT_TRUE(back.dwLowDateTime == time.dwLowDateTime && back.dwHighDateTime == time.dwHighDateTime);
            }
        }
        return false;
    });
}

// Line files in every encoding: random bytes behind any mark, cut mid-unit, with NULs, now and
// then a line of a megabyte. Reading ends, every line fits in what the file holds, positions
// rise; valid text behind a mark reads back line for line, and a written file reads back as
// written.
TEST(HostileInputFuzz, LineFiles) {
    TempFolder folder;
    const std::wstring path = folder.Below(L"lines.txt");
    Fuzz("line files", 600, [&](Random& random, int) {
        const StringEncoding encoding = random.Pick({Utf8, Utf16LE, Utf16BE});
        std::vector<std::wstring> lines;
        std::string file = random.OneIn(2) ? Mark(encoding) : "";
        const bool valid = !file.empty() && random.OneIn(2);
        const bool huge = random.OneIn(60);
        for (int i = static_cast<int>(random.Below(8)); i >= 0; --i) {
            lines.push_back(huge && i == 0 ? std::wstring(1 << 20, L'\u00e9') : RandomText(random, 30, false));
            file += valid ? Encode(lines.back() + random.Pick({L"\r\n", L"\n"}), encoding) : RandomBytes(random, 60);
        }
        if (!valid && !file.empty() && random.OneIn(2)) file.pop_back();  // cut mid-unit
        EXPECT_TRUE(TempFolder::Write(path, file));
        RawLineFile reader(RawString::FromWide(path.c_str()), random.Pick({16, 17, 64, 8192}));
        reader.SetBufferLimit(4 << 20);
        reader.SetRequestedEncoding(valid || random.OneIn(2) ? Wide : random.Pick({Utf8, Ansi}));
        EXPECT_TRUE(reader.OpenRead());
        int64_t lastPosition = -1;
        std::vector<std::wstring> read;
        for (LineRecord line = reader.NextLine(); line.found; line = reader.NextLine()) {
            EXPECT_GT(line.position, lastPosition);
            lastPosition = line.position;
            EXPECT_LE(static_cast<size_t>(line.text.Length()), 3 * file.size());
            if (read.size() > file.size() + 1) {
                ADD_FAILURE() << "more lines than bytes";
                return huge;
            }
            if (valid) read.push_back(WideOf(line.text));
        }
        reader.Close();
        if (valid) {
            EXPECT_EQ(read, lines);
        }

        // Written in the encoding, with or without mark, and read back.
        RawLineFile writer(RawString::FromWide(path.c_str()));
        EXPECT_TRUE(writer.CreateWrite(CREATE_ALWAYS));
        writer.SetRequestedEncoding(encoding);
        writer.SetWriteSignature(encoding != Utf8 || random.OneIn(2));
        writer.BeginWrite();
        for (const std::wstring& line : lines)
            writer.WriteLine(RawString::FromWide(line.c_str(), static_cast<int32_t>(line.size())));
        EXPECT_TRUE(writer.Close());
        RawLineFile again(RawString::FromWide(path.c_str()));
        again.SetBufferLimit(4 << 20);
        again.SetRequestedEncoding(Wide);
        again.OpenRead();
        read.clear();
        for (LineRecord line = again.NextLine(); line.found; line = again.NextLine()) read.push_back(WideOf(line.text));
        again.Close();
        EXPECT_EQ(read, lines);
        return huge;
    });
}

namespace {

std::string RandomProfile(Random& random) {
    const char* const names[] = {"A", "B", "Zulu", "\xC3\xA9t\xC3\xA9", "", "A]", "[x"};
    std::string text = random.OneIn(4) ? "\xEF\xBB\xBF" : "";
    for (int i = static_cast<int>(random.Below(12)); i > 0; --i) {
        switch (random.Below(5)) {
            case 0:
                text += std::string("[") + random.Pick(names) + (random.OneIn(4) ? "" : "]");
                break;
            case 1:
                text += std::string(random.Pick(names)) + "=" + Encode(RandomText(random, 10, false), Utf8);
                break;
            case 2:
                text += RandomBytes(random, 30);
                break;
            case 3:
                text += "//" + Encode(RandomText(random, 10, false), Utf8);
                break;
            default:
                break;
        }
        text += random.Pick({"\r\n", "\n", "\r", ""});
    }
    return text;
}

// The bytes as hexadecimal pairs, for a readable failure.
std::string Hex(const std::string& bytes) {
    std::string text;
    char pair[4];
    for (unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x ", byte);
        text += pair;
    }
    return text;
}

// A section's entries as UTF-16, name=value.
std::vector<std::wstring> Entries(RawProfile& profile, const RawString& section) {
    RawParameterList list;
    profile.ReadSection(list, section);
    std::vector<std::wstring> entries;
    for (const RawParameterUnit& unit : list) entries.push_back(WideOf(unit.name) + L"=" + WideOf(unit.value));
    return entries;
}

}  // namespace

// Random profiles: a key that was set reads back as set, the other sections keep their entries,
// and a save that fails leaves the file byte for byte; no temporary file is ever left.
TEST(HostileInputFuzz, ProfileSectionsAndKeys) {
    TempFolder folder;
    const std::wstring path = folder.Below(L"fuzz.ini");
    Fuzz("profiles", 300, [&](Random& random, int) {
        const std::string before = RandomProfile(random);
        EXPECT_TRUE(TempFolder::Write(path, before));
        RawProfile profile(RawString::FromWide(path.c_str()));
        const RawString section = random.Pick({"A", "Zulu", "New"}), other = random.Pick({"B", "A]"});
        const std::vector<std::wstring> kept = Entries(profile, other);
        const std::wstring value = RandomText(random, 12, false);
        const RawString key = random.Pick({"A", "k", "Key"});
        if (profile.SetValue(section, key,
                             RawString(RawString::FromWide(value.c_str(), static_cast<int32_t>(value.size())), Utf8))) {
            EXPECT_EQ(WideOf(profile.GetValue(section, key, "<none>")), value)
                << Hex(before) << "\nafter " << Hex(TempFolder::Read(path));
            if (!section.EqualsIgnoreCase(other)) {
                EXPECT_EQ(Entries(profile, other), kept) << before;
            }
        } else {
            EXPECT_TRUE(TempFolder::Read(path) == before.substr(0, 4096)) << before;
        }
        EXPECT_FALSE(GetFileAttributesW((path + L".tmp").c_str()) != INVALID_FILE_ATTRIBUTES);
        return false;
    });
}

// Random language files: the map's identifiers are LANGIDs or none, every text of the chosen
// section reads as stored, and its display form never grows past twice its length, whatever
// escapes and trailing backslashes it holds.
TEST(HostileInputFuzz, LanguageFiles) {
    TempFolder folder;
    const std::wstring path = folder.Below(L"LanguageFile.ini");
    Fuzz("language files", 300, [&](Random& random, int) {
        std::string file = "[LangMap]\r\n";
        for (int i = static_cast<int>(random.Below(4)); i > 0; --i) {
            file += std::string(random.Pick({"Deutsch", "English", "Japanese"})) + "=" +
                    random.Pick({"1031", "0x409", "0b10000010001", "-1", "65536", "4294968327", "abc", ""}) + "\r\n";
        }
        file += "[Deutsch]\r\n";
        std::vector<std::pair<std::string, std::string>> texts;
        for (int i = static_cast<int>(random.Below(6)); i > 0; --i) {
            std::string text = Encode(RandomText(random, 20, false), Utf8);
            if (random.OneIn(3)) text += "\\";
            texts.push_back({"Main_Tag" + std::to_string(i), text});
            file += texts.back().first + "=" + text + "\r\n";
        }
        EXPECT_TRUE(TempFolder::Write(path, file));
        RawLanguageTexts store;
        store.SetFilePath(RawString::FromWide(path.c_str()));
        store.LoadLanguageMap();
        for (const RawParameterUnit& unit : store.LanguageMap()) EXPECT_TRUE(unit.tag >= 0 && unit.tag <= 0xFFFF);
        store.SelectSection("Deutsch");
        for (const auto& text : texts) {
            const RawString stored = store.GetText("Main", RawString(text.first.c_str() + 5));
            EXPECT_EQ(std::string(stored.Bytes(), static_cast<size_t>(stored.Length())), text.second) << file;
            EXPECT_LE(UnescapeText(stored).Length(), 2 * stored.Length());
        }
        return false;
    });
}
