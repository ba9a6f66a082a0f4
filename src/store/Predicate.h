#pragma once
// Store predicates in the familiar text form ("childId == %@ && exists == 1 && time > %@").
// Arguments are bound as SQL parameters: nothing a user types is ever read as predicate or SQL.
// Supported: == = != < <= > >= CONTAINS BEGINSWITH ENDSWITH (with [c], [d], [cd]), IN (%@ list),
// && || AND OR NOT !, parentheses, literals (numbers, 'text', "text", true/false/YES/NO, nil/NULL),
// and one step through a to-one reference ("child.exists").
#include <QSharedPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>

class EntityDescription;

class Predicate {
public:
    struct Node;

    Predicate() = default; // no condition
    // Parses the format; every %@ takes the next argument. An invalid format is a programming error:
    // it logs and matches nothing.
    static Predicate format(const QString& format, const QVariantList& arguments = {});
    static Predicate withFormat(const QString& f) { return format(f); }

    bool isEmpty() const { return !m_root; }
    // Caller's predicate first, then this one, joined by AND; an empty side is left out.
    static Predicate andPredicates(const Predicate& first, const Predicate& second);
    Predicate operator&&(const Predicate& other) const { return andPredicates(*this, other); }
    Predicate operator||(const Predicate& other) const;
    Predicate operator!() const;

    QSharedPointer<const Node> root() const { return m_root; }
    QString description() const;

private:
    QSharedPointer<const Node> m_root;
};

struct Predicate::Node {
    enum Kind { And, Or, Not, Compare, False } kind = Compare;
    QSharedPointer<const Node> left, right;
    QString keyPath;
    QString op; // == != < <= > >= CONTAINS BEGINSWITH ENDSWITH IN
    bool caseInsensitive = false;
    bool diacriticInsensitive = false;
    QVariant value; // invalid = nil
};

struct SortDescriptor {
    QString keyPath;
    bool ascending = true;
    bool localized = false; // A–Z: case-insensitive, current language's collation

    static SortDescriptor az(const QString& key) { return {key, true, true}; }
    static SortDescriptor za(const QString& key) { return {key, false, true}; }
    static SortDescriptor asc(const QString& key) { return {key, true, false}; }
    static SortDescriptor desc(const QString& key) { return {key, false, false}; }
};
