// The microphone list. What each row stands for is kept beside the list as it was filled, so that a device plugged in
// or out between the filling and the click cannot make a row mean another device.
#include "app/microphone_list.h"

#include <wchar.h>

#include "app/controller.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "base/wide_text.h"
#include "recorder/recorder.h"
#include "ui/control_ids.h"

namespace {

struct MicrophoneList {
    int rowCount;
    wchar_t names[kMicrophoneRowCapacity][kCaptureNameCapacity];        // "" for the default
    wchar_t labels[kMicrophoneRowCapacity][kCaptureNameCapacity + 24];  // as shown
};
MicrophoneList list;

void AddRow(const wchar_t* name, const wchar_t* label) {
    if (list.rowCount >= kMicrophoneRowCapacity) return;
    WideCopyBounded(list.names[list.rowCount], kCaptureNameCapacity, name);
    WideCopyBounded(list.labels[list.rowCount], kCaptureNameCapacity + 24, label);
    list.rowCount += 1;
}

}  // namespace

void microphoneListReset() {
    list = MicrophoneList{};
}

void RefreshMicrophoneList() {
    list.rowCount = 0;
    AddRow(L"", L"Windows default");
    const wchar_t* chosen = shell().inputDevice;
    int chosenRow = chosen[0] ? -1 : 0;
    int count = inputDeviceCount();
    for (int i = 0; i < count && i < kMicrophoneMaxDevices; ++i) {
        wchar_t name[kCaptureNameCapacity];
        // A device without a name could not be chosen again by it; and the first of two that share a name is the
        // one a start opens, so only it is listed.
        if (!inputDeviceName(i, name, kCaptureNameCapacity) || !name[0] || microphoneRowOf(name) >= 0) continue;
        if (chosenRow < 0 && wcscmp(name, chosen) == 0) chosenRow = list.rowCount;
        AddRow(name, name);
    }
    if (chosenRow < 0) {
        // Unplugged for now: the choice stays, and the list says why the default is used meanwhile.
        wchar_t label[kCaptureNameCapacity + 24];
        WideFormat(label, kCaptureNameCapacity + 24, L"Not connected: %ls", chosen);
        chosenRow = list.rowCount;
        AddRow(chosen, label);
    }
    const wchar_t* rows[kMicrophoneRowCapacity];
    for (int i = 0; i < list.rowCount; ++i) rows[i] = list.labels[i];
    controllerControls()->setListRows(kIdMicrophone, rows, list.rowCount);
    controllerControls()->setListSelection(kIdMicrophone, chosenRow);
}

int microphoneRowOf(const wchar_t* name) {
    for (int i = 1; i < list.rowCount; ++i) {
        if (wcscmp(list.names[i], name) == 0) return i;
    }
    return -1;
}

const wchar_t* microphoneRowName(int row) {
    if (row < 0 || row >= list.rowCount) return nullptr;
    return list.names[row];
}

void onMicrophoneChosen() {
    const wchar_t* name = microphoneRowName(controllerControls()->listSelection(kIdMicrophone));
    if (!name) return;
    WideCopyBounded(shell().inputDevice, kCaptureNameCapacity, name);
    SaveAllSettings();
}
