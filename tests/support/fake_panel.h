// A panel platform that records every call instead of reaching a browser: the panel host's tests and the
// application's tests of the window modes install it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "panel/panel_platform.h"

struct FakeSystem {
    std::vector<std::wstring> calls;  // browser calls and file changes, in order
    std::map<std::wstring, std::string> files;
    std::string resource = std::string(1000, 'L');
    bool haveResource = true;
    bool haveAppData = true;
    std::wstring appData = L"C:\\Users\\u\\AppData\\Local";
    bool failWrite = false, failLoad = false, failCopy = false;
    // A loader file loads unless failLoad, or, with this set, its content is not the resource's (a damaged file).
    bool onlyTheResourceLoads = false;
    int allocationsLeft = 1000;
    int32_t environmentResult = 0;
    int32_t controllerResult = 0;  // what CreateCoreWebView2Controller itself returns
    bool webViewArrives = true;
    std::wstring source = L"https://www.parlowen.example/?app=notafon";  // the document the browser shows
    int postDeferredResult = 0;
    std::function<void()> onEnvironment;  // runs as the environment is asked for
    int deferredPosts = 0;
    uint32_t ticks = 5000;
    std::vector<std::wstring> errors;
    std::vector<int> signedIn;
    int audioRequests = 0;
};
extern FakeSystem fake;
extern const PanelPlatformApi kFakePanel;
