#include "ImageCache.h"

#include "Log.h"
#include "PrivateFiles.h"
#include "TlsTrust.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

namespace {
ImageCache* sharedCache = nullptr;
}

ImageCache::ImageCache(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
    , m_memory(32 * 1024 * 1024) {
    // Children's photos: the folder and its files are the app user's only.
    PrivateFiles::makeFolder(folder);
    PrivateFiles::tighten(folder);
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        PrivateFiles::tighten(f.filePath());
    if (!sharedCache)
        sharedCache = this;
}

ImageCache::~ImageCache() {
    if (sharedCache == this)
        sharedCache = nullptr;
}

ImageCache* ImageCache::shared() {
    return sharedCache;
}
void ImageCache::setShared(ImageCache* cache) {
    sharedCache = cache;
}

QString ImageCache::fileFor(const QString& key) const {
    return QDir(m_folder).filePath(
        QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex()));
}

QUrl ImageCache::viewUrl(ImageCache* cache, const QString& key) {
    if (key.isEmpty())
        return {};
    if (!cache) {
        const QUrl url(key);
        return url.scheme().isEmpty() ? QUrl() : url;
    }
    // Each picture lies in a file of its own: the view loads that file directly.
    if (cache->contains(key))
        return QUrl::fromLocalFile(cache->fileFor(key));
    cache->imageData(key); // starts the download of an address
    return {};
}

void ImageCache::storeImage(const QString& key, const QByteArray& data) {
    if (key.isEmpty() || data.isEmpty())
        return;
    m_memory.insert(key, new QByteArray(data), int(qMin<qsizetype>(data.size(), 32 * 1024 * 1024)));
    QSaveFile file(fileFor(key));
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(data) != data.size() || !file.commit())
        CC_LOG(QStringLiteral("picture %1 not written to the cache folder")
                   .arg(QFileInfo(fileFor(key)).fileName())); // the hashed name: a key may hold a name
    emit imageReady(key);
}

QByteArray ImageCache::imageData(const QString& key) {
    if (key.isEmpty())
        return {};
    if (QByteArray* data = m_memory.object(key))
        return *data;
    QFile file(fileFor(key));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray data = file.readAll();
        m_memory.insert(key, new QByteArray(data), int(qMin<qsizetype>(data.size(), 32 * 1024 * 1024)));
        return data;
    }
    if (key.startsWith(QLatin1String("http://")) || key.startsWith(QLatin1String("https://")))
        download(key);
    return {};
}

bool ImageCache::contains(const QString& key) const {
    return m_memory.contains(key) || QFile::exists(fileFor(key));
}

void ImageCache::removeAll() {
    m_memory.clear();
    QDir dir(m_folder);
    for (const QString& f : dir.entryList(QDir::Files))
        dir.remove(f);
}

void ImageCache::download(const QString& key) {
    if (m_downloading.contains(key))
        return;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(key)};
    TlsTrust::apply(request);
    // A connection made before the trusted certificates changed would go on with the old ones.
    if (m_trustGeneration != TlsTrust::generation() && m_downloading.isEmpty()) {
        m_trustGeneration = TlsTrust::generation();
        m_network->clearConnectionCache();
    }
    m_downloading.insert(key, true);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, key] {
        reply->deleteLater();
        m_downloading.remove(key);
        const QByteArray data = reply->readAll();
        if (reply->error() == QNetworkReply::NoError && !data.isEmpty())
            storeImage(key, data);
    });
}
