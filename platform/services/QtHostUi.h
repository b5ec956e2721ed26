#pragma once

#include <services/HostUi.h>

#include <QPointer>

namespace ngc {

class ProgressWindow;

// The host's user interface with real Qt dialogs: message boxes with Portuguese buttons, the
// progress window, and the search, lookup and mark lists. Holds no window between calls but the
// progress window while it is up.
class QtHostUi final : public HostUi {
public:
    QtHostUi() = default;
    ~QtHostUi() override;
    QtHostUi(const QtHostUi &) = delete;
    QtHostUi &operator=(const QtHostUi &) = delete;

    MsgButton message(const QString &text, MsgKind kind, const MsgButtons &buttons) override;
    void unexpectedError(const QString &text) override;
    void beginProgress(QWidget *owner, int animationKind, const QString &text) override;
    void endProgress() override;
    bool search(TClientDataSet &dataSet) override;
    bool chooseRow(TDataSource &source, const QString &title, const QString &emptyText) override;
    bool markRows(TDataSource &source, const QString &keyField, const QString &title, bool flag,
                  QString &selection) override;

    // The progress window while it is up, else null.
    ProgressWindow *progressWindow() const;

private:
    // Takes the progress window off the screen while a dialog waits for the user: it stays on
    // top and centred where the dialog is, and would hide it.
    class ProgressPause;

    QPointer<ProgressWindow> m_progress;
    int m_depth = 0;
};

} // namespace ngc
