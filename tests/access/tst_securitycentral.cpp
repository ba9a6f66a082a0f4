// Password and coupling hashes against vectors computed outside this project, and the escaping rules.
#include "Entities.h"
#include "SecurityCentral.h"
#include "Store.h"

#include <QTemporaryDir>
#include <QTest>

class TestSecurityCentral : public QObject {
    Q_OBJECT
private slots:
    void escaping_data();
    void escaping();
    void sha256();
    void staffPasswordHash_data();
    void staffPasswordHash();
    void couplingHash();
    void checkUserByAdministratorNick();
    void checkUserRefuses();
    void checkStoredStaffMember();
};

void TestSecurityCentral::escaping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::newRow("letters and digits stay") << "AZaz09"
                                             << "AZaz09";
    QTest::newRow("every legal mark stays") << "-_.!~*'();/?:@&=+$,#"
                                            << "-_.!~*'();/?:@&=+$,#";
    QTest::newRow("space") << "mijn paswoord"
                           << "mijn%20paswoord";
    QTest::newRow("percent itself") << "100%"
                                    << "100%25";
    QTest::newRow("other ASCII marks") << "\"<>[]\\^`{|}"
                                       << "%22%3C%3E%5B%5D%5C%5E%60%7B%7C%7D";
    QTest::newRow("control characters") << QString::fromUtf8("a\tb\nc") << "a%09b%0Ac";
    QTest::newRow("two-byte letters, upper-case hex")
        << QString::fromUtf8("é ç ë") << "%C3%A9%20%C3%A7%20%C3%AB";
    QTest::newRow("three bytes") << QString::fromUtf8("€") << "%E2%82%AC";
    QTest::newRow("four bytes (surrogate pair)") << QString::fromUtf8("😀") << "%F0%9F%98%80";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSecurityCentral::escaping() {
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QCOMPARE(SecurityCentral::escapeForUrl(text), escaped);
}

void TestSecurityCentral::sha256() {
    // Well-known digests: empty input and "abc"; always 64 lower-case digits.
    QCOMPARE(SecurityCentral::computeSHA256DigestForString(QString()),
             QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    QCOMPARE(SecurityCentral::computeSHA256DigestForString(QStringLiteral("abc")),
             QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    // The digest is over UTF-8, not Latin-1 or UTF-16.
    QCOMPARE(SecurityCentral::computeSHA256DigestForString(QString::fromUtf8("é")),
             QString::fromLatin1(QCryptographicHash::hash("\xC3\xA9", QCryptographicHash::Sha256).toHex()));
}

void TestSecurityCentral::staffPasswordHash_data() {
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("hash");
    QTest::newRow("plain") << "Janssens"
                           << "Els"
                           << "geheim"
                           << "6257831c6225062ad0144db07fe9f43acae8398a22b07bc562861ba5728644fd";
    QTest::newRow("space in password") << "Peeters"
                                       << "An"
                                       << "mijn paswoord"
                                       << "75253b5bbfdcaf5e135a8dc8fd0810d6476304fdba5dba065e6d0d732ae07e30";
    QTest::newRow("accents everywhere")
        << QString::fromUtf8("Dupré") << QString::fromUtf8("Zoë") << QString::fromUtf8("ça va")
        << "bae9dce31e5dd3e749fc9382cdb23e434aba93a7871231b623a2c143a16b5230";
}

void TestSecurityCentral::staffPasswordHash() {
    QFETCH(QString, last);
    QFETCH(QString, first);
    QFETCH(QString, password);
    QFETCH(QString, hash);
    QCOMPARE(SecurityCentral::passwordHash(last, first, password), hash);
    QVERIFY(SecurityCentral::checkUser(last, first, hash, password));
    // Names in the other order make another hash: last name first is part of the recipe.
    QVERIFY(!SecurityCentral::checkUser(first, last, hash, password));
}

void TestSecurityCentral::couplingHash() {
    QCOMPARE(
        SecurityCentral::getHashForAdminWithNick(QStringLiteral("Demo Opvang"), QStringLiteral("s3cret%")),
        QStringLiteral("1b762f2b599b44eaf0db431a3507731bf0c7cf618a4b903e6a882e8e42c8cc40"));
}

void TestSecurityCentral::checkUserByAdministratorNick() {
    const QString nickHash =
        QStringLiteral("a6995ed2fe9e29e3a5d34276381cd031257160ce82415c11c3b04c32a8aa18c3");
    QCOMPARE(SecurityCentral::adminPasswordHash(QStringLiteral("geheim")), nickHash);
    // Whatever the staff member's name, a stored nick hash admits its password and only that.
    QVERIFY(SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), nickHash,
                                       QStringLiteral("geheim")));
    QVERIFY(SecurityCentral::checkUser(QString::fromUtf8("Dupré"), QString::fromUtf8("Zoë"), nickHash,
                                       QStringLiteral("geheim")));
    QVERIFY(!SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), nickHash,
                                        QStringLiteral("geheim ")));
}

void TestSecurityCentral::checkUserRefuses() {
    // Without a stored hash nothing matches, not even an empty password.
    QVERIFY(
        !SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), QString(), QString()));
    QVERIFY(!SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), QString(),
                                        QStringLiteral("geheim")));
    // The stored hash is compared as it is: lower-case digits only.
    const QString els = QStringLiteral("6257831c6225062ad0144db07fe9f43acae8398a22b07bc562861ba5728644fd");
    QVERIFY(!SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), els.toUpper(),
                                        QStringLiteral("geheim")));
    QVERIFY(!SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), els,
                                        QStringLiteral("Geheim")));
    // Another person's hash does not admit this person with that person's password.
    const QString peeters =
        QStringLiteral("75253b5bbfdcaf5e135a8dc8fd0810d6476304fdba5dba065e6d0d732ae07e30");
    QVERIFY(!SecurityCentral::checkUser(QStringLiteral("Janssens"), QStringLiteral("Els"), peeters,
                                        QStringLiteral("mijn paswoord")));
}

void TestSecurityCentral::checkStoredStaffMember() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    const auto store = Store::open(dir.filePath(QStringLiteral("store.sqlite")), &error);
    QVERIFY2(store, qPrintable(error));
    Users* els = store->context()->insertNew<Users>();
    els->setLast_name(QStringLiteral("Janssens"));
    els->setFirst_name(QStringLiteral("Els"));
    els->setPasswordHash(QStringLiteral("6257831c6225062ad0144db07fe9f43acae8398a22b07bc562861ba5728644fd"));
    QVERIFY(SecurityCentral::checkUser(*els, QStringLiteral("geheim")));
    QVERIFY(!SecurityCentral::checkUser(*els, QStringLiteral("fout")));
    els->setPasswordHash(QStringLiteral("a6995ed2fe9e29e3a5d34276381cd031257160ce82415c11c3b04c32a8aa18c3"));
    QVERIFY(SecurityCentral::checkUser(*els, QStringLiteral("geheim")));
    els->clear(Users::index_passwordHash());
    QVERIFY(!SecurityCentral::checkUser(*els, QStringLiteral("geheim")));
}

QTEST_GUILESS_MAIN(TestSecurityCentral)
#include "tst_securitycentral.moc"
