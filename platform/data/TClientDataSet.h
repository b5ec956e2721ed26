#pragma once

#include "DataPacket.h"
#include "TField.h"

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ngc {

class TDataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// Misuse of a dataset (post while browsing, unknown field, write to an inactive dataset, a text
// that is no number); the message names the dataset and the field.
class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An in-memory dataset: fields in order, records, a current record, a state, a log of unsent
// changes, before/after events and a record filter.
//
// Events are plain callbacks run synchronously. Any exception thrown by a before-event (the host's
// silent abort among them) leaves the dataset exactly as it was and reaches the caller of Insert,
// Edit, Post, Cancel or Delete.
class TClientDataSet final {
public:
    using Event = std::function<void(TClientDataSet &)>;
    using FilterEvent = std::function<bool(TClientDataSet &)>; // true: the current record is shown

    explicit TClientDataSet(QString name = {});
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet &) = delete;
    TClientDataSet &operator=(const TClientDataSet &) = delete;

    QString Name() const { return m_name; }

    // Structure. Fields defined before loading are persistent: a loaded packet must carry each of
    // them (by name, with the same type); extra packet columns are ignored. A dataset without
    // fields takes the packet's fields; those are kept while later packets have the same layout
    // and replaced (references to them lost) by a packet of another layout. Names are matched
    // without regard to case.
    TField &AddField(const FieldDef &def);
    int FieldCount() const;
    TField &Fields(int index) const;
    TField &FieldByName(const QString &name) const; // DataSetError when missing
    TField *FindField(const QString &name) const;
    QList<FieldDef> FieldDefs() const;

    // Opening an unloaded dataset with fields gives an empty dataset in browse state.
    void Open();
    void Close();
    bool Active() const;
    DataSetState State() const;

    // Navigation over the visible (filtered) records. RecNo is 1-based, 0 when empty.
    // Leaving a record that is being edited or inserted (any move, Insert, Append, a filter switch)
    // first posts it when a field was written since the edit began, and cancels it otherwise, so
    // that passing over an untouched new row drops it. A refused post stops the move.
    // AfterScroll runs whenever another record becomes current, after loading and after the filter
    // is switched.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;
    void SetRecNo(int recNo);
    int RecordCount() const;
    bool IsEmpty() const;
    bool Locate(const QString &fieldName, const QVariant &value); // exact match; moves on success

    // Editing. Insert puts a new record before the current one, Append at the end; the new record
    // is visible (to grids) at once. Edit on a dataset without records inserts one instead (with
    // the insert events). Post and Cancel while browsing do nothing. Post first asks every data
    // source to write pending control text (updateData), then runs BeforePost. Delete while
    // inserting cancels the new record; Delete while editing drops the edit and deletes the record.
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void EmptyDataSet(); // removes every record and clears the change log

    Event BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel,
        AfterCancel, BeforeDelete, AfterDelete, AfterScroll;

    // Record filter: while Filtered is on, only records accepted by OnFilterRecord are visible.
    // Switching it on runs the filter over every record and moves to the first visible one.
    FilterEvent OnFilterRecord;
    bool Filtered() const;
    void SetFiltered(bool on);
    // While Filtered is on, runs the filter again over every record (for a filter that compares
    // with something that changed elsewhere) and moves to the first visible one, as switching it
    // off and on would, but telling the controls once. Does nothing while it is off.
    void Refilter();

    // Change log: every post and delete adds an entry. Delta holds exactly the unsent changes with
    // whole rows, in the order the records were first changed: one entry per record, the net
    // change against what was loaded or last merged (a record inserted and then edited is one
    // insert; inserted then deleted is none; edited then deleted is a delete of the loaded row;
    // a post that changes nothing, or edits a record back to its loaded values, leaves no entry).
    // A record being edited enters the delta with its values before the edit.
    int ChangeCount() const;
    DeltaPacket Delta() const;
    void MergeChangeLog();  // accept the changes: the current values become the base
    void CancelUpdates();   // undo every unsent change (and any edit); back on the first record

    // Replaces every record from a packet, clears the change log and the current position (first
    // record, browse state). Validates before touching anything: a packet that does not fit the
    // persistent fields raises PacketError and the dataset keeps what it had.
    void SetData(const DataPacket &packet);
    DataPacket Data() const; // the current records (visible or not), as a packet

    // Reading any record without moving to it (for grids); recNo is 1-based among the visible.
    QVariant ValueAt(int recNo, int fieldIndex) const;
    QString DisplayTextAt(int recNo, int fieldIndex) const;

    // Data sources bound to this dataset (kept by TDataSource::SetDataSet).
    void AttachSource(TDataSource *source);
    void DetachSource(TDataSource *source);

    struct Impl;

private:
    friend class TField;
    QString m_name;
    std::unique_ptr<Impl> d;
};

} // namespace ngc
