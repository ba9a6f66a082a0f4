#include "OptionsPopoverController.h"

OptionsPopoverController::OptionsPopoverController(const QStringList& options, int originatingRow,
                                                   int tableViewTag, OptionsPopoverDelegate* delegate,
                                                   QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_originatingRow(originatingRow)
    , m_tableViewTag(tableViewTag)
    , m_delegate(delegate) {}

void OptionsPopoverController::select(int option) {
    if (option < 0 || option >= m_options.size() || !m_delegate)
        return;
    // The delegate usually closes the popover, which may delete this object.
    OptionsPopoverDelegate* delegate = m_delegate;
    m_delegate = nullptr;
    delegate->optionSelected(option, m_originatingRow, m_tableViewTag);
}
