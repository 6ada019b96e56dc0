#include "app/KeyIndicators.h"

#include <QGuiApplication>

#ifdef PLEKTO_HAVE_XKB
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace
{
#ifdef PLEKTO_HAVE_XKB
Display* XDisplay()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool IndicatorOn(Display* display, const char* name)
{
    // Indicators are found by name: their bit positions differ between keymaps.
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on == True;
}
#endif
}  // namespace

bool KeyIndicatorsAvailable()
{
#ifdef PLEKTO_HAVE_XKB
    return XDisplay() != nullptr;
#else
    return false;
#endif
}

CKeyIndicators ReadKeyIndicators()
{
    CKeyIndicators states;
#ifdef PLEKTO_HAVE_XKB
    if (Display* display = XDisplay()) {
        states.Kana = IndicatorOn(display, "Kana");
        states.Caps = IndicatorOn(display, "Caps Lock");
        states.Num = IndicatorOn(display, "Num Lock");
        states.Scroll = IndicatorOn(display, "Scroll Lock");
    }
#endif
    return states;
}
