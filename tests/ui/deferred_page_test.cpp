#include "ui/deferred_page.h"

#include <gtest/gtest.h>
#include <wchar.h>

#include <string>

TEST(DeferredPage, KeepsWhatIsWrittenToAPageControlUntilThePageIsBuilt) {
    static DeferredPage page;
    deferredPageReset(&page);
    ASSERT_TRUE(deferredPageAdd(&page, kIdQuality, L""));
    ASSERT_TRUE(deferredPageAdd(&page, kIdFolder, L"creation"));
    EXPECT_FALSE(deferredPageAdd(&page, kIdQuality, nullptr));
    EXPECT_EQ(deferredControl(&page, kIdRecord), nullptr);

    DeferredControl* list = deferredControl(&page, kIdQuality);
    ASSERT_NE(list, nullptr);
    // As a control just made answers: enabled, unchecked, no row chosen, its creation text not yet a change.
    EXPECT_TRUE(list->enabled);
    EXPECT_FALSE(list->checked);
    EXPECT_EQ(list->selection, -1);
    DeferredControl* folder = deferredControl(&page, kIdFolder);
    EXPECT_FALSE(folder->textSet);
    wchar_t out[16];
    EXPECT_EQ(deferredGetText(*folder, out, 16), 8);
    EXPECT_STREQ(out, L"creation");

    list->selection = 2;
    deferredSetText(folder, L"C:\\Recordings");
    EXPECT_TRUE(folder->textSet);
    EXPECT_EQ(deferredControl(&page, kIdQuality)->selection, 2);

    page.built = true;
    EXPECT_EQ(deferredControl(&page, kIdQuality), nullptr);
    EXPECT_EQ(deferredControl(&page, kIdFolder), nullptr);
    deferredPageReset(&page);
    EXPECT_EQ(deferredControl(&page, kIdQuality), nullptr);
}

TEST(DeferredPage, ReadsAndWritesTextsWithinTheirCapacitiesAsAControlDoes) {
    static DeferredPage page;
    deferredPageReset(&page);
    ASSERT_TRUE(deferredPageAdd(&page, kIdFolder, nullptr));
    DeferredControl* folder = deferredControl(&page, kIdFolder);
    std::wstring longPath(kDeferredTextCapacity + 40, L'x');
    deferredSetText(folder, longPath.c_str());
    wchar_t whole[kDeferredTextCapacity + 64];
    EXPECT_EQ(deferredGetText(*folder, whole, kDeferredTextCapacity + 64), kDeferredTextCapacity - 1);
    EXPECT_EQ(wcslen(whole), static_cast<size_t>(kDeferredTextCapacity - 1));

    deferredSetText(folder, L"abcdef");
    wchar_t small[4] = {L'?', L'?', L'?', L'?'};
    EXPECT_EQ(deferredGetText(*folder, small, 4), 3);
    EXPECT_STREQ(small, L"abc");
    EXPECT_EQ(deferredGetText(*folder, small, 1), 0);
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(deferredGetText(*folder, small, 0), 0);
    deferredSetText(folder, nullptr);
    EXPECT_EQ(deferredGetText(*folder, small, 4), 0);
}

TEST(DeferredPage, HoldsEveryControlOfTheTable) {
    static DeferredPage page;
    deferredPageReset(&page);
    for (const ControlSpec& spec : kControls) EXPECT_TRUE(deferredPageAdd(&page, spec.key, spec.text));
    EXPECT_FALSE(deferredPageAdd(&page, -5, nullptr));
    for (const ControlSpec& spec : kControls) EXPECT_NE(deferredControl(&page, spec.key), nullptr);
}
