// Answers of the organisation's server through the mapping into the store, as the object manager does it:
// parse, map every array of the envelope, save under the check against unsent local changes.
// Input: a first byte choosing the form, then the body. 0: the body is the whole answer. k > 0: the body
// is the k-th array of the envelope (children, timeEntries, ...), wrapped in an envelope here, so every
// entity kind is reached without the fuzzer having to find its key first.
#include "FuzzSupport.h"
#include "Mapping.h"
#include "Store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::shared_ptr<Store> store;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::prepareEnvironment();
    new QCoreApplication(*argc, *argv);
    QString error;
    store = Store::open(fuzz::scratch().filePath(QStringLiteral("RKCoreDataExample.sqlite")), &error);
    fuzz::check(store != nullptr, "the store opens", error);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const auto& arrays = Mapping::envelopeArrays();
    const int form = data[0] % (arrays.size() + 1);
    QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (form > 0)
        body = "{\"success\":true,\"message\":\"ok\",\"time\":\"0000000000042\",\"" +
               arrays.at(form - 1).first.toUtf8() + "\":" + body + "}";

    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return 0; // the object manager reports these as failed requests, nothing is mapped

    Context* context = store->context();
    const QJsonObject answer = doc.object();
    const Response response = Mapping::mapAnswer(context, answer);
    for (const auto& [key, mapping] : arrays)
        fuzz::check(response.counts.value(key, 0) <= answer.value(key).toArray().size(),
                    "no more records mapped than the array holds", key);
    // An answer the mapping accepted must also be storable: one that is not would stop every refresh
    // that brings it, for good.
    QString saveError;
    const bool saved =
        context->performWrite([context] { Mapping::keepUnsentLocalChanges(context); }, &saveError);
    if (!saved)
        context->rollback();
    context->reset();
    fuzz::check(saved, "a mapped answer saves", saveError);
    // Every element with a text primary key is stored under it (the store started empty, so no unsent
    // local change holds one back).
    for (const auto& [key, mapping] : arrays) {
        const QJsonArray elements = answer.value(key).toArray();
        const QString pk = mapping->primaryJsonKey();
        const QString attribute = mapping->entity->attribute(mapping->entity->primaryKeyIndex()).name;
        for (qsizetype i = 0; i < elements.size() && i < 20; ++i) {
            const QJsonValue id = elements.at(i).toObject().value(pk);
            if (!id.isString() || id.toString().isEmpty())
                continue;
            FetchRequest r;
            r.entity = mapping->entity;
            r.predicate = Predicate::format(attribute + QStringLiteral(" == %@"), {id.toString()});
            fuzz::check(context->executeFetch(r).size() == 1, "a record sent is stored under its key",
                        key + QStringLiteral(" ") + id.toString().left(80));
        }
    }
    context->reset();
    // Every input starts from an empty store, so a finding replays from its input alone.
    fuzz::check(store->deleteEverything(), "the store empties");
    return 0;
}
