#pragma once

#include <services/HostUi.h>

#include <QList>
#include <QString>
#include <QStringList>

namespace ngc {

// An ordered catalog of user-visible texts, each fetched by key at the moment it is shown. Built
// from lines "key|text": the key is everything before the first bar, the text everything after it
// (further bars included).
class TMessages final {
public:
    TMessages() = default;
    explicit TMessages(const QStringList &lines);

    // Adds one line; a line without a bar is a key with an empty text.
    void Add(const QString &line);

    int Count() const { return static_cast<int>(m_entries.size()); }
    QString Key(int index) const { return m_entries.at(index).key; }
    QString Text(int index) const { return m_entries.at(index).text; }

    // The text of the first entry with exactly this key (case matters); empty when there is none.
    QString Msg(const QString &key) const;
    bool Contains(const QString &key) const;

    // Shows the entry's text in a modal dialog and returns the button pressed. help is the help
    // context of the dialog; the host has no help system, so it only travels along.
    MsgButton ShowMsg(const QString &key, MsgKind kind, const MsgButtons &buttons,
                      int help = 0) const;

    // The frame's general catalog (confirmations shared by every screen).
    static const TMessages &General();

private:
    struct Entry {
        QString key;
        QString text;
    };
    QList<Entry> m_entries;
};

} // namespace ngc
