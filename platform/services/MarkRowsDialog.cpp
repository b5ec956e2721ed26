#include <services/MarkRowsDialog.h>

#include <services/DataSetSnapshotModel.h>

#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace ngc {

MarkRowsDialog::MarkRowsDialog(TClientDataSet *dataSet, const QString &keyField,
                               const QString &title, const QStringList &marked, QWidget *parent)
    : QDialog(parent), m_model(new DataSetSnapshotModel(dataSet, true, this)),
      m_table(new ListTableView(this))
{
    setObjectName(QStringLiteral("MarkRowsDialog"));
    setWindowTitle(title);
    const TField *key = dataSet ? dataSet->FindField(keyField) : nullptr;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        m_keys.append(key ? dataSet->ValueAt(row + 1, key->Index()).toString() : QString());
        m_model->setChecked(row, marked.contains(m_keys.last()));
    }

    setUpListTable(m_table, m_model);
    m_table->installEventFilter(this);
    if (m_model->rowCount() > 0)
        m_table->setCurrentIndex(m_model->index(0, 0));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *all =
        buttons->addButton(QStringLiteral("&Marcar todos"), QDialogButtonBox::ActionRole);
    all->setObjectName(QStringLiteral("btnMarcarTodos"));
    all->setAutoDefault(false);
    QPushButton *none =
        buttons->addButton(QStringLiteral("&Desmarcar todos"), QDialogButtonBox::ActionRole);
    none->setObjectName(QStringLiteral("btnDesmarcarTodos"));
    none->setAutoDefault(false);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(all, &QPushButton::clicked, m_model, [this] { m_model->setAllChecked(true); });
    connect(none, &QPushButton::clicked, m_model, [this] { m_model->setAllChecked(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    m_table->setFocus();
    resize(480, 360);
}

QStringList MarkRowsDialog::markedKeys() const
{
    QStringList keys;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString &key = m_keys.at(row);
        if (m_model->isChecked(row) && !key.isEmpty() && !keys.contains(key))
            keys.append(key);
    }
    return keys;
}

bool MarkRowsDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Space marks the current row whichever column holds the cursor; the view alone would only
    // toggle when the cursor is on the column with the box.
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            const QModelIndex current = m_table->currentIndex();
            if (current.isValid())
                m_model->toggle(current.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ngc
