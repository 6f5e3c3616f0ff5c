#include "RawLayer/RawCommandLine.h"

#include <cwchar>

namespace RawLayer {

namespace {

constexpr uint32_t kMinus = '-';
constexpr uint32_t kQuote = '"';

// Blanks around the program name.
const RawString& NameBlanks() {
    static const RawString kBlanks(" \t");
    return kBlanks;
}

// Blanks between arguments.
const RawString& ArgumentBlanks() {
    static const RawString kBlanks(" \t\r\n");
    return kBlanks;
}

// Options that never take the next word; the empty entry ends the table.
const RawString* ValueLessOptions() {
    static const RawString kTable[] = {"h", "u", "c", "w", "a", "d", "t", "m", ""};
    return kTable;
}

RawString PositionalName(int32_t number) {
    static const RawString kPrefix("NoTag");
    static const RawString kSeparator("_");
    RawString name(kPrefix);
    name.Concat(kSeparator);
    name.AppendDecimal(number);
    return name;
}

// The offset option's value may be negative: a minus followed by a digit is its value there.
bool TakesSignedValue(const RawString& name, const RawString& text, int32_t pos) {
    static const RawString kOffset("O");
    const uint32_t next = text.UnitAt(pos + 1);
    return name.Equals(kOffset) && text.UnitAt(pos) == kMinus && next >= '0' && next <= '9';
}

// The word at pos, whatever it begins with.
RawString ReadWord(const RawString& text, int32_t& pos) {
    const int32_t first = pos;
    const int32_t last = text.FindFirstOf(ArgumentBlanks(), first);
    pos = text.SkipAll(ArgumentBlanks(), last);
    return RawString::FromRange(text, first, last);
}

// Reads the option whose minus is at pos and appends its entry.
void ReadOption(const RawString& text, int32_t& pos, RawParameterList& out) {
    ++pos;
    RawString name = ReadArgumentToken(text, pos);
    if (!name.IsEmpty() && TakesSignedValue(name, text, pos)) {
        out.Add(name, ReadWord(text, pos));
        return;
    }
    if (name.IsEmpty() || IsValueLessOption(name) || text.UnitAt(pos) == kMinus) {
        out.Add(name);
        return;
    }
    out.Add(name, ReadArgumentToken(text, pos));
}

}  // namespace

RawString MakeArgumentText() {
    const wchar_t* line = GetCommandLineW();
    if (!line) return RawString();
    const RawString view = RawString::MakeView(line, static_cast<int32_t>(wcslen(line)), Wide);
    return RemoveProgramName(RawString(view, Utf8));
}

RawString RemoveProgramName(const RawString& commandLine) {
    const int32_t length = commandLine.Length();
    int32_t pos = commandLine.SkipAll(NameBlanks(), 0);
    bool quoted = false;
    for (; pos < length; ++pos) {
        if (commandLine.UnitAt(pos) == kQuote) {
            quoted = !quoted;
        } else if (!quoted && commandLine.IsUnitIn(pos, NameBlanks())) {
            break;
        }
    }
    pos = commandLine.SkipAll(NameBlanks(), pos);
    return RawString::FromRange(commandLine, pos, length);
}

RawString ReadArgumentToken(const RawString& text, int32_t& pos) {
    // UnitAt gives 0 past the end, which is neither a minus nor a quote.
    const uint32_t unit = text.UnitAt(pos);
    if (unit == kMinus) return RawString();
    int32_t first = pos;
    int32_t last = 0;
    if (unit == kQuote) {
        first = pos + 1;
        last = text.FindUnit(kQuote, first);
        pos = last < text.Length() ? last + 1 : text.Length();
    } else {
        last = text.FindFirstOf(ArgumentBlanks(), first);
        pos = last;
    }
    pos = text.SkipAll(ArgumentBlanks(), pos);
    return RawString::FromRange(text, first, last);
}

bool IsValueLessOption(const RawString& name) {
    for (const RawString* option = ValueLessOptions(); !option->IsEmpty(); ++option) {
        if (option->Equals(name)) return true;
    }
    return false;
}

void ParseArguments(const RawString& argumentText, RawParameterList& out) {
    out.SetCaseSensitive(true);
    int32_t counter = 1;
    int32_t pos = argumentText.SkipAll(ArgumentBlanks(), 0);
    while (pos < argumentText.Length()) {
        if (argumentText.UnitAt(pos) == kMinus) {
            ReadOption(argumentText, pos, out);
        } else {
            out.Add(PositionalName(counter), ReadArgumentToken(argumentText, pos));
            ++counter;
        }
    }
}

void ParseCommandLine(RawParameterList& out) { ParseArguments(MakeArgumentText(), out); }

}  // namespace RawLayer
