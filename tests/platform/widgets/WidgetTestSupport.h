#pragma once

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <data/TField.h>
#include <services/HostUi.h>
#include <services/ScriptedHostUi.h>
#include <services/SilentAbort.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace ngc::test {

// A dataset of the kind the screens bind controls to: a code, a name, a percentage and a date.
inline void defineItem(TClientDataSet &ds)
{
    ds.AddField({QStringLiteral("CDTIPCOB"), FieldType::String, 2});
    ds.AddField({QStringLiteral("NMTIPOCOBR"), FieldType::String, 20});
    ds.AddField({QStringLiteral("VRPERDESITM"), FieldType::Float});
    ds.AddField({QStringLiteral("DTINIVALITM"), FieldType::DateTime});
    ds.FieldByName(QStringLiteral("VRPERDESITM")).DisplayFormat = QStringLiteral("##0.00%");
    ds.FieldByName(QStringLiteral("VRPERDESITM")).EditFormat = QStringLiteral("##0.00");
}

inline void loadRows(TClientDataSet &ds, const QList<Row> &rows)
{
    DataPacket packet;
    packet.fields = ds.FieldDefs();
    packet.rows = rows;
    ds.SetData(packet);
}

// A shown, active window holding the controls of one test.
class Window : public QWidget {
public:
    Window() { resize(400, 300); }
    void activate()
    {
        show();
        activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(this));
    }
};

// Installs a scripted host UI for the length of a test.
class ScopedHostUi {
public:
    ScopedHostUi() { setHostUi(&ui); }
    ~ScopedHostUi() { setHostUi(nullptr); }
    ScopedHostUi(const ScopedHostUi &) = delete;
    ScopedHostUi &operator=(const ScopedHostUi &) = delete;
    ScriptedHostUi ui;
};

// Refuses edits while set, as a screen's before-edit guard does.
struct EditGuard {
    bool refuse = false;
    int asked = 0;
    void install(TClientDataSet &ds)
    {
        ds.BeforeEdit = [this](TClientDataSet &) {
            ++asked;
            if (refuse)
                throw SilentAbort();
        };
    }
};

} // namespace ngc::test
