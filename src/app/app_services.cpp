// The one start-up sequence of the modules' seams and states.
#include "app/app_services.h"

#include "app/controller.h"
#include "app/recording_recovery.h"
#include "recorder/recorder.h"
#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_text.h"
#include "ui/layout.h"

void appInstall(const AppServices* s) {
    if (s->settings) settingsStoreInstall(s->settings);
    if (s->keyNames) shortcutTextInstall(s->keyNames);
    if (s->keyStates) keyStateInstall(s->keyStates);
    if (s->hotkeys) shortcutRegistrationInstall(s->hotkeys, s->shortcutHost);
    if (s->controls) controllerInstall(s->controls, s->placement, s->shell);
    if (s->capture) recorderInstall(s->capture, s->files, s->recorderHost);
    if (s->files) recordingRecoveryInstall(s->files);
    if (s->player) playerInstall(s->player);
    transcriptionInstall(s->typing, s->files);
}

void appReset() {
    shortcutRegistrationReset();
    shortcutsReset();
    controllerReset();
    layoutReset();
    playerReset();
    recorderReset();
}
