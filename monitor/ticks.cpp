// The 2-second timer tick: delayed start, the start-up delay, the verify turn and the realtime
// path.
#include "monitor.h"
#include "trace.h"

namespace {
constexpr int kVerifyTurn = 15;   // the tick counter's value before the 17th tick
constexpr int kPaceTicks = 4;     // the delayed launcher runs every sixth tick
constexpr int kConflictLimit = 3;
} // namespace

MonitorState &Monitor()
{
    static MonitorState state;
    return state;
}

namespace {

void RunVerifyTurn(MonitorState &state, const TickActions &actions)
{
    actions.verify();
    // An area a place signal brought forward and not yet checked (its half comes next, or an
    // alert held the pass back) keeps the turn on the next tick.
    state.tickCounter = state.placeAreas != 0 ? kVerifyTurn + 1 : 0;
    state.realtimeFlag = 0;
    state.conflictCounter = 0;
}

} // namespace

void OnPlaceTimer(MonitorState &state, const TickActions &actions)
{
    if (state.tickCounter > kVerifyTurn && state.startupDelay == 0)
        RunVerifyTurn(state, actions);
}

void OnTimerTick(MonitorState &state, const TickActions &actions)
{
    if (state.delayedLaunched < state.delayedTotal && state.delayPace++ > kPaceTicks) {
        ++state.delayStep;
        actions.launchDelayed(10 * state.delayStep);
        state.delayPace = 0;
    }
    if (state.startupDelay > 0)
        --state.startupDelay;

    if (state.tickCounter++ > kVerifyTurn) {
        // Still starting up: the counter stays, so the verify follows when the delay ends.
        if (state.startupDelay > 0)
            return;
        RunVerifyTurn(state, actions);
        return;
    }
    if (!state.realtimeFlag) {
        state.conflictCounter = 0;
        return;
    }
    // A realtime request waits while an alert is open, a verify runs or the start-up lasts.
    if (state.alertOpen || state.verifyRunning || state.startupDelay > 0)
        return;
    if (state.conflictCounter >= kConflictLimit) {
        // Signals on every tick: something keeps starting processes; let it be for a moment.
        Trace("svmain", "Possible System Conflict");
        actions.pause(50);
        state.conflictCounter = 0;
    } else {
        ++state.conflictCounter;
        actions.checkProcessChange();
    }
    state.realtimeFlag = 0;
}
