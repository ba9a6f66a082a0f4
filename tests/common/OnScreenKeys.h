#pragma once
// A finger on the app's real window: taps by touch events, and typing by tapping the keys of the
// on-screen keyboard (found in its input panel by the text or the key they stand for). The app must
// have been made with the keyboard's input method (QT_IM_MODULE=qtvirtualkeyboard before the
// application object exists). Main thread only.
#include <QQuickItem>
#include <QQuickWindow>

class QPointingDevice;

namespace OnScreenKeys {

// The one touch screen of the tests.
QPointingDevice* touchScreen();
// A tap of one finger at a window point, or on the centre of an item (false when there is none).
void touchTap(QQuickWindow* window, QPointF at);
bool touchTap(QQuickWindow* window, QQuickItem* item);
// A finger pressed at from, moved to to in steps, lifted: a swipe that scrolls.
void touchDrag(QQuickWindow* window, QPointF from, QPointF to);

// The keyboard's panel while it is shown (or sliding in), else nullptr.
QQuickItem* shownPanel(QQuickWindow* window);
// Waits for the keyboard to be shown at the bottom (true) or gone below it (false), slide ended;
// false when it never got there.
bool waitShown(QQuickWindow* window, bool shown);
// The key showing text ("a", "1", "%"), shifted or not, on the page shown now; or nullptr.
QQuickItem* key(QQuickWindow* window, const QString& text);
// The key sending that Qt key (Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Shift...); or nullptr.
QQuickItem* key(QQuickWindow* window, Qt::Key qtKey);
// Types text by tapping keys: the shift key for capitals, the symbols pages for digits and signs.
// False (and stops) at a character no key of the layout gives.
bool type(QQuickWindow* window, const QString& text);
// Taps Enter.
bool enter(QQuickWindow* window);

} // namespace OnScreenKeys
