#pragma once
// The device's camera, for the photo picker: whether there is one, start, take one picture, stop.
// Without Qt Multimedia at build time there never is a camera. Main thread.
#include <QImage>
#include <QObject>

class CameraCapture : public QObject {
    Q_OBJECT
public:
    explicit CameraCapture(QObject* parent = nullptr);
    ~CameraCapture() override;

    static bool available();
    void start();
    // Takes a picture once the camera is ready; captured() follows.
    void capture();
    void stop();

signals:
    void captured(const QImage& picture);

private:
    struct Private;
    Private* d = nullptr;
};
