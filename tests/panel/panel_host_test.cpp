// The panel host against a recording platform: the preparation of folders and loader file with each failure's text,
// the controller set-up in order, bounds and visibility before and after the browser arrives, one environment per
// process, page readiness and the page's messages, and the hand-off with its failure paths.
#include "panel/panel_host.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <wchar.h>

#include <algorithm>
#include <iterator>

#include <map>
#include <string>
#include <vector>

#include "panel/handler_refcount.h"
#include "support/fake_panel.h"

namespace {

void OnError(const wchar_t* text) {
    fake.errors.push_back(text);
}
void OnSignedIn(int state) {
    fake.signedIn.push_back(state);
}
void OnAudioRequest() {
    ++fake.audioRequests;
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
}

const wchar_t kData[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon";
const wchar_t kHandoff[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon\\handoff";
const wchar_t kLoader[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon\\WebView2Loader.dll";
const wchar_t kAddress[] = L"https://www.parlowen.example/?app=notafon";
PanelWindow const kParent = reinterpret_cast<PanelWindow>(0x1234);

class PanelHostTest : public testing::Test {
  protected:
    void SetUp() override {
        fake = FakeSystem();
        panelHostInstall(&kFakePanel, PanelCallbacks{OnAudioRequest, OnSignedIn});
    }
    void TearDown() override { panelHostInstall(&kFakePanel, PanelCallbacks{nullptr, nullptr}); }

    bool Open() { return CreatePanel(kParent, 380, 0, 480, 520, kAddress, OnError); }
    // Opens and lets the browser arrive; the calls so far are dropped.
    void OpenCreated() {
        ASSERT_TRUE(Open());
        PanelEnvironmentCreated(0, true);
        PanelControllerCreated(0, true);
        ASSERT_TRUE(IsPanelCreated());
        fake.calls.clear();
    }
    std::vector<std::wstring> Posts() const {
        std::vector<std::wstring> posts;
        for (const auto& c : fake.calls) {
            if (c.compare(0, 5, L"post ") == 0) posts.push_back(c.substr(5));
        }
        return posts;
    }
};

TEST_F(PanelHostTest, OpeningPreparesFoldersWritesTheLoaderAndStartsTheEnvironment) {
    EXPECT_TRUE(Open());
    std::vector<std::wstring> expected = {
        std::wstring(L"folder ") + kData,
        std::wstring(L"folder ") + kHandoff,
        std::wstring(L"write ") + kLoader,
        std::wstring(L"load ") + kLoader,
        std::wstring(L"environment ") + kData + L"\\WebView2",
    };
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(fake.files[kLoader], fake.resource);
    EXPECT_FALSE(IsPanelCreated());
    EXPECT_TRUE(fake.errors.empty());
}

TEST_F(PanelHostTest, BrowserSetUpRunsInOrderWithTheStoredBoundsAndAddress) {
    ASSERT_TRUE(Open());
    fake.calls.clear();
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    std::vector<std::wstring> expected = {
        L"keep environment",
        L"controller for 4660",
        L"keep controller",
        L"bounds 380 0 860 520",
        L"visible 1",
        L"settings off",
        std::wstring(L"map handoff.notafon.example ") + kHandoff,
        L"subscribe",
        std::wstring(L"navigate ") + kAddress,
    };
    EXPECT_EQ(fake.calls, expected);
    EXPECT_TRUE(IsPanelCreated());
}

TEST_F(PanelHostTest, LoaderFileOfTheResourceSizeIsKeptOtherSizesAreRewritten) {
    EXPECT_TRUE(LoaderFileNeedsRewrite(-1, 10));
    EXPECT_TRUE(LoaderFileNeedsRewrite(9, 10));
    EXPECT_TRUE(LoaderFileNeedsRewrite(10 + (int64_t{1} << 32), 10));  // a high size word counts as different
    EXPECT_FALSE(LoaderFileNeedsRewrite(10, 10));

    fake.files[kLoader] = std::string(fake.resource.size(), 'X');  // same size, other content
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.files[kLoader], std::string(fake.resource.size(), 'X'));
    for (const auto& c : fake.calls) EXPECT_NE(c.compare(0, 6, L"write "), 0) << "rewrote: " << c;

    panelHostInstall(&kFakePanel, PanelCallbacks{});
    fake.files[kLoader] = "short";
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.files[kLoader], fake.resource);
}

TEST_F(PanelHostTest, EachPreparationFailureReportsItsTextAndReturnsFalse) {
    struct Case {
        void (*arrange)();
        const wchar_t* text;
    };
    const Case cases[] = {
        {[] { fake.haveAppData = false; }, L"Could not find a folder for the panel files."},
        {[] { fake.haveResource = false; }, L"Could not prepare the embedded browser."},
        {[] { fake.resource.clear(); }, L"Could not prepare the embedded browser."},
        {[] { fake.failWrite = true; }, L"Could not prepare the embedded browser."},
        {[] { fake.failLoad = true; }, L"Could not load the embedded browser."},
        {[] { fake.environmentResult = static_cast<int32_t>(0x80070002u); },
         L"Microsoft Edge WebView2 Runtime was not found."},
    };
    for (const Case& c : cases) {
        fake = FakeSystem();
        panelHostInstall(&kFakePanel, PanelCallbacks{});
        c.arrange();
        EXPECT_FALSE(Open()) << c.text;
        ASSERT_EQ(fake.errors.size(), 1u) << c.text;
        EXPECT_EQ(fake.errors[0], c.text);
        EXPECT_FALSE(IsPanelCreated());
        // Nothing is left starting: the next open tries again from the start.
        fake.errors.clear();
        Open();
        EXPECT_EQ(fake.errors.size(), 1u) << c.text;
    }
}

TEST_F(PanelHostTest, HandlerFailuresReportTheirTextsAndTheNextOpenTriesAgain) {
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(static_cast<int32_t>(0x80004005u), true);
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Microsoft Edge WebView2 Runtime was not found."});
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, false);
    EXPECT_EQ(fake.errors.back(), L"Microsoft Edge WebView2 Runtime was not found.");

    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(static_cast<int32_t>(0x80004005u), true);
    EXPECT_EQ(fake.errors.back(), L"The embedded browser could not start.");
    EXPECT_FALSE(IsPanelCreated());
    // The environment is kept: the next open asks it for a controller instead of starting a second one.
    fake.calls.clear();
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.calls.back(), L"controller for 4660");
    for (const auto& c : fake.calls) EXPECT_NE(c.compare(0, 12, L"environment "), 0);
    PanelControllerCreated(0, true);
    EXPECT_TRUE(IsPanelCreated());
}

TEST_F(PanelHostTest, ASecondOpenWhileStartingStartsNothingNew) {
    ASSERT_TRUE(Open());
    size_t before = fake.calls.size();
    EXPECT_TRUE(CreatePanel(kParent, 10, 20, 30, 40, L"https://other/", OnError));
    EXPECT_EQ(fake.calls.size(), before);
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    // The latest call's rectangle and address are the ones used.
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), L"bounds 10 20 40 60"), fake.calls.end());
    EXPECT_EQ(fake.calls.back(), L"navigate https://other/");
}

TEST_F(PanelHostTest, HidingBeforeTheControllerArrivesKeepsItHiddenUntilShown) {
    ASSERT_TRUE(Open());
    ShowPanel(0);
    SetPanelBounds(0, 0, 600, 400);
    EXPECT_EQ(fake.calls.back(), std::wstring(L"environment ") + kData + L"\\WebView2");  // nothing to move yet
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), L"visible 0"), fake.calls.end());
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), L"bounds 0 0 600 400"), fake.calls.end());
    fake.calls.clear();
    EXPECT_TRUE(Open());  // exists: only stored
    ShowPanel(1);
    SetPanelBounds(380, 0, 620, 500);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"visible 1", L"bounds 380 0 1000 500"}));
}

TEST_F(PanelHostTest, ControllerWithoutWebViewLeavesThePanelNotCreated) {
    fake.webViewArrives = false;
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    EXPECT_FALSE(IsPanelCreated());
    EXPECT_EQ(fake.calls.back(), L"visible 1");
    EXPECT_TRUE(Open());  // the controller exists
}

TEST_F(PanelHostTest, ClosingClosesTheControllerAndAControllerArrivingAfterCloseIsClosedAtOnce) {
    OpenCreated();
    ClosePanel();
    EXPECT_EQ(fake.calls, std::vector<std::wstring>{L"close controller"});
    EXPECT_FALSE(IsPanelCreated());
    ClosePanel();
    EXPECT_EQ(fake.calls.size(), 1u);

    panelHostInstall(&kFakePanel, PanelCallbacks{});
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    ClosePanel();
    fake.calls.clear();
    PanelControllerCreated(0, true);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"keep controller", L"close controller"}));
    EXPECT_FALSE(IsPanelCreated());
}

TEST_F(PanelHostTest, ErrorsWithoutACallbackGoNowhere) {
    ReportPanelError(L"nobody listens");
    fake.haveAppData = false;
    EXPECT_FALSE(CreatePanel(kParent, 0, 0, 1, 1, kAddress, nullptr));
    EXPECT_TRUE(fake.errors.empty());
}

TEST(HandlerRefCount, CountsButNeverFallsBelowOne) {
    uint32_t count = kHandlerInitialCount;
    EXPECT_EQ(HandlerRelease(&count), 1u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(HandlerAddRef(&count), 2u);
    EXPECT_EQ(HandlerAddRef(&count), 3u);
    EXPECT_EQ(HandlerRelease(&count), 2u);
    EXPECT_EQ(HandlerRelease(&count), 1u);
    EXPECT_EQ(HandlerRelease(&count), 1u);
    count = 0;
    EXPECT_EQ(HandlerRelease(&count), 1u);
    EXPECT_EQ(count, 0u);
}

const wchar_t kTalkMessage[] =
    L"{\"type\":\"notafon-audio\",\"url\":\"https://handoff.notafon.example/audio-1-5000.mp3\",\"name\":\"Talk "
    L"1.mp3\"}";

TEST_F(PanelHostTest, AHandOffEmptiesTheFolderCopiesAndPostsOnceThePageIsReady) {
    OpenCreated();
    fake.files[std::wstring(kHandoff) + L"\\audio-old.mp3"] = "old";
    fake.files[std::wstring(kHandoff) + L"\\sub\\keep.mp3"] = "kept";
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    EXPECT_EQ(fake.calls[0], std::wstring(L"empty ") + kHandoff);
    EXPECT_EQ(fake.calls[1], std::wstring(L"copy C:\\Rec\\Talk 1.mp3 -> ") + kHandoff + L"\\audio-1-5000.mp3");
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\audio-old.mp3"), 0u);
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\sub\\keep.mp3"), 1u);
    EXPECT_TRUE(Posts().empty());  // not ready: kept pending

    PanelWebMessageReceived(L"notafon-ready");
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
    // A reload: the navigation clears readiness, the next "ready" posts the same message again.
    PanelNavigationCompleted();
    HandOffAudio(nullptr);
    HandOffAudio(L"");
    EXPECT_EQ(Posts().size(), 1u);
    PanelWebMessageReceived(L"notafon-ready");
    EXPECT_EQ(Posts(), (std::vector<std::wstring>{kTalkMessage, kTalkMessage}));

    // Ready: the next hand-off posts at once, with the next counter, after the first copy is gone.
    fake.ticks = 7000;
    HandOffAudio(L"D:\\v1.2\\second take");
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\audio-1-5000.mp3"), 0u);
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\audio-2-7000.mp3"), 1u);
    EXPECT_EQ(Posts().back(),
              L"{\"type\":\"notafon-audio\",\"url\":\"https://handoff.notafon.example/audio-2-7000.mp3\","
              L"\"name\":\"second take\"}");
}

TEST_F(PanelHostTest, PageMessagesDriveReadinessSignInAndAudioRequests) {
    OpenCreated();
    PanelWebMessageReceived(L"notafon-signed-in");
    PanelWebMessageReceived(L"notafon-signed-out");
    PanelWebMessageReceived(L"NOTAFON-SIGNED-IN");
    PanelWebMessageReceived(nullptr);
    EXPECT_EQ(fake.signedIn, (std::vector<int>{1, 0}));
    EXPECT_EQ(panelHost.pageReady, 0);  // sign-in says nothing about readiness

    // "request-audio" makes the page ready and asks the application, whose hand-off posts at once.
    PanelWebMessageReceived(L"notafon-request-audio");
    EXPECT_EQ(fake.audioRequests, 1);
    EXPECT_EQ(panelHost.pageReady, 1);
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
}

TEST_F(PanelHostTest, RequestAudioWithoutAFileOnlyMakesThePageReady) {
    panelHostInstall(&kFakePanel, PanelCallbacks{nullptr, OnSignedIn});
    OpenCreated();
    PanelWebMessageReceived(L"notafon-request-audio");
    EXPECT_EQ(panelHost.pageReady, 1);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(PanelHostTest, HandOffBeforeAnyPanelDoesNothing) {
    HandOffAudio(L"C:\\Rec\\a.mp3");
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(panelHost.handoffCounter, 0u);
}

TEST_F(PanelHostTest, AFailedCopyReportsAndKeepsTheOldMessage) {
    OpenCreated();
    PanelWebMessageReceived(L"notafon-ready");
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    fake.failCopy = true;
    HandOffAudio(L"C:\\Rec\\gone.m4a");
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not hand this audio to the panel."});
    EXPECT_EQ(std::wstring(panelHost.pendingMessage), kTalkMessage);
    EXPECT_EQ(Posts().size(), 1u);
}

TEST_F(PanelHostTest, ADestinationThatWouldBeCutIsAFailedHandOff) {
    // A local application-data folder so long that folder + copy name passes 259 characters.
    fake.haveAppData = true;
    panelHostInstall(&kFakePanel, PanelCallbacks{});
    OpenCreated();
    wcscpy(panelHost.handoffFolder, (L"C:\\" + std::wstring(240, L'f')).c_str());
    HandOffAudio(L"C:\\Rec\\a.mp3");
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not hand this audio to the panel."});
    for (const auto& c : fake.calls) EXPECT_NE(c.compare(0, 5, L"copy "), 0);
}

// Folder + "\Parlowen\Notafon" is 17 characters more, + "\handoff" 8 more, + "\WebView2Loader.dll" 19 more; a
// path holds at most 259.
TEST_F(PanelHostTest, ADataFolderThatWouldBeCutIsNoFolderAndNothingIsCreated) {
    fake.appData = L"C:\\" + std::wstring(240, L'a');  // 243 + 17 = 260
    EXPECT_FALSE(Open());
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not find a folder for the panel files."});
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_FALSE(IsPanelCreated());
}

TEST_F(PanelHostTest, ALoaderPathThatWouldBeCutIsAFailedPreparationAndNoFileIsWritten) {
    // 230 + 17 = 247 for the folder, 255 for the hand-off folder: both fit; 247 + 19 = 266 for the loader does not.
    fake.appData = L"C:\\" + std::wstring(227, L'a');
    EXPECT_FALSE(Open());
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not prepare the embedded browser."});
    std::wstring data = fake.appData + L"\\Parlowen\\Notafon";
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"folder " + data, L"folder " + data + L"\\handoff"}));
    EXPECT_TRUE(fake.files.empty());
}

TEST_F(PanelHostTest, AFailedAllocationPostsNothingButKeepsTheCopy) {
    OpenCreated();
    PanelWebMessageReceived(L"notafon-ready");
    fake.allocationsLeft = 0;
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    EXPECT_TRUE(fake.errors.empty());
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\audio-1-5000.mp3"), 1u);
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(panelHost.pendingMessage, nullptr);
}

TEST_F(PanelHostTest, ResetDropsThePendingMessageAndReloadsCloseKeepsIt) {
    OpenCreated();
    PanelWebMessageReceived(L"notafon-ready");
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    fake.calls.clear();
    ResetPanel();
    EXPECT_EQ(fake.calls, std::vector<std::wstring>{std::wstring(L"navigate ") + kAddress});
    EXPECT_EQ(panelHost.pendingMessage, nullptr);
    PanelWebMessageReceived(L"notafon-ready");
    EXPECT_TRUE(Posts().empty());

    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    ClosePanel();
    EXPECT_EQ(panelHost.pageReady, 0);
    EXPECT_NE(panelHost.pendingMessage, nullptr);
    fake.calls.clear();
    PanelWebMessageReceived(L"notafon-ready");  // no browser any more: nothing to post to
    EXPECT_TRUE(Posts().empty());
}

}  // namespace
