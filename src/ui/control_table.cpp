// The control list expanded into the creation table, with the checks that keep its generated neighbours (the
// identifiers, the layout items) in step with it.
#include "ui/control_table.h"

#include "notafon_version.h"
#include "settings/settings_values.h"
#include "ui/layout.h"

namespace {

using namespace style;

constexpr int Created(int created, int key) {
    return created == kOwnId ? key : created;
}

}  // namespace

// The column's controls keep the list's order; the page follows in its stacking order, the slot rows slot by slot.
// Every macro names its parameters: forwarding a variadic list is not portable between preprocessors.
#define NOTAFON_ROW(key, created, cls, st, ex, caption, font, paint, place) \
    {key,                                                                   \
     Created(created, key),                                                 \
     ControlClass::cls,                                                     \
     caption,                                                               \
     st,                                                                    \
     ex,                                                                    \
     FontKind::font,                                                        \
     PaintKind::paint,                                                      \
     ControlPlace::place},
#define NOTAFON_SINGLE(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_ROW(key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT(slot, key, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_ROW(key + (slot), created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT0(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(0, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT1(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(1, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT2(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(2, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT3(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(3, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT4(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(4, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT5(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(5, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT6(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(6, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_SLOT7(item, key, value, created, cls, st, ex, caption, font, paint, place) \
    NOTAFON_SLOT(7, key, created, cls, st, ex, caption, font, paint, place)
#define NOTAFON_NONE(...)
constexpr ControlSpec kControls[] = {
    NOTAFON_CONTROLS(NOTAFON_SINGLE, NOTAFON_NONE)  //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT0)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT1)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT2)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT3)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT4)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT5)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT6)   //
    NOTAFON_CONTROLS(NOTAFON_NONE, NOTAFON_SLOT7)   //
};
#undef NOTAFON_NONE
#undef NOTAFON_SLOT7
#undef NOTAFON_SLOT6
#undef NOTAFON_SLOT5
#undef NOTAFON_SLOT4
#undef NOTAFON_SLOT3
#undef NOTAFON_SLOT2
#undef NOTAFON_SLOT1
#undef NOTAFON_SLOT0
#undef NOTAFON_SLOT
#undef NOTAFON_SINGLE
#undef NOTAFON_ROW

namespace {

constexpr int kRowCount = static_cast<int>(sizeof kControls / sizeof kControls[0]);

constexpr int CountPlace(ControlPlace place) {
    int n = 0;
    for (const ControlSpec& c : kControls) n += c.place == place ? 1 : 0;
    return n;
}

constexpr bool KeysUnique() {
    for (int i = 0; i < kRowCount; ++i) {
        for (int j = i + 1; j < kRowCount; ++j) {
            if (kControls[i].key == kControls[j].key) return false;
        }
    }
    return true;
}

// Two controls may share an identifier only when the window can tell them apart: identifier 0 (labels, reached by
// key alone) or different classes (the owner-draw message says whether a button or a static is drawn).
constexpr bool CreatedIdsDistinguishable() {
    for (int i = 0; i < kRowCount; ++i) {
        for (int j = i + 1; j < kRowCount; ++j) {
            const ControlSpec &a = kControls[i], &b = kControls[j];
            if (a.id == 0 || a.id != b.id) continue;
            if (a.cls == b.cls) return false;
        }
    }
    return true;
}

// The window creates the column before the page and stacks the page in table order.
constexpr bool ColumnBeforePage() {
    bool page = false;
    for (const ControlSpec& c : kControls) {
        if (c.place == ControlPlace::Page) page = true;
        if (page && c.place != ControlPlace::Page) return false;
    }
    return true;
}

}  // namespace

static_assert(kControlSlotCount == kPlaybackSlotCount, "a slot row has one control per playback slot");
static_assert(KeysUnique(), "every control has a key of its own");
static_assert(CreatedIdsDistinguishable(), "controls sharing an identifier differ in class");
static_assert(ColumnBeforePage(), "the page's controls come last, in stacking order");
// Every control but the strip is a layout item, and so is the settings container.
static_assert(kItemCount == kRowCount - CountPlace(ControlPlace::Strip) + 1, "layout items");
static_assert(kFirstSettingsItem == CountPlace(ControlPlace::Column) + 1, "the page's items follow the container");
static_assert(kItemCount - kFirstSettingsItem == CountPlace(ControlPlace::Page), "one layout item per page control");

static_assert(kRowCount == kControlCount, "the table holds every control of the list");

const ControlSpec* findControl(int key) {
    for (const ControlSpec& c : kControls) {
        if (c.key == key) return &c;
    }
    return nullptr;
}

const ControlSpec* findCreated(int id) {
    for (const ControlSpec& c : kControls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

const ControlSpec* findCreated(int id, ControlClass cls) {
    for (const ControlSpec& c : kControls) {
        if (c.id == id && c.cls == cls) return &c;
    }
    return nullptr;
}

const wchar_t* controlClassName(ControlClass cls) {
    switch (cls) {
        case ControlClass::Button:
            return L"Button";
        case ControlClass::Static:
            return L"Static";
        case ControlClass::Edit:
            return L"Edit";
        case ControlClass::ComboBox:
            return L"ComboBox";
        case ControlClass::ScrollBar:
            return L"ScrollBar";
        default:
            return L"NFSlider";
    }
}
