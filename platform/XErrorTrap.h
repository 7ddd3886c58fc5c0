#pragma once

// While one lives, an X protocol error does not end the program: Xlib's
// default handler would print it and exit at once. Opening an OpenGL window
// on a display whose server refuses the driver's request (an indirect
// display such as ssh -X to a server without indirect GLX) raises such an
// error inside SDL, before SDL can report the failure itself. The handler in
// force before is put back at the end.
class XErrorTrap {
public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

private:
    // Xlib's handler type needs Xlib's headers, which stay in the source.
    void (*previous)() = nullptr;
};
