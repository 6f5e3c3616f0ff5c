#include "WinLayer/WinViewProperty.h"

#include "WinLayer/WinEnvironment.h"

namespace WinLayer {

const WinFont& WinViewProperty::ResolvedFont() const {
    for (const WinViewProperty* property = this; property; property = property->parent) {
        if (property->font) return *property->font;
    }
    return Environment().DefaultFont();
}

}  // namespace WinLayer
