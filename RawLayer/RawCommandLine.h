// The process's command line as a RawParameterList: "-X" options become entries named X
// (with the next word as value unless X takes none), bare words become NoTag_1, NoTag_2, ...
// Options are not interpreted here. The caller owns the list; entries own their strings.
#pragma once

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

// The process's command line in Utf8, less the program name.
RawString MakeArgumentText();

// commandLine without the leading program name (quoted or not) and the blanks around it,
// in commandLine's encoding.
RawString RemoveProgramName(const RawString& commandLine);

// Reads the token that begins at pos: empty at a minus (pos unchanged), the text up to the
// next double quote after an opening one (to the end when unbalanced), else the word up to
// the next blank. pos becomes where the next token begins (blanks skipped).
RawString ReadArgumentToken(const RawString& text, int32_t& pos);

// Whether an option of this name takes no value ("h", "u", "c", "w", "a", "d", "t", "m").
bool IsValueLessOption(const RawString& name);

// Switches out to exact name matching and appends the entries of argumentText in order.
void ParseArguments(const RawString& argumentText, RawParameterList& out);

// ParseArguments of MakeArgumentText.
void ParseCommandLine(RawParameterList& out);

}  // namespace RawLayer
