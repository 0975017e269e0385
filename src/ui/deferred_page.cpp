#include "ui/deferred_page.h"

#include <wchar.h>

#include "base/wide_text.h"

void deferredPageReset(DeferredPage* page) {
    page->count = 0;
    page->built = false;
}

bool deferredPageAdd(DeferredPage* page, int key, const wchar_t* text) {
    if (page->count >= kControlCount) return false;
    for (int i = 0; i < page->count; ++i) {
        if (page->controls[i].key == key) return false;
    }
    DeferredControl& c = page->controls[page->count++];
    c.key = key;
    c.enabled = true;
    c.checked = false;
    c.textSet = false;
    c.selection = -1;
    c.text[0] = 0;
    if (text) deferredSetText(&c, text);
    c.textSet = false;
    return true;
}

DeferredControl* deferredControl(DeferredPage* page, int key) {
    if (page->built) return nullptr;
    for (int i = 0; i < page->count; ++i) {
        if (page->controls[i].key == key) return &page->controls[i];
    }
    return nullptr;
}

void deferredSetText(DeferredControl* control, const wchar_t* text) {
    WideCopyBounded(control->text, kDeferredTextCapacity, text ? text : L"");
    control->textSet = true;
}

int deferredGetText(const DeferredControl& control, wchar_t* out, int capacity) {
    if (capacity <= 0) return 0;
    WideCopyBounded(out, capacity, control.text);
    return static_cast<int>(wcslen(out));
}
