// The large section that the killed-save test and its helper program write: a megabyte of
// entries, the same in both.
#pragma once

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"

namespace TestSupport {

inline RawLayer::RawParameterList LargeSection() {
    RawLayer::RawParameterList list;
    for (int i = 0; i < 40000; ++i) {
        RawLayer::RawString name("k");
        name.AppendDecimal(i);
        list.Add(name, RawLayer::RawString("a value of some length, written many times over"));
    }
    return list;
}

}  // namespace TestSupport
