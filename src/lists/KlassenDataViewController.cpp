#include "KlassenDataViewController.h"

#include "DataAccessObject.h"
#include "ImageCache.h"
#include "Resources.h"
#include "SelectieLijst.h"
#include "StackScrollViewController.h"
#include "TextKeys.h"
#include "UserDefaults.h"

const QString KlassenDataViewController::kCategoryKey = QStringLiteral("cc_lastselectedCategoryType");

KlassenDataViewController::KlassenDataViewController(const QString& entityId, DataAccessObject* dao,
                                                     SelectieLijst* selection,
                                                     StackScrollViewController* stack, ImageCache* images,
                                                     QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("lists/qml/KlassenDataView.qml")), tr("Lijsten"),
                       parent)
    , m_entityId(entityId)
    , m_dao(dao)
    , m_selection(selection)
    , m_stack(stack)
    , m_images(images)
    , m_model(new KlassenModel(this)) {
    m_model->setImageCache(images);
    m_groupTypes = m_dao->loadGroupTypesforEntity(entityId);
    if (m_groupTypes.isEmpty())
        return; // the header says so and the list stays empty
    // Absent or unreadable: the first type. An index the types no longer reach (or a negative one)
    // chooses no type, so that every group is listed.
    const int stored = UserDefaults::standard().stringForKey(kCategoryKey).trimmed().toInt();
    if (stored >= 0 && stored < m_groupTypes.size()) {
        m_selectedSegment = stored;
        m_category = m_groupTypes.at(stored);
    }
    loadKlassen();
}

KlassenDataViewController::~KlassenDataViewController() = default;

QString KlassenDataViewController::headerText() const {
    return m_groupTypes.isEmpty() ? tr("Sorry, er werden (nog) geen groepen gevonden") : QString();
}

QStringList KlassenDataViewController::sectionIndexTitles() const {
    QStringList titles;
    for (char c = 'A'; c <= 'Z'; ++c)
        titles << QString(QLatin1Char(c));
    for (char c = '0'; c <= '9'; ++c)
        titles << QString(QLatin1Char(c));
    return titles;
}

const QList<QVariantMap>& KlassenDataViewController::klassen() const {
    return m_model->klassen();
}

void KlassenDataViewController::loadKlassen() {
    m_model->setKlassen(m_dao->loadGroupsFromType(m_category, m_entityId));
}

void KlassenDataViewController::didClickSegmentation(int segment) {
    if (segment < 0 || segment >= m_groupTypes.size())
        return;
    UserDefaults::standard().setString(kCategoryKey, QString::number(segment));
    m_selectedSegment = segment;
    m_category = m_groupTypes.at(segment);
    emit categoryChanged();
    loadKlassen();
}

void KlassenDataViewController::tableViewDidSelectRowAtIndexPath(int row) {
    if (row < 0 || row >= klassen().size())
        return;
    auto* leerlingen = new LeerlingenDataViewController(klassen().at(row), m_entityId, m_dao, m_selection,
                                                        m_stack, m_images);
    leerlingen->setDetailFactory(m_detailFactory);
    leerlingen->model()->setSyncState(m_syncState, SyncState::Kind::Child);
    m_leerlingen = leerlingen;
    if (m_stack)
        m_stack->addViewInSlider(leerlingen, this, false);
    else
        leerlingen->setParent(this);
}

int KlassenDataViewController::sectionForSectionIndexTitle(const QString& /*title*/, int index) {
    QMetaObject::invokeMethod(
        this,
        [this, index] {
            if (const int row = rowForSectionIndex(index); row >= 0)
                emit scrollToRow(row);
        },
        Qt::QueuedConnection);
    return -1;
}

int KlassenDataViewController::rowForSectionIndex(int index) const {
    QStringList folded;
    folded.reserve(klassen().size());
    for (const QVariantMap& klas : klassen())
        folded << TextKeys::fold(klas.value(QStringLiteral("groupName")).toString());
    return TextKeys::firstStartingWithLetter(folded, sectionIndexTitles(), index);
}
