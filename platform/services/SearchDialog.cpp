#include <services/SearchDialog.h>

#include <services/DataSetSnapshotModel.h>

#include <data/TClientDataSet.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ngc {

SearchDialog::SearchDialog(TClientDataSet &dataSet, QWidget *parent)
    : QDialog(parent), m_model(new DataSetSnapshotModel(&dataSet, false, this)),
      m_column(new QComboBox(this)), m_text(new QLineEdit(this)),
      m_anywhere(new QCheckBox(QStringLiteral("&Qualquer parte do campo"), this)),
      m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("SearchDialog"));
    setWindowTitle(QStringLiteral("Procurar"));
    m_column->setObjectName(QStringLiteral("cmbCampo"));
    m_text->setObjectName(QStringLiteral("edtTexto"));
    m_anywhere->setObjectName(QStringLiteral("chkQualquerParte"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_column->addItem(m_model->headerData(column, Qt::Horizontal).toString());

    auto *form = new QFormLayout;
    auto *columnLabel = new QLabel(QStringLiteral("&Campo:"), this);
    columnLabel->setBuddy(m_column);
    auto *textLabel = new QLabel(QStringLiteral("&Texto:"), this);
    textLabel->setBuddy(m_text);
    form->addRow(columnLabel, m_column);
    form->addRow(textLabel, m_text);
    form->addRow(QString(), m_anywhere);

    auto *buttons = new QDialogButtonBox(this);
    m_find = buttons->addButton(QStringLiteral("&Procurar"), QDialogButtonBox::AcceptRole);
    m_find->setObjectName(QStringLiteral("btnProcurar"));
    m_find->setDefault(true);
    m_find->setEnabled(false);
    QPushButton *cancel =
        buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SearchDialog::find);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_find->setEnabled(!text.isEmpty() && m_model->columnCount() > 0);
        m_status->clear();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    m_text->setFocus();
}

int SearchDialog::findRow(int column, const QString &text, bool anywhere) const
{
    if (column < 0 || column >= m_model->columnCount() || text.isEmpty())
        return 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString shown = m_model->displayText(row, column);
        const bool match = anywhere ? shown.contains(text, Qt::CaseInsensitive)
                                    : shown.startsWith(text, Qt::CaseInsensitive);
        if (match)
            return row + 1;
    }
    return 0;
}

void SearchDialog::find()
{
    const int recNo = findRow(m_column->currentIndex(), m_text->text(), m_anywhere->isChecked());
    if (recNo == 0) {
        m_status->setText(QStringLiteral("Nenhum registro encontrado."));
        m_text->setFocus();
        m_text->selectAll();
        return;
    }
    m_found = recNo;
    accept();
}

} // namespace ngc
