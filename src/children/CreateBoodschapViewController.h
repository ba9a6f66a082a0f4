#pragma once
// The message editor: a subject and a text, saved at once for every id it applies to (each id's
// list gets its own copy). With ingeladenBoodschap set it shows that message read-only.
// After a save the editor is done: the view fades the fields out and saving again does nothing.
// Main thread; owned by its QObject parent; the delegate is not owned.
#include "Boodschap.h"
#include "ScreenController.h"

#include <QStringList>

class UserDefaults;

class CreateBoodschapDelegate {
public:
    virtual ~CreateBoodschapDelegate() = default;
    // The message is already stored for every id; `boodschap` is the copy of the first id, for the
    // screen to show (append, close the popover). Not to be stored again.
    virtual void saveBoodschap(const Boodschap& boodschap) = 0;
};

class CreateBoodschapViewController : public ScreenController {
    Q_OBJECT
    Q_PROPERTY(QString onderwerp READ onderwerp WRITE setOnderwerp NOTIFY fieldsChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY fieldsChanged)
    Q_PROPERTY(bool readOnly READ readOnly NOTIFY stateChanged)
    Q_PROPERTY(bool saved READ saved NOTIFY stateChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY stateChanged)
    Q_PROPERTY(bool hasUnsavedText READ hasUnsavedText NOTIFY stateChanged)
public:
    // ids: the childIds of the selection (or one staff member's userId); door: the author's
    // last_name, or a null text for the logged-in staff member's at the moment of saving.
    explicit CreateBoodschapViewController(const QStringList& ids,
                                           CreateBoodschapDelegate* delegate = nullptr,
                                           QObject* parent = nullptr, const QString& door = QString(),
                                           UserDefaults* defaults = nullptr);

    void setDelegate(CreateBoodschapDelegate* delegate) { m_delegate = delegate; }
    QStringList ids() const { return m_ids; }

    // Shows a stored message read-only (no save).
    void setIngeladenBoodschap(const Boodschap& boodschap);
    bool readOnly() const { return m_readOnly; }

    QString onderwerp() const { return m_onderwerp; }
    void setOnderwerp(const QString& onderwerp);
    QString text() const { return m_text; }
    void setText(const QString& text);

    bool saved() const { return m_saved; }
    // Something to save: an editable, not yet saved editor with a subject or a text that is not blank.
    bool canSave() const;
    // What the guard on leaving the editor asks about: subject or text typed and not saved.
    bool hasUnsavedText() const;

    // Stores the message (subject, text, now, author) for every id and tells the delegate; false
    // when there is nothing to save or no id to save it for.
    Q_INVOKABLE bool save();
    // Throws the typed subject and text away (the guard's "Verwijder").
    Q_INVOKABLE void discard();

    // The idle lock closes the editor as the guard's "Bewaar" would keep it: the typed text waits, in
    // memory only, for the next editor opened for the same ids, which starts with it.
    void prepareForIdleLock() override;
    // A logout drops the texts kept that way.
    static void forgetKeptDrafts();

signals:
    void fieldsChanged();
    void stateChanged();
    void boodschapSaved(const QList<Boodschap>& copies);

private:
    QStringList m_ids;
    CreateBoodschapDelegate* m_delegate;
    QString m_door;
    UserDefaults* m_defaults;
    QString m_onderwerp;
    QString m_text;
    bool m_readOnly = false;
    bool m_saved = false;
    bool m_restoredDraft = false;
};
