// GuiSelectBox: a list of the numbers of one range (minimum <= n < end), each shown zero-padded
// to a number of digits, with the cursor on the number chosen so far. The box owns the texts its
// items refer to.
#pragma once

#include <windows.h>

#include <cstdint>

#include "RawLayer/RawList.h"
#include "RawLayer/RawString.h"
#include "WinLayer/WinListBox.h"

namespace AppLayer {

class GuiSelectBox : public WinLayer::WinListBoxR<RawLayer::RawString> {
public:
    GuiSelectBox();
    ~GuiSelectBox() override;

    // The range [minimum, end), the number chosen so far and the least digits of a text. Takes
    // effect at the next Fill.
    void SetRange(int32_t minimum, int32_t end, int32_t current, int32_t digits);
    // Puts the range in as items. The cursor stands on the current number's row, centred; a
    // number outside the range leaves the list without a cursor, at the top.
    void Fill();
    // Scrolls the cursor row as near the middle of the view as the list allows.
    void CentreCursor();

    // The text's rectangle as a row draws it: the rows keep their text a few pixels from each
    // side, so a list fitted to its template shows the template's width of digits whole.
    void MeasureText(RECT& rect) const override;

    // Follows the cursor: its row's number becomes current, or the initial one without a cursor.
    LRESULT OnCommand(int code) override;

    void DrawItem(WinLayer::WinDrawContext& dc, WinLayer::WinListBoxItemUnit& item, int32_t index, const RECT& rect,
                  const WinLayer::WinListBoxItemState& state) override;
    SIZE MeasureItem(HDC dc, WinLayer::WinListBoxItemUnit& item, int32_t index, int32_t width) override;

    int32_t Minimum() const { return minimum_; }
    int32_t End() const { return end_; }
    int32_t Initial() const { return initial_; }
    int32_t Current() const { return current_; }
    int32_t Digits() const { return digits_; }

    // Background of the selected row while the list has the focus and while it has not (0x00BBGGRR).
    static constexpr COLORREF kSelectedFocused = 0xFFD0C0;
    static constexpr COLORREF kSelectedUnfocused = 0xFFE3D8;

private:
    void RemoveAll();

    RawLayer::RawStringList texts_;  // the items refer to these: emptied only after the items
    int32_t minimum_ = 0;
    int32_t end_ = 0;
    int32_t initial_ = 0;
    int32_t current_ = 0;
    int32_t digits_ = 0;
};

}  // namespace AppLayer
