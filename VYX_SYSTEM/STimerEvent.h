#pragma once

// A client of the timer service: any object that wants periodic or one-shot ticks implements
// onTimer and registers itself with globalTimer().startTimer(..).
class STimerEvent {
public:
    // Called on every tick of each timer the client registered, on the user-interface thread. time
    // is the tick count of the tick; the two values are the ones given to startTimer.
    virtual void onTimer(unsigned timerId, unsigned time, int firstValue, int secondValue) = 0;
    virtual const char* getClassName() const { return "STimerEvent"; }
    // Removes every timer of this client from globalTimer(), so no tick reaches a destroyed client.
    virtual ~STimerEvent();
};
