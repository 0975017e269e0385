// The one instance of the shell's state.
#include "app/shell_state.h"

#include "app/shell_state_edit.h"

namespace {

ShellState state;
// Copied from rather than built on each reset: the two path buffers make a temporary large.
const ShellState kInitialState = {};

}  // namespace

const ShellState& shellState() {
    return state;
}

ShellState& shell() {
    return state;
}

void shellStateReset() {
    state = kInitialState;
}
