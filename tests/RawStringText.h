// Test helpers that turn RawString values and parameter lists into plain text for assertions.
#pragma once

#include <string>
#include <vector>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace TestText {

// The string's text as UTF-8 bytes.
inline std::string Bytes(const RawLayer::RawString& text) {
    const RawLayer::RawString utf8(text, RawLayer::Utf8);
    return std::string(utf8.Bytes(), utf8.Length());
}

// A UTF-8 RawString of a wide text.
inline RawLayer::RawString Raw(const std::wstring& text) {
    return RawLayer::RawString(RawLayer::RawString::FromWide(text.c_str(), static_cast<int32_t>(text.size())),
                               RawLayer::Utf8);
}

// Every entry of a section as "name=value", in list order.
inline std::vector<std::string> Entries(const RawLayer::RawParameterList& list) {
    std::vector<std::string> entries;
    for (const RawLayer::RawParameterUnit& unit : list) entries.push_back(Bytes(unit.name) + "=" + Bytes(unit.value));
    return entries;
}

}  // namespace TestText
