#include "Frames.h"

#include <QAbstractEventDispatcher>
#include <algorithm>

namespace Frames {

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t i = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

void wakeMainThread() {
    if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        d->wakeUp();
}

bool waitForFrame(QQuickWindow& window, int timeoutMs) {
    bool swapped = false;
    const auto c = QObject::connect(&window, &QQuickWindow::frameSwapped, [&] { swapped = true; });
    window.update();
    spinUntil([&] { return swapped; }, timeoutMs);
    QObject::disconnect(c);
    return swapped;
}

} // namespace Frames
