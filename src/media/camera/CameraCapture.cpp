#include "CameraCapture.h"

#include <QCamera>
#include <QDebug>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>

struct CameraCapture::Private {
    QMediaCaptureSession session;
    QCamera camera{QMediaDevices::defaultVideoInput()};
    QImageCapture imageCapture;
    bool wanted = false; // a picture asked for before the camera was ready
};

CameraCapture::CameraCapture(QObject* parent)
    : QObject(parent)
    , d(new Private) {
    d->session.setCamera(&d->camera);
    d->session.setImageCapture(&d->imageCapture);
    connect(&d->imageCapture, &QImageCapture::imageCaptured, this,
            [this](int, const QImage& picture) { emit captured(picture); });
    connect(&d->imageCapture, &QImageCapture::readyForCaptureChanged, this, [this](bool ready) {
        if (ready && d->wanted) {
            d->wanted = false;
            d->imageCapture.capture();
        }
    });
    connect(&d->camera, &QCamera::errorOccurred, this,
            [](QCamera::Error, const QString& message) { qWarning().noquote() << "camera:" << message; });
}

CameraCapture::~CameraCapture() {
    delete d;
}

bool CameraCapture::available() {
    return !QMediaDevices::videoInputs().isEmpty();
}

void CameraCapture::start() {
    d->camera.start();
}

void CameraCapture::capture() {
    if (d->imageCapture.isReadyForCapture())
        d->imageCapture.capture();
    else
        d->wanted = true;
}

void CameraCapture::stop() {
    d->wanted = false;
    d->camera.stop();
}
