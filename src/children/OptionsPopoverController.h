#pragma once
// A few option texts for one row of a table, shown in a small popover; a choice goes to the delegate
// with the row and the table's tag it was opened for. Main thread; owned by the screen that opened it.
#include <QObject>
#include <QPointer>
#include <QStringList>

class OptionsPopoverDelegate {
public:
    virtual ~OptionsPopoverDelegate() = default;
    virtual void optionSelected(int option, int row, int tableViewTag) = 0;
};

class OptionsPopoverController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QStringList options READ options CONSTANT)
    Q_PROPERTY(int originatingRow READ originatingRow CONSTANT)
    Q_PROPERTY(int tableViewTag READ tableViewTag CONSTANT)
    Q_PROPERTY(int preferredWidth READ preferredWidth CONSTANT)
    Q_PROPERTY(int preferredHeight READ preferredHeight CONSTANT)
public:
    OptionsPopoverController(const QStringList& options, int originatingRow, int tableViewTag,
                             OptionsPopoverDelegate* delegate, QObject* parent = nullptr);

    QStringList options() const { return m_options; }
    int originatingRow() const { return m_originatingRow; }
    int tableViewTag() const { return m_tableViewTag; }
    int preferredWidth() const { return 160; }
    int preferredHeight() const { return 90; }

    // A tap on option i: the delegate hears it once; options outside the list do nothing.
    Q_INVOKABLE void select(int option);

private:
    QStringList m_options;
    int m_originatingRow;
    int m_tableViewTag;
    OptionsPopoverDelegate* m_delegate;
};
