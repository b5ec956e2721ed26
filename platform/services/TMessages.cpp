#include <services/TMessages.h>

namespace ngc {

TMessages::TMessages(const QStringList &lines)
{
    for (const QString &line : lines)
        Add(line);
}

void TMessages::Add(const QString &line)
{
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (bar < 0)
        m_entries.append({line, QString()});
    else
        m_entries.append({line.left(bar), line.mid(bar + 1)});
}

QString TMessages::Msg(const QString &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.key == key)
            return entry.text;
    }
    return {};
}

bool TMessages::Contains(const QString &key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.key == key)
            return true;
    }
    return false;
}

MsgButton TMessages::ShowMsg(const QString &key, MsgKind kind, const MsgButtons &buttons,
                             int /*help*/) const
{
    return hostUi().message(Msg(key), kind, buttons);
}

const TMessages &TMessages::General()
{
    static const TMessages general(QStringList{
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("Canc|Confirma cancelamento?"),
    });
    return general;
}

} // namespace ngc
