// The states of the lock keys that the status bar shows. Read from the X server's
// keyboard indicators where there is one; elsewhere every state reads as off.
#pragma once

struct CKeyIndicators
{
    bool Kana = false;
    bool Caps = false;
    bool Num = false;
    bool Scroll = false;
    bool operator==(const CKeyIndicators&) const = default;
};

// False when the platform offers no way to read them (the panes then stay empty).
bool KeyIndicatorsAvailable();
CKeyIndicators ReadKeyIndicators();
