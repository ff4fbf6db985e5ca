#include "app/web_engine_setup.h"

#include <QCoreApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <unistd.h>

namespace zorlith {

namespace {

bool HasHardwareOpenGl() {
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface)) {
        return false;
    }
    const auto* renderer =
        reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer != nullptr ? renderer : "").toLower();
    context.doneCurrent();
    return !name.isEmpty() && !name.contains("llvmpipe") && !name.contains("softpipe") &&
           !name.contains("swiftshader") && !name.contains("software");
}

} // namespace

void PrepareWebEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

void ChooseBrowserRendering() {
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || HasHardwareOpenGl()) {
        return;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

} // namespace zorlith
