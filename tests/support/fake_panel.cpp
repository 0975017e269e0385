// The recording panel platform.
#include "support/fake_panel.h"

#include <stdlib.h>
#include <wchar.h>

#include <iterator>

FakeSystem fake;

namespace {

void Call(const std::wstring& text) {
    fake.calls.push_back(text);
}

int LocalAppData(wchar_t* out, int capacity) {
    if (!fake.haveAppData || fake.appData.size() >= static_cast<size_t>(capacity)) return -1;
    wcscpy(out, fake.appData.c_str());
    return 0;
}
void CreateFolderTree(const wchar_t* path) {
    Call(std::wstring(L"folder ") + path);
}
int LoaderResource(const void** data, uint32_t* size) {
    if (!fake.haveResource) return -1;
    *data = fake.resource.data();
    *size = static_cast<uint32_t>(fake.resource.size());
    return 0;
}
int64_t FileSize(const wchar_t* path) {
    auto it = fake.files.find(path);
    return it == fake.files.end() ? -1 : static_cast<int64_t>(it->second.size());
}
int WriteNewFile(const wchar_t* path, const void* data, uint32_t size) {
    Call(std::wstring(L"write ") + path);
    if (fake.failWrite) return -1;
    fake.files[path] = std::string(static_cast<const char*>(data), size);
    return 0;
}
void EmptyFolder(const wchar_t* folder) {
    Call(std::wstring(L"empty ") + folder);
    std::wstring prefix = std::wstring(folder) + L"\\";
    for (auto it = fake.files.begin(); it != fake.files.end();) {
        bool direct = it->first.compare(0, prefix.size(), prefix) == 0 &&
                      it->first.find(L'\\', prefix.size()) == std::wstring::npos;
        it = direct ? fake.files.erase(it) : std::next(it);
    }
}
int CopyFile(const wchar_t* from, const wchar_t* to) {
    Call(std::wstring(L"copy ") + from + L" -> " + to);
    if (fake.failCopy) return -1;
    fake.files[to] = "audio";
    return 0;
}
uint32_t TickCount() {
    return fake.ticks;
}
void* AllocateZeroed(size_t bytes) {
    return fake.allocationsLeft-- > 0 ? calloc(1, bytes) : nullptr;
}
void FreeMemory(void* memory) {
    free(memory);
}
int LoadLoader(const wchar_t* path) {
    Call(std::wstring(L"load ") + path);
    auto it = fake.files.find(path);
    if (fake.failLoad || it == fake.files.end()) return -1;
    return fake.onlyTheResourceLoads && it->second != fake.resource ? -1 : 0;
}
int32_t CreateEnvironment(const wchar_t* userData) {
    Call(std::wstring(L"environment ") + userData);
    if (fake.onEnvironment) fake.onEnvironment();
    return fake.environmentResult;
}
void KeepEnvironment() {
    Call(L"keep environment");
}
void ReleaseEnvironment() {
    Call(L"release environment");
}
int32_t CreateController(PanelWindow parent) {
    Call(L"controller for " + std::to_wstring(reinterpret_cast<uintptr_t>(parent)));
    return fake.controllerResult;
}
int KeepController() {
    Call(L"keep controller");
    return fake.webViewArrives ? 0 : -1;
}
void PutBounds(PanelRect r) {
    Call(L"bounds " + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
         std::to_wstring(r.bottom));
}
void PutVisible(int visible) {
    Call(L"visible " + std::to_wstring(visible));
}
void NotifyParentMoved() {
    Call(L"parent moved");
}
void DisableSettings() {
    Call(L"settings off");
}
void ServeHost(const wchar_t* host) {
    Call(std::wstring(L"serve ") + host);
}
void Subscribe() {
    Call(L"subscribe");
}
void Navigate(const wchar_t* address) {
    Call(std::wstring(L"navigate ") + address);
}
void Reload() {
    Call(L"reload");
}
int CurrentSource(wchar_t* out, int capacity) {
    if (fake.source.size() >= static_cast<size_t>(capacity)) return -1;
    wcscpy(out, fake.source.c_str());
    return 0;
}
void PostJson(const wchar_t* json) {
    Call(std::wstring(L"post ") + json);
}
void CloseController() {
    Call(L"close controller");
}
int PostDeferred(PanelWindow) {
    Call(L"defer");
    if (fake.postDeferredResult == 0) ++fake.deferredPosts;
    return fake.postDeferredResult;
}
void OpenInBrowser(const wchar_t* address) {
    Call(std::wstring(L"open ") + address);
}

}  // namespace

const PanelPlatformApi kFakePanel = {
    LocalAppData,      CreateFolderTree,   LoaderResource,   FileSize,       WriteNewFile,  EmptyFolder,
    CopyFile,          TickCount,          AllocateZeroed,   FreeMemory,     LoadLoader,    CreateEnvironment,
    KeepEnvironment,   ReleaseEnvironment, CreateController, KeepController, PutBounds,     PutVisible,
    NotifyParentMoved, DisableSettings,    ServeHost,        Subscribe,      Navigate,      Reload,
    CurrentSource,     PostJson,           CloseController,  PostDeferred,   OpenInBrowser,
};
