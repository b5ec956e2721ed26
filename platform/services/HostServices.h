#pragma once

#include <services/HostUi.h>
#include <services/SilentAbort.h>

#include <QString>
#include <QStringList>

#include <exception>

class QWidget;

namespace ngc {

class TClientDataSet;
class TDataSource;

// Shows text as an error message; with abort set it then ends the running operation with a
// SilentAbort, so nothing after the call runs.
void MensErro(const QString &text, bool abort);

// A modal message through the host's user interface; returns the button pressed.
MsgButton ShowMessage(const QString &text, MsgKind kind = MsgKind::Information,
                      const MsgButtons &buttons = {MsgButton::Ok});

// The progress window, shown and painted before the blocking work that follows. Pairs nest;
// prefer ProgressGuard, which also hides the window when the work fails.
void ActiveShowAvi(QWidget *owner, int kind, const QString &text = {});
void DeactiveShowAvi();

// Shows the progress window for as long as it lives, on every path out of the scope.
class ProgressGuard final {
public:
    ProgressGuard(QWidget *owner, int kind, const QString &text = {});
    ~ProgressGuard();
    ProgressGuard(const ProgressGuard &) = delete;
    ProgressGuard &operator=(const ProgressGuard &) = delete;
};

// The search dialog over a dataset's visible columns; true when a record was found and made
// current, false when the user gave up.
bool Procura(TClientDataSet &dataSet);

// A list of the data source's rows with a mark per row. selection is the JSON array of the marked
// keys (values of keyField), e.g. ["0001","0002"], on entry (pre-marked rows) and on return;
// empty when nothing is marked. flag set: the list opens with every row marked when the incoming
// selection is empty. Returns false when the user cancelled, leaving selection as it was.
bool PesquisaLista(TDataSource &source, const QString &keyField, const QString &title, bool flag,
                   QString &selection);

// The text form of a selection: a compact JSON array of key strings, or empty for no keys.
QString selectionFromKeys(const QStringList &keys);
// The keys of a selection text; an empty text, or one that is no JSON array of strings, has none.
QStringList keysFromSelection(const QString &selection);

// Shows an error that reached the guard. Never throws.
void reportUnexpectedError(const QString &text) noexcept;

// Wraps every place where Qt calls in (slots, event overrides, timers): exceptions must not cross
// the event loop. A SilentAbort has already been reported by whoever raised it and is swallowed;
// any other error is shown to the user.
template <class F> void guarded(F &&f) noexcept
{
    try {
        f();
    } catch (const SilentAbort &) {
    } catch (const std::exception &e) {
        reportUnexpectedError(QString::fromUtf8(e.what()));
    } catch (...) {
        reportUnexpectedError(QStringLiteral("Erro inesperado."));
    }
}

} // namespace ngc
