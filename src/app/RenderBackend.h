#pragma once
// Which scene graph draws the windows. Through OpenGL every frame is drawn whole; on a CPU rasteriser
// (a tablet without a GPU driver: Mesa's llvmpipe, softpipe, swrast) that costs milliseconds of CPU per
// frame whatever changed, so there Qt Quick's software backend draws instead: it repaints only the
// changed region. QT_QUICK_BACKEND (or its older name QMLSCENE_DEVICE) or QSG_RHI_BACKEND in the
// environment is the user's choice and is kept: QT_QUICK_BACKEND=software forces the software backend,
// QSG_RHI_BACKEND=opengl forces OpenGL.
#include <QString>
#include <optional>

namespace RenderBackend {

enum class Choice { Platform, Software };

// Whether this GL_RENDERER text names a rasteriser that runs on the CPU.
bool isSoftwareRasteriser(const QString& glRenderer);
// The decision. glRenderer: what OpenGL reports, nullopt where no context could be made (no GL at all).
Choice decide(const QString& quickBackendEnv, const QString& rhiBackendEnv,
              const std::optional<QString>& glRenderer);
// Whether the environment decides (then nothing is probed).
bool environmentChooses(const QString& quickBackendEnv, const QString& rhiBackendEnv);
// With the software scene graph on a real display, whether its frames are drawn on a render thread of
// their own, so that rasterising (milliseconds a frame on a large screen) never holds up a tap. Not
// where QSG_RENDER_LOOP says otherwise (the user's choice), nor offscreen (no display to keep smooth).
bool softwareOnRenderThread(const QString& platformName, const QString& renderLoopEnv);
// The GL_RENDERER of a context made, queried and destroyed at once; nullopt without OpenGL.
std::optional<QString> probeGlRenderer();
// After the application object exists, before its first window: probes when the environment does not
// decide and applies the choice. Returns it, for the log and the benchmarks.
Choice apply();

} // namespace RenderBackend
