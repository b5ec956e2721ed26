#include <services/RowChooserDialog.h>

#include <services/DataSetSnapshotModel.h>

#include <data/TClientDataSet.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ngc {

RowChooserDialog::RowChooserDialog(TClientDataSet *dataSet, const QString &title,
                                   const QString &emptyText, QWidget *parent)
    : QDialog(parent), m_model(new DataSetSnapshotModel(dataSet, false, this)),
      m_table(new ListTableView(this))
{
    setObjectName(QStringLiteral("RowChooserDialog"));
    setWindowTitle(title);
    setUpListTable(m_table, m_model);
    connect(m_table, &QAbstractItemView::activated, this, &RowChooserDialog::choose);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &RowChooserDialog::choose);

    auto *buttons = new QDialogButtonBox(this);
    auto *layout = new QVBoxLayout(this);
    const bool empty = m_model->rowCount() == 0;
    if (empty) {
        auto *label = new QLabel(emptyText, this);
        label->setObjectName(QStringLiteral("lblVazio"));
        layout->addWidget(label);
        m_table->hide();
        QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::RejectRole);
        ok->setDefault(true);
    } else {
        layout->addWidget(m_table);
        QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
        ok->setObjectName(QStringLiteral("btnOK"));
        ok->setDefault(true);
        buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
        const int current = dataSet && dataSet->RecNo() > 0 ? dataSet->RecNo() - 1 : 0;
        m_table->setCurrentIndex(m_model->index(current, 0));
        m_table->setFocus();
        resize(480, 320);
    }
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RowChooserDialog::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void RowChooserDialog::choose()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = current.row() + 1;
    accept();
}

} // namespace ngc
