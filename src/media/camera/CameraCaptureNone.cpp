#include "CameraCapture.h"

struct CameraCapture::Private {};

CameraCapture::CameraCapture(QObject* parent)
    : QObject(parent) {}
CameraCapture::~CameraCapture() = default;
bool CameraCapture::available() {
    return false;
}
void CameraCapture::start() {}
void CameraCapture::capture() {}
void CameraCapture::stop() {}
