#include "WinLayer/WinCommonDialog.h"

#include "RawLayer/RawLanguageTexts.h"

using RawLayer::RawLocaleRecord;
using RawLayer::RawParameterList;
using RawLayer::RawString;

namespace WinLayer {

const RawString& CommonDialogTableName() {
    static const RawString text("CommonDialog");
    return text;
}

const RawLocaleRecord* CommonDialogTable() {
    static const RawLocaleRecord table[] = {
        {"FinishButton", "Finish"},
        {"CancelButton", "Cancel"},
        {"CheckAllButton", "Check\nAll"},
        {"UncheckAllButton", "Clear\nAll"},
        {"HiddenButton", "Hidden"},
        {"OpenSide", "open"},
        {"HintSide", "hint"},
        {"InputTextPrompt", "Input text ?"},
        {"", ""},
    };
    return table;
}

RawParameterList CommonDialogTexts() {
    RawLayer::RawLanguageTexts& store = RawLayer::LanguageTexts();
    store.RegisterTexts(CommonDialogTableName(), CommonDialogTable());
    RawParameterList texts;
    for (const RawLocaleRecord* record = CommonDialogTable(); !record->tag.IsEmpty(); ++record) {
        RawString text = RawLayer::UnescapeText(store.GetText(CommonDialogTableName(), record->tag));
        // A translator's empty entry would leave a button without a caption.
        if (text.IsEmpty()) text = RawLayer::UnescapeText(RawLayer::EscapeText(record->defaultText));
        texts.Add(record->tag, text);
    }
    return texts;
}

const RawString& MarginKey() {
    static const RawString text("Margin");
    return text;
}

}  // namespace WinLayer
