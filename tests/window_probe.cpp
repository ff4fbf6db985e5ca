// Looks at the tool's window from outside, as a user's desktop would, on an X display:
//   window_probe wait-shown TITLE TIMEOUT_S   prints the milliseconds until TITLE is viewable
//   window_probe screenshot TITLE FILE.png    saves what the window shows
//   window_probe close TITLE                  asks the window to close, as its close button does
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

std::string WindowName(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success &&
        data != nullptr) {
        name.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return name;
}

std::optional<Window> FindWindow(Display* display, const std::string& title, bool viewable) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, XDefaultRootWindow(display), &rootReturn, &parent, &children, &count) ==
        0) {
        return std::nullopt;
    }
    std::optional<Window> found;
    for (unsigned int i = 0; i < count && !found; ++i) {
        if (WindowName(display, children[i]) != title) {
            continue;
        }
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            (!viewable || attributes.map_state == IsViewable)) {
            found = children[i];
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// Windows come and go while the probe looks (the status window, menus); a window that vanished
// between two requests is simply not the one sought, not a reason to stop.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

int WaitShown(Display* display, const std::string& title, int timeoutSeconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < timeoutSeconds * 1000LL) {
        if (FindWindow(display, title, true)) {
            std::printf("%lld\n", static_cast<long long>(elapsed.elapsed()));
            return 0;
        }
        QThread::msleep(10);
    }
    std::fprintf(stderr, "window not shown within %d s\n", timeoutSeconds);
    return 1;
}

int Screenshot(Display* display, const std::string& title, const QString& file) {
    const std::optional<Window> window = FindWindow(display, title, true);
    if (!window) {
        std::fprintf(stderr, "no window to photograph\n");
        return 1;
    }
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, *window, &attributes);
    const Window root = XDefaultRootWindow(display);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, *window, root, 0, 0, &x, &y, &child);
    XImage* image = XGetImage(display, root, x, y, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "the display gave no image\n");
        return 1;
    }
    QImage picture(attributes.width, attributes.height, QImage::Format_RGB32);
    for (int row = 0; row < attributes.height; ++row) {
        for (int column = 0; column < attributes.width; ++column) {
            picture.setPixel(column, row,
                             static_cast<QRgb>(XGetPixel(image, column, row)) | 0xff000000u);
        }
    }
    XDestroyImage(image);
    if (!picture.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

int Close(Display* display, const std::string& title) {
    const std::optional<Window> window = FindWindow(display, title, false);
    if (!window) {
        std::fprintf(stderr, "no window to close\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = *window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, *window, False, NoEventMask, &event);
    XFlush(display);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreXError);
    if (args.size() == 4 && args[1] == QLatin1String("wait-shown")) {
        return WaitShown(display.get(), args[2].toStdString(), args[3].toInt());
    }
    if (args.size() == 4 && args[1] == QLatin1String("screenshot")) {
        return Screenshot(display.get(), args[2].toStdString(), args[3]);
    }
    if (args.size() == 3 && args[1] == QLatin1String("close")) {
        return Close(display.get(), args[2].toStdString());
    }
    std::fprintf(stderr, "usage: window_probe wait-shown TITLE TIMEOUT_S | screenshot TITLE "
                         "FILE | close TITLE\n");
    return 2;
}
