#pragma once

#include <QString>
#include <QStringList>

#include <exception>

class QWidget;

namespace ngc {

class TDataSource;
class TClientDataSet;

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButton { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
using MsgButtons = QList<MsgButton>;

// The host's user-interface services, behind one interface: the Qt implementation shows real
// dialogs, the scripted one (tests, offscreen runs) records what was shown and answers what it was
// told. One instance per process, set with setHostUi (the Qt one by default once a QApplication
// exists).
class HostUi {
public:
    virtual ~HostUi() = default;

    // A modal message; returns the button pressed (the first button for a box nobody answers).
    virtual MsgButton message(const QString &text, MsgKind kind, const MsgButtons &buttons) = 0;
    // An error that escaped to the guard (not a silent abort).
    virtual void unexpectedError(const QString &text) = 0;

    // The progress window: shown and painted before a blocking call, hidden by endProgress.
    // Calls nest; only the outermost end hides it.
    virtual void beginProgress(QWidget *owner, int animationKind, const QString &text) = 0;
    virtual void endProgress() = 0;

    // Search dialog over the visible columns of a dataset; moves its current record to the row
    // found. Returns false when the user cancelled.
    virtual bool search(TClientDataSet &dataSet) = 0;

    // A lookup list over the rows of a data source (its visible fields); moves the current record
    // to the chosen row and returns true, or returns false when the user cancelled. emptyText is
    // shown instead of the list when there are no rows.
    virtual bool chooseRow(TDataSource &source, const QString &title, const QString &emptyText) = 0;

    // A list with a mark per row: selection is the JSON array of the marked keys (key field
    // keyField) on entry and on return; empty text when nothing is marked. Returns false when the
    // user cancelled (selection unchanged).
    virtual bool markRows(TDataSource &source, const QString &keyField, const QString &title,
                          bool flag, QString &selection) = 0;
};

HostUi &hostUi();
void setHostUi(HostUi *ui); // not owned; nullptr restores the default

} // namespace ngc
