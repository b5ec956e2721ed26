#include <services/HostServices.h>

#include <json/JsonTokenizer.h>
#include <json/JsonWriter.h>

#include <QJsonArray>

namespace ngc {

void MensErro(const QString &text, bool abort)
{
    hostUi().message(text, MsgKind::Error, {MsgButton::Ok});
    if (abort)
        throw SilentAbort();
}

MsgButton ShowMessage(const QString &text, MsgKind kind, const MsgButtons &buttons)
{
    return hostUi().message(text, kind, buttons.isEmpty() ? MsgButtons{MsgButton::Ok} : buttons);
}

void ActiveShowAvi(QWidget *owner, int kind, const QString &text)
{
    hostUi().beginProgress(owner, kind, text);
}

void DeactiveShowAvi()
{
    hostUi().endProgress();
}

ProgressGuard::ProgressGuard(QWidget *owner, int kind, const QString &text)
{
    ActiveShowAvi(owner, kind, text);
}

ProgressGuard::~ProgressGuard()
{
    // A destructor may run while an exception unwinds: hiding the window must not throw.
    try {
        DeactiveShowAvi();
    } catch (...) {
    }
}

bool Procura(TClientDataSet &dataSet)
{
    return hostUi().search(dataSet);
}

bool PesquisaLista(TDataSource &source, const QString &keyField, const QString &title, bool flag,
                   QString &selection)
{
    return hostUi().markRows(source, keyField, title, flag, selection);
}

QString selectionFromKeys(const QStringList &keys)
{
    if (keys.isEmpty())
        return {};
    JsonWriter writer;
    writer.strings(keys);
    return QString::fromUtf8(writer.take());
}

QStringList keysFromSelection(const QString &selection)
{
    QJsonValue document;
    try {
        document = parseJson(selection.toUtf8());
    } catch (const JsonError &) {
        return {};
    }
    QStringList keys;
    if (!document.isArray())
        return keys;
    const QJsonArray array = document.toArray();
    for (const QJsonValue &value : array) {
        if (!value.isString())
            return {};
        keys.append(value.toString());
    }
    return keys;
}

void reportUnexpectedError(const QString &text) noexcept
{
    try {
        hostUi().unexpectedError(text);
    } catch (...) {
    }
}

} // namespace ngc
