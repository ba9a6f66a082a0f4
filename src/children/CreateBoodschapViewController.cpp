#include "CreateBoodschapViewController.h"

#include "Clock.h"
#include "ProductStore.h"
#include "ProductadderViewController.h"
#include "Resources.h"
#include "UserDefaults.h"

#include <QHash>
#include <QPointer>

namespace {
struct KeptDraft {
    QString onderwerp;
    QString text;
};
QHash<QString, KeptDraft>& keptDrafts() {
    static QHash<QString, KeptDraft> drafts;
    return drafts;
}
QString draftKey(const QStringList& ids, const QString& door) {
    return ids.join(QLatin1Char('\n')) + QLatin1Char('\x1f') + door;
}
} // namespace

CreateBoodschapViewController::CreateBoodschapViewController(const QStringList& ids,
                                                             CreateBoodschapDelegate* delegate,
                                                             QObject* parent, const QString& door,
                                                             UserDefaults* defaults)
    : ScreenController(Resources::qmlUrl(QStringLiteral("children/qml/CreateBoodschapView.qml")),
                       tr("Boodschap"), parent)
    , m_ids(ids)
    , m_delegate(delegate)
    , m_door(door)
    , m_defaults(defaults) {
    const auto kept = keptDrafts().constFind(draftKey(m_ids, m_door));
    if (kept != keptDrafts().cend()) {
        m_onderwerp = kept->onderwerp;
        m_text = kept->text;
        m_restoredDraft = true;
        keptDrafts().erase(kept);
    }
}

void CreateBoodschapViewController::setIngeladenBoodschap(const Boodschap& boodschap) {
    if (m_restoredDraft) // a stored message is read, not written: the kept text waits further
        keptDrafts().insert(draftKey(m_ids, m_door), {m_onderwerp, m_text});
    m_restoredDraft = false;
    m_onderwerp = boodschap.onderwerp;
    m_text = boodschap.boodschap;
    m_readOnly = true;
    emit fieldsChanged();
    emit stateChanged();
}

void CreateBoodschapViewController::setOnderwerp(const QString& onderwerp) {
    if (m_readOnly || m_saved || onderwerp == m_onderwerp)
        return;
    m_onderwerp = onderwerp;
    emit fieldsChanged();
    emit stateChanged();
}

void CreateBoodschapViewController::setText(const QString& text) {
    if (m_readOnly || m_saved || text == m_text)
        return;
    m_text = text;
    emit fieldsChanged();
    emit stateChanged();
}

bool CreateBoodschapViewController::canSave() const {
    return !m_readOnly && !m_saved && (!m_onderwerp.trimmed().isEmpty() || !m_text.trimmed().isEmpty());
}

bool CreateBoodschapViewController::hasUnsavedText() const {
    return !m_readOnly && !m_saved && (!m_onderwerp.isEmpty() || !m_text.isEmpty());
}

bool CreateBoodschapViewController::save() {
    if (!canSave())
        return false;
    Boodschap boodschap;
    boodschap.onderwerp = m_onderwerp;
    boodschap.boodschap = m_text;
    boodschap.tijdstip = Clock::now();
    boodschap.door = m_door.isNull() ? loggedInLastName() : m_door;
    ProductStore store(m_defaults ? *m_defaults : UserDefaults::standard());
    const QList<Boodschap> copies = store.saveBoodschapForIds(boodschap, m_ids);
    if (copies.isEmpty())
        return false;
    m_saved = true;
    emit stateChanged();
    const QPointer<CreateBoodschapViewController> alive(this); // the delegate closes the popover
    if (m_delegate)
        m_delegate->saveBoodschap(copies.first());
    if (alive)
        emit boodschapSaved(copies);
    return true;
}

void CreateBoodschapViewController::discard() {
    if (m_readOnly || (m_onderwerp.isEmpty() && m_text.isEmpty()))
        return;
    m_onderwerp.clear();
    m_text.clear();
    emit fieldsChanged();
    emit stateChanged();
}

void CreateBoodschapViewController::prepareForIdleLock() {
    if (hasUnsavedText())
        keptDrafts().insert(draftKey(m_ids, m_door), {m_onderwerp, m_text});
}

void CreateBoodschapViewController::forgetKeptDrafts() {
    keptDrafts().clear();
}
