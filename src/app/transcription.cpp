// The transcription features of the player view. Typing waits on a short timer rather than in a loop: the user
// thread keeps serving the window (and the capture queue) while the shortcut's keys are still held.
#include "app/transcription.h"

#include "app/controller.h"
#include "app/settings_save.h"
#include "app/shell_state_edit.h"
#include "base/wide_text.h"
#include "player/player.h"
#include "recorder/time_text.h"
#include "ui/control_ids.h"

namespace {

const TypingApi* typing;
const FileApi* files;

const int kSpeedSlowest = 10, kSpeedFastest = 60, kSpeedNormal = 20, kSpeedKeySteps = 2;

void TypeNow() {
    shell().typingPending = false;
    controllerControls()->stopTimer(kTimerTyping);
    int length = 0;
    while (shellState().typingText[length]) ++length;
    if (!typing || typing->typeText(shellState().typingText) != length)
        SetStatus(L"Could not type the time into that window.");
}

}  // namespace

void transcriptionInstall(const TypingApi* typingApi, const FileApi* fileApi) {
    if (typingApi) typing = typingApi;
    if (fileApi) files = fileApi;
}

double resumeRewindTarget(double position, int seconds) {
    double target = position - seconds;
    return target > 0.0 ? target : 0.0;
}

int speedSliderAfter(int position, SpeedStep step) {
    int next = kSpeedNormal;
    if (step == SpeedStep::Slower) next = position - kSpeedKeySteps;
    if (step == SpeedStep::Faster) next = position + kSpeedKeySteps;
    if (next < kSpeedSlowest) next = kSpeedSlowest;
    if (next > kSpeedFastest) next = kSpeedFastest;
    return next;
}

void timestampText(double seconds, wchar_t* out, int capacity) {
    wchar_t clock[kTimestampCapacity];
    formatClock(seconds, clock, kTimestampCapacity);
    WideFormat(out, capacity, L"[%ls] ", clock);
}

void onSpeedKey(SpeedStep step) {
    if (!shellState().PlayerLoaded) return;
    const WindowControlsApi* ui = controllerControls();
    int position = speedSliderAfter(ui->sliderPosition(kIdSpeed), step);
    ui->setSliderPosition(kIdSpeed, position);
    ShowVolumeAndSpeed();
    playerSetSpeed(position * 0.05);
    SaveAllSettings();
}

void onTypeTimeKey(uint32_t mods) {
    if (!shellState().PlayerLoaded) return;
    // The time of the key press, not of the moment the keys are up.
    timestampText(playerPosition(), shell().typingText, kTimestampCapacity);
    shell().typingMods = mods;
    shell().typingSince = controllerShell()->tickMs();
    shell().typingPending = true;
    if (!typing || !typing->modifiersDown(mods)) {
        TypeNow();
        return;
    }
    controllerControls()->startTimer(kTimerTyping, kTypingPollMs);
}

void onTypingTimer() {
    if (!shellState().typingPending) {
        controllerControls()->stopTimer(kTimerTyping);
        return;
    }
    if (typing && typing->modifiersDown(shellState().typingMods)) {
        // Typed with Ctrl still down the characters would be commands in the other program: dropped instead.
        if (controllerShell()->tickMs() - shellState().typingSince < kTypingPatienceMs) return;
        shell().typingPending = false;
        controllerControls()->stopTimer(kTimerTyping);
        SetStatus(L"The time was not typed: the shortcut's keys were still held down.");
        return;
    }
    TypeNow();
}

bool fileStampOf(const wchar_t* path, FileStamp* stamp) {
    if (!files || !files->modifiedTime) return false;
    stamp->size = files->sizeOfPath(path);
    stamp->modified = files->modifiedTime(path);
    return stamp->size >= 0 && stamp->modified != -1;
}
