#pragma once

#include <widgets/TButtonFlat.h>

#include <functional>

class QLineEdit;

namespace ngc {

class TDataSource;

// A lookup button tied to an edit. A click runs OnBeforePesq (which may load or switch the listed
// data, and may stop the search by setting proceed to false), then shows the rows of DataSource
// in the host's list titled Title (EmptyText instead when there are none). When the user chooses
// a row, the text of its first visible field goes into the associated edit, typed as by the user
// (a bound edit starts its edit and writes its field; a refusal ends the search), and
// OnAfterPesq runs with the chosen row current in the listed dataset.
class TBtnPesquisa final : public TButtonFlat {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget *parent = nullptr, const QString &name = {});
    ~TBtnPesquisa() override;

    QString Title() const { return m_title; }
    void SetTitle(const QString &title) { m_title = title; }
    QLineEdit *Associate() const { return m_associate; }
    // The edit the chosen code goes into; F4 or Alt+Down in it opens the list.
    void SetAssociate(QLineEdit *edit);
    TDataSource *DataSource() const { return m_source; }
    void SetDataSource(TDataSource *source) { m_source = source; }
    QString EmptyText() const { return m_emptyText; }
    void SetEmptyText(const QString &text) { m_emptyText = text; }

    // Runs the search (what a click does). Returns whether a row was chosen; a refusal or error
    // inside reaches the caller.
    bool Execute();

    std::function<void(bool &proceed)> OnBeforePesq;
    NotifyEvent OnAfterPesq;

protected:
    void clicked() override;

private:
    QString m_title;
    QLineEdit *m_associate = nullptr;
    TDataSource *m_source = nullptr;
    QString m_emptyText;
};

} // namespace ngc
