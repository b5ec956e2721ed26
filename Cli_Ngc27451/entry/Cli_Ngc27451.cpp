#include "Cli_Ngc27451.h"

#include <Cli_Ngc27451/screen/TfrmInfoPlanNeg.h>

#include <QApplication>
#include <QCursor>
#include <QVariantList>

#include <stdexcept>

namespace Cli_Ngc27451 {

TfrmInfoPlanNeg *frmInfoPlanNeg = nullptr;
QString stPesqProduto;
QString stPesqMarca;
QString stPesqRegiao;
QString stPesqForn;
bool boValidade = false;
double vrDescontoAnterior = 0.0;

namespace {

// The hourglass stays up while the screen is created and goes away on every path, failure
// included, so a failed opening never leaves the host with a busy cursor.
class WaitCursor final {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
    void restore()
    {
        if (m_active) {
            QApplication::restoreOverrideCursor();
            m_active = false;
        }
    }

private:
    bool m_active = true;
};

// The application owns the screens: a host that runs the event loop to its end gets them deleted
// when it quits; a host that does not deletes its top-level widgets before the application object.
void ownByApplication(TfrmInfoPlanNeg *form)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, form, [form] { delete form; });
}

} // namespace

void CriaInfoPlanilha(bool boValidade_, QString stCdFilial, QString stNrColePreco,
                      QString stCdForneced, QString stCdProduto, QString stChaveMarca,
                      QString stCdMarca, QString stCdRegiao, QString stChaveComplementar)
{
    stPesqProduto.clear();
    stPesqMarca.clear();
    stPesqRegiao.clear();
    stPesqForn.clear();

    WaitCursor cursor;
    // The constructor runs the creation handler; a failing creation throws and leaves no screen.
    frmInfoPlanNeg = new TfrmInfoPlanNeg();
    ownByApplication(frmInfoPlanNeg);

    boValidade = boValidade_;
    frmInfoPlanNeg->stCdFilial = std::move(stCdFilial);
    frmInfoPlanNeg->stNrColePreco = std::move(stNrColePreco);
    frmInfoPlanNeg->stCdForneced = std::move(stCdForneced);
    frmInfoPlanNeg->stCdProduto = std::move(stCdProduto);
    frmInfoPlanNeg->stChaveMarca = std::move(stChaveMarca);
    frmInfoPlanNeg->stCdMarca = std::move(stCdMarca);
    frmInfoPlanNeg->stCdRegiao = std::move(stCdRegiao);
    frmInfoPlanNeg->stChaveComplementar = std::move(stChaveComplementar);
    cursor.restore();

    frmInfoPlanNeg->exec();
}

} // namespace Cli_Ngc27451

namespace {

[[noreturn]] void conversionError(int index, const QVariant &value, const char *target)
{
    throw std::runtime_error("IniProc: element " + std::to_string(index) + " (" +
                             (value.isValid() ? value.typeName() : "null") +
                             ") cannot be converted to " + target);
}

bool toFlag(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (ok)
            return number != 0.0;
        break;
    }
    default:
        break;
    }
    conversionError(0, value, "a boolean");
}

QString toKey(int index, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QChar:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString();
    default:
        conversionError(index, value, "a string");
    }
}

} // namespace

extern "C" void IniProc(const QVariant &params)
{
    if (!params.isValid() || params.isNull())
        return;
    if (params.typeId() != QMetaType::QVariantList && params.typeId() != QMetaType::QStringList)
        throw std::runtime_error(std::string("IniProc: expected a list of nine elements, got ") +
                                 params.typeName());
    const QVariantList list = params.toList();
    if (list.size() != 9)
        throw std::runtime_error("IniProc: expected nine elements, got " +
                                 std::to_string(list.size()));

    const bool flag = toFlag(list.at(0));
    QString keys[8];
    for (int i = 0; i < 8; ++i)
        keys[i] = toKey(i + 1, list.at(i + 1));
    Cli_Ngc27451::CriaInfoPlanilha(flag, keys[0], keys[1], keys[2], keys[3], keys[4], keys[5],
                                   keys[6], keys[7]);
}
