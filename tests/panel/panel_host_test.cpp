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
int browserGoneCalls = 0;
void OnBrowserGone() {
    ++browserGoneCalls;
}

const wchar_t kData[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon";
const wchar_t kHandoff[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon\\handoff";
const wchar_t kLoader[] = L"C:\\Users\\u\\AppData\\Local\\Parlowen\\Notafon\\WebView2Loader.dll";
const wchar_t kAddress[] = L"https://www.parlowen.example/?app=notafon";
PanelWindow const kParent = reinterpret_cast<PanelWindow>(0x1234);

// A page message from the service's own document.
void Page(const wchar_t* text) {
    PanelWebMessageReceived(text, kAddress);
}
bool Has(const std::wstring& call) {
    return std::find(fake.calls.begin(), fake.calls.end(), call) != fake.calls.end();
}
int Count(const std::wstring& prefix) {
    return static_cast<int>(std::count_if(fake.calls.begin(), fake.calls.end(), [&](const std::wstring& c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
}

class PanelHostTest : public testing::Test {
  protected:
    void SetUp() override {
        fake = FakeSystem();
        browserGoneCalls = 0;
        panelHostInstall(&kFakePanel, PanelCallbacks{OnAudioRequest, OnSignedIn, OnBrowserGone});
    }
    void TearDown() override { panelHostInstall(&kFakePanel, PanelCallbacks{}); }

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
        L"serve handoff.notafon.example",
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

TEST_F(PanelHostTest, ALockedLoaderFileOfAnotherBuildIsLoadedAsItIs) {
    // Another instance holds its own loader (another size) loaded: it cannot be replaced, but it loads.
    fake.files[kLoader] = "the loader of another build";
    fake.failWrite = true;
    ASSERT_TRUE(Open());
    EXPECT_TRUE(fake.errors.empty());
    EXPECT_EQ(fake.files[kLoader], "the loader of another build");
    EXPECT_EQ(Count(L"environment "), 1);

    // A locked file that does not load either is the load error; no file at all is the preparation error.
    panelHostInstall(&kFakePanel, PanelCallbacks{});
    fake.failLoad = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not load the embedded browser."});
    EXPECT_EQ(Count(L"write "), 2);  // once per open: the other size is never retried
    panelHostInstall(&kFakePanel, PanelCallbacks{});
    fake.errors.clear();
    fake.files.clear();
    EXPECT_FALSE(Open());
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not prepare the embedded browser."});
}

TEST_F(PanelHostTest, ADamagedLoaderFileOfTheRightSizeIsWrittenAnewOnceAndLoaded) {
    fake.onlyTheResourceLoads = true;
    fake.files[kLoader] = std::string(fake.resource.size(), 'X');  // a write cut short by a power cut
    ASSERT_TRUE(Open());
    std::vector<std::wstring> expected = {
        std::wstring(L"load ") + kLoader,
        std::wstring(L"write ") + kLoader,
        std::wstring(L"load ") + kLoader,
        std::wstring(L"environment ") + kData + L"\\WebView2",
    };
    EXPECT_EQ(std::vector<std::wstring>(fake.calls.end() - 4, fake.calls.end()), expected);
    EXPECT_EQ(fake.files[kLoader], fake.resource);
    EXPECT_TRUE(fake.errors.empty());

    // A fresh file that does not load is not written again: one write, one load error.
    panelHostInstall(&kFakePanel, PanelCallbacks{});
    fake.calls.clear();
    fake.files.clear();
    fake.failLoad = true;
    EXPECT_FALSE(Open());
    EXPECT_EQ(Count(L"write "), 1);
    EXPECT_EQ(Count(L"load "), 1);
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Could not load the embedded browser."});
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

TEST_F(PanelHostTest, HandlerFailuresAreReportedAfterTheHandlerReturnedAndTheNextOpenTriesAgain) {
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(static_cast<int32_t>(0x80004005u), true);
    // Inside the handler the fallback's message box would re-enter the browser: it waits for the window.
    EXPECT_TRUE(fake.errors.empty());
    EXPECT_EQ(fake.calls.back(), L"defer");
    PanelRunDeferred();
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Microsoft Edge WebView2 Runtime was not found."});
    PanelRunDeferred();  // done once
    EXPECT_EQ(fake.errors.size(), 1u);
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, false);
    PanelRunDeferred();
    EXPECT_EQ(fake.errors.back(), L"Microsoft Edge WebView2 Runtime was not found.");

    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(static_cast<int32_t>(0x80004005u), true);
    PanelRunDeferred();
    EXPECT_EQ(fake.errors.back(), L"The embedded browser could not start.");
    EXPECT_FALSE(IsPanelCreated());
    // The environment is kept: the next open asks it for a controller instead of starting a second one.
    fake.calls.clear();
    ASSERT_TRUE(Open());
    EXPECT_EQ(fake.calls.back(), L"controller for 4660");
    EXPECT_EQ(Count(L"environment "), 0);
    PanelControllerCreated(0, true);
    EXPECT_TRUE(IsPanelCreated());
}

TEST_F(PanelHostTest, WorkThatCannotBePostedRunsAtOnceRatherThanNever) {
    fake.postDeferredResult = -1;  // no window to post to
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(static_cast<int32_t>(0x80004005u), true);
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"Microsoft Edge WebView2 Runtime was not found."});
}

TEST_F(PanelHostTest, AControllerRefusedAtOnceIsAFailedStartAndDropsTheEnvironment) {
    // Refused inside the environment's handler: reported from the window procedure.
    fake.controllerResult = static_cast<int32_t>(0x8007139Fu);  // the browser process is gone
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    EXPECT_TRUE(fake.errors.empty());
    EXPECT_TRUE(Has(L"release environment"));
    EXPECT_FALSE(IsPanelCreated());
    PanelRunDeferred();
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"The embedded browser could not start."});

    // The next open starts a new environment, not a controller from the dropped one.
    fake.calls.clear();
    fake.controllerResult = 0;
    ASSERT_TRUE(Open());
    EXPECT_EQ(Count(L"environment "), 1);
    EXPECT_EQ(Count(L"controller for"), 0);
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    EXPECT_TRUE(IsPanelCreated());

    // Refused on an open that reuses a kept environment (after a late controller failure): reported at once, false.
    panelHostInstall(&kFakePanel, PanelCallbacks{});
    fake.errors.clear();
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(static_cast<int32_t>(0x80004005u), false);
    PanelRunDeferred();
    fake.errors.clear();
    fake.calls.clear();
    fake.controllerResult = static_cast<int32_t>(0x8007139Fu);
    EXPECT_FALSE(Open());
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"The embedded browser could not start."});
    EXPECT_TRUE(Has(L"release environment"));
    fake.calls.clear();
    fake.controllerResult = 0;
    Open();
    EXPECT_EQ(Count(L"environment "), 1);
}

TEST_F(PanelHostTest, AControllerWithoutItsBrowserIsClosedAndAFailedStart) {
    fake.webViewArrives = false;
    ASSERT_TRUE(Open());
    PanelEnvironmentCreated(0, true);
    fake.calls.clear();
    PanelControllerCreated(0, true);
    EXPECT_EQ(fake.calls,
              (std::vector<std::wstring>{L"keep controller", L"close controller", L"release environment", L"defer"}));
    PanelRunDeferred();
    EXPECT_EQ(fake.errors, std::vector<std::wstring>{L"The embedded browser could not start."});
    EXPECT_FALSE(IsPanelCreated());
    // Nothing is believed to exist: bounds and visibility stay with the host, the next open starts afresh.
    fake.calls.clear();
    SetPanelBounds(1, 2, 3, 4);
    ShowPanel(0);
    EXPECT_TRUE(fake.calls.empty());
    fake.webViewArrives = true;
    ASSERT_TRUE(Open());
    EXPECT_EQ(Count(L"environment "), 1);
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

    Page(L"notafon-ready");
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
    // A reload: the navigation clears readiness, the next "ready" posts the same message again.
    PanelNavigationCompleted();
    HandOffAudio(nullptr);
    HandOffAudio(L"");
    EXPECT_EQ(Posts().size(), 1u);
    Page(L"notafon-ready");
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
    Page(L"notafon-signed-in");
    Page(L"notafon-signed-out");
    Page(L"NOTAFON-SIGNED-IN");
    Page(nullptr);
    EXPECT_EQ(fake.signedIn, (std::vector<int>{1, 0}));
    EXPECT_EQ(panelHost.pageReady, 0);  // sign-in says nothing about readiness

    // "request-audio" makes the page ready and asks the application once the handler has returned; its hand-off
    // copies the file then and posts at once.
    Page(L"notafon-request-audio");
    EXPECT_EQ(fake.audioRequests, 0);
    EXPECT_EQ(Count(L"copy "), 0);
    PanelRunDeferred();
    EXPECT_EQ(fake.audioRequests, 1);
    EXPECT_EQ(panelHost.pageReady, 1);
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
}

TEST_F(PanelHostTest, RequestAudioWithoutAFileOnlyMakesThePageReady) {
    panelHostInstall(&kFakePanel, PanelCallbacks{nullptr, OnSignedIn, nullptr});
    OpenCreated();
    Page(L"notafon-request-audio");
    PanelRunDeferred();
    EXPECT_EQ(panelHost.pageReady, 1);
    EXPECT_EQ(fake.calls, std::vector<std::wstring>{L"defer"});
}

TEST_F(PanelHostTest, HandOffBeforeAnyPanelDoesNothing) {
    HandOffAudio(L"C:\\Rec\\a.mp3");
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(panelHost.handoffCounter, 0u);
}

TEST_F(PanelHostTest, AFailedCopyReportsAndKeepsTheOldMessage) {
    OpenCreated();
    Page(L"notafon-ready");
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
    Page(L"notafon-ready");
    fake.allocationsLeft = 0;
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    EXPECT_TRUE(fake.errors.empty());
    EXPECT_EQ(fake.files.count(std::wstring(kHandoff) + L"\\audio-1-5000.mp3"), 1u);
    EXPECT_TRUE(Posts().empty());
    EXPECT_EQ(panelHost.pendingMessage, nullptr);
}

TEST_F(PanelHostTest, ResetDropsThePendingMessageAndReloadsCloseKeepsIt) {
    OpenCreated();
    Page(L"notafon-ready");
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    fake.calls.clear();
    ResetPanel();
    EXPECT_EQ(fake.calls, std::vector<std::wstring>{std::wstring(L"navigate ") + kAddress});
    EXPECT_EQ(panelHost.pendingMessage, nullptr);
    Page(L"notafon-ready");
    EXPECT_TRUE(Posts().empty());

    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    ClosePanel();
    EXPECT_EQ(panelHost.pageReady, 0);
    EXPECT_NE(panelHost.pendingMessage, nullptr);
    fake.calls.clear();
    Page(L"notafon-ready");  // no browser any more: nothing to post to
    EXPECT_TRUE(Posts().empty());
}

}  // namespace

namespace {

class PanelOriginTest : public PanelHostTest {
  protected:
    void SetUp() override {
        PanelHostTest::SetUp();
        OpenCreated();
    }
    // Serves a request and returns the status.
    int Request(const wchar_t* uri, const wchar_t* origin, const wchar_t* method = L"GET") {
        PanelResourceRequested(uri, method, origin, &answer);
        return answer.status;
    }
    PanelResourceAnswer answer;
};

const wchar_t kOrigin[] = L"https://www.parlowen.example";

}  // namespace

TEST_F(PanelOriginTest, OnlyTheServicesDocumentsMessagesAreActedOn) {
    const wchar_t* foreign[] = {
        L"https://login.provider.example/authorize",
        L"https://www.parlowen.example.evil.example/",  // the service's name as a prefix of another host
        L"https://www.parlowen.example@evil.example/",
        L"https://www.parlowen.example:8443/",
        L"http://www.parlowen.example/",  // another scheme is another origin
        L"",
        nullptr,
    };
    for (const wchar_t* source : foreign) {
        PanelWebMessageReceived(L"notafon-signed-in", source);
        PanelWebMessageReceived(L"notafon-request-audio", source);
        PanelWebMessageReceived(L"notafon-ready", source);
    }
    PanelRunDeferred();
    EXPECT_TRUE(fake.signedIn.empty());
    EXPECT_EQ(fake.audioRequests, 0);
    EXPECT_EQ(panelHost.pageReady, 0);

    // The service's pages, whatever their path, and with the host written in capitals.
    PanelWebMessageReceived(L"notafon-signed-in", L"https://www.parlowen.example/account?step=2");
    PanelWebMessageReceived(L"notafon-signed-out", L"HTTPS://WWW.PARLOWEN.EXAMPLE");
    PanelWebMessageReceived(L"notafon-request-audio", L"https://www.parlowen.example#top");
    PanelRunDeferred();
    EXPECT_EQ(fake.signedIn, (std::vector<int>{1, 0}));
    EXPECT_EQ(fake.audioRequests, 1);
}

TEST_F(PanelOriginTest, TheHandOffIsPostedOnlyWhileTheServicesDocumentIsShown) {
    Page(L"notafon-ready");
    fake.source = L"https://login.provider.example/authorize?client=parlowen";  // sign-in passes through another site
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    EXPECT_TRUE(Posts().empty());
    EXPECT_NE(panelHost.pendingMessage, nullptr);  // kept for when the service is back
    fake.source = L"https://www.parlowen.example/";
    PanelNavigationCompleted();
    Page(L"notafon-ready");
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
}

TEST_F(PanelOriginTest, TheHandOffHostServesTheLastCopyToTheServiceAlone) {
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    const wchar_t kCopy[] = L"https://handoff.notafon.example/audio-1-5000.mp3";
    ASSERT_EQ(Request(kCopy, kOrigin), 200);
    EXPECT_EQ(std::wstring(answer.path), std::wstring(kHandoff) + L"\\audio-1-5000.mp3");
    EXPECT_EQ(std::wstring(answer.headers),
              L"Access-Control-Allow-Origin: https://www.parlowen.example\r\nVary: Origin\r\nCache-Control: "
              L"no-store\r\nContent-Type: audio/mpeg");
    EXPECT_EQ(Request(kCopy, nullptr), 200);  // no Origin header: the service's document decides
    EXPECT_EQ(Request(L"https://HANDOFF.notafon.example/audio%2D1-5000.mp3?x=1", kOrigin), 200);

    // Another origin, or the service's origin header while another site's document is shown: refused.
    EXPECT_EQ(Request(kCopy, L"https://evil.example"), 403);
    EXPECT_EQ(answer.path[0], 0);
    EXPECT_EQ(Request(kCopy, L"https://www.parlowen.example.evil.example"), 403);
    fake.source = L"https://evil.example/";
    EXPECT_EQ(Request(kCopy, nullptr), 403);
    EXPECT_EQ(Request(kCopy, kOrigin), 403);
    fake.source = L"https://www.parlowen.example/";

    // Nothing but the last copy, by GET, one name directly in the folder.
    EXPECT_EQ(Request(kCopy, kOrigin, L"POST"), 405);
    EXPECT_EQ(Request(L"https://handoff.notafon.example/audio-0-1.mp3", kOrigin), 404);
    EXPECT_EQ(Request(L"https://handoff.notafon.example/..%5C..%5CWebView2Loader.dll", kOrigin), 404);
    EXPECT_EQ(Request(L"https://handoff.notafon.example/sub/audio-1-5000.mp3", kOrigin), 404);
    EXPECT_EQ(Request(L"https://handoff.notafon.example/", kOrigin), 404);
    EXPECT_EQ(answer.path[0], 0);
    fake.ticks = 6000;
    HandOffAudio(L"C:\\Rec\\Talk 2.wav");
    EXPECT_EQ(Request(kCopy, kOrigin), 404);  // replaced by the next hand-off
    EXPECT_EQ(Request(L"https://handoff.notafon.example/audio-2-6000.wav", kOrigin), 200);
    EXPECT_NE(std::wstring(answer.headers).find(L"Content-Type: audio/wav"), std::wstring::npos);
    ResetPanel();  // mini mode: the page forgets the audio, and so does the host
    EXPECT_EQ(Request(L"https://handoff.notafon.example/audio-2-6000.wav", kOrigin), 404);
}

TEST_F(PanelOriginTest, NewWindowsOpenWebAddressesInTheDefaultBrowserAfterTheHandler) {
    PanelNewWindowRequested(L"https://www.parlowen.example/help");
    EXPECT_FALSE(Has(L"open https://www.parlowen.example/help"));
    PanelRunDeferred();
    EXPECT_TRUE(Has(L"open https://www.parlowen.example/help"));
    fake.calls.clear();
    PanelNewWindowRequested(L"file:///C:/Windows/notepad.exe");
    PanelNewWindowRequested(L"ms-settings:privacy");
    PanelNewWindowRequested(nullptr);
    PanelNewWindowRequested((L"https://x.example/" + std::wstring(600, L'a')).c_str());
    PanelRunDeferred();
    EXPECT_EQ(Count(L"open "), 0);
}

TEST_F(PanelOriginTest, TheBrowsersExitClosesThePanelAndTheNextOpenStartsAfresh) {
    Page(L"notafon-ready");
    HandOffAudio(L"C:\\Rec\\Talk 1.mp3");
    fake.calls.clear();
    PanelProcessFailed(kPanelBrowserExited);
    EXPECT_EQ(fake.calls, (std::vector<std::wstring>{L"close controller", L"release environment", L"defer"}));
    EXPECT_FALSE(IsPanelCreated());
    EXPECT_EQ(browserGoneCalls, 0);
    PanelRunDeferred();
    EXPECT_EQ(browserGoneCalls, 1);
    fake.calls.clear();
    ShowPanel(1);  // nothing left to show
    EXPECT_TRUE(fake.calls.empty());
    ASSERT_TRUE(Open());
    EXPECT_EQ(Count(L"environment "), 1);
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    Page(L"notafon-ready");  // the new page hears of the last audio
    EXPECT_EQ(Posts(), std::vector<std::wstring>{kTalkMessage});
}

TEST_F(PanelOriginTest, ARendererThatExitsOrHangsIsReloadedOtherFailuresAreLeftToTheBrowser) {
    Page(L"notafon-ready");
    PanelProcessFailed(kPanelRendererExited);
    EXPECT_EQ(fake.calls, std::vector<std::wstring>{L"reload"});
    EXPECT_EQ(panelHost.pageReady, 0);
    PanelProcessFailed(kPanelRendererUnresponsive);
    EXPECT_EQ(Count(L"reload"), 2);
    fake.calls.clear();
    for (int kind = 3; kind <= 9; ++kind) PanelProcessFailed(kind);  // frames, GPU, utility processes
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(IsPanelCreated());
}

TEST_F(PanelHostTest, TheBrowserHearsOfParentMovesOnlyOnceItExists) {
    NotifyPanelParentMoved();
    ASSERT_TRUE(Open());
    NotifyPanelParentMoved();
    EXPECT_EQ(Count(L"parent moved"), 0);
    PanelEnvironmentCreated(0, true);
    PanelControllerCreated(0, true);
    NotifyPanelParentMoved();
    EXPECT_EQ(Count(L"parent moved"), 1);
    ClosePanel();
    NotifyPanelParentMoved();
    EXPECT_EQ(Count(L"parent moved"), 1);
}
