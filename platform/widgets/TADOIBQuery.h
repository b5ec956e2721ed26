#pragma once

#include <data/TClientDataSet.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <stdexcept>
#include <utility>

class QSqlDatabase;
class QSqlQuery;

namespace ngc {

class TField;

// Raised when the shared database cannot be opened or a query fails; the message names the
// query and, for a connection, the database (never its password).
class QueryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A named parameter of a query (":NAME" in its SQL), as text or any value.
class TParam final {
public:
    explicit TParam(QString name) : m_name(std::move(name)) {}
    QString Name() const { return m_name; }
    QVariant Value() const { return m_value; }
    void SetValue(const QVariant &value) { m_value = value; }
    QString AsString() const { return m_value.toString(); }
    void SetAsString(const QString &text) { m_value = text; }

private:
    QString m_name;
    QVariant m_value;
};

// A read-only query on the host's shared database (HostContext::sharedDb: "sqlite:PATH" or a
// PostgreSQL URL), one connection per thread, opened on first use. Each SQL text is prepared once
// per connection and kept for every query that runs it.
//
// The SQL is a list of lines with ":NAME" parameters; a name may occur several times and every
// occurrence takes the parameter's value. Values are always bound, never spliced into the text.
// Open runs the query and loads its rows into DataSet(), a dataset whose fields the owner may
// declare beforehand (labels, visibility, sizes: string values are cut to a declared size);
// without declared fields the result's columns are taken. The dataset refuses edits, inserts
// and deletes, so a data source can list the rows and nothing else.
class TADOIBQuery final {
public:
    explicit TADOIBQuery(QString name = {});
    ~TADOIBQuery();
    TADOIBQuery(const TADOIBQuery &) = delete;
    TADOIBQuery &operator=(const TADOIBQuery &) = delete;

    QString Name() const { return m_name; }

    QStringList SQL() const { return m_sql; }
    void SetSQL(const QStringList &lines);
    // The parameter names of the SQL, each once, in order of first occurrence (upper case).
    QStringList ParamNames() const;
    // A parameter of the SQL; throws QueryError when the SQL has no such parameter.
    TParam &ParamByName(const QString &name);

    // Runs the query with the parameters' current values (a parameter never set is null) and
    // loads the rows; an open query is left as it is. Throws QueryError on failure, leaving the
    // query closed.
    void Open();
    void Close();
    bool Active() const;
    bool IsEmpty() const;
    TField &FieldByName(const QString &name) const;
    TClientDataSet &DataSet() { return m_dataSet; }
    const TClientDataSet &DataSet() const { return m_dataSet; }

    // The shared database's connection for the calling thread, opened on first use. Throws
    // QueryError naming the database when there is none configured or it cannot be opened.
    static QSqlDatabase SharedDatabase();

private:
    // Runs a prepared statement with the values of the parameters of its placeholders, in
    // order, and loads its rows.
    void load(QSqlQuery &query, const QStringList &placeholders);

    QString m_name;
    QStringList m_sql;
    QList<TParam> m_params;
    TClientDataSet m_dataSet;
};

} // namespace ngc
