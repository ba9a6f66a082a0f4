#include "RenderBackend.h"

#include "Log.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace RenderBackend {

bool isSoftwareRasteriser(const QString& glRenderer) {
    // Mesa's swrast calls itself "Software Rasterizer"; older builds "Mesa X11" / "Mesa GLX ... Software".
    static const char* const kNames[] = {"llvmpipe", "softpipe", "swrast", "software"};
    for (const char* name : kNames)
        if (glRenderer.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    return false;
}

bool environmentChooses(const QString& quickBackendEnv, const QString& rhiBackendEnv) {
    return !quickBackendEnv.trimmed().isEmpty() || !rhiBackendEnv.trimmed().isEmpty();
}

Choice decide(const QString& quickBackendEnv, const QString& rhiBackendEnv,
              const std::optional<QString>& glRenderer) {
    if (environmentChooses(quickBackendEnv, rhiBackendEnv))
        return Choice::Platform; // Qt reads the variables itself
    if (!glRenderer || isSoftwareRasteriser(*glRenderer))
        return Choice::Software;
    return Choice::Platform;
}

bool softwareOnRenderThread(const QString& platformName, const QString& renderLoopEnv) {
    return renderLoopEnv.trimmed().isEmpty() && platformName != QLatin1String("offscreen") &&
           platformName != QLatin1String("minimal");
}

std::optional<QString> probeGlRenderer() {
    QOpenGLContext context;
    if (!context.create())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    std::optional<QString> renderer;
    if (text)
        renderer = QString::fromLatin1(text);
    context.doneCurrent();
    return renderer;
}

Choice apply() {
    QString quick = qEnvironmentVariable("QT_QUICK_BACKEND");
    if (quick.isEmpty())
        quick = qEnvironmentVariable("QMLSCENE_DEVICE"); // the older name Qt still reads
    const QString rhi = qEnvironmentVariable("QSG_RHI_BACKEND");
    if (environmentChooses(quick, rhi))
        return Choice::Platform;
    QElapsedTimer timer;
    timer.start();
    const std::optional<QString> renderer = probeGlRenderer();
    const Choice choice = decide(quick, rhi, renderer);
    if (choice == Choice::Software) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // Read when the first window makes its render loop, which is after this.
        if (softwareOnRenderThread(QGuiApplication::platformName(), qEnvironmentVariable("QSG_RENDER_LOOP")))
            qputenv("QSG_RENDER_LOOP", "threaded");
    }
    CC_LOG(QStringLiteral("OpenGL renderer %1 (probed in %2 ms): drawing with the %3 scene graph")
               .arg(renderer ? *renderer : QStringLiteral("none"))
               .arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1)
               .arg(choice == Choice::Software ? QStringLiteral("software") : QStringLiteral("platform's")));
    return choice;
}

} // namespace RenderBackend
