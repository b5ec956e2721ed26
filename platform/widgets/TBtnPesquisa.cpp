#include "TBtnPesquisa.h"

#include "TDBEdit.h"

#include <data/TClientDataSet.h>
#include <data/TDataSource.h>
#include <data/TField.h>
#include <services/HostUi.h>

#include <QLineEdit>

#include <stdexcept>

namespace ngc {

TBtnPesquisa::TBtnPesquisa(QWidget *parent, const QString &name) : TButtonFlat(parent, name)
{
    setToolTip(QStringLiteral("Pesquisar"));
    setText(QStringLiteral("..."));
}

TBtnPesquisa::~TBtnPesquisa() = default;

void TBtnPesquisa::SetAssociate(QLineEdit *edit)
{
    m_associate = edit;
    SetKeyControl(edit);
}

bool TBtnPesquisa::Execute()
{
    if (!m_source)
        throw std::runtime_error(
            QStringLiteral("%1: nenhuma lista para pesquisar.").arg(objectName()).toStdString());
    bool proceed = true;
    if (OnBeforePesq)
        OnBeforePesq(proceed);
    if (!proceed)
        return false;
    if (!hostUi().chooseRow(*m_source, m_title, m_emptyText))
        return false;
    QString chosen;
    if (TClientDataSet *dataSet = m_source->DataSet()) {
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            const TField &field = dataSet->Fields(i);
            if (field.Visible) {
                chosen = field.Text();
                break;
            }
        }
    }
    if (m_associate) {
        if (auto *bound = qobject_cast<TDBEdit *>(m_associate))
            bound->EnterText(chosen);
        else
            m_associate->setText(chosen);
    }
    if (OnAfterPesq)
        OnAfterPesq();
    return true;
}

void TBtnPesquisa::clicked()
{
    Execute();
}

} // namespace ngc
