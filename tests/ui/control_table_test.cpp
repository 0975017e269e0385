// The tables generated from the control list agree with each other: the layout items and the creation table name
// the same controls in the places the window relies on, the painter and the colours can find each control's look
// from what the platform hands them, and every control's font is the same at start and after a zoom change.
#include "ui/control_table.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/layout.h"

namespace {

bool OwnerDrawn(PaintKind kind) {
    return kind != PaintKind::System && kind != PaintKind::Muted && kind != PaintKind::Clock &&
           kind != PaintKind::Slider;
}

// The three text colours of the system-painted controls: the clock's, muted grey and body grey.
int TextColour(PaintKind kind) {
    return kind == PaintKind::Clock ? 0 : kind == PaintKind::Muted ? 1 : 2;
}

bool Transport(PaintKind kind) {
    return kind == PaintKind::TransportPlay || kind == PaintKind::TransportBack || kind == PaintKind::TransportStart ||
           kind == PaintKind::TransportForward || kind == PaintKind::TransportStop;
}

TEST(ControlTable, EveryLayoutItemIsOneControlAndEveryControlButTheStripIsOneItem) {
    std::set<int> itemKeys;
    for (int item = 0; item < kItemCount; ++item) {
        int key = kLayoutItemKeys[item];
        EXPECT_TRUE(itemKeys.insert(key).second) << "item " << item << " repeats key " << key;
        if (item == kItemContainer) {
            EXPECT_EQ(key, kKeySettingsContainer);
            continue;
        }
        const ControlSpec* spec = findControl(key);
        ASSERT_NE(spec, nullptr) << "item " << item << " names key " << key << ", which no control has";
        // The pass places the page's items relative to the container, the others relative to the window.
        EXPECT_EQ(spec->place == ControlPlace::Page, item >= kFirstSettingsItem) << "key " << key;
        EXPECT_NE(spec->place, ControlPlace::Strip);
    }
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& c = kControls[i];
        EXPECT_EQ(itemKeys.count(c.key), c.place == ControlPlace::Strip ? 0u : 1u) << "key " << c.key;
    }
}

TEST(ControlTable, SlotRowsAreFourConsecutiveItemsAndStackSlotBySlot) {
    for (int slot = 0; slot < kControlSlotCount; ++slot) {
        EXPECT_EQ(kLayoutItemKeys[kItemSlotLabel + slot], kLabelSlot + slot);
        EXPECT_EQ(kLayoutItemKeys[kItemSlotText + slot], kIdSlotText + slot);
        EXPECT_EQ(kLayoutItemKeys[kItemSlotChange + slot], kIdSlotChange + slot);
        EXPECT_EQ(kLayoutItemKeys[kItemSlotDefault + slot], kIdSlotDefault + slot);
    }
    // The page stacks in table order: each slot's label, text, Change and Default together, the slots in order.
    int at = -1;
    for (int i = 0; i < kControlCount; ++i) {
        if (kControls[i].key == kLabelSlot) at = i;
    }
    ASSERT_GE(at, 0);
    ASSERT_EQ(at + 4 * kControlSlotCount, kControlCount) << "the slot rows close the table";
    for (int slot = 0; slot < kControlSlotCount; ++slot) {
        const ControlSpec* row = &kControls[at + 4 * slot];
        EXPECT_EQ(row[0].key, kLabelSlot + slot);
        EXPECT_EQ(row[1].key, kIdSlotText + slot);
        EXPECT_EQ(row[2].key, kIdSlotChange + slot);
        EXPECT_EQ(row[2].id, kIdSlotChange + slot) << "a slot's buttons send their own command";
        EXPECT_EQ(row[3].key, kIdSlotDefault + slot);
        EXPECT_EQ(row[3].id, kIdSlotDefault + slot);
        EXPECT_EQ(row[0].id, 0);
        EXPECT_EQ(row[0].text, nullptr) << "the slot table names the slot labels";
    }
}

// The painter knows a control only by the identifier and the kind (button or static) of the owner-draw message; the
// colours only by the identifier, so controls sharing one (the labels' 0, the folder button and the shortcut box's
// 117) must share their text colour.
TEST(ControlTable, ThePaintersFindEachControlsLookFromItsIdentifier) {
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& c = kControls[i];
        if (c.id != 0) {
            EXPECT_EQ(findCreated(c.id, c.cls), &c) << "key " << c.key;
        }
        ASSERT_NE(findCreated(c.id), nullptr);
        EXPECT_EQ(TextColour(findCreated(c.id)->paint), TextColour(c.paint)) << "key " << c.key;
    }
    EXPECT_EQ(findCreated(kIdChangeFolder, ControlClass::Button)->key, kIdChangeFolder);
    EXPECT_EQ(findCreated(kIdChangeFolder, ControlClass::Static)->key, kIdShortcutBox);
}

TEST(ControlTable, OwnerDrawnStylesAndPaintKindsAgree) {
    for (int i = 0; i < kControlCount; ++i) {
        const ControlSpec& c = kControls[i];
        bool ownerDrawStyle = (c.cls == ControlClass::Button && (c.style & 0xF) == style::kOwnerDrawButton) ||
                              (c.cls == ControlClass::Static && (c.style & 0x1F) == style::kStaticOwnerDraw);
        EXPECT_EQ(ownerDrawStyle, OwnerDrawn(c.paint)) << "key " << c.key;
        EXPECT_EQ(c.cls == ControlClass::Slider, c.paint == PaintKind::Slider) << "key " << c.key;
    }
}

// Their painter writes the caption under the circle in the small font, which is what the window shows; the control
// is created with it and handed it again by every zoom change, from the same row.
TEST(ControlTable, TransportButtonsHaveTheSmallFontTheirCaptionsAreDrawnIn) {
    int transport = 0;
    for (int i = 0; i < kControlCount; ++i) {
        if (!Transport(kControls[i].paint)) continue;
        ++transport;
        EXPECT_EQ(kControls[i].font, FontKind::Small) << "key " << kControls[i].key;
    }
    EXPECT_EQ(transport, 5);
    EXPECT_EQ(findControl(kIdPlay)->paint, PaintKind::TransportPlay);
    EXPECT_EQ(findControl(kIdPlayerStop)->paint, PaintKind::TransportStop);
}

}  // namespace
