#include "TClientDataSet.h"

#include "DataSetImpl.h"
#include "TDataSource.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ngc {

using namespace Qt::StringLiterals;

namespace {

constexpr int kDefaultStringSize = 20;

QDateTime parseIsoDateTime(const QString &text)
{
    QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!parsed.isValid())
        return {};
    return parsed.timeSpec() == Qt::LocalTime ? parsed : parsed.toLocalTime();
}

// Whether a value is already what a field of this definition stores (see coerceValue).
bool isStoredForm(const FieldDef &def, const QVariant &value)
{
    if (!value.isValid())
        return true;
    const int typeId = value.metaType().id();
    switch (def.type) {
    case FieldType::String: {
        if (typeId != QMetaType::QString)
            return false;
        const qsizetype size = static_cast<const QString *>(value.constData())->size();
        return size > 0 && size <= (def.size > 0 ? def.size : kDefaultStringSize);
    }
    case FieldType::Float:
        return typeId == QMetaType::Double
               && std::isfinite(*static_cast<const double *>(value.constData()));
    case FieldType::DateTime: {
        if (typeId != QMetaType::QDateTime)
            return false;
        const auto *dateTime = static_cast<const QDateTime *>(value.constData());
        return dateTime->isValid() && dateTime->timeSpec() == Qt::LocalTime;
    }
    case FieldType::Integer:
        return typeId == QMetaType::LongLong;
    case FieldType::Boolean:
        return typeId == QMetaType::Bool;
    }
    return false;
}

} // namespace

int fieldSize(const FieldDef &def)
{
    return def.size > 0 ? def.size : kDefaultStringSize;
}

QVariant coerceValue(const FieldDef &def, const QVariant &value, bool &ok)
{
    ok = true;
    if (value.isNull())
        return {};
    const int typeId = value.metaType().id();
    switch (def.type) {
    case FieldType::String: {
        QString text = value.toString();
        if (text.isEmpty())
            return {};
        if (text.size() > fieldSize(def))
            text.truncate(fieldSize(def));
        return text;
    }
    case FieldType::Float: {
        if (typeId == QMetaType::Double)
            return value;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number)) {
            ok = false;
            return {};
        }
        return number;
    }
    case FieldType::DateTime: {
        if (typeId == QMetaType::QDateTime) {
            const QDateTime dateTime = value.toDateTime();
            if (!dateTime.isValid())
                return {};
            return dateTime.timeSpec() == Qt::LocalTime ? value : QVariant(dateTime.toLocalTime());
        }
        if (typeId == QMetaType::QDate) {
            const QDate date = value.toDate();
            return date.isValid() ? QVariant(date.startOfDay()) : QVariant();
        }
        if (typeId == QMetaType::QString) {
            const QDateTime parsed = parseIsoDateTime(value.toString());
            ok = parsed.isValid();
            return ok ? QVariant(parsed) : QVariant();
        }
        ok = false;
        return {};
    }
    case FieldType::Integer: {
        if (typeId == QMetaType::LongLong)
            return value;
        if (typeId == QMetaType::Double) {
            const double number = value.toDouble();
            ok = std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 9.2e18;
            return ok ? QVariant(static_cast<qint64>(number)) : QVariant();
        }
        const qint64 number = value.toLongLong(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case FieldType::Boolean:
        if (typeId == QMetaType::Bool)
            return value;
        if (typeId == QMetaType::QString) {
            const QString text = value.toString().toLower();
            ok = text == u"true"_s || text == u"false"_s || text == u"1"_s || text == u"0"_s;
            return ok ? QVariant(text == u"true"_s || text == u"1"_s) : QVariant();
        }
        return value.toBool();
    }
    ok = false;
    return {};
}

const Row *TClientDataSet::Impl::currentRow() const
{
    if (readOverride)
        return readOverride;
    const int record = currentRecord();
    return record >= 0 ? &records[static_cast<size_t>(record)].values : nullptr;
}

Row *TClientDataSet::Impl::writableRow()
{
    return &records[static_cast<size_t>(currentRecord())].values;
}

void TClientDataSet::Impl::fail(const QString &message) const
{
    const QString name = q.m_name.isEmpty() ? u"dataset"_s : q.m_name;
    throw DataSetError((name + u": "_s + message).toStdString());
}

void TClientDataSet::Impl::requireActive(const char *operation) const
{
    if (!active)
        fail(u"%1 on a closed dataset"_s.arg(QLatin1StringView(operation)));
}

// Leaving a record that is being edited keeps what was typed: a changed record is posted, an
// untouched one is cancelled (so merely passing over an empty new row does not add it).
void TClientDataSet::Impl::checkBrowseMode()
{
    if (state != DataSetState::Edit && state != DataSetState::Insert)
        return;
    if (modified)
        q.Post();
    else
        q.Cancel();
}

bool TClientDataSet::Impl::accepts(const Row &row)
{
    if (!filtered || !q.OnFilterRecord)
        return true;
    const Row *saved = readOverride;
    readOverride = &row;
    struct Restore {
        const Row *&target;
        const Row *value;
        ~Restore() { target = value; }
    } restore{readOverride, saved};
    return q.OnFilterRecord(q);
}

std::vector<int> TClientDataSet::Impl::computeVisible(const std::vector<Record> &list)
{
    std::vector<int> result;
    result.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].deleted && accepts(list[i].values))
            result.push_back(static_cast<int>(i));
    }
    return result;
}

void TClientDataSet::Impl::fireEvent(const Event &event)
{
    if (event)
        event(q);
}

void TClientDataSet::Impl::notifyState()
{
    const std::vector<TDataSource *> snapshot = sources;
    for (TDataSource *source : snapshot)
        source->NotifyStateChanged();
}

void TClientDataSet::Impl::notifyData(TField *field)
{
    const std::vector<TDataSource *> snapshot = sources;
    for (TDataSource *source : snapshot)
        source->NotifyDataChanged(field);
}

void TClientDataSet::Impl::fieldWritten(TField *field)
{
    modified = true;
    notifyData(field);
}

// Makes `position` current. Controls redraw and AfterScroll runs when the record changed, or
// always when forced (after a load or a filter change).
void TClientDataSet::Impl::moveTo(int position, bool force)
{
    const int before = currentRecord();
    current = visible.empty() ? -1 : std::clamp(position, 0, static_cast<int>(visible.size()) - 1);
    if (!force && currentRecord() == before)
        return;
    notifyData(nullptr);
    fireEvent(q.AfterScroll);
}

void TClientDataSet::Impl::showFirstOf(std::vector<int> newVisible)
{
    visible = std::move(newVisible);
    bof = true;
    eof = visible.empty();
    current = visible.empty() ? -1 : 0;
    notifyData(nullptr);
    fireEvent(q.AfterScroll);
}

void TClientDataSet::Impl::removeRecord(int recordIndex)
{
    records.erase(records.begin() + recordIndex);
    const auto it = std::find(visible.begin(), visible.end(), recordIndex);
    if (it != visible.end())
        visible.erase(it);
    for (int &index : visible) {
        if (index > recordIndex)
            --index;
    }
}

void TClientDataSet::Impl::clearRecords()
{
    records.clear();
    visible.clear();
    current = -1;
    bof = eof = true;
    editOld.clear();
    modified = false;
}

void TClientDataSet::Impl::setFields(const QList<FieldDef> &defs)
{
    if (defs == q.FieldDefs())
        return;
    fields.clear();
    fieldIndex.clear();
    for (const FieldDef &def : defs) {
        auto field = std::make_unique<TField>(q, def);
        field->m_index = static_cast<int>(fields.size());
        fieldIndex.insert(def.name.toUpper(), field->m_index);
        fields.push_back(std::move(field));
    }
}

// The values a record had at its last post: while it is being edited, the edit's start.
const Row &TClientDataSet::Impl::postedValues(int recordIndex) const
{
    if (state == DataSetState::Edit && recordIndex == currentRecord())
        return editOld;
    return records[static_cast<size_t>(recordIndex)].values;
}

TClientDataSet::TClientDataSet(QString name)
    : m_name(std::move(name)), d(std::make_unique<Impl>(*this))
{
}

TClientDataSet::~TClientDataSet()
{
    const std::vector<TDataSource *> snapshot = d->sources;
    for (TDataSource *source : snapshot)
        source->SetDataSet(nullptr);
}

TField &TClientDataSet::AddField(const FieldDef &def)
{
    if (d->active)
        d->fail(u"field %1 added to an open dataset"_s.arg(def.name));
    if (def.name.isEmpty())
        d->fail(u"field without a name"_s);
    if (d->fieldIndex.contains(def.name.toUpper()))
        d->fail(u"duplicate field %1"_s.arg(def.name));
    if (!d->persistentFields) {
        d->fields.clear();
        d->fieldIndex.clear();
        d->persistentFields = true;
    }
    auto field = std::make_unique<TField>(*this, def);
    field->m_index = static_cast<int>(d->fields.size());
    d->fieldIndex.insert(def.name.toUpper(), field->m_index);
    d->fields.push_back(std::move(field));
    return *d->fields.back();
}

int TClientDataSet::FieldCount() const
{
    return static_cast<int>(d->fields.size());
}

TField &TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        d->fail(u"field index %1 out of range"_s.arg(index));
    return *d->fields[static_cast<size_t>(index)];
}

TField &TClientDataSet::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        d->fail(u"field %1 not found"_s.arg(name));
    return *field;
}

// Callers nearly always name a field as it is kept (upper case), and every bound control asks
// on every record shown: the upper-case copy is made only when the name as given is not found.
TField *TClientDataSet::FindField(const QString &name) const
{
    auto it = d->fieldIndex.constFind(name);
    if (it == d->fieldIndex.constEnd())
        it = d->fieldIndex.constFind(name.toUpper());
    return it == d->fieldIndex.constEnd() ? nullptr : d->fields[static_cast<size_t>(*it)].get();
}

QList<FieldDef> TClientDataSet::FieldDefs() const
{
    QList<FieldDef> defs;
    defs.reserve(FieldCount());
    for (const auto &field : d->fields)
        defs.append(field->Def());
    return defs;
}

void TClientDataSet::Open()
{
    if (d->active)
        return;
    if (d->fields.empty())
        d->fail(u"cannot open a dataset without fields or data"_s);
    d->active = true;
    d->state = DataSetState::Browse;
    d->current = d->visible.empty() ? -1 : 0;
    d->bof = true;
    d->eof = d->visible.empty();
    d->notifyState();
    d->notifyData(nullptr);
    d->fireEvent(AfterScroll);
}

void TClientDataSet::Close()
{
    if (!d->active)
        return;
    d->clearRecords();
    d->active = false;
    d->state = DataSetState::Inactive;
    d->notifyState();
    d->notifyData(nullptr);
}

bool TClientDataSet::Active() const
{
    return d->active;
}

DataSetState TClientDataSet::State() const
{
    return d->state;
}

void TClientDataSet::First()
{
    d->requireActive("First");
    d->checkBrowseMode();
    d->bof = true;
    d->eof = d->visible.empty();
    d->moveTo(0);
}

void TClientDataSet::Last()
{
    d->requireActive("Last");
    d->checkBrowseMode();
    d->eof = true;
    d->bof = d->visible.empty();
    d->moveTo(static_cast<int>(d->visible.size()) - 1);
}

void TClientDataSet::Next()
{
    d->requireActive("Next");
    d->checkBrowseMode();
    if (d->current < 0 || d->current + 1 >= static_cast<int>(d->visible.size())) {
        d->eof = true;
        return;
    }
    d->bof = d->eof = false;
    d->moveTo(d->current + 1);
}

void TClientDataSet::Prior()
{
    d->requireActive("Prior");
    d->checkBrowseMode();
    if (d->current <= 0) {
        d->bof = true;
        return;
    }
    d->bof = d->eof = false;
    d->moveTo(d->current - 1);
}

bool TClientDataSet::Eof() const
{
    return !d->active || d->visible.empty() || d->eof;
}

bool TClientDataSet::Bof() const
{
    return !d->active || d->visible.empty() || d->bof;
}

int TClientDataSet::RecNo() const
{
    return d->current + 1;
}

void TClientDataSet::SetRecNo(int recNo)
{
    d->requireActive("SetRecNo");
    if (recNo < 1 || recNo > RecordCount() || recNo == RecNo())
        return;
    d->checkBrowseMode();
    d->bof = d->eof = false;
    d->moveTo(recNo - 1);
}

int TClientDataSet::RecordCount() const
{
    return static_cast<int>(d->visible.size());
}

bool TClientDataSet::IsEmpty() const
{
    return d->visible.empty();
}

bool TClientDataSet::Locate(const QString &fieldName, const QVariant &value)
{
    d->requireActive("Locate");
    const TField &field = FieldByName(fieldName);
    bool ok = true;
    const QVariant wanted = coerceValue(field.Def(), value, ok);
    // A text longer than the field matches nothing: storing it would cut it, searching must not.
    if (!ok
        || (field.DataType() == FieldType::String && value.toString().size() > field.Size()))
        return false;
    d->checkBrowseMode();
    const int index = field.Index();
    for (size_t position = 0; position < d->visible.size(); ++position) {
        const Row &row = d->records[static_cast<size_t>(d->visible[position])].values;
        if (row.value(index) == wanted) {
            d->bof = d->eof = false;
            d->moveTo(static_cast<int>(position));
            return true;
        }
    }
    return false;
}

namespace {

void insertRecord(TClientDataSet::Impl &d, bool append)
{
    int recordIndex = static_cast<int>(d.records.size());
    int position = static_cast<int>(d.visible.size());
    if (!append && d.current >= 0) {
        position = d.current;
        recordIndex = d.visible[static_cast<size_t>(position)];
    }
    Record record;
    record.values = Row(static_cast<qsizetype>(d.fields.size()));
    record.status = Record::Status::Pending;
    d.records.insert(d.records.begin() + recordIndex, std::move(record));
    for (int &index : d.visible) {
        if (index >= recordIndex)
            ++index;
    }
    d.visible.insert(d.visible.begin() + position, recordIndex);
    d.current = position;
    d.bof = d.eof = false;
    d.editOld.clear();
    d.modified = false;
    d.state = DataSetState::Insert;
    d.notifyState();
    d.notifyData(nullptr);
}

} // namespace

void TClientDataSet::Insert()
{
    d->requireActive("Insert");
    d->checkBrowseMode();
    d->fireEvent(BeforeInsert);
    insertRecord(*d, false);
    d->fireEvent(AfterInsert);
    d->fireEvent(AfterScroll);
}

void TClientDataSet::Append()
{
    d->requireActive("Append");
    d->checkBrowseMode();
    d->fireEvent(BeforeInsert);
    insertRecord(*d, true);
    d->fireEvent(AfterInsert);
    d->fireEvent(AfterScroll);
}

void TClientDataSet::Edit()
{
    d->requireActive("Edit");
    if (d->state == DataSetState::Edit || d->state == DataSetState::Insert)
        return;
    // With no record to edit, starting an edit starts a new record.
    if (d->visible.empty()) {
        Insert();
        return;
    }
    d->fireEvent(BeforeEdit);
    d->editOld = d->records[static_cast<size_t>(d->currentRecord())].values;
    d->modified = false;
    d->state = DataSetState::Edit;
    d->notifyState();
    d->fireEvent(AfterEdit);
}

void TClientDataSet::Post()
{
    if (d->state != DataSetState::Edit && d->state != DataSetState::Insert)
        return;
    for (TDataSource *source : std::vector<TDataSource *>(d->sources))
        source->NotifyUpdateData();
    d->fireEvent(BeforePost);

    const int recordIndex = d->currentRecord();
    Record &record = d->records[static_cast<size_t>(recordIndex)];
    // Asked before anything changes, so a filter that throws leaves the edit as it was.
    const bool stillVisible = d->accepts(record.values);
    if (d->state == DataSetState::Insert) {
        record.status = Record::Status::Inserted;
        record.seq = d->nextSeq++;
    } else if (record.status == Record::Status::Unchanged && record.values != d->editOld) {
        record.base = d->editOld;
        record.status = Record::Status::Modified;
        record.seq = d->nextSeq++;
    } else if (record.status == Record::Status::Modified && record.values == record.base) {
        // Edited back to what was loaded: nothing left to send.
        record.base.clear();
        record.status = Record::Status::Unchanged;
    }
    d->editOld.clear();
    d->modified = false;
    d->state = DataSetState::Browse;
    if (!stillVisible) {
        d->visible.erase(d->visible.begin() + d->current);
        d->current = std::min(d->current, static_cast<int>(d->visible.size()) - 1);
    }
    d->notifyState();
    d->notifyData(nullptr);
    d->fireEvent(AfterPost);
}

void TClientDataSet::Cancel()
{
    if (d->state != DataSetState::Edit && d->state != DataSetState::Insert)
        return;
    d->fireEvent(BeforeCancel);
    const bool wasInsert = d->state == DataSetState::Insert;
    const int recordIndex = d->currentRecord();
    if (wasInsert) {
        d->removeRecord(recordIndex);
        d->current = std::min(d->current, static_cast<int>(d->visible.size()) - 1);
    } else {
        d->records[static_cast<size_t>(recordIndex)].values = d->editOld;
    }
    d->editOld.clear();
    d->modified = false;
    d->state = DataSetState::Browse;
    d->notifyState();
    d->notifyData(nullptr);
    d->fireEvent(AfterCancel);
    if (wasInsert)
        d->fireEvent(AfterScroll);
}

void TClientDataSet::Delete()
{
    d->requireActive("Delete");
    // Deleting the record being inserted is dropping it.
    if (d->state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (d->visible.empty())
        d->fail(u"Delete on an empty dataset"_s);
    d->fireEvent(BeforeDelete);
    const int recordIndex = d->currentRecord();
    Record &record = d->records[static_cast<size_t>(recordIndex)];
    const bool wasEditing = d->state == DataSetState::Edit;
    if (wasEditing) {
        record.values = d->editOld;
        d->editOld.clear();
        d->modified = false;
        d->state = DataSetState::Browse;
    }
    if (record.status == Record::Status::Inserted) {
        d->removeRecord(recordIndex);
    } else {
        if (record.status == Record::Status::Modified)
            record.values = record.base;
        else
            record.seq = d->nextSeq++;
        record.deleted = true;
        d->visible.erase(d->visible.begin() + d->current);
    }
    d->current = std::min(d->current, static_cast<int>(d->visible.size()) - 1);
    d->eof = d->visible.empty();
    if (wasEditing)
        d->notifyState();
    d->notifyData(nullptr);
    d->fireEvent(AfterDelete);
    d->fireEvent(AfterScroll);
}

void TClientDataSet::EmptyDataSet()
{
    d->requireActive("EmptyDataSet");
    const bool wasEditing = d->state != DataSetState::Browse;
    d->clearRecords();
    d->state = DataSetState::Browse;
    if (wasEditing)
        d->notifyState();
    d->notifyData(nullptr);
    d->fireEvent(AfterScroll);
}

bool TClientDataSet::Filtered() const
{
    return d->filtered;
}

void TClientDataSet::SetFiltered(bool on)
{
    if (on == d->filtered)
        return;
    if (d->active)
        d->checkBrowseMode();
    d->filtered = on;
    std::vector<int> visible;
    try {
        visible = d->computeVisible(d->records);
    } catch (...) {
        d->filtered = !on;
        throw;
    }
    if (!d->active)
        return;
    d->showFirstOf(std::move(visible));
}

void TClientDataSet::Refilter()
{
    if (!d->filtered || !d->active)
        return;
    d->checkBrowseMode();
    d->showFirstOf(d->computeVisible(d->records));
}

int TClientDataSet::ChangeCount() const
{
    return static_cast<int>(std::count_if(d->records.begin(), d->records.end(), [](const Record &r) {
        return r.deleted || r.status == Record::Status::Inserted
               || r.status == Record::Status::Modified;
    }));
}

DeltaPacket TClientDataSet::Delta() const
{
    std::vector<std::pair<quint64, DeltaChange>> changes;
    for (size_t i = 0; i < d->records.size(); ++i) {
        const Record &record = d->records[i];
        DeltaChange change;
        if (record.deleted) {
            change.op = DeltaChange::Op::Delete;
            change.oldRow = record.values;
        } else if (record.status == Record::Status::Inserted) {
            change.op = DeltaChange::Op::Insert;
            change.newRow = d->postedValues(static_cast<int>(i));
        } else if (record.status == Record::Status::Modified) {
            change.op = DeltaChange::Op::Update;
            change.oldRow = record.base;
            change.newRow = d->postedValues(static_cast<int>(i));
        } else {
            continue;
        }
        changes.emplace_back(record.seq, std::move(change));
    }
    std::sort(changes.begin(), changes.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    DeltaPacket delta;
    delta.fields = FieldDefs();
    delta.changes.reserve(static_cast<qsizetype>(changes.size()));
    for (auto &entry : changes)
        delta.changes.append(std::move(entry.second));
    return delta;
}

void TClientDataSet::MergeChangeLog()
{
    std::vector<int> newIndex(d->records.size(), -1);
    std::vector<Record> kept;
    kept.reserve(d->records.size());
    for (size_t i = 0; i < d->records.size(); ++i) {
        Record &record = d->records[i];
        if (record.deleted)
            continue;
        if (record.status != Record::Status::Pending) {
            record.status = Record::Status::Unchanged;
            record.base.clear();
            record.seq = 0;
        }
        newIndex[i] = static_cast<int>(kept.size());
        kept.push_back(std::move(record));
    }
    for (int &index : d->visible)
        index = newIndex[static_cast<size_t>(index)];
    d->records = std::move(kept);
}

void TClientDataSet::CancelUpdates()
{
    if (!d->active)
        return;
    Cancel();
    std::vector<Record> restored;
    restored.reserve(d->records.size());
    for (const Record &record : d->records) {
        if (record.status == Record::Status::Inserted)
            continue;
        Record copy;
        copy.values = record.status == Record::Status::Modified && !record.deleted ? record.base
                                                                                  : record.values;
        restored.push_back(std::move(copy));
    }
    std::vector<int> visible = d->computeVisible(restored);
    d->records = std::move(restored);
    d->visible = std::move(visible);
    d->bof = true;
    d->eof = d->visible.empty();
    d->current = -1;
    d->moveTo(0, true);
}

void TClientDataSet::SetData(const DataPacket &packet)
{
    // Everything is checked and built aside; the dataset changes only once nothing can fail.
    QList<FieldDef> defs = d->persistentFields ? FieldDefs() : packet.fields;
    std::vector<int> columns(static_cast<size_t>(defs.size()));
    bool identity = defs.size() == packet.fields.size();
    for (qsizetype i = 0; i < defs.size(); ++i) {
        qsizetype column = -1;
        for (qsizetype j = 0; j < packet.fields.size(); ++j) {
            if (packet.fields[j].name.compare(defs[i].name, Qt::CaseInsensitive) == 0) {
                column = j;
                break;
            }
        }
        if (column < 0)
            throw PacketError(u"%1: packet has no field %2"_s.arg(m_name, defs[i].name)
                                  .toStdString());
        if (packet.fields[column].type != defs[i].type)
            throw PacketError(u"%1: field %2 is %3 in the packet, %4 in the dataset"_s
                                  .arg(m_name, defs[i].name,
                                       fieldTypeName(packet.fields[column].type),
                                       fieldTypeName(defs[i].type))
                                  .toStdString());
        columns[static_cast<size_t>(i)] = static_cast<int>(column);
        identity = identity && column == i;
    }

    std::vector<Record> records(static_cast<size_t>(packet.rows.size()));
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        const Row &source = packet.rows[r];
        if (source.size() != packet.fields.size())
            throw PacketError(u"%1: row %2 has %3 values for %4 fields"_s
                                  .arg(m_name, QString::number(r + 1),
                                       QString::number(source.size()),
                                       QString::number(packet.fields.size()))
                                  .toStdString());
        Row row = identity ? source : Row(defs.size());
        for (qsizetype i = 0; i < defs.size(); ++i) {
            const FieldDef &def = defs[i];
            const QVariant &value = source[columns[static_cast<size_t>(i)]];
            // Decoded packets hold stored forms already: those values are shared, not converted.
            if (isStoredForm(def, value)) {
                if (!identity)
                    row[i] = value;
                continue;
            }
            if (def.type == FieldType::String && value.metaType().id() == QMetaType::QString
                && value.toString().size() > fieldSize(def))
                throw PacketError(u"%1: row %2, field %3: string of %4 characters exceeds size %5"_s
                                      .arg(m_name, QString::number(r + 1), def.name,
                                           QString::number(value.toString().size()),
                                           QString::number(fieldSize(def)))
                                      .toStdString());
            bool ok = true;
            QVariant stored = coerceValue(def, value, ok);
            if (!ok)
                throw PacketError(u"%1: row %2, field %3: %4 is not a %5"_s
                                      .arg(m_name, QString::number(r + 1), def.name,
                                           QString::fromLatin1(value.typeName()),
                                           fieldTypeName(def.type))
                                      .toStdString());
            row[i] = std::move(stored);
        }
        records[static_cast<size_t>(r)].values = std::move(row);
    }

    const bool filtered = d->filtered && OnFilterRecord;
    std::vector<int> visible;
    if (filtered) {
        // The filter reads fields by index, so the packet's layout must be in place first, and
        // the old one back if the filter fails.
        const QList<FieldDef> oldDefs = FieldDefs();
        d->setFields(defs);
        try {
            visible = d->computeVisible(records);
        } catch (...) {
            d->setFields(oldDefs);
            throw;
        }
    } else {
        visible.reserve(records.size());
        for (size_t i = 0; i < records.size(); ++i)
            visible.push_back(static_cast<int>(i));
    }

    d->setFields(defs);
    const bool wasActive = d->active;
    const DataSetState oldState = d->state;
    d->records = std::move(records);
    d->visible = std::move(visible);
    d->editOld.clear();
    d->modified = false;
    d->nextSeq = 1;
    d->active = true;
    d->state = DataSetState::Browse;
    d->bof = true;
    d->eof = d->visible.empty();
    d->current = -1;
    if (!wasActive || oldState != DataSetState::Browse)
        d->notifyState();
    d->moveTo(0, true);
}

DataPacket TClientDataSet::Data() const
{
    DataPacket packet;
    packet.fields = FieldDefs();
    packet.rows.reserve(static_cast<qsizetype>(d->records.size()));
    for (const Record &record : d->records) {
        if (!record.deleted)
            packet.rows.append(record.values);
    }
    return packet;
}

QVariant TClientDataSet::ValueAt(int recNo, int fieldIndex) const
{
    if (recNo < 1 || recNo > RecordCount() || fieldIndex < 0 || fieldIndex >= FieldCount())
        return {};
    return d->records[static_cast<size_t>(d->visible[static_cast<size_t>(recNo - 1)])].values.value(
        fieldIndex);
}

QString TClientDataSet::DisplayTextAt(int recNo, int fieldIndex) const
{
    if (recNo < 1 || recNo > RecordCount() || fieldIndex < 0 || fieldIndex >= FieldCount())
        return {};
    const Row &row = d->records[static_cast<size_t>(d->visible[static_cast<size_t>(recNo - 1)])].values;
    // The field's text handlers read the field, so the field reads this row meanwhile.
    const Row *saved = d->readOverride;
    d->readOverride = &row;
    struct Restore {
        const Row *&target;
        const Row *value;
        ~Restore() { target = value; }
    } restore{d->readOverride, saved};
    return Fields(fieldIndex).DisplayText();
}

void TClientDataSet::AttachSource(TDataSource *source)
{
    if (std::find(d->sources.begin(), d->sources.end(), source) == d->sources.end())
        d->sources.push_back(source);
}

void TClientDataSet::DetachSource(TDataSource *source)
{
    const auto it = std::find(d->sources.begin(), d->sources.end(), source);
    if (it != d->sources.end())
        d->sources.erase(it);
}

} // namespace ngc
