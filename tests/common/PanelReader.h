#pragma once
// What the search overviews and the detail panel show in the real window, read the way a user reads
// them, and the picker wheels turned the way a finger turns them. Shared by the end-to-end tests of
// the children's and the staff screens. Main thread only.
#include <QList>
#include <QString>
#include <QStringList>

class AppSession;
class QQuickItem;

namespace PanelReader {

// The overview rows in view, top to bottom.
QList<QQuickItem*> rowsInView(const AppSession& session);
// The row in view showing that name ("last first"), or nullptr.
QQuickItem* rowOf(const AppSession& session, const QString& name);
// "In", "Out" or "" as the row's icon shows it ("?" without such a row), and the time beside it.
QString iconOf(const AppSession& session, const QString& name);
QString timeOf(const AppSession& session, const QString& name);
// Whether the row shows its check mark.
bool selected(const AppSession& session, const QString& name);
// The count in a presence segment's title ("In (12)"), or -1 before the counts arrive.
int segmentCount(const AppSession& session, int segment);

// The items of that name in the detail panel's table, top to bottom.
QList<QQuickItem*> inTable(const AppSession& session, const QString& name);
// The times of the registration rows, newest first as shown: "HH:mm".
QStringList registrationTimes(const AppSession& session);

// Turns a picker wheel to row `target` as a finger does: slow drags of a row or two, each held still
// before the release so the wheel does not fling, until it comes to rest there (a failed comparison
// is reported to the running test).
void turnWheel(const AppSession& session, QQuickItem* wheel, int target);
// Taps a point of the panel's header where nothing reacts: closes an open popover.
void tapOutside(const AppSession& session);

} // namespace PanelReader
