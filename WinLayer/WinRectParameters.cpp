#include "WinLayer/WinRectParameters.h"

#include "RawLayer/RawProfile.h"

using RawLayer::RawParameterList;
using RawLayer::RawParameterUnit;
using RawLayer::RawString;

namespace WinLayer {
namespace {

struct EdgeKey {
    const char* suffix;
    LONG RECT::*edge;
};

constexpr EdgeKey kEdges[] = {
    {"_L", &RECT::left},
    {"_T", &RECT::top},
    {"_R", &RECT::right},
    {"_B", &RECT::bottom},
};

RawString EdgeName(const RawString& name, const EdgeKey& key) {
    RawString result(name);
    result.Concat(RawString(key.suffix));
    return result;
}

}  // namespace

bool ReadRectParameters(const RawParameterList& parameters, const RawString& name, RECT& rect) {
    bool sound = true;
    for (const EdgeKey& key : kEdges) {
        if (RawParameterUnit* unit = parameters.Find(EdgeName(name, key))) {
            int32_t edge = 0;
            const bool taken = RawLayer::ProfileInteger(unit->value, -kLargestEdge, kLargestEdge, &edge);
            if (taken) rect.*key.edge = edge;
            sound = sound && taken;
        }
    }
    return sound;
}

void WriteRectParameters(RawParameterList& parameters, const RawString& name, const RECT& rect) {
    for (const EdgeKey& key : kEdges) {
        parameters.FindOrAdd(EdgeName(name, key))->value = RawString::Decimal(rect.*key.edge);
    }
}

}  // namespace WinLayer
