#pragma once

// Internal to the data library: the storage behind TClientDataSet, shared with TField.

#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QHash>

#include <memory>
#include <vector>

namespace ngc {

// One record and its place in the change log. `base` holds the values as last loaded or merged
// once the record has been changed; an unchanged record does not need it.
struct Record {
    enum class Status : quint8 { Unchanged, Pending, Inserted, Modified };
    Row values;
    Row base;
    Status status = Status::Unchanged;
    bool deleted = false;
    quint64 seq = 0; // order of the record's first unsent change
};

// Converts a value to what a field of this definition stores: QString (at most the field's size,
// never empty), double, local QDateTime, qint64 or bool, or null. ok is false when the value
// cannot be read as the field's type.
QVariant coerceValue(const FieldDef &def, const QVariant &value, bool &ok);
int fieldSize(const FieldDef &def);

struct TClientDataSet::Impl {
    explicit Impl(TClientDataSet &owner) : q(owner) {}

    TClientDataSet &q;
    std::vector<std::unique_ptr<TField>> fields;
    QHash<QString, int> fieldIndex; // upper-case name -> index
    bool persistentFields = false;

    bool active = false;
    DataSetState state = DataSetState::Inactive;
    std::vector<Record> records;
    std::vector<int> visible; // indices into records, in order
    int current = -1;         // position in visible
    bool bof = true;
    bool eof = true;

    Row editOld;           // the record's values when the edit began
    bool modified = false; // a field was written since Edit or Insert
    bool filtered = false;
    const Row *readOverride = nullptr; // the row fields read while a filter or grid looks at it
    quint64 nextSeq = 1;
    std::vector<TDataSource *> sources;

    const Row *currentRow() const;
    Row *writableRow();
    int currentRecord() const { return current >= 0 ? visible[static_cast<size_t>(current)] : -1; }

    void requireActive(const char *operation) const;
    [[noreturn]] void fail(const QString &message) const;
    void checkBrowseMode();
    bool accepts(const Row &row);
    std::vector<int> computeVisible(const std::vector<Record> &list);
    void moveTo(int position, bool force = false);
    void removeRecord(int recordIndex);
    // No records, no position, no edit under way; the state and the events are the caller's.
    void clearRecords();
    // Shows exactly these records, on the first of them, as after a filter change.
    void showFirstOf(std::vector<int> newVisible);
    void fireEvent(const Event &event);
    void notifyState();
    void notifyData(TField *field);
    void fieldWritten(TField *field);
    void setFields(const QList<FieldDef> &defs);
    const Row &postedValues(int recordIndex) const;
};

} // namespace ngc
