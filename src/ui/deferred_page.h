// The settings page is built once the window has first painted, not while it is being created: most of the window's
// controls are on that page, which is closed at start. Until then whatever the program writes to a page control, and
// reads back from it, is kept here, and handed to the control when it is made.
#pragma once

#include "ui/control_table.h"

// The longest text the program gives a page control: a folder path, with room to spare.
const int kDeferredTextCapacity = 320;

struct DeferredControl {
    int key;
    bool enabled;
    bool checked;
    bool textSet;   // written since the record was made: the control gets it when it is created
    int selection;  // -1 as an empty list answers
    wchar_t text[kDeferredTextCapacity];
};

struct DeferredPage {
    DeferredControl controls[kControlCount];
    int count;
    bool built;  // the records are no longer answered once the page's controls exist
};

// Starts the page over: no records, not built.
void deferredPageReset(DeferredPage* page);
// Adds a control as created: enabled, unchecked, no selection, with its creation text (null for none). False when
// the page is full or the key is there already.
bool deferredPageAdd(DeferredPage* page, int key, const wchar_t* text);
// The record of a key while the page is not built; null otherwise.
DeferredControl* deferredControl(DeferredPage* page, int key);
// Writes a text, cut to what the record holds.
void deferredSetText(DeferredControl* control, const wchar_t* text);
// Reads the text the way the platform reads a control's: at most capacity - 1 characters and a terminator; the
// number of characters copied.
int deferredGetText(const DeferredControl& control, wchar_t* out, int capacity);
