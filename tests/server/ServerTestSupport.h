#pragma once

#include <server/storage/Database.h>
#include <server/rpc/Dispatcher.h>
#include <server/storage/Schema.h>
#include <server/storage/Seed.h>
#include <server/storage/Sql.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <memory>

// The storage back-ends every server suite runs on: SQLite in memory always, PostgreSQL when
// NGC_TEST_PG_URL names a database (each test process then works in a schema of its own, dropped
// at the end, so parallel tests do not meet).
enum class Backend { SQLite, PostgreSQL };

inline std::string backendName(const testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

inline QString postgresUrl()
{
    return qEnvironmentVariable("NGC_TEST_PG_URL");
}

// A PostgreSQL URL with the tables in `schema`.
inline QString withSchema(const QString &url, const QString &schema)
{
    return url + (url.contains(QLatin1Char('?')) ? u'&' : u'?') + QStringLiteral("schema=") +
           schema;
}

// Demo launch keys (six-key order: branch, collection, product, brand, supplier, region).
inline QJsonArray demoKeys()
{
    return {"0001", "2026000001", "1001", "00001", "1001", "001"};
}

inline const QString kOwnObject = QStringLiteral("Ngc27451.rdmInfoPlanNeg");

// A migrated, seeded database and a dispatcher on it, without any socket.
class ServerFixture : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        QString url = QStringLiteral("sqlite::memory:");
        if (GetParam() == Backend::PostgreSQL) {
            if (postgresUrl().isEmpty())
                GTEST_SKIP() << "NGC_TEST_PG_URL is not set";
            m_schema = QStringLiteral("t_%1").arg(QCoreApplication::applicationPid());
            url = withSchema(postgresUrl(), m_schema);
        }
        database = std::make_unique<ngc::Database>(url);
        auto s = database->session();
        if (!m_schema.isEmpty()) {
            ngc::Sql::exec(s.db(), QStringLiteral("DROP SCHEMA IF EXISTS ") + m_schema +
                                       QStringLiteral(" CASCADE"));
            ngc::Sql::exec(s.db(), QStringLiteral("CREATE SCHEMA ") + m_schema);
        }
        ngc::Schema::migrate(s);
        ngc::Seed::demo(s);
        dispatcher = std::make_unique<ngc::Dispatcher>(*database);
    }

    void TearDown() override
    {
        if (database && !m_schema.isEmpty()) {
            auto s = database->session();
            ngc::Sql::exec(s.db(), QStringLiteral("DROP SCHEMA IF EXISTS ") + m_schema +
                                       QStringLiteral(" CASCADE"));
        }
        dispatcher.reset();
        database.reset();
    }

    QJsonObject rpc(const QString &object, const QString &method, const QJsonArray &params)
    {
        const QJsonObject request{
            {"jsonrpc", "2.0"}, {"id", 7}, {"method", method}, {"params", params}};
        const QByteArray response =
            dispatcher->handle(object, QJsonDocument(request).toJson(QJsonDocument::Compact));
        return QJsonDocument::fromJson(response).object();
    }

    // The reply of a call that must succeed at the protocol level.
    QJsonObject reply(const QString &method, const QJsonArray &params)
    {
        const QJsonObject response = rpc(kOwnObject, method, params);
        EXPECT_FALSE(response.contains("error"))
            << method.toStdString() << ": " << QJsonDocument(response).toJson().toStdString();
        return response["result"].toObject()["reply"].toObject();
    }

    // Rows of a packet reply that must be ok.
    QJsonArray rows(const QString &method, const QJsonArray &params)
    {
        const QJsonObject r = reply(method, params);
        EXPECT_TRUE(r["ok"].toBool()) << r["message"].toString().toStdString();
        return r["data"].toObject()["rows"].toArray();
    }

    QList<QVariantList> query(const QString &sql, const QVariantList &binds = {})
    {
        auto s = database->session();
        return ngc::Sql::rows(s.db(), sql, binds);
    }

    // Everything the write methods can change, as text, to prove that a refused request wrote
    // nothing.
    QString snapshot()
    {
        QString text;
        for (const char *table :
             {"ITEMCOLE ORDER BY 1, 2, 3, 4, 5, 6", "PZOPGTITMCOL ORDER BY 1, 2, 3, 4, 5, 6, 7",
              "IMPCOLET ORDER BY 1, 2, 3, 4, 5, 6, 7", "COLEPRECO ORDER BY 1, 2"}) {
            const auto all = query(QStringLiteral("SELECT * FROM ") + QString::fromLatin1(table));
            for (const QVariantList &row : all) {
                for (const QVariant &value : row)
                    text +=
                        value.isNull() ? QStringLiteral("~|") : value.toString() + QLatin1Char('|');
                text += QLatin1Char('\n');
            }
        }
        return text;
    }

    std::unique_ptr<ngc::Database> database;
    std::unique_ptr<ngc::Dispatcher> dispatcher;

private:
    QString m_schema;
};
