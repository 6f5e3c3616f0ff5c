#include "WinLayer/WinRectParameters.h"

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

void ReadRectParameters(const RawParameterList& parameters, const RawString& name, RECT& rect) {
    for (const EdgeKey& key : kEdges) {
        if (RawParameterUnit* unit = parameters.Find(EdgeName(name, key))) {
            // Reduced to the low 32 bits, as every integer setting is.
            rect.*key.edge = static_cast<LONG>(static_cast<uint32_t>(unit->value.ParseNumber().Signed()));
        }
    }
}

void WriteRectParameters(RawParameterList& parameters, const RawString& name, const RECT& rect) {
    for (const EdgeKey& key : kEdges) {
        parameters.FindOrAdd(EdgeName(name, key))->value = RawString::Decimal(rect.*key.edge);
    }
}

}  // namespace WinLayer
