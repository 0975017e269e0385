#include "ui/deferred_page.h"

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
    int n = 0;
    while (text && text[n] && n < kDeferredTextCapacity - 1) {
        control->text[n] = text[n];
        ++n;
    }
    control->text[n] = 0;
    control->textSet = true;
}

int deferredGetText(const DeferredControl& control, wchar_t* out, int capacity) {
    if (capacity <= 0) return 0;
    int n = 0;
    while (control.text[n] && n < capacity - 1) {
        out[n] = control.text[n];
        ++n;
    }
    out[n] = 0;
    return n;
}
