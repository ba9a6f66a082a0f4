// Which scene graph draws: the software one on a CPU rasteriser or without OpenGL, the platform's on a
// GPU, and whatever the environment names when it names something.
#include "RenderBackend.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtTest>

using RenderBackend::Choice;
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(RenderBackend::Choice)

class TestRenderBackend : public QObject {
    Q_OBJECT

private slots:
    void decision_data() {
        QTest::addColumn<QString>("quickBackend");
        QTest::addColumn<QString>("rhiBackend");
        QTest::addColumn<std::optional<QString>>("renderer");
        QTest::addColumn<Choice>("expected");
        const std::optional<QString> none;
        const auto gl = [](const char* s) { return std::optional<QString>(QString::fromLatin1(s)); };
        // On the CPU
        QTest::newRow("llvmpipe") << ""
                                  << "" << gl("llvmpipe (LLVM 15.0.6, 256 bits)") << Choice::Software;
        QTest::newRow("softpipe") << ""
                                  << "" << gl("softpipe") << Choice::Software;
        QTest::newRow("swrast") << ""
                                << "" << gl("Mesa DRI swrast") << Choice::Software;
        QTest::newRow("Mesa's software rasterizer") << ""
                                                    << "" << gl("Software Rasterizer") << Choice::Software;
        QTest::newRow("no OpenGL at all") << ""
                                          << "" << none << Choice::Software;
        QTest::newRow("blank variables are unset") << " "
                                                   << "" << gl("llvmpipe") << Choice::Software;
        // On a GPU
        QTest::newRow("Intel") << ""
                               << "" << gl("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << Choice::Platform;
        QTest::newRow("Mali") << ""
                              << "" << gl("Mali-G52 (Panfrost)") << Choice::Platform;
        QTest::newRow("virgl") << ""
                               << "" << gl("virgl (Apple M1)") << Choice::Platform;
        // The user's choice stands
        QTest::newRow("QT_QUICK_BACKEND on llvmpipe") << "rhi"
                                                      << "" << gl("llvmpipe") << Choice::Platform;
        QTest::newRow("QSG_RHI_BACKEND on llvmpipe") << ""
                                                     << "opengl" << gl("llvmpipe") << Choice::Platform;
        QTest::newRow("QSG_RHI_BACKEND without OpenGL") << ""
                                                        << "vulkan" << none << Choice::Platform;
        QTest::newRow("QT_QUICK_BACKEND=software on a GPU") << "software"
                                                            << "" << gl("Mali-G52") << Choice::Platform;
    }
    void decision() {
        QFETCH(QString, quickBackend);
        QFETCH(QString, rhiBackend);
        QFETCH(std::optional<QString>, renderer);
        QFETCH(Choice, expected);
        QCOMPARE(RenderBackend::decide(quickBackend, rhiBackend, renderer), expected);
    }

    void softwareFramesOnARenderThread_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("renderLoop");
        QTest::addColumn<bool>("threaded");
        QTest::newRow("X11") << "xcb" << "" << true;
        QTest::newRow("Wayland") << "wayland" << "" << true;
        QTest::newRow("frame buffer") << "linuxfb" << "" << true;
        QTest::newRow("offscreen") << "offscreen" << "" << false;
        QTest::newRow("QSG_RENDER_LOOP=basic is kept") << "xcb" << "basic" << false;
        QTest::newRow("a blank variable is unset") << "xcb" << " " << true;
    }
    void softwareFramesOnARenderThread() {
        QFETCH(QString, platform);
        QFETCH(QString, renderLoop);
        QFETCH(bool, threaded);
        QCOMPARE(RenderBackend::softwareOnRenderThread(platform, renderLoop), threaded);
    }

    // On a CPU rasteriser (Xvfb) or without a GL driver (offscreen) the start goes on with the software
    // scene graph, and it draws.
    void onTheCpuTheSoftwareSceneGraphDraws() {
        if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
            QSKIP("the environment chooses");
        const std::optional<QString> renderer = RenderBackend::probeGlRenderer();
        if (renderer && !RenderBackend::isSoftwareRasteriser(*renderer))
            QSKIP("a GPU");
        QCOMPARE(RenderBackend::apply(), Choice::Software);
        QQuickWindow window;
        window.resize(40, 30);
        window.setColor(Qt::red);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.rendererInterface()->graphicsApi(), QSGRendererInterface::Software);
        QCOMPARE(window.grabWindow().pixelColor(20, 15), QColor(Qt::red));
    }
};

QTEST_MAIN(TestRenderBackend)
#include "tst_renderbackend.moc"
