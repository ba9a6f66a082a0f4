#include "StoreFailureViewController.h"

#include "Resources.h"

StoreFailureViewController::StoreFailureViewController(Store::OpenProblem problem, QObject* parent)
    : ScreenController(Resources::qmlUrl(QStringLiteral("app/qml/StoreFailureView.qml")),
                       tr("De gegevens op deze tablet kunnen niet geopend worden"), parent)
    , m_problem(problem)
    , m_info(new InfoViewController(this)) {
    const auto& contacts = m_info->contacts()->contacts();
    for (int row = 0; row < contacts.size() && m_helpRow < 0; ++row)
        if (contacts.at(row).name.startsWith(QLatin1String("Technische hulp"), Qt::CaseInsensitive))
            m_helpRow = row;
}

InfoContactsModel::Contact StoreFailureViewController::help() const {
    return m_helpRow >= 0 ? m_info->contacts()->contacts().at(m_helpRow) : InfoContactsModel::Contact{};
}

void StoreFailureViewController::mailHelp() {
    if (m_helpRow >= 0)
        m_info->openEmail(m_helpRow);
}

QString StoreFailureViewController::cause() const {
    switch (m_problem) {
    case Store::OpenProblem::NoAccess:
        return tr("De app heeft geen rechten op de map waarin de gegevens bewaard worden.");
    case Store::OpenProblem::DiskFull:
        return tr("De opslagruimte van deze tablet is vol.");
    case Store::OpenProblem::NewerVersion:
        return tr("De gegevens werden gemaakt door een nieuwere versie van de app.");
    case Store::OpenProblem::Damaged:
        return tr("Het bestand met de gegevens is beschadigd.");
    case Store::OpenProblem::InUse:
        return tr("De app draait al op deze tablet.");
    case Store::OpenProblem::NoWriteAheadLog:
        return tr("De gegevens kunnen op deze opslag niet veilig bewaard worden: een stroomonderbreking "
                  "zou wijzigingen kunnen doen verloren gaan.");
    case Store::OpenProblem::MigrationFailed:
        return tr("De gegevens van de vorige versie van de app konden niet omgezet worden naar deze "
                  "versie. Ze staan nog onveranderd op de tablet, ook de wijzigingen die nog naar de "
                  "server moeten.");
    case Store::OpenProblem::None:
    case Store::OpenProblem::Other:
        break;
    }
    return tr("Het bestand met de gegevens kon niet gelezen worden.");
}

QString StoreFailureViewController::advice() const {
    if (m_problem == Store::OpenProblem::InUse)
        return tr("Gebruik de app die al open is, of sluit die en probeer opnieuw.") + QLatin1Char(' ') +
               tr("De gegevens zelf blijven bewaard: er wordt niets gewist.");
    QString first;
    switch (m_problem) {
    case Store::OpenProblem::DiskFull:
        first = tr("Maak ruimte vrij op de tablet en probeer opnieuw.") + QLatin1Char(' ');
        break;
    case Store::OpenProblem::NewerVersion:
        first = tr("Installeer de nieuwste versie van de app.") + QLatin1Char(' ');
        break;
    default:
        break;
    }
    return first + tr("Contacteer de technische hulp van je organisatie (zie de informatiepagina).") +
           QLatin1Char(' ') + tr("De gegevens zelf blijven bewaard: er wordt niets gewist.");
}

void StoreFailureViewController::probeerOpnieuw() {
    emit retryRequested();
}

void StoreFailureViewController::retryFailed(Store::OpenProblem problem) {
    m_problem = problem;
    ++m_attempts;
    emit problemChanged();
}
